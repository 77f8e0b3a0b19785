#include "cli/Plan.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

#include "cli/BoundedRead.h"
#include "cli/CsvReader.h"
#include "cli/SettingOptions.h"
#include "cli/SettingText.h"
#include "core/HostCharset.h"

namespace veltra::cli {

namespace {

std::string inQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

// The serial of a row: wholly a number that the logger's four bytes hold.
bool parseSerial(const std::string& text, std::uint32_t& serial) {
    const char* end = text.data() + text.size();
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) {
        return false;
    }
    const auto [stop, error] = std::from_chars(text.data(), end, serial);
    return error == std::errc() && stop == end;
}

// Where a row does not hold: the column's name or number, and why.
struct RowFault {
    std::string column, why;
};

// Checks a row as the command line checks its options and fills `row` from it.
std::optional<RowFault> checkRow(const std::vector<std::string>& header,
                                 const std::vector<std::string>& fields, PlanRow& row) {
    auto refused = [](const std::string& column, const std::string& why) {
        return RowFault{column, why};
    };
    if (fields.size() != header.size()) {
        const std::string column = fields.size() > header.size() ? std::to_string(header.size() + 1)
                                                                 : header[fields.size()];
        const bool one = fields.size() == 1;
        return refused(column, "the row has " + std::to_string(fields.size()) +
                                   (one ? " field" : " fields") + " and the header " +
                                   std::to_string(header.size()));
    }
    if (!parseSerial(fields[0], row.serial)) {
        return refused("serial", inQuotes(fields[0]) +
                                     " is no serial number: a whole number from 0 to " +
                                     std::to_string(std::numeric_limits<std::uint32_t>::max()));
    }
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const SettingOption& option = *findSetting(header[i]);
        const std::string& value = fields[i];
        // No field holds a NUL: the logger would end the text there.
        if (value.find('\0') != std::string::npos) {
            return refused(header[i], "it holds a NUL, which no setting can hold");
        }
        const auto text = utf8ToHostText(value);
        if (!text) {
            return refused(header[i],
                           "it holds bytes that are no UTF-8, or characters that the host's "
                           "character set has none for");
        }
        if (const std::string why = refusalOf(option, *text); !why.empty()) {
            return refused(header[i], why);
        }
        // The shortest that {n} can make it.
        const std::string replaced = withPlaceholders(*text, row.serial, 1);
        if (const std::string why = fieldRefusal(option, replaced); !why.empty()) {
            const std::string is = hasPlaceholder(*text)
                                       ? " is " + inQuotes(hostTextToUtf8Lossy(replaced)) +
                                             " for serial " + fields[0] + ", "
                                       : " is ";
            return refused(header[i], inQuotes(value) + is + why);
        }
        row.words.emplace_back(header[i], value);
        row.values.emplace_back(option.name, *text);
    }
    return std::nullopt;
}

}  // namespace

std::string Plan::load(const std::string& path) {
    path_ = path;
    rows_.clear();
    bySerial_.clear();
    const std::string name = "the plan " + path;
    std::string text;
    if (const std::string error = readBounded(path, MaxBytes, text); !error.empty()) {
        return "cannot read " + name + ": " + error;
    }
    if (text.size() > MaxBytes) {
        return "cannot read " + name + ": it is larger than 16 MiB, which no plan needs";
    }
    CsvReader reader(text);
    CsvRow header;
    auto at = [&](int line, const std::string& column, const std::string& why) {
        return name + ", line " + std::to_string(line) + ", column " + column + ": " + why;
    };
    // A column by its name where the header has one, by its number beyond it.
    auto column = [&](int number) {
        return number <= static_cast<int>(header.fields.size()) ? header.fields[number - 1]
                                                                : std::to_string(number);
    };
    auto broken = [&] {
        const CsvError& error = reader.error();
        return at(error.line, column(error.column), error.why);
    };
    if (!reader.next(header)) {
        return reader.error().why.empty()
                   ? at(1, "1",
                        "the file is empty; it takes a header row (serial, then the settings' "
                        "names) and a row for each logger")
                   : at(reader.error().line, std::to_string(reader.error().column),
                        reader.error().why);
    }
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string& field = header.fields[i];
        const std::string number = std::to_string(i + 1);
        const auto first = std::find(header.fields.begin(), header.fields.begin() + i, field);
        if (i == 0 && field != "serial") {
            return at(header.line, number,
                      "the first column must be serial, not " + inQuotes(field));
        }
        if (first != header.fields.begin() + i) {
            return at(header.line, number,
                      inQuotes(field) + " is named twice (column " +
                          std::to_string(first - header.fields.begin() + 1) + " too)");
        }
        if (i > 0 && findSetting(field) == nullptr) {
            return at(header.line, number,
                      inQuotes(field) +
                          " is none of configure's settings; the columns are named as its "
                          "options without the dashes, such as high-temp");
        }
    }
    for (CsvRow row; reader.next(row);) {
        PlanRow planned;
        planned.line = row.line;
        if (const auto fault = checkRow(header.fields, row.fields, planned)) {
            return at(row.line, fault->column, fault->why);
        }
        const auto [earlier, added] = bySerial_.emplace(planned.serial, rows_.size());
        if (!added) {
            return at(row.line, "serial",
                      row.fields[0] + " has a row already, on line " +
                          std::to_string(rows_[earlier->second].line));
        }
        rows_.push_back(std::move(planned));
    }
    if (!reader.error().why.empty()) {
        return broken();
    }
    if (rows_.empty()) {
        return at(reader.line(), "1", "no logger's row follows the header");
    }
    return {};
}

const PlanRow* Plan::rowOf(std::uint32_t serial) const {
    const auto found = bySerial_.find(serial);
    return found == bySerial_.end() ? nullptr : &rows_[found->second];
}

}  // namespace veltra::cli
