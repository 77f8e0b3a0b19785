#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "logger/CfgRecord.h"
#include "support/SampleSettings.h"

namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
Bytes bytesOf(const std::array<std::uint8_t, N>& field) {
    return Bytes(field.begin(), field.end());
}

// The record that starts at `offset` in a file.
Bytes recordAt(const Bytes& file, std::size_t offset) {
    return Bytes(file.begin() + static_cast<long>(offset),
                 file.begin() + static_cast<long>(offset + file[offset + 1]));
}

TEST(CfgRecord, EndRecordChecksumFollowsKind) {
    for (auto [version, kind, checksum] :
         {std::tuple{35, 0xFF, 0x58}, std::tuple{36, 0x82, 0xDB}}) {
        std::vector<std::uint8_t> out;
        EXPECT_EQ(buildCfgRecord(out, cfg_tag::End, {}, static_cast<std::uint8_t>(version)), 5u);
        EXPECT_EQ(out, (std::vector<std::uint8_t>{0x55, 0x05, static_cast<std::uint8_t>(kind), 0xFF,
                                                  static_cast<std::uint8_t>(checksum)}));
    }
}

TEST(CfgRecord, KnownRecordsAreByteExact) {
    LoggerParameters p = test::sampleParameters();
    p.pdfLanguage = 1;
    p.sampleInterval = 60;
    p.highTempAlarm = -800;
    p.utcOffsetHours = -3;
    p.utcOffsetMinutes = -30;
    const Bytes file = buildConfigFile(p, 36);
    const struct {
        std::size_t offset;
        Bytes record;
    } cases[] = {
        {0, {0x55, 0x06, 0x82, 0x0D, 0x01, 0xEB}},
        {187, {0x55, 0x09, 0x82, 0x08, 0x3C, 0x00, 0x00, 0x00, 0x24}},
        {196, {0x55, 0x07, 0x82, 0x09, 0xE0, 0xFC, 0xC3}},
        {230, {0x55, 0x07, 0x82, 0x43, 0xFD, 0xE2, 0x00}},
        {348, {0x55, 0x05, 0x82, 0xFF, 0xDB}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(recordAt(file, c.offset), c.record) << "record at " << c.offset;
    }
}

TEST(CfgRecord, ChecksumIsTheByteSumModulo256) {
    const Bytes bytes{0xFF, 0x02, 0x80, 0x80};
    EXPECT_EQ(cfgChecksum(bytes), 0x01);
    EXPECT_EQ(cfgChecksum({}), 0x00);
    const Bytes many(1000, 0xFF);  // 255000 = 996 * 256 + 24
    EXPECT_EQ(cfgChecksum(many), 24);
}

TEST(CfgRecord, LongestRecordHoldsTwoHundredFiftyBytes) {
    Bytes out{0xAA};  // appends after what is there
    const Bytes data(250, 0x01);
    EXPECT_EQ(buildCfgRecord(out, 7, data, 30), 255u);
    ASSERT_EQ(out.size(), 256u);
    EXPECT_EQ(out[0], 0xAA);
    EXPECT_EQ(out[2], 0xFF);
    // 0x55 + 0xFF + 0xFF + 7 + 250 = 852 = 3 * 256 + 84
    EXPECT_EQ(out.back(), 84);
}

TEST(CfgRecord, ConfigFileHasEveryRecordAtItsOffset) {
    const LoggerParameters p = test::sampleParameters();
    const Bytes zeros(4, 0);
    const struct {
        std::uint8_t tag;
        std::size_t offset;
        Bytes data;
    } table[] = {
        {13, 0, {0x01}},
        {21, 6, bytesOf(p.deviceName)},
        {25, 31, bytesOf(p.userInfo)},
        {45, 136, bytesOf(p.trademark)},
        {3, 161, {24, 2, 29, 19, 30, 15}},
        {15, 172, {0x01}},
        {6, 178, {0x18, 0x15, 0x00, 0x00}},
        {8, 187, {0x3C, 0x00, 0x00, 0x00}},
        {9, 196, {0xF4, 0x01}},
        {11, 203, {0xE0, 0xFC}},
        {51, 210, {0xEE, 0x02}},
        {53, 217, {0xFA, 0x00}},
        {61, 224, {0x03}},
        {67, 230, {0xFD, 0xE2}},
        {68, 237, {0x02}},
        {60, 243, {0x2D, 0x00}},
        {66, 250, {0x0C, 0x00}},
        {23, 257, bytesOf(p.website)},
        {47, 312, zeros},
        {49, 321, zeros},
        {55, 330, zeros},
        {57, 339, zeros},
        {255, 348, {}},
    };
    for (auto [version, kind] : {std::pair{35, 0xFF}, std::pair{36, 0x82}, std::pair{255, 0x82}}) {
        const Bytes file = buildConfigFile(p, static_cast<std::uint8_t>(version));
        ASSERT_EQ(file.size(), ConfigFileSize);
        for (const auto& row : table) {
            SCOPED_TRACE(testing::Message() << "tag " << int(row.tag) << " version " << version);
            const Bytes record = recordAt(file, row.offset);
            ASSERT_EQ(record.size(), row.data.size() + 5);
            EXPECT_EQ(record[0], 0x55);
            EXPECT_EQ(record[2], kind);
            EXPECT_EQ(record[3], row.tag);
            EXPECT_EQ(Bytes(record.begin() + 4, record.end() - 1), row.data);
            unsigned sum = 0;
            for (std::size_t i = 0; i + 1 < record.size(); ++i) {
                sum += record[i];
            }
            EXPECT_EQ(record.back(), sum % 256);
        }
    }
}

TEST(CfgRecord, TextFieldsTravelAtFullWidth) {
    const Bytes file = buildConfigFile(test::sampleParameters(), 40);
    const std::string text(file.begin(), file.end());
    // Bytes behind the terminators travel with their fields.
    EXPECT_EQ(text.substr(10, 20), std::string("Cold room\0nnnnnnnnnn", 20));
    EXPECT_EQ(text.substr(261, 50), std::string("www.example.com\0", 16) + std::string(34, 'w'));
    EXPECT_EQ(text.substr(140, 20), "TRADEMARK-20-BYTES!!");
    // The identification and the carried values are not the tool's to write.
    EXPECT_EQ(text.find("ID-never"), std::string::npos);
    EXPECT_EQ(text.find("\x11\x11\x11\x11"), std::string::npos);
}

TEST(CfgRecord, UpgradeFilesAreByteExact) {
    const Bytes oldKind{0x55, 0x0D, 0xFF, 0x64, 0x41, 0x50, 0x50, 0x2E, 0x42,
                        0x49, 0x4E, 0x00, 0xAD, 0x55, 0x05, 0xFF, 0xFF, 0x58};
    const Bytes newKind{0x55, 0x0D, 0x82, 0x64, 0x41, 0x50, 0x50, 0x2E, 0x42,
                        0x49, 0x4E, 0x00, 0x30, 0x55, 0x05, 0x82, 0xFF, 0xDB};
    EXPECT_EQ(buildUpgradeConfigFile(32), oldKind);
    EXPECT_EQ(buildUpgradeConfigFile(35), oldKind);
    EXPECT_EQ(buildUpgradeConfigFile(36), newKind);
    EXPECT_EQ(buildUpgradeConfigFile(47), newKind);
    EXPECT_EQ(newKind.size(), UpgradeConfigFileSize);
}

TEST(CfgRecord, ParsingGivesBackWhatWasBuilt) {
    const LoggerParameters p = test::sampleParameters();
    const auto records = parseCfgRecords(buildConfigFile(p, 36));
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 23u);
    const std::uint8_t tags[] = {13, 21, 25, 45, 3,  15, 6,  8,  9,  11, 51, 53,
                                 61, 67, 68, 60, 66, 23, 47, 49, 55, 57, 255};
    for (std::size_t i = 0; i < 23; ++i) {
        EXPECT_EQ((*records)[i].tag, tags[i]);
        EXPECT_EQ((*records)[i].kind, 0x82);
    }
    EXPECT_EQ((*records)[1].data, bytesOf(p.deviceName));
    EXPECT_TRUE((*records)[22].data.empty());

    const auto upgrade = parseCfgRecords(buildUpgradeConfigFile(33));
    ASSERT_TRUE(upgrade);
    ASSERT_EQ(upgrade->size(), 2u);
    EXPECT_EQ((*upgrade)[0].tag, cfg_tag::Upgrade);
    EXPECT_EQ((*upgrade)[0].data, (Bytes{'A', 'P', 'P', '.', 'B', 'I', 'N', 0}));
    EXPECT_EQ((*upgrade)[0].kind, 0xFF);

    EXPECT_TRUE(parseCfgRecords({}).has_value());
}

TEST(CfgRecord, BrokenFramingIsRefused) {
    const Bytes good = buildUpgradeConfigFile(40);
    const struct {
        const char* what;
        std::function<void(Bytes&)> breakIt;
    } cases[] = {
        {"bad start byte", [](Bytes& b) { b[13] = 0x56; }},
        {"bad checksum", [](Bytes& b) { b[12] ^= 1; }},
        {"data byte changed", [](Bytes& b) { b[5] = 'Q'; }},
        {"length below the frame", [](Bytes& b) { b[1] = 4; }},
        {"length past the end", [](Bytes& b) { b[14] = 6; }},
        {"cut short", [](Bytes& b) { b.pop_back(); }},
        {"cut inside the frame", [](Bytes& b) { b.resize(16); }},
        {"a byte left over", [](Bytes& b) { b.push_back(0x55); }},
        {"zero length", [](Bytes& b) { b[1] = 0; }},
    };
    for (const auto& c : cases) {
        Bytes bad = good;
        c.breakIt(bad);
        EXPECT_FALSE(parseCfgRecords(bad).has_value()) << c.what;
    }
}

}  // namespace
}  // namespace veltra
