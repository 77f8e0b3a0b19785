#include "logger/DeviceImage.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "logger/ByteOrder.h"

namespace veltra {

namespace {

template <std::size_t Width>
void copyField(std::span<const std::uint8_t> image, std::size_t offset, TextField<Width>& field) {
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), Width, field.begin());
}

// An empty text: the first two bytes zero, the rest of the field as it was.
template <std::size_t Width>
void clearField(TextField<Width>& field) {
    field[0] = 0;
    field[1] = 0;
}

void readParameterBlock(std::span<const std::uint8_t> image, LoggerParameters& p) {
    using namespace image_offset;
    p.pdfLanguage = image[PdfLanguage];
    p.temperatureUnit = image[TemperatureUnit];
    p.startDelay = static_cast<std::int32_t>(readU32Le(image, StartDelay));
    p.sampleInterval = static_cast<std::int32_t>(readU32Le(image, SampleInterval));
    p.highTempAlarm = static_cast<std::int16_t>(readU16Le(image, HighTempAlarm));
    p.lowTempAlarm = static_cast<std::int16_t>(readU16Le(image, LowTempAlarm));
    p.reserved1 = readU32Le(image, Reserved1);
    p.reserved2 = readU32Le(image, Reserved2);
    p.highHumidityAlarm = readU16Le(image, HighHumidityAlarm);
    p.lowHumidityAlarm = readU16Le(image, LowHumidityAlarm);
    p.reserved3 = readU32Le(image, Reserved3);
    p.reserved4 = readU32Le(image, Reserved4);
    copyField(image, DeviceName, p.deviceName);
    copyField(image, DeviceId, p.deviceId);
    copyField(image, Website, p.website);
    copyField(image, UserInfo, p.userInfo);
    p.alarmLedFlash = readU16Le(image, AlarmLedFlash);
    copyField(image, Trademark, p.trademark);
    p.channelMode = image[ChannelMode];
    p.dateFormat = image[DateFormat];
    p.utcOffsetHours = static_cast<std::int8_t>(image[UtcOffsetHours]);
    p.recordLedFlash = readU16Le(image, RecordLedFlash);
    p.utcOffsetMinutes = static_cast<std::int8_t>(image[UtcOffsetMinutes]);
}

void applyDefaults(std::int32_t hostUtcOffset, LoggerParameters& p) {
    p.pdfLanguage = 0;
    p.temperatureUnit = 0;
    p.startDelay = 3600;
    p.sampleInterval = 60;
    p.highTempAlarm = 160;
    p.lowTempAlarm = 40;
    p.reserved1 = p.reserved2 = p.reserved3 = p.reserved4 = 0;
    p.highHumidityAlarm = 800;
    p.lowHumidityAlarm = 100;
    clearField(p.deviceName);
    clearField(p.deviceId);
    clearField(p.website);
    clearField(p.userInfo);
    clearField(p.trademark);
    p.channelMode = 1;
    p.dateFormat = 0;
    const SplitOffset offset = splitUtcOffset(hostUtcOffset);
    p.utcOffsetHours = offset.hours;
    p.utcOffsetMinutes = offset.minutes;
    p.recordLedFlash = 0;
    p.alarmLedFlash = 0;
}

}  // namespace

std::string describe(ImageVerdict verdict) {
    switch (verdict) {
        case ImageVerdict::Accepted:
            return "";
        case ImageVerdict::Empty:
            return "the image is empty";
        case ImageVerdict::NotWholeWords:
            return "the image's length is not a multiple of 4 bytes";
        case ImageVerdict::ChecksumMismatch:
            return "the image's checksum does not match its contents";
        case ImageVerdict::TooShort:
            return "the image is shorter than " + std::to_string(DeviceImage::MinimumSize) +
                   " bytes";
    }
    return "the image was refused";
}

namespace {

// A little-endian word in one 32-bit load.
std::uint32_t loadWord(const std::uint8_t* at) {
    std::uint32_t word;
    std::memcpy(&word, at, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        word = (word >> 24) | ((word >> 8) & 0xff00) | ((word << 8) & 0xff0000) | (word << 24);
    }
    return word;
}

}  // namespace

std::uint32_t imageChecksum(std::span<const std::uint8_t> words) {
    // Eight sums side by side, which the compiler adds as vectors, then one over them: the same
    // sum modulo 2^32 in any order.
    constexpr std::size_t Lanes = 8;
    std::uint32_t lanes[Lanes] = {};
    const std::uint8_t* at = words.data();
    const std::size_t count = words.size() / 4;
    std::size_t word = 0;
    for (; word + Lanes <= count; word += Lanes) {
        for (std::size_t lane = 0; lane < Lanes; ++lane) {
            lanes[lane] += loadWord(at + 4 * (word + lane));
        }
    }
    std::uint32_t sum = 0;
    for (; word < count; ++word) {
        sum += loadWord(at + 4 * word);
    }
    for (const std::uint32_t lane : lanes) {
        sum += lane;
    }
    return sum;
}

ImageVerdict parseDeviceImage(std::span<const std::uint8_t> image, std::int32_t hostUtcOffset,
                              DeviceInfo& info, LoggerParameters& deviceParams) {
    using namespace image_offset;
    const std::size_t count = image.size();
    if (count % 4 != 0) {
        return ImageVerdict::NotWholeWords;
    }
    if (count == 0) {
        return ImageVerdict::Empty;
    }
    const std::uint32_t lastWord = readU32Le(image, count - 4);
    if (imageChecksum(image.first(count - 4)) != lastWord) {
        return ImageVerdict::ChecksumMismatch;
    }

    // The version bytes are taken before the size test, but only from within the image.
    if (count > FirmwareVersion) {
        info.firmwareVersion = image[FirmwareVersion];
    }
    if (count > FirmwareRevision) {
        info.firmwareRevision = image[FirmwareRevision];
    }
    if (count < DeviceImage::MinimumSize) {
        return ImageVerdict::TooShort;
    }

    info.header[0] = image[0];
    info.header[1] = image[1];
    info.header[2] = image[2];
    info.tempSampleBits = image[TempSampleBits];
    info.capabilityFlags = image[CapabilityFlags];
    info.byte17 = image[Byte17];
    info.tempRangeMax = static_cast<std::int16_t>(readU16Le(image, TempRangeMax));
    info.tempRangeMin = static_cast<std::int16_t>(readU16Le(image, TempRangeMin));
    info.deviceSerial = readU32Le(image, DeviceSerial);
    info.memoryCapacity =
        image[MemoryLow] + 256u * image[MemoryLow + 1] + 65536u * image[MemoryHigh];

    if (info.has(ParametersPresent)) {
        readParameterBlock(image, deviceParams);
    } else {
        applyDefaults(hostUtcOffset, deviceParams);
    }
    return ImageVerdict::Accepted;
}

}  // namespace veltra
