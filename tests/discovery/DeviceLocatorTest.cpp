#include <gtest/gtest.h>

#include <algorithm>
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

const std::string LoggerId = "USB\\VID_2017&PID_0901\\SN0001";

TEST(ParseHexText, ReadsDigitsOfBothCasesAndOnlySkipsOthers) {
    // Runs inside the tick: a bad character is skipped and handed to a caller who asks.
    struct Case {
        const char* text;
        std::uint32_t value;
        const char* skipped;
    };
    const Case cases[] = {
        {"", 0, ""},          {"aBcF", 0xabcf, ""},         {"20G7", 0x207, "G"},
        {"&PID", 0xd, "&PI"}, {"ffffffff", 0xffffffff, ""},
    };
    for (const Case& c : cases) {
        std::string skipped;
        EXPECT_EQ(parseHexText(c.text, &skipped), c.value) << c.text;
        EXPECT_EQ(skipped, c.skipped) << c.text;
    }
}

TEST(IsUsbDeviceId, UpperCasesInPlaceAndTestsThePrefix) {
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"usb\\vid_2017&pid_0901\\sn01", true, "USB\\VID_2017&PID_0901\\SN01"},
        {"USBSTOR\\DISK", false, "USBSTOR\\DISK"},
        {"SYSFS\\devices/pci", false, "SYSFS\\DEVICES/PCI"},
        {"USB\\VI", false, "USB\\VI"},
        {"", false, ""},
    };
    for (const auto& [id, usb, stored] : cases) {
        std::string text = id;
        EXPECT_EQ(isUsbDeviceId(text), usb) << id;
        EXPECT_EQ(text, stored) << id;
    }
}

TEST(PickLoggerLetter, TakesTheFirstEntryWithBothIds) {
    const std::pair<Strings, char> cases[] = {
        {{}, 0},
        {{"PFAD_E\\VID_2017&PID_0901\\SN1"}, 'E'},
        {{"PFAD_E\\VID_2017&PID_0902\\SN1"}, 0},  // other product
        {{"PFAD_E\\VID_2018&PID_0901\\SN1"}, 0},  // other vendor
        {{"PFAD_E\\VID_2017\\SN1"}, 0},           // no product id at all
        {{"PFAD_E\\VID_0781&PID_5567\\A", "PFAD_G\\VID_2017&PID_0901\\B",
          "PFAD_H\\VID_2017&PID_0901\\C"},
         'G'},
        {{"PFAD_E\\VID_2x017&PID_0901\\A"}, 0},  // four characters are read: "2x01"
        {{"PFAD_F\\VID_201&PID_0901\\A"}, 0},    // "201&" reads as 0x201
        {{"PFAD_F\\VID_2017&PID_901"}, 'F'},     // shorter text at the end
    };
    for (const auto& [entries, letter] : cases) {
        LetterBuffer letters;
        letters.fill('Q');
        pickLoggerLetter(entries, LoggerVendorId, LoggerProductId, letters);
        EXPECT_EQ(letters[0], letter) << (entries.empty() ? "" : entries[0]);
        EXPECT_EQ(std::count(letters.begin(), letters.end(), 0), letter ? 25 : 26);
    }
}

TEST(ClassifyLoggerDrive, FollowsTheTransitionTable) {
    struct Case {
        char before;
        char found;
        LocatorState state;
        char after;
    };
    const Case cases[] = {
        {0, 0, NoLogger, 0},   {0, 'E', LoggerArrived, 'E'}, {'E', 'E', LoggerPresent, 'E'},
        {'E', 0, NoLogger, 0}, {'E', 'G', NoLogger, 0},
    };
    for (const Case& c : cases) {
        LetterBuffer letters{};
        letters[0] = c.found;
        char drive = c.before;
        EXPECT_EQ(classifyLoggerDrive(letters, drive), c.state) << c.before << "/" << c.found;
        EXPECT_EQ(drive, c.after) << c.before << "/" << c.found;
    }

    // A full buffer without the remembered letter keeps it.
    LetterBuffer letters;
    letters.fill('G');
    letters[25] = 'H';
    char drive = 'E';
    EXPECT_EQ(classifyLoggerDrive(letters, drive), NoLogger);
    EXPECT_EQ(drive, 'E');
    letters[25] = 'E';
    EXPECT_EQ(classifyLoggerDrive(letters, drive), LoggerPresent);
}

TEST(JoinMatchEntries, JoinsOnTheWholeDeviceNumberAndKeepsAtMostTwentySix) {
    // The drive on disk 1 is not joined with disk 12.
    EXPECT_EQ(joinMatchEntries({"PFAD_C_0", "PFAD_E_1", "PFAD_F_12", "PFAD_G_8388624"},
                               {"12USB\\VID_2017&PID_0901\\B", "1USB\\VID_2017&PID_0901\\A",
                                "8388624USB\\VID_0781&PID_5567\\C", "1USB\\VID_0781&PID_5567\\D"}),
              (Strings{"PFAD_E\\VID_2017&PID_0901\\A", "PFAD_E\\VID_0781&PID_5567\\D",
                       "PFAD_F\\VID_2017&PID_0901\\B", "PFAD_G\\VID_0781&PID_5567\\C"}));

    Strings drives;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        drives.push_back(std::string("PFAD_") + letter + "_7");
    }
    const auto matches =
        joinMatchEntries(drives, {"7USB\\VID_2017&PID_0901\\A", "7USB\\VID_2017&PID_0901\\B"});
    ASSERT_EQ(matches.size(), MaxEntries);
    EXPECT_EQ(matches.back(), "PFAD_O\\VID_2017&PID_0901\\B");
}

class DeviceLocatorTest : public ::testing::Test {
  protected:
    // The three calls of one poll tick.
    LocatorState tick() {
        LetterBuffer letters{};
        pickLoggerLetter(locator.collectMatchEntries(), LoggerVendorId, LoggerProductId, letters);
        return classifyLoggerDrive(letters, loggerDrive);
    }

    FakeLocatorPlatform platform;
    std::ostringstream console;
    DeviceLocator locator{platform, console};
    char loggerDrive = 0;
};

TEST_F(DeviceLocatorTest, ALoggerArrivesStaysAndLeaves) {
    platform.drives.push_back({'C', DriveType::Fixed, 0, false, "/", false});
    ASSERT_EQ(tick(), NoLogger);

    platform.plugStick('E', 2, LoggerId);
    EXPECT_EQ(tick(), LoggerArrived);
    EXPECT_EQ(loggerDrive, 'E');
    EXPECT_EQ(tick(), LoggerPresent);
    EXPECT_EQ(tick(), LoggerPresent);
    EXPECT_EQ(locator.rootOf('E'), std::filesystem::path("/media/fake/E"));
    EXPECT_EQ(locator.collectMatchEntries(), Strings{"PFAD_E\\VID_2017&PID_0901\\SN0001"});

    platform.drives.pop_back();
    platform.disks.pop_back();
    EXPECT_EQ(tick(), NoLogger);
    EXPECT_EQ(loggerDrive, 0);
    EXPECT_EQ(platform.opened, platform.released);
}

TEST_F(DeviceLocatorTest, TwoLoggersTakeTheLowerLetterThenTheOtherAfterItLeaves) {
    platform.plugStick('G', 3, "USB\\VID_2017&PID_0901\\SN0002");
    platform.plugStick('E', 2, LoggerId);
    EXPECT_EQ(tick(), LoggerArrived);
    EXPECT_EQ(loggerDrive, 'E');
    EXPECT_EQ(tick(), LoggerPresent);

    platform.drives.erase(platform.drives.begin() + 1);  // E: unplugged, G: stays
    EXPECT_EQ(tick(), NoLogger);
    EXPECT_EQ(loggerDrive, 0);
    EXPECT_EQ(tick(), LoggerArrived);
    EXPECT_EQ(loggerDrive, 'G');
}

TEST_F(DeviceLocatorTest, LowerCaseIdsAreAcceptedAndStoredUpperCased) {
    platform.plugStick('F', 4, "usb\\vid_2017&pid_0901\\sn00ab");
    EXPECT_EQ(locator.collectMatchEntries(), Strings{"PFAD_F\\VID_2017&PID_0901\\SN00AB"});
    EXPECT_EQ(tick(), LoggerArrived);
}

TEST_F(DeviceLocatorTest, AnUnreadableParentIdIsReportedEachTickAndTheSearchGoesOn) {
    platform.drives.push_back({'E', DriveType::Removable, 2, false, "/e", false});
    platform.disks.push_back({"d0", std::nullopt, 2, false, false});
    platform.disks.push_back({"d1", LoggerId, 2, false, false});
    EXPECT_EQ(tick(), LoggerArrived);
    EXPECT_EQ(tick(), LoggerPresent);
    EXPECT_EQ(console.str(), "   No found ID!\n   No found ID!\n");
}

TEST_F(DeviceLocatorTest, DrivesAndDisksThatFailAreLeftOutAndTheScanGoesOn) {
    using Drive = FakeLocatorPlatform::Drive;
    using Disk = FakeLocatorPlatform::Disk;
    struct Case {
        const char* what;
        std::vector<Drive> drives;
        std::vector<Disk> disks;
        Strings driveEntries;
        bool interfaceSetFails = false;
    };
    const Disk logger{"p", LoggerId, 5, false, false};
    const Drive e{'E', DriveType::Removable, 5, false, "", false};
    const Case cases[] = {
        {"no drive roots", {}, {logger}, {}, false},
        {"floppy letters and other types",
         {{'A', DriveType::Removable, 5, false, "", false},
          {'B', DriveType::Fixed, 5, false, "", false},
          {'D', DriveType::Other, 5, false, "", false},
          e},
         {logger},
         {"PFAD_E_5"},
         false},
        {"a volume that cannot be opened does not end the scan",
         {{'C', DriveType::Fixed, 0, true, "", false}, e},
         {logger},
         {"PFAD_E_5"},
         false},
        {"a volume whose number cannot be queried",
         {{'C', DriveType::Fixed, std::nullopt, false, "", false}, e},
         {logger},
         {"PFAD_E_5"},
         false},
        {"disks failing detail, open and query, or not on USB",
         {e},
         {{"a", LoggerId, 5, true, false},
          {"b", LoggerId, 5, false, true},
          {"c", LoggerId, std::nullopt, false, false},
          {"d", "SCSI\\DISK&VEN_X\\1", 5, false, false},
          logger},
         {"PFAD_E_5"},
         false},
        {"drives in letter order whatever the platform order",
         {{'G', DriveType::Removable, 7, false, "", false}, e},
         {logger},
         {"PFAD_E_5", "PFAD_G_7"},
         false},
        {"an interface set that cannot be opened gives no disks",
         {e},
         {logger},
         {"PFAD_E_5"},
         true},
    };
    for (const Case& c : cases) {
        platform.drives = c.drives;
        platform.disks = c.disks;
        platform.interfaceSetFails = c.interfaceSetFails;
        locator.collectMatchEntries();
        EXPECT_EQ(locator.lastScan().driveEntries, c.driveEntries) << c.what;
        EXPECT_EQ(locator.lastScan().diskEntries,
                  c.interfaceSetFails ? Strings{} : Strings{"5" + LoggerId})
            << c.what;
        EXPECT_EQ(platform.opened, platform.released) << c.what;
    }
    EXPECT_EQ(console.str(), "");
}

TEST_F(DeviceLocatorTest, SurplusDisksAreIgnored) {
    for (std::uint32_t i = 0; i < 30; ++i) {
        platform.disks.push_back(
            {"d", "USB\\VID_0781&PID_5567\\" + std::to_string(i), i, false, false});
    }
    locator.collectMatchEntries();
    EXPECT_EQ(locator.lastScan().diskEntries.size(), MaxEntries);
    EXPECT_EQ(platform.opened, platform.released);
}

}  // namespace
}  // namespace veltra
