#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veltra::cli {

// One row of a CSV text and the line it starts on (from 1).
struct CsvRow {
    int line = 0;
    std::vector<std::string> fields;
};

// Where and why a CSV text stops being CSV; `column` is the field's place in its row (from 1).
struct CsvError {
    int line = 0;
    int column = 0;
    std::string why;
};

// Reads RFC 4180 text row by row: a leading UTF-8 byte order mark skipped, rows ended by CRLF
// or LF, fields in quotes holding commas, line breaks and quotes written twice; an empty line
// is no row. Written here because Debian's CSV libraries either do not build for Windows or
// fix the number of columns when compiled.
class CsvReader {
  public:
    explicit CsvReader(std::string_view text);

    // The next row into `row`; false at the end of the text or where it stops being CSV, which
    // error() then tells.
    bool next(CsvRow& row);
    const CsvError& error() const { return error_; }
    // The line that the next row would start on.
    int line() const { return line_; }

  private:
    bool fail(int line, int column, std::string why);

    std::string_view text_;
    std::size_t at_ = 0;
    int line_ = 1;
    CsvError error_;
};

}  // namespace veltra::cli
