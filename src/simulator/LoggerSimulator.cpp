#include "simulator/LoggerSimulator.h"

#include <fstream>
#include <iterator>
#include <optional>

#include "logger/ByteOrder.h"
#include "logger/CfgRecord.h"
#include "logger/DeviceImage.h"
#include "logger/FirmwareImage.h"
#include "logger/LoggerFiles.h"
#include "settings/NumberText.h"
#include "settings/ParameterBinding.h"

namespace veltra {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t ImageSize = 1024;

LoggerParameters initialParameters(const SimulatorSettings& settings) {
    LoggerParameters p{};
    p.startDelay = 3600;
    p.sampleInterval = 60;
    p.highTempAlarm = 160;
    p.lowTempAlarm = 40;
    p.highHumidityAlarm = 800;
    p.lowHumidityAlarm = 100;
    const bool temperature = (settings.capabilityFlags & HasTemperatureChannel) != 0;
    const bool humidity = (settings.capabilityFlags & HasHumidityChannel) != 0;
    p.channelMode = humidity && !temperature ? 2 : humidity ? 3 : 1;
    copyTextField(p.deviceName, "Simulated logger");
    copyTextField(p.deviceId, formatText("SIM%08u", settings.serial));
    copyTextField(p.trademark, "Veltra");
    return p;
}

std::optional<std::vector<std::uint8_t>> readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

template <std::size_t Width>
void putText(std::vector<std::uint8_t>& image, std::size_t offset, const TextField<Width>& field) {
    std::copy(field.begin(), field.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

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

LoggerSimulator::LoggerSimulator(std::filesystem::path folder, SimulatorSettings settings)
    : folder_(std::move(folder)),
      settings_(settings),
      parameters_(initialParameters(settings)),
      revision_(settings.firmwareRevision) {}

std::vector<std::uint8_t> LoggerSimulator::deviceImage(const SimulatorSettings& s,
                                                       std::uint8_t revision,
                                                       const LoggerParameters& p) {
    using namespace image_offset;
    std::vector<std::uint8_t> image(ImageSize);
    image[0] = 'V';
    image[1] = 'L';
    image[2] = 'T';
    image[TempSampleBits] = s.tempSampleBits;
    image[CapabilityFlags] = s.capabilityFlags;
    writeU16Le(image, MemoryLow, static_cast<std::uint16_t>(s.memoryCapacity));
    image[MemoryHigh] = static_cast<std::uint8_t>(s.memoryCapacity >> 16);
    writeU16Le(image, TempRangeMax, static_cast<std::uint16_t>(s.tempRangeMax));
    writeU16Le(image, TempRangeMin, static_cast<std::uint16_t>(s.tempRangeMin));
    writeU32Le(image, DeviceSerial, s.serial);
    image[FirmwareVersion] = s.firmwareVersion;
    image[FirmwareRevision] = revision;

    image[PdfLanguage] = p.pdfLanguage;
    image[TemperatureUnit] = p.temperatureUnit;
    writeU32Le(image, StartDelay, static_cast<std::uint32_t>(p.startDelay));
    writeU32Le(image, SampleInterval, static_cast<std::uint32_t>(p.sampleInterval));
    writeU16Le(image, HighTempAlarm, static_cast<std::uint16_t>(p.highTempAlarm));
    writeU16Le(image, LowTempAlarm, static_cast<std::uint16_t>(p.lowTempAlarm));
    writeU32Le(image, Reserved1, p.reserved1);
    writeU32Le(image, Reserved2, p.reserved2);
    writeU16Le(image, HighHumidityAlarm, p.highHumidityAlarm);
    writeU16Le(image, LowHumidityAlarm, p.lowHumidityAlarm);
    writeU32Le(image, Reserved3, p.reserved3);
    writeU32Le(image, Reserved4, p.reserved4);
    putText(image, DeviceName, p.deviceName);
    putText(image, DeviceId, p.deviceId);
    putText(image, Website, p.website);
    putText(image, UserInfo, p.userInfo);
    writeU16Le(image, AlarmLedFlash, p.alarmLedFlash);
    putText(image, Trademark, p.trademark);
    image[ChannelMode] = p.channelMode;
    image[DateFormat] = p.dateFormat;
    image[UtcOffsetHours] = static_cast<std::uint8_t>(p.utcOffsetHours);
    writeU16Le(image, RecordLedFlash, p.recordLedFlash);
    image[UtcOffsetMinutes] = static_cast<std::uint8_t>(p.utcOffsetMinutes);

    writeU32Le(image, ImageSize - 4, imageChecksum(std::span(image).first(ImageSize - 4)));
    return image;
}

void LoggerSimulator::report(const std::string& line) {
    if (reporter_) {
        reporter_(line);
    }
}

void LoggerSimulator::writeDeviceImage() {
    const auto image = deviceImage(settings_, revision_, parameters_);
    // Written aside and renamed, so that the tool never reads half an image.
    const fs::path aside = folder_ / ".DAT.SRC.new";
    {
        std::ofstream out(aside, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()),
                  static_cast<std::streamsize>(image.size()));
    }
    std::error_code ignored;
    fs::rename(aside, folder_ / std::string(DeviceImageFile), ignored);
}

void LoggerSimulator::removeDeviceImage() {
    std::error_code ignored;
    fs::remove(folder_ / std::string(DeviceImageFile), ignored);
}

void LoggerSimulator::plugIn() {
    if (state_ != State::Unplugged) {
        return;
    }
    std::error_code ignored;
    fs::create_directories(folder_, ignored);
    writeDeviceImage();
    state_ = State::Connected;
    report("plugged in");
}

void LoggerSimulator::unplug() {
    removeDeviceImage();
    state_ = State::Unplugged;
    report("unplugged");
}

void LoggerSimulator::advance(std::chrono::milliseconds elapsed) {
    if (state_ == State::Connected && fs::exists(folder_ / std::string(MarkerFile))) {
        takeFiles();
        return;
    }
    if (state_ == State::Away) {
        awayLeft_ -= elapsed;
        if (awayLeft_.count() <= 0) {
            writeDeviceImage();
            state_ = State::Connected;
            report("back");
        }
    }
}

void LoggerSimulator::takeFiles() {
    const fs::path configPath = folder_ / std::string(ConfigFile);
    const fs::path firmwarePath = folder_ / std::string(FirmwareFile);
    const auto config = readWhole(configPath);
    const auto records =
        config ? parseCfgRecords(*config) : std::optional<std::vector<CfgRecord>>{};
    const std::uint8_t kind = recordKindFor(settings_.firmwareVersion);
    bool kindsMatch = records.has_value() && !records->empty();
    if (records) {
        for (const CfgRecord& record : *records) {
            kindsMatch = kindsMatch && record.kind == kind;
        }
    }

    awayLeft_ = settings_.configureTime;
    if (!kindsMatch) {
        report("refused CONFIG.CFG: broken framing, checksum or record kind");
    } else if (isUpgradeRequest(*records)) {
        std::error_code error;
        const auto size = fs::file_size(firmwarePath, error);
        if (!error && size == FirmwareImageSize) {
            revision_ = settings_.upgradedRevision;
            awayLeft_ = settings_.upgradeTime;
            report(formatText("took APP.BIN: firmware %u revision %u", settings_.firmwareVersion,
                              revision_));
        } else {
            report("refused APP.BIN: missing or of the wrong size");
        }
    } else if (isFullConfiguration(*records)) {
        for (const CfgRecord& record : *records) {
            applyRecord(parameters_, record);
        }
        const auto& c = parameters_.clock;
        report(formatText("took CONFIG.CFG: clock set to %04d-%02d-%02d %02d:%02d:%02d",
                          2000 + c[0], c[1], c[2], c[3], c[4], c[5]));
    } else {
        report("refused CONFIG.CFG: not a configuration this logger knows");
    }

    std::error_code ignored;
    fs::remove(configPath, ignored);
    fs::remove(folder_ / std::string(MarkerFile), ignored);
    fs::remove(firmwarePath, ignored);
    removeDeviceImage();
    state_ = State::Away;
    report("away");
}

}  // namespace veltra
