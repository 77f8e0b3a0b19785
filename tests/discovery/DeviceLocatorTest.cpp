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
        {"", 0, ""}, {"aBcF", 0xabcf, ""}, {"&PID", 0xd, "&PI"}, {"ffffffff", 0xffffffff, ""}};
    for (const auto& [text, value, skippedText] : cases) {
        std::string skipped;
        EXPECT_EQ(parseHexText(text, &skipped), value) << text;
        EXPECT_EQ(skipped, skippedText) << text;
    }
}

TEST(PickLoggerLetter, TakesTheFirstEntryWithBothIds) {
    const std::pair<Strings, char> cases[] = {
        {{}, 0},
        {{"PFAD_E\\VID_2017&PID_0901\\SN1"}, 'E'},
        {{"PFAD_E\\VID_2017&PID_0902\\SN1"}, 0},
        {{"PFAD_E\\VID_2018&PID_0901\\SN1"}, 0},
        {{"PFAD_E\\VID_2017\\SN1"}, 0},
        {{"E\\VID_2017&PID_0901\\SN1"}, 0},
        {{"PFAD_E\\VID_0781&PID_5567\\A", "PFAD_G\\VID_2017&PID_0901\\B",
          "PFAD_H\\VID_2017&PID_0901\\C"},
         'G'},
        {{"PFAD_E\\VID_2x017&PID_0901\\A"}, 0},  // four characters are read: "2x01"
        {{"PFAD_F\\VID_201&PID_0901\\A"}, 0},    // "201&" reads as 0x201
        {{"PFAD_F\\VID_2017&PID_901"}, 'F'},
    };
    for (const auto& [entries, letter] : cases) {
        EXPECT_EQ(pickLoggerLetter(entries, LoggerVendorId, LoggerProductId), letter)
            << (entries.empty() ? "" : entries[0]);
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

TEST(JoinMatchEntries, JoinsOnTheWholeDeviceNumberAndKeepsAtMostTwentySix) {
    EXPECT_EQ(joinMatchEntries({"PFAD_C_0", "PFAD_E_1", "PFAD_F_10", "PFAD_G_8388624"},
                               {"10USB\\VID_2017&PID_0901\\B", "1USB\\VID_2017&PID_0901\\A",
                                "8388624USB\\VID_0781&PID_5567\\C", "1USB\\VID_0781&PID_5567\\D"}),
              (Strings{"PFAD_E\\VID_2017&PID_0901\\A", "PFAD_E\\VID_0781&PID_5567\\D",
                       "PFAD_F\\VID_2017&PID_0901\\B", "PFAD_G\\VID_0781&PID_5567\\C"}));
    // Too short to hold "USB" after the number; just long enough.
    EXPECT_EQ(joinMatchEntries({"PFAD_C_7"}, {"7US", "7", "7USB"}), Strings{"PFAD_C"});

    Strings drives;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        drives.push_back(std::string("PFAD_") + letter + "_7");
    }
    const auto matches =
        joinMatchEntries(drives, {"7USB\\VID_2017&PID_0901\\A", "7USB\\VID_2017&PID_0901\\B"});
    ASSERT_EQ(matches.size(), MaxEntries);
    EXPECT_EQ(matches.back(), "PFAD_O\\VID_2017&PID_0901\\B");
}

TEST(DeviceLocator, DrivesAndDisksThatFailAreLeftOutAndTheScanGoesOn) {
    using Drive = FakeLocatorPlatform::Drive;
    const auto drive = [](char letter, DriveType type, std::optional<std::uint32_t> number,
                          bool openFails = false) {
        return Drive{letter, type, number, openFails, "", false};
    };
    const Drive e = drive('E', DriveType::Removable, 5);
    const std::pair<std::vector<Drive>, Strings> cases[] = {
        {{}, {}},
        {{drive('A', DriveType::Removable, 5), drive('B', DriveType::Fixed, 5),
          drive('D', DriveType::Other, 5), e},
         {"PFAD_E_5"}},
        {{drive('C', DriveType::Fixed, 0, true), e}, {"PFAD_E_5"}},
        {{drive('C', DriveType::Fixed, std::nullopt), e}, {"PFAD_E_5"}},
        {{drive('G', DriveType::Removable, 7), e}, {"PFAD_E_5", "PFAD_G_7"}},
    };
    const std::string loggerId = "usb\\vid_2017&pid_0901\\sn0001";  // read in upper case
    const std::string upper = "USB\\VID_2017&PID_0901\\SN0001";
    // Disks failing detail, open and query, or not on USB, before the logger's disk; one
    // whose parent id cannot be read after it.
    FakeLocatorPlatform platform;
    platform.disks = {{"a", loggerId, 5, true, false},
                      {"b", loggerId, 5, false, true},
                      {"c", loggerId, std::nullopt, false, false},
                      {"d", "SCSI\\DISK&VEN_X\\1", 5, false, false},
                      {"p", loggerId, 5, false, false},
                      {"e", std::nullopt, 5, false, false}};
    std::ostringstream console;
    DeviceLocator locator{platform, console};
    for (const auto& [drives, entries] : cases) {
        platform.drives = drives;
        console.str("");
        locator.collectMatchEntries();
        EXPECT_EQ(locator.lastScan().driveEntries, entries) << drives.size();
        EXPECT_EQ(locator.lastScan().diskEntries, Strings{"5" + upper});
        EXPECT_EQ(platform.opened, platform.released);
        EXPECT_EQ(console.str(), "   No found ID!\n");  // on every search
    }
    EXPECT_EQ(
        locator.lastScan().notes,
        (Strings{"disk 0: detail cannot be fetched", "disk 1 (" + upper + "): cannot be opened",
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
