#include <gtest/gtest.h>

#include <cstring>
#include <functional>
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

    ImageBuilder& u8(std::size_t at, std::uint8_t v) {
        bytes[at] = v;
        return *this;
    }
    ImageBuilder& u16(std::size_t at, std::uint16_t v) {
        bytes[at] = static_cast<std::uint8_t>(v);
        bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
        return *this;
    }
    ImageBuilder& u32(std::size_t at, std::uint32_t v) {
        return u16(at, static_cast<std::uint16_t>(v))
            .u16(at + 2, static_cast<std::uint16_t>(v >> 16));
    }
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
    bool unchanged() const {
        Records fresh;
        return std::memcmp(&info, &fresh.info, sizeof info) == 0 && params == fresh.params;
    }
};

TEST(DeviceImage, SizeAndChecksumDecideAcceptance) {
    struct Case {
        const char* what;
        Bytes image;
        ImageVerdict verdict;
    };
    Bytes notSealed639(639);
    Bytes zeros640(640);
    Bytes nonZeroWord{1, 0, 0, 0};
    const Case cases[] = {
        {"639 bytes", notSealed639, ImageVerdict::NotWholeWords},
        {"644 sealed", ImageBuilder(644).sealed(), ImageVerdict::Accepted},
        {"empty", Bytes{}, ImageVerdict::Empty},
        {"one zero word", Bytes(4), ImageVerdict::TooShort},
        {"one non-zero word", nonZeroWord, ImageVerdict::ChecksumMismatch},
        {"636 sealed", ImageBuilder(636).u8(16, 40).sealed(), ImageVerdict::TooShort},
        {"640 sealed", ImageBuilder(640).u8(16, 40).sealed(), ImageVerdict::Accepted},
        {"640 zero bytes", zeros640, ImageVerdict::Accepted},
        {"largest read", ImageBuilder(DeviceImage::Capacity).u8(5, 1).sealed(),
         ImageVerdict::Accepted},
    };
    for (const Case& c : cases) {
        Records r;
        EXPECT_EQ(r.parse(c.image), c.verdict) << c.what;
    }
}

TEST(DeviceImage, RefusalsLeaveRecordsUntouched) {
    Records r;
    EXPECT_EQ(r.parse(Bytes(639)), ImageVerdict::NotWholeWords);
    EXPECT_EQ(r.parse(Bytes{}), ImageVerdict::Empty);
    EXPECT_TRUE(r.unchanged());
}

TEST(DeviceImage, TooShortImageUpdatesOnlyTheVersionBytes) {
    Records r;
    const Bytes image = ImageBuilder(636).u8(16, 41).u8(20, 3).u8(5, 0xFF).u32(12, 77).sealed();
    EXPECT_EQ(r.parse(image), ImageVerdict::TooShort);
    EXPECT_EQ(r.info.firmwareVersion, 41);
    EXPECT_EQ(r.info.firmwareRevision, 3);
    r.info.firmwareVersion = r.info.firmwareRevision = 0x5A;
    EXPECT_TRUE(r.unchanged());
}

TEST(DeviceImage, ShortImageReadsNothingPastItsCount) {
    // The bytes beyond the count hold an earlier read's version and revision.
    for (std::size_t count : {12u, 16u, 20u}) {
        ImageBuilder buffer(64);
        buffer.u8(0, 7).u8(16, 99).u8(20, 98);
        ImageBuilder front(count);
        std::copy(buffer.bytes.begin(), buffer.bytes.begin() + static_cast<long>(count),
                  front.bytes.begin());
        const Bytes sealed = front.sealed();
        std::copy(sealed.begin(), sealed.end(), buffer.bytes.begin());

        Records r;
        EXPECT_EQ(r.parse(std::span(buffer.bytes).first(count)), ImageVerdict::TooShort) << count;
        // A 20-byte image ends with its checksum word (7) at 16; shorter ones have no offset 16.
        EXPECT_EQ(r.info.firmwareVersion, count > 16 ? sealed[16] : 0x5A) << count;
        EXPECT_EQ(r.info.firmwareRevision, 0x5A) << count;
    }
}

TEST(DeviceImage, AnySingleFlippedBitIsRefused) {
    const Bytes good =
        ImageBuilder().u8(5, 0xE1).u8(16, 40).text(166, "Room 4").u32(12, 1234).sealed();
    for (std::size_t bit = 0; bit < good.size() * 8; ++bit) {
        Bytes bad = good;
        bad[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        Records r;
        ASSERT_EQ(r.parse(bad), ImageVerdict::ChecksumMismatch) << "bit " << bit;
        ASSERT_TRUE(r.unchanged()) << "bit " << bit;
    }
}

TEST(DeviceImage, ChecksumWrapsModulo2To32) {
    ImageBuilder image;
    image.u32(0, 0xFFFFFFF0).u32(4, 0x00000030).u32(8, 0xFFFFFFFF);
    image.u32(636, 0x0000001F);  // 0xFFFFFFF0 + 0x30 + 0xFFFFFFFF = 2^33 + 0x1F
    Records r;
    EXPECT_EQ(r.parse(image.bytes), ImageVerdict::Accepted);
    EXPECT_EQ(imageChecksum(std::span(image.bytes).first(636)), 0x1Fu);
}

// One value per field, all distinct, so that a field read from a neighbour's offset shows.
Bytes fullImage() {
    ImageBuilder b;
    b.u8(0, 0xA0).u8(1, 0xA1).u8(2, 0xA2).u8(3, 0xEE);
    b.u8(4, 14).u8(5, 0xE1).u16(6, 0x3412).u16(8, 850).u16(10, static_cast<std::uint16_t>(-400));
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

TEST(DeviceImage, EveryFieldIsTakenFromItsOffset) {
    Records r;
    ASSERT_EQ(r.parse(fullImage()), ImageVerdict::Accepted);
    const DeviceInfo& i = r.info;
    const LoggerParameters& p = r.params;
    const std::tuple<const char*, long long, long long> fields[] = {
        {"header 0", i.header[0], 0xA0},
        {"header 1", i.header[1], 0xA1},
        {"header 2", i.header[2], 0xA2},
        {"tempSampleBits", i.tempSampleBits, 14},
        {"capabilityFlags", i.capabilityFlags, 0xE1},
        {"memoryCapacity", i.memoryCapacity, 0x563412},
        {"tempRangeMax", i.tempRangeMax, 850},
        {"tempRangeMin", i.tempRangeMin, -400},
        {"deviceSerial", i.deviceSerial, 0xCAFEBABE},
        {"firmwareVersion", i.firmwareVersion, 37},
        {"byte17", i.byte17, 0xB1},
        {"firmwareRevision", i.firmwareRevision, 1},
        {"pdfLanguage", p.pdfLanguage, 1},
        {"temperatureUnit", p.temperatureUnit, 1},
        {"startDelay", p.startDelay, 5400},
        {"sampleInterval", p.sampleInterval, 300},
        {"highTempAlarm", p.highTempAlarm, -55},
        {"lowTempAlarm", p.lowTempAlarm, -800},
        {"reserved1", p.reserved1, 0x11111111},
        {"reserved2", p.reserved2, 0x22222222},
        {"highHumidityAlarm", p.highHumidityAlarm, 750},
        {"lowHumidityAlarm", p.lowHumidityAlarm, 250},
        {"reserved3", p.reserved3, 0x33333333},
        {"reserved4", p.reserved4, 0x44444444},
        {"alarmLedFlash", p.alarmLedFlash, 45},
        {"channelMode", p.channelMode, 3},
        {"dateFormat", p.dateFormat, 2},
        {"utcOffsetHours", p.utcOffsetHours, -3},
        {"recordLedFlash", p.recordLedFlash, 12},
        {"utcOffsetMinutes", p.utcOffsetMinutes, -30},
    };
    for (const auto& [name, actual, expected] : fields) {
        EXPECT_EQ(actual, expected) << name;
    }
    // Text fields are copied at full width, bytes behind a terminator included.
    EXPECT_EQ(fieldText(p.deviceName), "NameNameNameNameName");
    EXPECT_EQ(std::string(p.deviceId.begin(), p.deviceId.begin() + 9),
              std::string("ID-7\0junk", 9));
    EXPECT_EQ(p.deviceId[9], 0);
    EXPECT_EQ(fieldText(p.website), std::string(50, 'w'));
    EXPECT_EQ(fieldText(p.userInfo), std::string(100, 'u'));
    EXPECT_EQ(fieldText(p.trademark), "TM");
    // Never written by the parser.
    Records fresh;
    EXPECT_EQ(p.clock, fresh.params.clock);
    EXPECT_EQ(p.reserved0, fresh.params.reserved0);
    EXPECT_EQ(p.reserved5, fresh.params.reserved5);
}

TEST(DeviceImage, BytesAfterTheParameterBlockOnlyFeedTheChecksum) {
    Bytes base = fullImage();
    Bytes other = base;
    for (std::size_t at = 402; at < 636; ++at) {
        other[at] = static_cast<std::uint8_t>(at * 7);
    }
    ImageBuilder resealed(640);
    resealed.bytes = other;
    other = resealed.sealed();
    Records a;
    Records b;
    ASSERT_EQ(a.parse(base), ImageVerdict::Accepted);
    ASSERT_EQ(b.parse(other), ImageVerdict::Accepted);
    EXPECT_EQ(std::memcmp(&a.info, &b.info, sizeof a.info), 0);
    EXPECT_EQ(a.params, b.params);
}

TEST(DeviceImage, WithoutParameterBlockTheDefaultsApply) {
    struct Case {
        std::int32_t host;
        int hours;
        int minutes;
    };
    for (const Case c : {Case{-330, -5, -30}, Case{330, 5, 30}, Case{-30, 0, -30}, Case{480, 8, 0},
                         Case{0, 0, 0}}) {
        Bytes image = fullImage();
        image[5] = 0xE0;  // every channel bit, parametersPresent clear
        ImageBuilder b(640);
        b.bytes = image;
        Records r;
        ASSERT_EQ(r.parse(b.sealed(), c.host), ImageVerdict::Accepted);
        const LoggerParameters& p = r.params;
        EXPECT_EQ(r.info.capabilityFlags, 0xE0);
        EXPECT_EQ(p.pdfLanguage, 0);
        EXPECT_EQ(p.temperatureUnit, 0);
        EXPECT_EQ(p.startDelay, 3600);
        EXPECT_EQ(p.sampleInterval, 60);
        EXPECT_EQ(p.highTempAlarm, 160);
        EXPECT_EQ(p.lowTempAlarm, 40);
        EXPECT_EQ(p.reserved1 | p.reserved2 | p.reserved3 | p.reserved4, 0u);
        EXPECT_EQ(p.highHumidityAlarm, 800);
        EXPECT_EQ(p.lowHumidityAlarm, 100);
        EXPECT_EQ(p.channelMode, 1);
        EXPECT_EQ(p.dateFormat, 0);
        EXPECT_EQ(p.recordLedFlash, 0);
        EXPECT_EQ(p.alarmLedFlash, 0);
        EXPECT_EQ(p.utcOffsetHours, c.hours) << c.host;
        EXPECT_EQ(p.utcOffsetMinutes, c.minutes) << c.host;
        // Empty texts: two zero bytes, the rest of each field as it was.
        for (std::span<const std::uint8_t> field :
             {std::span<const std::uint8_t>(p.deviceName),
              std::span<const std::uint8_t>(p.deviceId), std::span<const std::uint8_t>(p.website),
              std::span<const std::uint8_t>(p.userInfo),
              std::span<const std::uint8_t>(p.trademark)}) {
            EXPECT_EQ(field[0], 0);
            EXPECT_EQ(field[1], 0);
            EXPECT_EQ(field[2], 0x5A);
            EXPECT_EQ(field.back(), 0x5A);
        }
        EXPECT_EQ(p.clock, Records().params.clock);
    }
}

TEST(DeviceImage, ZeroImageGivesNoCapabilitiesAndDefaults) {
    Records r;
    ASSERT_EQ(r.parse(Bytes(640), -330), ImageVerdict::Accepted);
    EXPECT_EQ(r.info.firmwareVersion, 0);
    EXPECT_EQ(r.info.capabilityFlags, 0);
    EXPECT_EQ(r.info.memoryCapacity, 0u);
    EXPECT_EQ(r.params.startDelay, 3600);
    EXPECT_EQ(r.params.utcOffsetHours, -5);
}

}  // namespace
}  // namespace veltra
