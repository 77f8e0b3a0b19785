#include <gtest/gtest.h>

#include "discovery/LocatorEntries.h"
#include "discovery/LoggerLetter.h"

namespace veltra {
namespace {

TEST(ParseHexText, ReadsDigitsOfBothCasesAndSkipsOthers) {
    struct Case {
        const char* text;
        std::uint32_t value;
        const char* skipped;
    };
    const Case cases[] = {
        {"", 0, ""},
        {"2017", 0x2017, ""},
        {"0901", 0x0901, ""},
        {"aBcF", 0xabcf, ""},
        {"20G7", 0x207, "G"},
        {"&PID", 0xd, "&PI"},
        {"ffffffff", 0xffffffff, ""},
    };
    for (const Case& c : cases) {
        std::string skipped;
        EXPECT_EQ(parseHexText(c.text, &skipped), c.value) << c.text;
        EXPECT_EQ(skipped, c.skipped) << c.text;
    }
}

TEST(IsUsbDeviceId, UpperCasesInPlaceAndTestsThePrefix) {
    struct Case {
        const char* id;
        bool usb;
        const char* stored;
    };
    const Case cases[] = {
        {"usb\\vid_2017&pid_0901\\sn01", true, "USB\\VID_2017&PID_0901\\SN01"},
        {"USB\\VID_0781&PID_5567\\X", true, "USB\\VID_0781&PID_5567\\X"},
        {"USBSTOR\\DISK", false, "USBSTOR\\DISK"},
        {"SYSFS\\devices/pci", false, "SYSFS\\DEVICES/PCI"},
        {"USB\\VI", false, "USB\\VI"},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        std::string id = c.id;
        EXPECT_EQ(isUsbDeviceId(id), c.usb) << c.id;
        EXPECT_EQ(id, c.stored) << c.id;
    }
}

TEST(PickLoggerLetter, TakesTheFirstEntryWithBothIds) {
    struct Case {
        std::vector<std::string> entries;
        char letter;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        LetterBuffer letters;
        letters.fill('Q');
        pickLoggerLetter(c.entries, LoggerVendorId, LoggerProductId, letters);
        EXPECT_EQ(letters[0], c.letter) << (c.entries.empty() ? "" : c.entries[0]);
        for (std::size_t i = 1; i < letters.size(); ++i) {
            EXPECT_EQ(letters[i], 0);
        }
    }
}

TEST(ClassifyLoggerDrive, FollowsTheTransitionTable) {
    using enum LocatorState;
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
}

TEST(ClassifyLoggerDrive, AFullBufferWithoutTheRememberedLetterKeepsIt) {
    LetterBuffer letters;
    letters.fill('G');
    letters[25] = 'H';
    char drive = 'E';
    EXPECT_EQ(classifyLoggerDrive(letters, drive), LocatorState::NoLogger);
    EXPECT_EQ(drive, 'E');
    letters[25] = 'E';
    EXPECT_EQ(classifyLoggerDrive(letters, drive), LocatorState::LoggerPresent);
}

TEST(JoinMatchEntries, JoinsOnTheWholeDeviceNumber) {
    const std::vector<std::string> drives = {"PFAD_C_0", "PFAD_E_1", "PFAD_F_12", "PFAD_G_8388624"};
    const std::vector<std::string> disks = {
        "12USB\\VID_2017&PID_0901\\B", "1USB\\VID_2017&PID_0901\\A",
        "8388624USB\\VID_0781&PID_5567\\C", "1USB\\VID_0781&PID_5567\\D"};
    const std::vector<std::string> expected = {
        "PFAD_E\\VID_2017&PID_0901\\A", "PFAD_E\\VID_0781&PID_5567\\D",
        "PFAD_F\\VID_2017&PID_0901\\B", "PFAD_G\\VID_0781&PID_5567\\C"};
    EXPECT_EQ(joinMatchEntries(drives, disks), expected);
}

TEST(JoinMatchEntries, KeepsAtMostTwentySixEntries) {
    std::vector<std::string> drives;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        drives.push_back(std::string("PFAD_") + letter + "_7");
    }
    const std::vector<std::string> disks = {"7USB\\VID_2017&PID_0901\\A",
                                            "7USB\\VID_2017&PID_0901\\B"};
    const auto matches = joinMatchEntries(drives, disks);
    ASSERT_EQ(matches.size(), MaxEntries);
    EXPECT_EQ(matches.back(), "PFAD_O\\VID_2017&PID_0901\\B");
}

}  // namespace
}  // namespace veltra
