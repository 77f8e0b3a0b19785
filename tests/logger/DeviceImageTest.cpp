#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "logger/DeviceImage.h"

namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Writes fields into an image of DAT.SRC and seals it with its checksum word.
struct ImageBuilder {
    Bytes bytes;
    explicit ImageBuilder(std::size_t size = 640) : bytes(size) {}

    // Little-endian, `width` bytes.
    ImageBuilder& le(std::size_t at, std::uint32_t v, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i) {
            bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
        return *this;
    }
    ImageBuilder& u8(std::size_t at, std::uint8_t v) { return le(at, v, 1); }
    ImageBuilder& u16(std::size_t at, std::uint16_t v) { return le(at, v, 2); }
    ImageBuilder& u32(std::size_t at, std::uint32_t v) { return le(at, v, 4); }
    ImageBuilder& text(std::size_t at, const std::string& t) {
        std::memcpy(&bytes[at], t.data(), t.size());
        return *this;
    }
    // The last word becomes the sum of the others, computed here word by word.
    Bytes sealed() {
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i + 4 < bytes.size(); i += 4) {
            sum += bytes[i] + (bytes[i + 1] << 8) + (bytes[i + 2] << 16) +
                   (std::uint64_t{bytes[i + 3]} << 24);
        }
        u32(bytes.size() - 4, static_cast<std::uint32_t>(sum));
        return bytes;
    }
};

// Records filled with marker values, so that any write by the parser shows.
struct Records {
    DeviceInfo info;
    LoggerParameters params;
    Records() {
        std::memset(static_cast<void*>(&info), 0x5A, sizeof info);
        std::memset(static_cast<void*>(&params), 0x5A, sizeof params);
    }
    ImageVerdict parse(std::span<const std::uint8_t> image, std::int32_t hostOffset = 0) {
        return parseDeviceImage(image, hostOffset, info, params);
    }
    // The clock and the carried blocks, never written by the parser.
    auto carried() const { return std::tuple(params.clock, params.reserved0, params.reserved5); }
    bool unchanged() const {
        Records fresh;
        return std::memcmp(&info, &fresh.info, sizeof info) == 0 && params == fresh.params;
    }
};

// Size and checksum decide acceptance. A refused image changes nothing, but one too short takes
// the version bytes that lie within it; those beyond it hold an earlier read's 99 and 98.
TEST(DeviceImage, SizeAndChecksumDecideAcceptance) {
    using enum ImageVerdict;
    const struct {
        const char* what;
        Bytes image;
        ImageVerdict verdict;
        int version = 0x5A, revision = 0x5A;  // when refused
    } cases[] = {
        {"639 bytes", Bytes(639), NotWholeWords},
        {"644 sealed", ImageBuilder(644).sealed(), Accepted},
        {"empty", Bytes{}, Empty},
        {"one zero word", Bytes(4), TooShort},
        {"one non-zero word", Bytes{1, 0, 0, 0}, ChecksumMismatch},
        {"16 sealed", ImageBuilder(16).u8(5, 0xFF).u32(12, 77).sealed(), TooShort},
        {"20 sealed: the checksum word at 16", ImageBuilder(20).u8(0, 7).sealed(), TooShort, 7},
        {"636 sealed", ImageBuilder(636).u8(16, 41).u8(20, 3).sealed(), TooShort, 41, 3},
        {"640 sealed", ImageBuilder(640).u8(16, 40).sealed(), Accepted},
        {"640 zero bytes", Bytes(640), Accepted},
        {"largest read", ImageBuilder(DeviceImage::Capacity).u8(5, 1).sealed(), Accepted},
        // 0xFFFFFFF0 + 0x30 + 0xFFFFFFFF = 2^33 + 0x1F
        {"sum past 2^32",
         ImageBuilder().u32(0, 0xFFFFFFF0).u32(4, 0x30).u32(8, 0xFFFFFFFF).u32(636, 0x1F).bytes,
         Accepted},
    };
    for (const auto& c : cases) {
        Bytes buffer = ImageBuilder(std::max<std::size_t>(c.image.size(), 640)).u8(16, 99).bytes;
        buffer[20] = 98;
        std::copy(c.image.begin(), c.image.end(), buffer.begin());
        Records r;
        EXPECT_EQ(r.parse(std::span(buffer).first(c.image.size())), c.verdict) << c.what;
        if (c.verdict != Accepted) {
            EXPECT_EQ(r.info.firmwareVersion, c.version) << c.what;
            EXPECT_EQ(r.info.firmwareRevision, c.revision) << c.what;
            r.info.firmwareVersion = r.info.firmwareRevision = 0x5A;
            EXPECT_TRUE(r.unchanged()) << c.what;
        }
    }
}

// One value per field, all distinct, so that a field read from a neighbour's offset shows.
Bytes fullImage(std::uint8_t capabilityFlags = 0xE1) {
    ImageBuilder b;
    b.u8(0, 0xA0).u8(1, 0xA1).u8(2, 0xA2).u8(3, 0xEE);
    b.u8(4, 14).u8(5, capabilityFlags).u16(6, 0x3412).u16(8, 850);
    b.u16(10, static_cast<std::uint16_t>(-400));
    b.u32(12, 0xCAFEBABE).u8(16, 37).u8(17, 0xB1).u16(18, 0xEEEE).u8(20, 1).u8(21, 0x56);
    b.u8(128, 1).u8(129, 1).u32(130, 5400).u32(134, 300);
    b.u16(138, static_cast<std::uint16_t>(-55)).u16(140, static_cast<std::uint16_t>(-800));
    b.u32(142, 0x11111111).u32(146, 0x22222222).u16(150, 750).u16(152, 250);
    b.u32(154, 0x33333333).u32(158, 0x44444444).u32(162, 0xEEEEEEEE);
    b.text(166, "NameNameNameNameName");  // full width, no terminator
    b.text(186, std::string("ID-7\0junk", 9));
    b.text(206, std::string(50, 'w'));
    b.text(256, std::string(100, 'u'));
    b.u16(356, 45).text(358, "TM");
    b.text(378, std::string(17, '\xEE'));
    b.u8(395, 3).u8(396, 2).u8(397, static_cast<std::uint8_t>(-3)).u8(398, 0xEE);
    b.u16(399, 12).u8(401, static_cast<std::uint8_t>(-30));
    return b.sealed();
}

// The numbers of the parameter block, the UTC offset's hours and minutes last.
std::vector<long long> numbersOf(const LoggerParameters& p) {
    return {p.pdfLanguage,    p.temperatureUnit, p.startDelay,        p.sampleInterval,
            p.highTempAlarm,  p.lowTempAlarm,    p.reserved1,         p.reserved2,
            p.reserved3,      p.reserved4,       p.highHumidityAlarm, p.lowHumidityAlarm,
            p.alarmLedFlash,  p.recordLedFlash,  p.channelMode,       p.dateFormat,
            p.utcOffsetHours, p.utcOffsetMinutes};
}

// Every field is taken from its offset; the texts at full width, bytes behind a terminator
// included. What the parser never writes keeps its marker.
TEST(DeviceImage, EveryFieldIsTakenFromItsOffset) {
    Records r;
    ASSERT_EQ(r.parse(fullImage()), ImageVerdict::Accepted);
    const DeviceInfo& i = r.info;
    const LoggerParameters& p = r.params;
    EXPECT_EQ(
        (std::vector<long long>{i.header[0], i.header[1], i.header[2], i.tempSampleBits,
                                i.capabilityFlags, i.memoryCapacity, i.tempRangeMax, i.tempRangeMin,
                                i.deviceSerial, i.firmwareVersion, i.byte17, i.firmwareRevision}),
        (std::vector<long long>{0xA0, 0xA1, 0xA2, 14, 0xE1, 0x563412, 850, -400, 0xCAFEBABE, 37,
                                0xB1, 1}));
    EXPECT_EQ(numbersOf(p),
              (std::vector<long long>{1, 1, 5400, 300, -55, -800, 0x11111111, 0x22222222,
                                      0x33333333, 0x44444444, 750, 250, 45, 12, 3, 2, -3, -30}));
    EXPECT_EQ(fieldText(p.deviceName), "NameNameNameNameName");
    EXPECT_EQ(std::string(p.deviceId.begin(), p.deviceId.begin() + 10),
              std::string("ID-7\0junk\0", 10));
    EXPECT_EQ(fieldText(p.website), std::string(50, 'w'));
    EXPECT_EQ(fieldText(p.userInfo), std::string(100, 'u'));
    EXPECT_EQ(fieldText(p.trademark), "TM");
    EXPECT_EQ(r.carried(), Records().carried());
}

// Without the parameter block the defaults apply, the UTC offset the host's; empty texts are
// two zero bytes, the rest of each field, the clock and the carried blocks left alone.
TEST(DeviceImage, WithoutParameterBlockTheDefaultsApply) {
    for (auto [host, hours, minutes] : {std::tuple{-330, -5, -30}, std::tuple{-30, 0, -30},
                                        std::tuple{330, 5, 30}, std::tuple{-720, -12, 0}}) {
        Records r;
        ASSERT_EQ(r.parse(fullImage(0xE0), host), ImageVerdict::Accepted);  // every channel bit
        EXPECT_EQ(std::tuple(r.info.capabilityFlags, r.info.deviceSerial),
                  std::tuple(0xE0, 0xCAFEBABE));
        EXPECT_EQ(numbersOf(r.params),
                  (std::vector<long long>{0, 0, 3600, 60, 160, 40, 0, 0, 0, 0, 800, 100, 0, 0, 1, 0,
                                          hours, minutes}))
            << host;
        const LoggerParameters& p = r.params;
        for (const std::uint8_t* field : {p.deviceName.data(), p.deviceId.data(), p.website.data(),
                                          p.userInfo.data(), p.trademark.data()}) {
            EXPECT_EQ(Bytes(field, field + 3), (Bytes{0, 0, 0x5A})) << host;
        }
        EXPECT_EQ(r.carried(), Records().carried());
    }
}

}  // namespace
}  // namespace veltra
