#include "ui/PollCycle.h"

#include "discovery/LoggerLetter.h"
#include "logger/ConfigurationWriter.h"
#include "logger/FirmwareUpgrade.h"
#include "logger/LoggerFiles.h"
#include "settings/Validation.h"
#include "ui/Captions.h"
#include "ui/ClockDisplay.h"
#include "ui/ParameterBinding.h"
#include "ui/SettingComparison.h"

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
    const char found =
        pickLoggerLetter(locator.collectMatchEntries(), LoggerVendorId, LoggerProductId);
    return classifyLoggerDrive(found, loggerDrive);
}

}  // namespace

PollCycle::PollCycle(DialogState& state, LoggerLocator& locator, DriveFiles& drive)
    : state_(state), locator_(locator), drive_(drive) {}

void PollCycle::notify(ControlId id, Notification what) {
    state_.raise(eventOf(id, what));
}

void PollCycle::tick() {
    // A tick delivered while this one waits in a message box must not run a second time
    // through the same writes.
    if (inTick_) {
        return;
    }
    ScopedFlag running(inTick_);

    PollState& poll = state_.pollState;
    state_.dialogValues.readFrom(state_.controls);
    ++poll.tickCount;

    if (!poll.initialised) {
        poll.initialised = 1;
        poll.LoggerDrive = 0;
        poll.imageLoaded = 1;
        state_.raise(TimeZoneChanged | ChannelChanged | UnitChanged);
        state_.controls.setFocus(ControlId::TimeDelay);
        resetWhenGone();
        return;
    }

    processPendingEvents();
    updateClock(state_);

    switch (locateLogger(locator_, poll.LoggerDrive)) {
        case LocatorState::LoggerArrived:
            poll.imageLoaded = 0;
            poll.tickCount = 0;
            break;
        case LocatorState::LoggerPresent:
            if (poll.tickCount > 1) {
                readLoggerOnce();
            }
            break;
        default:
            resetWhenGone();
            break;
    }
}

void PollCycle::processPendingEvents() {
    PendingEvents& events = state_.pendingEvents;
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
        applyTimeZoneSelection(state_);
    }
    if (take(DateFormatChanged)) {
        renderDate(state_);
    }
    if (take(IntervalEdited)) {
        showRecordingEstimate(state_);
    }
    if (take(ChannelChanged)) {
        applyChannelSelection(state_);
    }
    if (take(UnitChanged)) {
        alarmDisplay_.showAlarmsInUnit(state_);
    }
    if (take(HighTempAlarmEdited)) {
        alarmDisplay_.takeTypedHighAlarm(state_);
    }
    if (take(LowTempAlarmEdited)) {
        alarmDisplay_.takeTypedLowAlarm(state_);
    }
    if (take(SetupLockToggled)) {
        applySetupLock();
    }
    if (take(ConfigureClicked)) {
        configure();
    }
}

void PollCycle::applySetupLock() {
    Controls& controls = state_.controls;
    if (controls.isChecked(ControlId::SetupLock)) {
        for (ControlId id : LockedControls) {
            controls.setEnabled(id, false);
        }
        return;
    }
    for (ControlId id : UnlockedControls) {
        controls.setEnabled(id, true);
    }
    state_.raise(ChannelChanged | UnitChanged);
}

void PollCycle::configure() {
    Controls& controls = state_.controls;
    controls.stopPollTimer();
    collectParameters(state_);
    WriteResult& result = state_.pollState.lastWrite;
    result = WriteResult::Refused;
    if (validateParameters()) {
        controls.setText(ControlId::ConfigureButton, caption::Configuring);
        result = writeToLogger();
        if (!succeeded(result)) {
            controls.setText(ControlId::ConfigureButton, caption::WriteFailed);
        }
    }
    controls.startPollTimer();
}

bool PollCycle::validateParameters() {
    const std::string failure =
        firstValidationFailure(state_.editParams, state_.deviceInfo, state_.dialogValues);
    if (!failure.empty()) {
        state_.controls.showMessage(failure);
    }
    return failure.empty();
}

WriteResult PollCycle::writeToLogger() {
    PollState& poll = state_.pollState;
    if (poll.upgradePending) {
        return WriteResult::HeldBack;  // the settings wait for the upgraded logger
    }
    poll.writtenSettings.reset();
    poll.returnDifferences.reset();
    const WriteOutcome outcome = writeConfiguration(drive_, {poll.LoggerDrive, poll.imageDrive},
                                                    state_.editParams, state_.deviceInfo);
    if (outcome.result == WriteResult::Written ||
        outcome.result == WriteResult::UpgradeFailedThenWritten) {
        // Looked at again when this logger comes back from taking them.
        poll.writtenSettings = state_.editParams;
        poll.writtenSerial = state_.deviceInfo.deviceSerial;
    }
    poll.lastWriteReason = outcome.reason;
    Controls& controls = state_.controls;
    if (outcome.firmwareOpened) {
        poll.upgradeCountdown = UpgradeCountdownTicks;
        controls.setText(ControlId::ConfigureButton, caption::FirmwareUpgrade);
    }
    if (outcome.result == WriteResult::UpgradeStarted) {
        poll.tickCount = 0;
        poll.upgradePending = 1;
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
    PollState& poll = state_.pollState;
    if (!poll.imageLoaded && !poll.upgradePending) {
        return;
    }
    poll.imageLoaded = 0;
    Controls& controls = state_.controls;
    if (poll.upgradePending) {
        if (poll.upgradeCountdown != 0) {
            --poll.upgradeCountdown;
        }
        controls.setText(ControlId::ConfigureButton,
                         caption::upgrading(poll.upgradeCountdown / TicksPerSecond));
        return;
    }
    controls.setText(ControlId::DeviceId, "");
    controls.setEnabled(ControlId::ConfigureButton, false);
    controls.setText(ControlId::ConfigureButton, caption::PlugLogger);
    state_.raise(IntervalEdited);
}

std::optional<DriveIdentity> PollCycle::readImage() {
    const DriveOpening opening = drive_.open(state_.pollState.LoggerDrive, std::nullopt);
    const auto count =
        opening.session ? opening.session->read(DeviceImageFile, image_.bytes) : std::nullopt;
    if (!count) {
        return std::nullopt;
    }
    image_.count = static_cast<std::uint32_t>(*count);
    if (parseDeviceImage(image_.content(), state_.clockState.hostUtcOffset, state_.deviceInfo,
                         state_.deviceParams) != ImageVerdict::Accepted) {
        return std::nullopt;
    }
    return opening.session->identity();
}

void PollCycle::readLoggerOnce() {
    PollState& poll = state_.pollState;
    if (poll.imageLoaded) {
        return;
    }
    // The drive is let go once read: the writes below open it for themselves, and their
    // messages must not keep it held.
    const std::optional<DriveIdentity> imageDrive = readImage();
    if (!imageDrive) {
        return;
    }
    poll.imageLoaded = 1;
    poll.imageDrive = *imageDrive;

    const DeviceInfo& info = state_.deviceInfo;
    Controls& controls = state_.controls;
    if (info.deviceSerial == poll.lastDeviceSerial && poll.upgradePending) {
        // The upgraded logger is back: send the settings held back for it, as they were
        // collected and checked when the user asked.
        poll.upgradePending = 0;
        if (upgradeOnce_ && needsFirmwareUpgrade(info.firmwareVersion, info.firmwareRevision)) {
            poll.lastWrite = WriteResult::UpgradeNotTaken;
            return;
        }
        controls.setText(ControlId::ConfigureButton, caption::Configuring);
        poll.lastWrite = writeToLogger();
        return;
    }
    poll.lastDeviceSerial = info.deviceSerial;
    if (!state_.dialogValues.setupLock) {
        fillControls(state_);
    }
    state_.raise(IntervalEdited);
    controls.setEnabled(ControlId::ConfigureButton, true);
    controls.setText(ControlId::ConfigureButton, caption::configure(poll.LoggerDrive));
    if (poll.writtenSettings && info.deviceSerial == poll.writtenSerial) {
        compareReturnedSettings();
    }
}

void PollCycle::compareReturnedSettings() {
    // Once per return: the settings written are let go before the user is told.
    PollState& poll = state_.pollState;
    poll.returnDifferences = compareSettings(*poll.writtenSettings, state_.deviceParams);
    poll.writtenSettings.reset();
    if (!poll.returnDifferences->empty()) {
        state_.controls.showMessage(notTakenMessage(*poll.returnDifferences));
    }
}

}  // namespace veltra
