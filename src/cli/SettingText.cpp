#include "cli/SettingText.h"

#include "settings/LoggerParameters.h"
#include "settings/Validation.h"

namespace veltra::cli {

namespace {

constexpr std::string_view SerialMark = "{serial}";
constexpr std::string_view PlaceMark = "{n}";

// The width of the record's field for a text option; 0 for the other options.
std::size_t fieldWidth(ControlId control) {
    const LoggerParameters p{};
    switch (control) {
        case ControlId::DeviceName:
            return p.deviceName.size();
        case ControlId::Website:
            return p.website.size();
        case ControlId::UserInfo:
            return p.userInfo.size();
        case ControlId::Trademark:
            return p.trademark.size();
        default:
            return 0;
    }
}

}  // namespace

bool hasPlaceholder(std::string_view text) {
    return text.find(SerialMark) != std::string_view::npos ||
           text.find(PlaceMark) != std::string_view::npos;
}

std::string withPlaceholders(std::string_view text, std::uint32_t serial, int n) {
    std::string out;
    while (!text.empty()) {
        if (text.starts_with(SerialMark)) {
            out += std::to_string(serial);
            text.remove_prefix(SerialMark.size());
        } else if (text.starts_with(PlaceMark)) {
            out += std::to_string(n);
            text.remove_prefix(PlaceMark.size());
        } else {
            out += text.front();
            text.remove_prefix(1);
        }
    }
    return out;
}

std::string fieldRefusal(const SettingOption& option, std::string_view text) {
    const std::size_t width = fieldWidth(option.control);
    if (width == 0) {
        return {};
    }
    const bool website = option.control == ControlId::Website;
    switch (checkTextField(text, width, website)) {
        case TextCheck::TooLong:
            return "longer than its " + std::to_string(width) + " bytes";
        case TextCheck::InvalidByte:
            return "not for a website: it takes printable ASCII, tab, line ends and \u00A1 "
                   "\u00A8 \u00AE \u00B0 \u00BA";
        case TextCheck::Empty:
            if (option.control == ControlId::DeviceName) {
                return "empty, and a device name takes 1 to " + std::to_string(width) + " bytes";
            }
            return {};
        case TextCheck::Fine:
            return {};
    }
    return {};
}

}  // namespace veltra::cli
