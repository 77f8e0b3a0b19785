#include "platform/linux/MountTable.h"

#include <charconv>

namespace veltra {

namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = line.find(' ', at);
        const std::size_t stop = end == std::string_view::npos ? line.size() : end;
        if (stop > at) {
            fields.push_back(line.substr(at, stop - at));
        }
        at = stop + 1;
    }
    return fields;
}

bool parseUnsigned(std::string_view text, unsigned& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && !text.empty();
}

bool hasOption(std::string_view options, std::string_view wanted) {
    std::size_t at = 0;
    while (at <= options.size()) {
        const std::size_t end = options.find(',', at);
        const std::size_t stop = end == std::string_view::npos ? options.size() : end;
        if (options.substr(at, stop - at) == wanted) {
            return true;
        }
        at = stop + 1;
    }
    return false;
}

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

}  // namespace

bool MountEntry::readOnly() const {
    return hasOption(options, "ro") || hasOption(superOptions, "ro");
}

std::string unescapeMountField(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            text.push_back(static_cast<char>(value & 0xff));
            i += 3;
        } else {
            text.push_back(field[i]);
        }
    }
    return text;
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        const auto fields = splitFields(text.substr(at, stop - at));
        at = stop + 1;

        // id parent major:minor root point options [optional...] - type source superoptions
        std::size_t separator = 6;
        while (separator < fields.size() && fields[separator] != "-") {
            ++separator;
        }
        if (fields.size() < 6 || separator + 2 >= fields.size()) {
            continue;
        }
        MountEntry entry;
        const std::string_view device = fields[2];
        const std::size_t colon = device.find(':');
        if (!parseUnsigned(fields[0], entry.mountId) || colon == std::string_view::npos ||
            !parseUnsigned(device.substr(0, colon), entry.major) ||
            !parseUnsigned(device.substr(colon + 1), entry.minor)) {
            continue;
        }
        entry.root = unescapeMountField(fields[3]);
        entry.mountPoint = unescapeMountField(fields[4]);
        entry.options = std::string(fields[5]);
        entry.fsType = unescapeMountField(fields[separator + 1]);
        entry.source = unescapeMountField(fields[separator + 2]);
        if (separator + 3 < fields.size()) {
            entry.superOptions = std::string(fields[separator + 3]);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace veltra
