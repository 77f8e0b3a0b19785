#include "cli/CsvReader.h"

#include <algorithm>
#include <cstdio>

namespace veltra::cli {

namespace {

bool isLineEnd(std::string_view text, std::size_t at) {
    return at < text.size() && (text[at] == '\n' || text.substr(at, 2) == "\r\n");
}

std::string shown(char c) {
    if (c > ' ' && c < 0x7F) {
        return std::string("\"") + c + "\"";
    }
    char text[16];
    std::snprintf(text, sizeof text, "byte 0x%02X", static_cast<unsigned char>(c));
    return text;
}

}  // namespace

CsvReader::CsvReader(std::string_view text) : text_(text) {
    if (text_.starts_with("\xEF\xBB\xBF")) {
        at_ = 3;
    }
}

bool CsvReader::fail(int line, int column, std::string why) {
    error_ = {line, column, std::move(why)};
    return false;
}

bool CsvReader::next(CsvRow& row) {
    if (!error_.why.empty()) {
        return false;
    }
    for (; isLineEnd(text_, at_); ++line_) {
        at_ += text_[at_] == '\r' ? 2 : 1;
    }
    if (at_ >= text_.size()) {
        return false;
    }
    const std::size_t size = text_.size();
    row.line = line_;
    row.fields.assign(1, std::string());
    while (true) {
        std::string& field = row.fields.back();
        const int column = static_cast<int>(row.fields.size());
        if (text_[at_] == '"') {
            const int opened = line_;
            for (++at_;;) {
                const std::size_t quote = text_.find('"', at_);
                if (quote == std::string_view::npos) {
                    return fail(opened, column, "the quote that opens this field is never closed");
                }
                const std::string_view part = text_.substr(at_, quote - at_);
                line_ += static_cast<int>(std::count(part.begin(), part.end(), '\n'));
                field.append(part);
                at_ = quote + 1;
                if (at_ == size || text_[at_] != '"') {
                    break;
                }
                field += '"';  // a quote written twice
                ++at_;
            }
            if (at_ < size && text_[at_] != ',' && !isLineEnd(text_, at_)) {
                return fail(line_, column,
                            "after the quote that closes this field comes " + shown(text_[at_]) +
                                ", not a comma or the line's end");
            }
        } else {
            const std::size_t stop = std::min(text_.find_first_of(",\n\"\r", at_), size);
            field.append(text_.substr(at_, stop - at_));
            at_ = stop;
            if (at_ < size && text_[at_] == '"') {
                return fail(line_, column,
                            "a quote inside a field that does not start with one; put the field "
                            "in quotes and write each quote in it twice");
            }
            if (at_ < size && text_[at_] == '\r' && !isLineEnd(text_, at_)) {
                return fail(line_, column,
                            "a carriage return that ends no line; put the field in quotes");
            }
        }
        if (at_ == size) {
            return true;
        }
        if (text_[at_] == ',') {
            ++at_;
            row.fields.emplace_back();
            if (at_ == size) {
                return true;
            }
            continue;
        }
        at_ += text_[at_] == '\r' ? 2 : 1;
        ++line_;
        return true;
    }
}

}  // namespace veltra::cli
