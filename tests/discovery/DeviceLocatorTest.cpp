#include <gtest/gtest.h>

#include <sstream>

#include "discovery/DeviceLocator.h"
#include "discovery/LoggerLetter.h"
#include "platform/fake/FakeLocatorPlatform.h"

namespace veltra {
namespace {

using enum LocatorState;

const std::string LoggerId = "USB\\VID_2017&PID_0901\\SN0001";
const std::string OtherLoggerId = "USB\\VID_2017&PID_0901\\SN0002";

// The three calls of one poll tick.
struct Ticker {
    explicit Ticker(LoggerLocator& locator_) : locator(locator_) {}
    LocatorState tick() {
        const auto entries = locator.collectMatchEntries();
        LetterBuffer letters{};
        pickLoggerLetter(entries, LoggerVendorId, LoggerProductId, letters);
        return classifyLoggerDrive(letters, LoggerDrive);
    }
    LoggerLocator& locator;
    char LoggerDrive = 0;
};

class DeviceLocatorTest : public ::testing::Test {
  protected:
    FakeLocatorPlatform platform;
    std::ostringstream console;
    DeviceLocator locator{platform, console};
    Ticker ticker{locator};
};

TEST_F(DeviceLocatorTest, ALoggerArrivesStaysAndLeaves) {
    platform.drives.push_back({'C', DriveType::Fixed, 0, false, "/", false});
    ASSERT_EQ(ticker.tick(), NoLogger);

    platform.plugStick('E', 2, LoggerId);
    EXPECT_EQ(ticker.tick(), LoggerArrived);
    EXPECT_EQ(ticker.LoggerDrive, 'E');
    EXPECT_EQ(ticker.tick(), LoggerPresent);
    EXPECT_EQ(ticker.tick(), LoggerPresent);
    EXPECT_EQ(locator.rootOf('E'), std::filesystem::path("/media/fake/E"));
    EXPECT_EQ(locator.collectMatchEntries(),
              std::vector<std::string>{"PFAD_E\\VID_2017&PID_0901\\SN0001"});

    platform.drives.pop_back();
    platform.disks.pop_back();
    EXPECT_EQ(ticker.tick(), NoLogger);
    EXPECT_EQ(ticker.LoggerDrive, 0);
    EXPECT_EQ(platform.opened, platform.released);
}

TEST_F(DeviceLocatorTest, TwoLoggersTakeTheLowerLetterThenTheOtherAfterItLeaves) {
    platform.plugStick('G', 3, OtherLoggerId);
    platform.plugStick('E', 2, LoggerId);
    EXPECT_EQ(ticker.tick(), LoggerArrived);
    EXPECT_EQ(ticker.LoggerDrive, 'E');
    EXPECT_EQ(ticker.tick(), LoggerPresent);

    platform.drives.erase(platform.drives.begin() + 1);  // E: unplugged, G: stays
    EXPECT_EQ(ticker.tick(), NoLogger);
    EXPECT_EQ(ticker.LoggerDrive, 0);
    EXPECT_EQ(ticker.tick(), LoggerArrived);
    EXPECT_EQ(ticker.LoggerDrive, 'G');
}

TEST_F(DeviceLocatorTest, LowerCaseIdsAreAcceptedAndStoredUpperCased) {
    platform.plugStick('F', 4, "usb\\vid_2017&pid_0901\\sn00ab");
    EXPECT_EQ(locator.collectMatchEntries(),
              std::vector<std::string>{"PFAD_F\\VID_2017&PID_0901\\SN00AB"});
    EXPECT_EQ(ticker.tick(), LoggerArrived);
}

TEST_F(DeviceLocatorTest, ADriveOnDiskOneIsNotJoinedWithDiskTwelve) {
    platform.drives.push_back({'E', DriveType::Removable, 1, false, "/e", false});
    platform.disks.push_back({"d12", LoggerId, 12, false, false});
    EXPECT_TRUE(locator.collectMatchEntries().empty());
    EXPECT_EQ(ticker.tick(), NoLogger);

    platform.disks.push_back({"d1", "USB\\VID_0781&PID_5567\\X", 1, false, false});
    EXPECT_EQ(locator.collectMatchEntries(),
              std::vector<std::string>{"PFAD_E\\VID_0781&PID_5567\\X"});
    EXPECT_EQ(ticker.tick(), NoLogger);
}

TEST_F(DeviceLocatorTest, AnUnreadableParentIdIsReportedEachTickAndTheSearchGoesOn) {
    platform.drives.push_back({'E', DriveType::Removable, 2, false, "/e", false});
    platform.disks.push_back({"d0", std::nullopt, 2, false, false});
    platform.disks.push_back({"d1", LoggerId, 2, false, false});
    EXPECT_EQ(ticker.tick(), LoggerArrived);
    EXPECT_EQ(ticker.tick(), LoggerPresent);
    EXPECT_EQ(console.str(), "   No found ID!\n   No found ID!\n");
}

TEST_F(DeviceLocatorTest, DrivesAndDisksThatFailAreLeftOutAndTheScanGoesOn) {
    using Drive = FakeLocatorPlatform::Drive;
    using Disk = FakeLocatorPlatform::Disk;
    struct Case {
        const char* what;
        std::vector<Drive> drives;
        std::vector<Disk> disks;
        std::vector<std::string> driveEntries;
        std::vector<std::string> diskEntries;
    };
    const Disk logger{"p", LoggerId, 5, false, false};
    const Case cases[] = {
        {"no drive roots", {}, {logger}, {}, {"5" + LoggerId}},
        {"floppy letters and other types",
         {{'A', DriveType::Removable, 5, false, "", false},
          {'B', DriveType::Fixed, 5, false, "", false},
          {'D', DriveType::Other, 5, false, "", false},
          {'E', DriveType::Fixed, 5, false, "", false}},
         {logger},
         {"PFAD_E_5"},
         {"5" + LoggerId}},
        {"a volume that cannot be opened does not end the scan",
         {{'C', DriveType::Fixed, 0, true, "", false},
          {'E', DriveType::Removable, 5, false, "", false}},
         {logger},
         {"PFAD_E_5"},
         {"5" + LoggerId}},
        {"a volume whose number cannot be queried",
         {{'C', DriveType::Fixed, std::nullopt, false, "", false},
          {'E', DriveType::Removable, 5, false, "", false}},
         {logger},
         {"PFAD_E_5"},
         {"5" + LoggerId}},
        {"disks failing detail, open and query, or not on USB",
         {{'E', DriveType::Removable, 5, false, "", false}},
         {{"a", LoggerId, 5, true, false},
          {"b", LoggerId, 5, false, true},
          {"c", LoggerId, std::nullopt, false, false},
          {"d", "SCSI\\DISK&VEN_X\\1", 5, false, false},
          logger},
         {"PFAD_E_5"},
         {"5" + LoggerId}},
    };
    for (const Case& c : cases) {
        platform.drives = c.drives;
        platform.disks = c.disks;
        locator.collectMatchEntries();
        EXPECT_EQ(locator.lastScan().driveEntries, c.driveEntries) << c.what;
        EXPECT_EQ(locator.lastScan().diskEntries, c.diskEntries) << c.what;
        EXPECT_EQ(platform.opened, platform.released) << c.what;
    }
    EXPECT_EQ(console.str(), "");
}

TEST_F(DeviceLocatorTest, DriveEntriesAreInLetterOrderWhateverThePlatformOrder) {
    platform.drives.push_back({'G', DriveType::Removable, 7, false, "", false});
    platform.drives.push_back({'E', DriveType::Removable, 3, false, "", false});
    locator.collectMatchEntries();
    EXPECT_EQ(locator.lastScan().driveEntries, (std::vector<std::string>{"PFAD_E_3", "PFAD_G_7"}));
}

TEST_F(DeviceLocatorTest, AnInterfaceSetThatCannotBeOpenedGivesNoDisks) {
    platform.plugStick('E', 2, LoggerId);
    platform.interfaceSetFails = true;
    EXPECT_EQ(ticker.tick(), NoLogger);
    EXPECT_TRUE(locator.lastScan().diskEntries.empty());
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
