#include "simulator/ConfigRequest.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "logger/ByteOrder.h"
#include "logger/CfgRecord.h"
#include "logger/DeviceInfo.h"

namespace veltra {

namespace {

template <std::size_t Width>
void takeText(TextField<Width>& field, const std::vector<std::uint8_t>& data) {
    std::copy_n(data.begin(), std::min(Width, data.size()), field.begin());
}

// The tags and data widths of a full configuration, in file order.
constexpr std::pair<std::uint8_t, std::size_t> ConfigLayout[] = {
    {cfg_tag::PdfLanguage, 1},
    {cfg_tag::DeviceName, 20},
    {cfg_tag::UserInfo, 100},
    {cfg_tag::Trademark, 20},
    {cfg_tag::Clock, 6},
    {cfg_tag::TemperatureUnit, 1},
    {cfg_tag::StartDelay, 4},
    {cfg_tag::SampleInterval, 4},
    {cfg_tag::HighTempAlarm, 2},
    {cfg_tag::LowTempAlarm, 2},
    {cfg_tag::HighHumidityAlarm, 2},
    {cfg_tag::LowHumidityAlarm, 2},
    {cfg_tag::ChannelMode, 1},
    {cfg_tag::UtcOffset, 2},
    {cfg_tag::DateFormat, 1},
    {cfg_tag::AlarmLedFlash, 2},
    {cfg_tag::RecordLedFlash, 2},
    {cfg_tag::Website, 50},
    {cfg_tag::Zero47, 4},
    {cfg_tag::Zero49, 4},
    {cfg_tag::Zero55, 4},
    {cfg_tag::Zero57, 4},
    {cfg_tag::End, 0},
};

bool isFullConfiguration(const std::vector<CfgRecord>& records) {
    if (records.size() != std::size(ConfigLayout)) {
        return false;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].tag != ConfigLayout[i].first ||
            records[i].data.size() != ConfigLayout[i].second) {
            return false;
        }
    }
    return true;
}

bool isUpgradeRequest(const std::vector<CfgRecord>& records) {
    static const std::vector<std::uint8_t> appBin{'A', 'P', 'P', '.', 'B', 'I', 'N', 0};
    return records.size() == 2 && records[0].tag == cfg_tag::Upgrade && records[0].data == appBin &&
           records[1].tag == cfg_tag::End && records[1].data.empty();
}

void applyRecord(LoggerParameters& p, const CfgRecord& record) {
    const auto& d = record.data;
    switch (record.tag) {
        case cfg_tag::PdfLanguage:
            p.pdfLanguage = d[0];
            break;
        case cfg_tag::DeviceName:
            takeText(p.deviceName, d);
            break;
        case cfg_tag::UserInfo:
            takeText(p.userInfo, d);
            break;
        case cfg_tag::Trademark:
            takeText(p.trademark, d);
            break;
        case cfg_tag::Clock:
            std::copy_n(d.begin(), 6, p.clock.begin());
            break;
        case cfg_tag::TemperatureUnit:
            p.temperatureUnit = d[0];
            break;
        case cfg_tag::StartDelay:
            p.startDelay = static_cast<std::int32_t>(readU32Le(d, 0));
            break;
        case cfg_tag::SampleInterval:
            p.sampleInterval = static_cast<std::int32_t>(readU32Le(d, 0));
            break;
        case cfg_tag::HighTempAlarm:
            p.highTempAlarm = static_cast<std::int16_t>(readU16Le(d, 0));
            break;
        case cfg_tag::LowTempAlarm:
            p.lowTempAlarm = static_cast<std::int16_t>(readU16Le(d, 0));
            break;
        case cfg_tag::HighHumidityAlarm:
            p.highHumidityAlarm = readU16Le(d, 0);
            break;
        case cfg_tag::LowHumidityAlarm:
            p.lowHumidityAlarm = readU16Le(d, 0);
            break;
        case cfg_tag::ChannelMode:
            p.channelMode = d[0];
            break;
        case cfg_tag::UtcOffset:
            p.utcOffsetHours = static_cast<std::int8_t>(d[0]);
            p.utcOffsetMinutes = static_cast<std::int8_t>(d[1]);
            break;
        case cfg_tag::DateFormat:
            p.dateFormat = d[0];
            break;
        case cfg_tag::AlarmLedFlash:
            p.alarmLedFlash = readU16Le(d, 0);
            break;
        case cfg_tag::RecordLedFlash:
            p.recordLedFlash = readU16Le(d, 0);
            break;
        case cfg_tag::Website:
            takeText(p.website, d);
            break;
        default:
            break;  // the zero records and the end record carry nothing
    }
}

}  // namespace

ConfigRequest readConfigRequest(std::span<const std::uint8_t> file, std::uint8_t firmwareVersion,
                                LoggerParameters& params) {
    const auto records = parseCfgRecords(file);
    if (!records || records->empty()) {
        return ConfigRequest::Broken;
    }
    const std::uint8_t kind = recordKindFor(firmwareVersion);
    for (const CfgRecord& record : *records) {
        if (record.kind != kind) {
            return ConfigRequest::Broken;
        }
    }
    if (isUpgradeRequest(*records)) {
        return ConfigRequest::Upgrade;
    }
    if (!isFullConfiguration(*records)) {
        return ConfigRequest::Unknown;
    }
    for (const CfgRecord& record : *records) {
        applyRecord(params, record);
    }
    return ConfigRequest::Settings;
}

}  // namespace veltra
