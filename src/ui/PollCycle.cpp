#include "ui/PollCycle.h"

#include "discovery/LoggerLetter.h"
#include "logger/ConfigurationWriter.h"
#include "logger/FirmwareUpgrade.h"
#include "logger/LoggerFiles.h"
#include "settings/NumberText.h"
#include "settings/ParameterBinding.h"
#include "settings/Validation.h"
#include "ui/DerivedDisplay.h"

namespace veltra {

namespace {

// Holds a flag for the lifetime of a scope.
class ScopedFlag {
  public:
    explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

  private:
    bool& flag_;
};

// The controls that the setup lock disables, and those that releasing it enables again
// (the five channel-dependent controls follow from the channel and unit processing).
constexpr ControlId LockedControls[] = {
    ControlId::TimeDelay,         ControlId::SamplingInterval, ControlId::ChannelSelection,
    ControlId::HighTempAlarm,     ControlId::LowTempAlarm,     ControlId::TemperatureUnit,
    ControlId::HighHumidityAlarm, ControlId::LowHumidityAlarm, ControlId::PdfLanguage,
    ControlId::AlarmLedFlash,     ControlId::RecordLedFlash,   ControlId::Trademark,
    ControlId::DeviceName,        ControlId::UserInfo,         ControlId::Website,
    ControlId::DateFormat,        ControlId::TimeZone,
};
constexpr ControlId UnlockedControls[] = {
    ControlId::TimeDelay,        ControlId::SamplingInterval, ControlId::PdfLanguage,
    ControlId::Trademark,        ControlId::DeviceName,       ControlId::UserInfo,
    ControlId::Website,          ControlId::AlarmLedFlash,    ControlId::RecordLedFlash,
    ControlId::ChannelSelection, ControlId::DateFormat,       ControlId::TimeZone,
};

// Asks where the logger is and classifies the answer against the remembered drive letter.
LocatorState locateLogger(LoggerLocator& locator, char& loggerDrive) {
    LetterBuffer letters{};
    pickLoggerLetter(locator.collectMatchEntries(), LoggerVendorId, LoggerProductId, letters);
    return classifyLoggerDrive(letters, loggerDrive);
}

}  // namespace

PollCycle::PollCycle(Program& program, LoggerLocator& locator)
    : program_(program), locator_(locator) {}

void PollCycle::notify(ControlId id, Notification what) {
    switch (what) {
        case Notification::TextChanged:
            if (id == ControlId::SamplingInterval) {
                program_.raise(IntervalEdited);
            } else if (id == ControlId::HighTempAlarm) {
                program_.raise(HighTempAlarmEdited);
            } else if (id == ControlId::LowTempAlarm) {
                program_.raise(LowTempAlarmEdited);
            }
            break;
        case Notification::SelectionChanged:
            if (id == ControlId::TimeZone) {
                program_.raise(TimeZoneChanged);
            } else if (id == ControlId::ChannelSelection) {
                program_.raise(ChannelChanged);
            } else if (id == ControlId::DateFormat) {
                program_.raise(DateFormatChanged);
            } else if (id == ControlId::TemperatureUnit) {
                program_.raise(UnitChanged);
            }
            break;
        case Notification::Clicked:
            if (id == ControlId::SetupLock) {
                program_.raise(SetupLockToggled);
            } else if (id == ControlId::ConfigureButton) {
                program_.raise(ConfigureClicked);
            }
            break;
    }
}

void PollCycle::tick() {
    // A tick delivered while this one waits in a message box must not run a second time
    // through the same writes.
    if (inTick_) {
        return;
    }
    ScopedFlag running(inTick_);

    PollState& state = program_.pollState;
    program_.dialogValues.readFrom(program_.controls);
    ++state.tickCount;

    if (!state.initialised) {
        state.initialised = 1;
        state.LoggerDrive = 0;
        state.imageLoaded = 1;
        program_.raise(TimeZoneChanged | ChannelChanged | UnitChanged);
        program_.controls.setFocus(ControlId::TimeDelay);
        resetWhenGone();
        return;
    }

    processPendingEvents();
    updateClock(program_);

    switch (locateLogger(locator_, state.LoggerDrive)) {
        case LocatorState::LoggerArrived:
            state.imageLoaded = 0;
            state.tickCount = 0;
            break;
        case LocatorState::LoggerPresent:
            if (state.tickCount > 1) {
                readLoggerOnce();
            }
            break;
        default:
            resetWhenGone();
            break;
    }
}

void PollCycle::processPendingEvents() {
    PendingEvents& events = program_.pendingEvents;
    if (events == 0) {
        return;
    }
    // Each test reads the word afresh: work done here may raise later bits for this pass.
    auto take = [&events](PendingEvents bit) {
        if ((events & bit) == 0) {
            return false;
        }
        events &= ~bit;
        return true;
    };
    if (take(TimeZoneChanged)) {
        applyTimeZoneSelection(program_);
    }
    if (take(DateFormatChanged)) {
        renderDate(program_);
    }
    if (take(IntervalEdited)) {
        showRecordingEstimate(program_);
    }
    if (take(ChannelChanged)) {
        applyChannelSelection(program_);
    }
    if (take(UnitChanged)) {
        showAlarmsInUnit(program_);
    }
    if (take(HighTempAlarmEdited)) {
        takeTypedHighAlarm(program_);
    }
    if (take(LowTempAlarmEdited)) {
        takeTypedLowAlarm(program_);
    }
    if (take(SetupLockToggled)) {
        applySetupLock();
    }
    if (take(ConfigureClicked)) {
        configure();
    }
}

void PollCycle::applySetupLock() {
    Controls& controls = program_.controls;
    if (controls.isChecked(ControlId::SetupLock)) {
        for (ControlId id : LockedControls) {
            controls.setEnabled(id, false);
        }
        return;
    }
    for (ControlId id : UnlockedControls) {
        controls.setEnabled(id, true);
    }
    program_.raise(ChannelChanged | UnitChanged);
}

void PollCycle::configure() {
    Controls& controls = program_.controls;
    controls.stopPollTimer();
    collectParameters(program_);
    WriteResult& result = program_.pollState.lastWrite;
    result = WriteResult::Refused;
    if (validateParameters(program_)) {
        controls.setText(ControlId::ConfigureButton, "Configuring...");
        result = writeToLogger();
        if (!succeeded(result)) {
            controls.setText(ControlId::ConfigureButton, "Plug logger");
        }
    }
    controls.startPollTimer();
}

WriteResult PollCycle::writeToLogger() {
    PollState& state = program_.pollState;
    if (state.upgradePending) {
        return WriteResult::HeldBack;  // the settings wait for the upgraded logger
    }
    const WriteOutcome outcome =
        writeConfiguration(program_.drive, {state.LoggerDrive, state.imageDrive},
                           program_.editParams, program_.deviceInfo);
    Controls& controls = program_.controls;
    if (outcome.firmwareOpened) {
        state.upgradeCountdown = 150;
        controls.setText(ControlId::ConfigureButton, "Firmware Upgrade");
    }
    if (outcome.result == WriteResult::UpgradeStarted) {
        state.tickCount = 0;
        state.upgradePending = 1;
    }
    if (outcome.upgradeFailed) {
        controls.showMessage("Firmware upgrade failed,Please try again!");
    }
    if (!succeeded(outcome.result)) {
        controls.showMessage(
            "It's fail to configure device,please confirm that the device was plugged!");
    }
    return outcome.result;
}

void PollCycle::resetWhenGone() {
    PollState& state = program_.pollState;
    if (!state.imageLoaded && !state.upgradePending) {
        return;
    }
    state.imageLoaded = 0;
    Controls& controls = program_.controls;
    if (state.upgradePending) {
        if (state.upgradeCountdown != 0) {
            --state.upgradeCountdown;
        }
        controls.setText(ControlId::ConfigureButton,
                         formatText("Upgrading(%d)", state.upgradeCountdown / 10));
        return;
    }
    controls.setText(ControlId::DeviceId, "");
    controls.setEnabled(ControlId::ConfigureButton, false);
    controls.setText(ControlId::ConfigureButton, "Plug Logger");
    notify(ControlId::SamplingInterval, Notification::TextChanged);
}

void PollCycle::readLoggerOnce() {
    PollState& state = program_.pollState;
    if (state.imageLoaded) {
        return;
    }
    const DriveOpening opening = program_.drive.open(state.LoggerDrive, std::nullopt);
    if (!opening.session) {
        return;
    }
    DeviceImage& image = program_.deviceImage;
    const auto count = opening.session->read(DeviceImageFile, image.bytes);
    if (!count) {
        return;
    }
    image.count = static_cast<std::uint32_t>(*count);
    const DeviceInfo& info = program_.deviceInfo;
    if (parseDeviceImage(image.content(), program_.clockState.hostUtcOffset, program_.deviceInfo,
                         program_.deviceParams) != ImageVerdict::Accepted) {
        return;
    }
    state.imageLoaded = 1;
    state.imageDrive = opening.session->identity();

    Controls& controls = program_.controls;
    if (info.deviceSerial == state.lastDeviceSerial && state.upgradePending) {
        // The upgraded logger is back: send the settings held back for it, as they were
        // collected and checked when the user asked.
        state.upgradePending = 0;
        if (upgradeOnce_ && needsFirmwareUpgrade(info.firmwareVersion, info.firmwareRevision)) {
            state.lastWrite = WriteResult::UpgradeNotTaken;
            return;
        }
        controls.setText(ControlId::ConfigureButton, "Configuring...");
        state.lastWrite = writeToLogger();
        return;
    }
    state.lastDeviceSerial = info.deviceSerial;
    if (!program_.dialogValues.setupLock) {
        fillControls(program_);
    }
    notify(ControlId::SamplingInterval, Notification::TextChanged);
    controls.setEnabled(ControlId::ConfigureButton, true);
    controls.setText(ControlId::ConfigureButton, formatText("Configure (%c)", state.LoggerDrive));
}

}  // namespace veltra
