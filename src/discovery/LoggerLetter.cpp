#include "discovery/LoggerLetter.h"

namespace veltra {

namespace {

constexpr std::size_t IdDigits = 4;

// The up to four characters after the first occurrence of `marker`.
std::optional<std::string_view> digitsAfter(std::string_view entry, std::string_view marker) {
    const std::size_t at = entry.find(marker);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return entry.substr(at + marker.size(), IdDigits);
}

}  // namespace

std::uint32_t parseHexText(std::string_view text, std::string* skipped) {
    std::uint32_t value = 0;
    for (const char c : text) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            // Runs inside the timer tick: a message box here would come back every 100 ms,
            // so the character is only skipped (and reported to a caller who asks).
            if (skipped) {
                skipped->push_back(c);
            }
            continue;
        }
        value = value * 16 + digit;
    }
    return value;
}

std::optional<UsbIds> entryUsbIds(std::string_view entry, std::string* skipped) {
    const auto vendor = digitsAfter(entry, "VID_");
    const auto product = digitsAfter(entry, "PID_");
    if (!vendor || !product) {
        return std::nullopt;
    }
    return UsbIds{static_cast<std::uint16_t>(parseHexText(*vendor, skipped)),
                  static_cast<std::uint16_t>(parseHexText(*product, skipped))};
}

char entryDriveLetter(std::string_view entry) {
    constexpr std::string_view Prefix = "PFAD_";
    const std::size_t at = entry.find(Prefix);
    return at != std::string_view::npos && at + Prefix.size() < entry.size()
               ? entry[at + Prefix.size()]
               : '\0';
}

bool isLoggerEntry(std::string_view entry) {
    const auto ids = entryUsbIds(entry);
    return ids && ids->vendorId == LoggerVendorId && ids->productId == LoggerProductId;
}

char pickLoggerLetter(const std::vector<std::string>& entries, std::uint16_t vendorId,
                      std::uint16_t productId) {
    for (const std::string& entry : entries) {
        const auto ids = entryUsbIds(entry);
        if (!ids || ids->vendorId != vendorId || ids->productId != productId) {
            continue;
        }
        return entryDriveLetter(entry);  // the first matching entry wins
    }
    return '\0';
}

LocatorState classifyLoggerDrive(char found, char& LoggerDrive) {
    if (found != 0 && LoggerDrive == 0) {
        LoggerDrive = found;
        return LocatorState::LoggerArrived;
    }
    if (found != 0 && found == LoggerDrive) {
        return LocatorState::LoggerPresent;
    }
    LoggerDrive = 0;
    return LocatorState::NoLogger;
}

}  // namespace veltra
