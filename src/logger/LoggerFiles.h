#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/DriveFiles.h"

namespace veltra {

// The names of the files exchanged with the logger, in its drive's root.
inline constexpr std::string_view DeviceImageFile = "DAT.SRC";
inline constexpr std::string_view ConfigFile = "CONFIG.CFG";
inline constexpr std::string_view MarkerFile = "OK.DAT";
inline constexpr std::string_view FirmwareFile = "APP.BIN";

// The marker's contents: "OK", no terminator, no line end.
inline constexpr std::uint8_t MarkerBytes[2] = {'O', 'K'};

// Opens the logger's drive for writing: with its lock, and only while its root is still the
// filesystem from which DAT.SRC was read (`imageDrive`).
DriveOpening openForWriting(DriveFiles& drive, char letter, const DriveIdentity& imageDrive);

// Removes OK.DAT: the logger acts on the marker alone, so it must be gone before any file it
// vouches for is rewritten.
bool removeMarker(DriveSession& drive);

// Writes the bytes into a file just created, makes them durable and reads them back from the
// device. True only when exactly these bytes are there.
bool fillVerified(DriveSession& drive, std::unique_ptr<OutputFile> file, std::string_view name,
                  std::span<const std::uint8_t> bytes);
// The same for a file still to be created.
bool writeVerified(DriveSession& drive, std::string_view name, std::span<const std::uint8_t> bytes);

// Writes OK.DAT, last of all. A marker that could not be written completely is removed again.
bool writeMarker(DriveSession& drive);

}  // namespace veltra
