#include <gtest/gtest.h>

#include "logger/CfgRecord.h"

namespace veltra {
namespace {

TEST(CfgRecord, EndRecordChecksumFollowsKind) {
    for (auto [version, kind, checksum] : {std::tuple{35, 0xFF, 0x58}, std::tuple{36, 0x82, 0xDB}}) {
        std::vector<std::uint8_t> out;
        EXPECT_EQ(buildCfgRecord(out, cfg_tag::End, {}, static_cast<std::uint8_t>(version)), 5u);
        EXPECT_EQ(out, (std::vector<std::uint8_t>{0x55, 0x05, static_cast<std::uint8_t>(kind), 0xFF,
                                                  static_cast<std::uint8_t>(checksum)}));
    }
}

}  // namespace
}  // namespace veltra
