// The texts that the locator reads from sysfs and builds from them: block numbers, USB
// device ids, and the disk and match entries made of them. Each line of the input is one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "discovery/LocatorEntries.h"
#include "discovery/LoggerLetter.h"
#include "platform/linux/SysfsBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltra;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    // As the locator builds them: a disk entry for each id that names a USB device, on one of
    // three disks, and a drive on each of those disks.
    std::vector<std::string> disks;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        parseBlockNumber(line);
        entryUsbIds(line);
        driveEntryNumber(line);
        diskEntryNumber(line);
        std::string id = line;
        if (isUsbDeviceId(id)) {
            disks.push_back(std::to_string(i % 3) + id);
        }
        FUZZ_CHECK(id.size() == line.size());
    }
    const std::vector<std::string> drives = {"PFAD_E_0", "PFAD_F_1", "PFAD_G_2"};
    const char found =
        pickLoggerLetter(joinMatchEntries(drives, disks), LoggerVendorId, LoggerProductId);
    char remembered = 0;
    classifyLoggerDrive(found, remembered);
    return 0;
}
