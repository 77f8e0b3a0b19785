#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "discovery/DeviceLocator.h"
#include "discovery/LocatorEntries.h"
#include "discovery/LoggerLetter.h"
#include "platform/fake/FakeLocatorPlatform.h"

namespace veltra {
namespace {

using enum LocatorState;
using Strings = std::vector<std::string>;

TEST(ParseHexText, ReadsDigitsOfBothCasesAndOnlySkipsOthers) {
    const std::tuple<const char*, std::uint32_t, const char*> cases[] = {
        {"", 0, ""}, {"aBcFAf09", 0xabcfaf09, ""}, {"&PID", 0xd, "&PI"}};
    for (const auto& [text, value, skippedText] : cases) {
        std::string skipped;
        EXPECT_EQ(parseHexText(text, &skipped), value) << text;
        EXPECT_EQ(skipped, skippedText) << text;
    }
}

TEST(ClassifyLoggerDrive, FollowsTheTransitionTable) {
    // Letter remembered before, letter found, state, letter remembered after.
    const std::tuple<char, char, LocatorState, char> cases[] = {
        {0, 0, NoLogger, 0},   {0, 'E', LoggerArrived, 'E'}, {'E', 'E', LoggerPresent, 'E'},
        {'E', 0, NoLogger, 0}, {'E', 'G', NoLogger, 0},
    };
    for (const auto& [before, found, state, after] : cases) {
        char drive = before;
        EXPECT_EQ(classifyLoggerDrive(found, drive), state) << before << "/" << found;
        EXPECT_EQ(drive, after) << before << "/" << found;
    }
}

TEST(DeviceLocator, DrivesAndDisksThatFailAreLeftOutAndTheScanGoesOn) {
    const std::string id = "usb\\vid_2017&pid_0901\\sn0001";  // read in upper case
    const std::string upper = "USB\\VID_2017&PID_0901\\SN0001";
    FakeLocatorPlatform platform;
    std::ostringstream console;
    DeviceLocator locator{platform, console};
    EXPECT_TRUE(locator.collectMatchEntries().empty());
    // Floppy letters, drives of another type or failing open and query, before and after the
    // logger's; disks failing detail, open and query, or not on USB, before the logger's disk
    // and one whose parent id cannot be read after it.
    platform.drives = {{'G', DriveType::Removable, 7, false, "", false},
                       {'A', DriveType::Removable, 5, false, "", false},
                       {'B', DriveType::Fixed, 5, false, "", false},
                       {'D', DriveType::Other, 5, false, "", false},
                       {'C', DriveType::Fixed, 5, true, "", false},
                       {'F', DriveType::Fixed, std::nullopt, false, "", false},
                       {'E', DriveType::Removable, 5, false, "", false}};
    platform.disks = {{"a", id, 5, true, false},
                      {"b", id, 5, false, true},
                      {"c", id, std::nullopt, false, false},
                      {"d", "SCSI\\DISK&VEN_X\\1", 5, false, false},
                      {"p", id, 5, false, false},
                      {"e", std::nullopt, 5, false, false}};
    EXPECT_EQ(locator.collectMatchEntries(), Strings{"PFAD_E\\VID_2017&PID_0901\\SN0001"});
    EXPECT_EQ(locator.lastScan().driveEntries, (Strings{"PFAD_E_5", "PFAD_G_7"}));
    EXPECT_EQ(locator.lastScan().diskEntries, Strings{"5" + upper});
    EXPECT_EQ(
        locator.lastScan().notes,
        (Strings{"drive C: cannot be opened", "drive D: neither removable nor fixed",
                 "drive F: device number cannot be queried", "disk 0: detail cannot be fetched",
                 "disk 1 (" + upper + "): cannot be opened",
                 "disk 2 (" + upper + "): device number cannot be queried",
                 "disk 3 (d): no USB parent (SCSI\\DISK&VEN_X\\1)",
                 "disk 5 (e): parent id cannot be read"}));

    platform.disks.clear();
    for (std::uint32_t i = 0; i < 30; ++i) {
        platform.disks.push_back({"d", upper + std::to_string(i), i, false, false});
    }
    locator.collectMatchEntries();
    EXPECT_EQ(locator.lastScan().diskEntries.size(), MaxEntries);
    platform.interfaceSetFails = true;
    locator.collectMatchEntries();
    EXPECT_TRUE(locator.lastScan().diskEntries.empty());
    EXPECT_EQ(platform.opened, platform.released);
}

}  // namespace
}  // namespace veltra
