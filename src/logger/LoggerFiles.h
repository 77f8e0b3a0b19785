#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace veltra {

class DriveFiles;

// The names of the files exchanged with the logger, in its drive's root.
inline constexpr std::string_view DeviceImageFile = "DAT.SRC";
inline constexpr std::string_view ConfigFile = "CONFIG.CFG";
inline constexpr std::string_view MarkerFile = "OK.DAT";
inline constexpr std::string_view FirmwareFile = "APP.BIN";

// The marker's contents: "OK", no terminator, no line end.
inline constexpr std::uint8_t MarkerBytes[2] = {'O', 'K'};

// Creates the named file, writes the bytes and makes them durable. False when the file
// could not be created or any byte could not be written.
bool writeDriveFile(DriveFiles& drive, char letter, std::string_view name,
                    std::span<const std::uint8_t> bytes);

}  // namespace veltra
