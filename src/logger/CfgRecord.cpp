#include "logger/CfgRecord.h"

#include <array>

#include "logger/ByteOrder.h"
#include "logger/DeviceInfo.h"

namespace veltra {

std::uint8_t cfgChecksum(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    return sum;
}

std::size_t buildCfgRecord(std::vector<std::uint8_t>& out, std::uint8_t tag,
                           std::span<const std::uint8_t> data, std::uint8_t firmwareVersion) {
    const std::size_t dataLength =
        data.size() <= CfgRecord::MaxData ? data.size() : CfgRecord::MaxData;
    const std::size_t length = dataLength + CfgRecord::FrameBytes;
    const std::size_t start = out.size();
    out.push_back(CfgRecord::StartByte);
    out.push_back(static_cast<std::uint8_t>(length));
    out.push_back(recordKindFor(firmwareVersion));
    out.push_back(tag);
    out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(dataLength));
    out.push_back(cfgChecksum(std::span(out).subspan(start, length - 1)));
    return length;
}

namespace {

template <std::size_t N>
std::span<const std::uint8_t> bytesOf(const std::array<std::uint8_t, N>& field) {
    return field;
}

std::array<std::uint8_t, 2> le16(std::uint16_t value) {
    std::array<std::uint8_t, 2> bytes{};
    writeU16Le(bytes, 0, value);
    return bytes;
}

std::array<std::uint8_t, 4> le32(std::uint32_t value) {
    std::array<std::uint8_t, 4> bytes{};
    writeU32Le(bytes, 0, value);
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> buildConfigFile(const LoggerParameters& p, std::uint8_t firmwareVersion) {
    std::vector<std::uint8_t> file;
    file.reserve(ConfigFileSize);
    auto add = [&](std::uint8_t tag, std::span<const std::uint8_t> data) {
        buildCfgRecord(file, tag, data, firmwareVersion);
    };
    auto addByte = [&](std::uint8_t tag, std::uint8_t value) { add(tag, std::span(&value, 1)); };

    using namespace cfg_tag;
    addByte(PdfLanguage, p.pdfLanguage);
    add(DeviceName, bytesOf(p.deviceName));
    add(UserInfo, bytesOf(p.userInfo));
    add(Trademark, bytesOf(p.trademark));
    add(Clock, bytesOf(p.clock));
    addByte(TemperatureUnit, p.temperatureUnit);
    add(StartDelay, le32(static_cast<std::uint32_t>(p.startDelay)));
    add(SampleInterval, le32(static_cast<std::uint32_t>(p.sampleInterval)));
    add(HighTempAlarm, le16(static_cast<std::uint16_t>(p.highTempAlarm)));
    add(LowTempAlarm, le16(static_cast<std::uint16_t>(p.lowTempAlarm)));
    add(HighHumidityAlarm, le16(p.highHumidityAlarm));
    add(LowHumidityAlarm, le16(p.lowHumidityAlarm));
    addByte(ChannelMode, p.channelMode);
    const std::array<std::uint8_t, 2> offset{static_cast<std::uint8_t>(p.utcOffsetHours),
                                             static_cast<std::uint8_t>(p.utcOffsetMinutes)};
    add(UtcOffset, offset);
    addByte(DateFormat, p.dateFormat);
    add(AlarmLedFlash, le16(p.alarmLedFlash));
    add(RecordLedFlash, le16(p.recordLedFlash));
    add(Website, bytesOf(p.website));
    const std::array<std::uint8_t, 4> zeros{};
    add(Zero47, zeros);
    add(Zero49, zeros);
    add(Zero55, zeros);
    add(Zero57, zeros);
    add(End, {});
    return file;
}

std::vector<std::uint8_t> buildUpgradeConfigFile(std::uint8_t firmwareVersion) {
    static constexpr std::array<std::uint8_t, 8> appBin{'A', 'P', 'P', '.', 'B', 'I', 'N', 0};
    std::vector<std::uint8_t> file;
    buildCfgRecord(file, cfg_tag::Upgrade, appBin, firmwareVersion);
    buildCfgRecord(file, cfg_tag::End, {}, firmwareVersion);
    return file;
}

std::optional<std::vector<CfgRecord>> parseCfgRecords(std::span<const std::uint8_t> bytes) {
    std::vector<CfgRecord> records;
    std::size_t offset = 0;
    while (offset < bytes.size()) {
        const std::size_t left = bytes.size() - offset;
        if (left < CfgRecord::FrameBytes || bytes[offset] != CfgRecord::StartByte) {
            return std::nullopt;
        }
        const std::size_t length = bytes[offset + 1];
        if (length < CfgRecord::FrameBytes || length > left) {
            return std::nullopt;
        }
        const auto record = bytes.subspan(offset, length);
        if (cfgChecksum(record.first(length - 1)) != record[length - 1]) {
            return std::nullopt;
        }
        CfgRecord parsed;
        parsed.kind = record[2];
        parsed.tag = record[3];
        parsed.data.assign(record.begin() + 4, record.end() - 1);
        records.push_back(std::move(parsed));
        offset += length;
    }
    return records;
}

}  // namespace veltra
