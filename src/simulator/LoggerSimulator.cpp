#include "simulator/LoggerSimulator.h"

#include <algorithm>
#include <optional>

#include "logger/ByteOrder.h"
#include "logger/CfgRecord.h"
#include "logger/DeviceImage.h"
#include "logger/FirmwareImage.h"
#include "logger/LoggerFiles.h"
#include "platform/DriveFilesFactory.h"
#include "settings/NumberText.h"
#include "settings/ParameterConversions.h"
#include "simulator/ConfigRequest.h"

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

// Each setting a misbehaving logger may keep, and how it keeps it.
using Keep = void (*)(const LoggerParameters& old, LoggerParameters& taken);
const std::pair<const char*, Keep> keepers[] = {
    {"time-delay", [](auto& o, auto& t) { t.startDelay = o.startDelay; }},
    {"sampling-interval", [](auto& o, auto& t) { t.sampleInterval = o.sampleInterval; }},
    {"channel", [](auto& o, auto& t) { t.channelMode = o.channelMode; }},
    {"unit", [](auto& o, auto& t) { t.temperatureUnit = o.temperatureUnit; }},
    {"high-temp", [](auto& o, auto& t) { t.highTempAlarm = o.highTempAlarm; }},
    {"low-temp", [](auto& o, auto& t) { t.lowTempAlarm = o.lowTempAlarm; }},
    {"high-humidity", [](auto& o, auto& t) { t.highHumidityAlarm = o.highHumidityAlarm; }},
    {"low-humidity", [](auto& o, auto& t) { t.lowHumidityAlarm = o.lowHumidityAlarm; }},
    {"alarm-led", [](auto& o, auto& t) { t.alarmLedFlash = o.alarmLedFlash; }},
    {"record-led", [](auto& o, auto& t) { t.recordLedFlash = o.recordLedFlash; }},
    {"pdf-language", [](auto& o, auto& t) { t.pdfLanguage = o.pdfLanguage; }},
    {"date-format", [](auto& o, auto& t) { t.dateFormat = o.dateFormat; }},
    {"time-zone",
     [](auto& o, auto& t) {
         t.utcOffsetHours = o.utcOffsetHours;
         t.utcOffsetMinutes = o.utcOffsetMinutes;
     }},
    {"device-name", [](auto& o, auto& t) { t.deviceName = o.deviceName; }},
    {"website", [](auto& o, auto& t) { t.website = o.website; }},
    {"user-info", [](auto& o, auto& t) { t.userInfo = o.userInfo; }},
    {"trademark", [](auto& o, auto& t) { t.trademark = o.trademark; }},
};

template <std::size_t Width>
void putText(std::vector<std::uint8_t>& image, std::size_t offset, const TextField<Width>& field) {
    std::copy(field.begin(), field.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

std::vector<std::string> ignorableSettings() {
    std::vector<std::string> names;
    for (const auto& [name, keep] : keepers) {
        names.emplace_back(name);
    }
    return names;
}

LoggerSimulator::LoggerSimulator(std::filesystem::path folder, SimulatorSettings settings)
    : folder_(std::move(folder)),
      drive_(makeFolderDrive(folder_)),
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

// The firmware never waits: it does not take the drive while a writer holds it, and it looks
// at nothing but regular files.
std::unique_ptr<DriveSession> LoggerSimulator::openDrive(bool lock) {
    return drive_->open(Letter, lock ? std::optional(std::chrono::milliseconds(0)) : std::nullopt)
        .session;
}

void LoggerSimulator::writeDeviceImage() {
    const auto image = deviceImage(settings_, revision_, parameters_);
    const auto drive = openDrive(false);
    auto file = drive ? drive->create(DeviceImageFile) : nullptr;
    const bool written = file && file->write(image);
    if (!file || !file->finish() || !written) {
        report("could not write DAT.SRC");
        return;
    }
    written_ = image;
}

// Whether the folder's DAT.SRC is the one this logger wrote last, byte for byte.
bool LoggerSimulator::holdsOwnImage(DriveSession& drive) {
    std::vector<std::uint8_t> there(ImageSize + 1);
    const auto count = drive.read(DeviceImageFile, there);
    there.resize(count.value_or(0));
    return count && !written_.empty() && there == written_;
}

// Whether the folder holds a DAT.SRC (a regular file) that this logger did not write.
bool LoggerSimulator::holdsOtherImage(DriveSession& drive) {
    std::uint8_t byte[1];
    return drive.read(DeviceImageFile, byte) && !holdsOwnImage(drive);
}

void LoggerSimulator::removeDeviceImage(DriveSession& drive) {
    if (holdsOwnImage(drive)) {
        drive.remove(DeviceImageFile);
    }
}

bool LoggerSimulator::plugIn() {
    if (state_ != State::Unplugged) {
        return true;
    }
    std::error_code ignored;
    fs::create_directories(folder_, ignored);
    if (const auto drive = openDrive(false); drive && holdsOtherImage(*drive)) {
        report("the folder holds a DAT.SRC that this logger did not write: not plugged in");
        return false;
    }
    writeDeviceImage();
    state_ = State::Connected;
    report("plugged in");
    return true;
}

void LoggerSimulator::unplug() {
    if (const auto drive = openDrive(false)) {
        removeDeviceImage(*drive);
    }
    state_ = State::Unplugged;
    report("unplugged");
}

void LoggerSimulator::advance(std::chrono::milliseconds elapsed) {
    if (state_ == State::Connected) {
        std::uint8_t marker[2];
        const auto drive = openDrive(true);
        if (drive && drive->read(MarkerFile, marker)) {
            takeFiles(*drive);
        }
        return;
    }
    if (state_ == State::Away) {
        awayLeft_ -= elapsed;
        if (awayLeft_.count() <= 0) {
            // Another logger took the folder while this one was away.
            if (const auto drive = openDrive(false); drive && holdsOtherImage(*drive)) {
                state_ = State::Unplugged;
                report("the folder holds a DAT.SRC that this logger did not write: not back");
                return;
            }
            writeDeviceImage();
            state_ = State::Connected;
            report("back");
        }
    }
}

// The carried image, of its full size and with its checksum word right.
bool LoggerSimulator::takesFirmware(DriveSession& drive) {
    std::vector<std::uint8_t> firmware(FirmwareImageSize + 1);
    const auto count = drive.read(FirmwareFile, firmware);
    if (count != FirmwareImageSize) {
        return false;
    }
    const std::size_t last = FirmwareImageSize - 4;
    return imageChecksum(std::span(firmware).first(last)) == readU32Le(firmware, last);
}

void LoggerSimulator::takeFiles(DriveSession& drive) {
    std::vector<std::uint8_t> config(1024);
    const auto count = drive.read(ConfigFile, config);
    config.resize(count.value_or(0));
    LoggerParameters taken = parameters_;
    const ConfigRequest request =
        count ? readConfigRequest(config, settings_.firmwareVersion, taken) : ConfigRequest::Broken;

    awayLeft_ = settings_.configureTime;
    switch (request) {
        case ConfigRequest::Broken:
            report("refused CONFIG.CFG: missing, or broken framing, checksum or record kind");
            break;
        case ConfigRequest::Unknown:
            report("refused CONFIG.CFG: not a configuration this logger knows");
            break;
        case ConfigRequest::Upgrade:
            if (takesFirmware(drive)) {
                revision_ = settings_.upgradedRevision;
                awayLeft_ = settings_.upgradeTime;
                report(formatText("took APP.BIN: firmware %u revision %u",
                                  settings_.firmwareVersion, revision_));
            } else {
                report("refused APP.BIN: missing, of the wrong size or with a bad checksum");
            }
            break;
        case ConfigRequest::Settings: {
            for (const auto& [name, keep] : keepers) {
                if (std::ranges::find(settings_.ignoredSettings, name) !=
                    settings_.ignoredSettings.end()) {
                    keep(parameters_, taken);
                    report(formatText("kept its %s", name));
                }
            }
            parameters_ = taken;
            const auto& c = parameters_.clock;
            report(formatText("took CONFIG.CFG: clock set to %04d-%02d-%02d %02d:%02d:%02d",
                              2000 + c[0], c[1], c[2], c[3], c[4], c[5]));
            break;
        }
    }

    for (std::string_view name : {ConfigFile, MarkerFile, FirmwareFile}) {
        drive.remove(name);
    }
    removeDeviceImage(drive);
    state_ = State::Away;
    report("away");
}

}  // namespace veltra
