#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cli/Profile.h"

namespace veltra::cli {

// A logger's row of the plan.
struct PlanRow {
    std::uint32_t serial = 0;
    int line = 0;        // where the row starts in the file
    SettingWords words;  // its settings as written (UTF-8), by column, the serial left out
    // The same as the command line takes them: by option name, in the host's characters.
    std::vector<std::pair<std::string_view, std::string>> values;
};

// A CSV file of settings, one row a logger: the column serial, then columns named as
// configure's options without the dashes.
class Plan {
  public:
    // A plan is a row of short texts a logger; one far larger is none.
    static constexpr std::size_t MaxBytes = 16 << 20;

    // Reads and checks the whole file at `path`. Empty when every row can be applied as the
    // command line would take it; otherwise why not, naming the file, the line and the column
    // ("the plan p.csv, line 3, column high-temp: ...").
    std::string load(const std::string& path);

    const std::string& path() const { return path_; }
    // The row of the logger with `serial`; null when the plan has none.
    const PlanRow* rowOf(std::uint32_t serial) const;

  private:
    std::string path_;
    std::vector<PlanRow> rows_;
    std::unordered_map<std::uint32_t, std::size_t> bySerial_;
};

}  // namespace veltra::cli
