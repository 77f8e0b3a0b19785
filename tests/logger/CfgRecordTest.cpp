#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logger/CfgRecord.h"
#include "support/SampleSettings.h"

namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(CfgRecord, ConfigFileHoldsTheRecordsInOrder) {
    const LoggerParameters p = test::sampleParameters();
    using namespace std::string_literals;
    const auto textOf = [](const auto& field) { return std::string(field.begin(), field.end()); };
    const std::string zero = "\0\0\0\0"s, name = textOf(p.deviceName), web = textOf(p.website);
    const std::string info = textOf(p.userInfo), mark = textOf(p.trademark);
    const std::string clock = "\x18\x02\x1D\x13\x1E\x0F";  // 24-02-29 19:30:15
    // Text fields travel at full width, bytes behind the terminator too.
    const std::pair<int, std::string> table[] = {
        {13, "\x01"},         {21, name},         {25, info},
        {45, mark},           {3, clock},         {15, "\x01"},
        {6, "\x18\x15\0\0"s}, {8, "\x3C\0\0\0"s}, {9, "\xF4\x01"},
        {11, "\xE0\xFC"},     {51, "\xEE\x02"},   {53, "\xFA\0"s},
        {61, "\x03"},         {67, "\xFD\xE2"},   {68, "\x02"},
        {60, "\x2D\0"s},      {66, "\x0C\0"s},    {23, web},
        {47, zero},           {49, zero},         {55, zero},
        {57, zero},           {255, ""}};
    for (auto [version, kind] : {std::pair{35, 0xFF}, std::pair{36, 0x82}, std::pair{255, 0x82}}) {
        const Bytes file = buildConfigFile(p, static_cast<std::uint8_t>(version));
        EXPECT_EQ(file.size(), ConfigFileSize);
        // Parsing checks every frame and checksum and gives the records back in order.
        const auto parsed = parseCfgRecords(file);
        ASSERT_TRUE(parsed);
        ASSERT_EQ(parsed->size(), std::size(table));
        for (std::size_t i = 0; i < std::size(table); ++i) {
            SCOPED_TRACE(testing::Message() << "record " << i << " version " << version);
            EXPECT_EQ((*parsed)[i].kind, kind);
            EXPECT_EQ((*parsed)[i].tag, table[i].first);
            EXPECT_EQ(std::string((*parsed)[i].data.begin(), (*parsed)[i].data.end()),
                      table[i].second);
        }
        // The identification and the carried values are not the tool's to write.
        const std::string text(file.begin(), file.end());
        EXPECT_EQ(text.find("ID-never"), std::string::npos);
        EXPECT_EQ(text.find("\x11\x11\x11\x11"), std::string::npos);
    }
    EXPECT_TRUE(parseCfgRecords({}).has_value());
}

TEST(CfgRecord, UpgradeFilesAreByteExact) {
    const Bytes oldKind{0x55, 0x0D, 0xFF, 0x64, 0x41, 0x50, 0x50, 0x2E, 0x42,
                        0x49, 0x4E, 0x00, 0xAD, 0x55, 0x05, 0xFF, 0xFF, 0x58};
    const Bytes newKind{0x55, 0x0D, 0x82, 0x64, 0x41, 0x50, 0x50, 0x2E, 0x42,
                        0x49, 0x4E, 0x00, 0x30, 0x55, 0x05, 0x82, 0xFF, 0xDB};
    EXPECT_EQ(buildUpgradeConfigFile(35), oldKind);
    EXPECT_EQ(buildUpgradeConfigFile(36), newKind);
}

}  // namespace
}  // namespace veltra
