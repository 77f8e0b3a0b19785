#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltra {

// The logger's USB identity.
inline constexpr std::uint16_t LoggerVendorId = 0x2017;
inline constexpr std::uint16_t LoggerProductId = 0x0901;

// The answer of one tick, compared with the remembered drive letter.
enum class LocatorState : std::uint8_t {
    NoLogger = 0,       // none found, or found under another letter than the remembered one
    LoggerArrived = 1,  // found while no letter was remembered; the letter is now remembered
    LoggerPresent = 2,  // found under the remembered letter
};

// The value of a hexadecimal text; any other character is skipped without changing the
// value and, when `skipped` is given, appended to it.
std::uint32_t parseHexText(std::string_view text, std::string* skipped = nullptr);

// The vendor and product ids named after "VID_" and "PID_" in an entry (up to four hex
// characters each). Nothing when either marker is missing.
struct UsbIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};
std::optional<UsbIds> entryUsbIds(std::string_view entry, std::string* skipped = nullptr);

// The drive letter an entry names after "PFAD_"; 0 when it names none.
char entryDriveLetter(std::string_view entry);

// Whether an entry carries the logger's vendor and product ids.
bool isLoggerEntry(std::string_view entry);

// The drive letter of the first entry that carries the given vendor and product ids; 0 when
// none does.
char pickLoggerLetter(const std::vector<std::string>& entries, std::uint16_t vendorId,
                      std::uint16_t productId);

// Classifies the letter found (0 for none) against the remembered `LoggerDrive` and updates
// it: NoLogger clears it, LoggerArrived sets it, LoggerPresent leaves it. A logger found under
// another letter than the remembered one counts as gone, and arrives under its new letter on
// the next tick.
LocatorState classifyLoggerDrive(char found, char& LoggerDrive);

}  // namespace veltra
