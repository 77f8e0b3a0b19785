#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/LocatorPlatform.h"

namespace veltra {

// Each list of a scan holds at most this many entries; surplus entries are ignored.
inline constexpr std::size_t MaxEntries = 26;

// What one scan saw, kept for diagnostics only (the search itself keeps nothing).
struct LocatorScan {
    std::vector<DriveRoot> roots;
    std::vector<std::string> driveEntries;  // DriveEntry texts: PFAD_E_2064
    std::vector<std::string> diskEntries;   // DiskEntry texts: 2064USB\VID_2017&PID_0901\SN1
    std::vector<std::string> matchEntries;  // MatchEntry texts: PFAD_E\VID_2017&PID_0901\SN1
    std::vector<std::string> notes;         // what was left out and why, one line each
};

// The DriveEntry texts of the removable and fixed drives from C: on, "PFAD_" + letter + "_" +
// device number, in letter order. A drive that cannot be opened or queried is left out.
std::vector<std::string> listVolumeDrives(LocatorPlatform& platform, LocatorScan* scan = nullptr);

// The DiskEntry texts of the disks whose parent is a USB device, device number + upper-cased
// parent id, in enumeration order. A parent id that cannot be read is reported on `console`
// as "   No found ID!\n".
std::vector<std::string> listUsbDisks(LocatorPlatform& platform, std::ostream& console,
                                      LocatorScan* scan = nullptr);

// Upper-cases the id in place (ASCII only) and tells whether it names a USB device.
bool isUsbDeviceId(std::string& id);

// Joins drives and disks on their whole device number: for each drive in order, each disk in
// order with the same number gives "PFAD_" + letter + the disk's id from its backslash on.
std::vector<std::string> joinMatchEntries(const std::vector<std::string>& driveEntries,
                                          const std::vector<std::string>& diskEntries);

// The drives joined with USB disks of this moment: listVolumeDrives, listUsbDisks, join.
std::vector<std::string> collectMatchEntries(LocatorPlatform& platform, std::ostream& console,
                                             LocatorScan* scan = nullptr);

// The device number part of a DriveEntry (after "PFAD_X_") or a DiskEntry (its leading
// digits); empty when there is none.
std::string_view driveEntryNumber(std::string_view driveEntry);
std::string_view diskEntryNumber(std::string_view diskEntry);

}  // namespace veltra
