#include "ui/DerivedDisplay.h"

#include "settings/NumberText.h"
#include "settings/ParameterConversions.h"
#include "ui/DialogState.h"

namespace veltra {

namespace {

constexpr std::uint32_t HumidityBits = 10;

}  // namespace

void showRecordingEstimate(DialogState& state) {
    LoggerParameters& edit = state.editParams;
    edit.sampleInterval = integerValue(state.dialogValues.sampleIntervalText);

    const DeviceInfo& info = state.deviceInfo;
    std::uint32_t bitsPerRecord = info.tempSampleBits;
    if (edit.channelMode == 2) {
        bitsPerRecord = HumidityBits;
    } else if (edit.channelMode == 3) {
        bitsPerRecord = info.tempSampleBits + HumidityBits;
    }
    // A logger that reports no sample size gives no estimate rather than a division by zero.
    if (!state.pollState.imageLoaded || bitsPerRecord == 0) {
        state.showText(ControlId::RecordingTime, "Longest Recording Time:");
        return;
    }
    const std::uint32_t memoryBits = info.memoryCapacity * 8u;
    const std::uint32_t records = memoryBits / bitsPerRecord;
    const std::uint32_t seconds = records * static_cast<std::uint32_t>(edit.sampleInterval);
    const std::string text =
        seconds > SecondsPerDay
            ? formatText("Longest Recording Time: %0.1f days", seconds / double{SecondsPerDay})
            : formatText("Longest Recording Time: %0.1f hours", seconds / double{SecondsPerHour});
    state.showText(ControlId::RecordingTime, text);
}

void applyChannelSelection(DialogState& state) {
    Controls& controls = state.controls;
    const std::uint8_t mode =
        channelModeFromIndex(static_cast<std::uint8_t>(state.dialogValues.channelIndex));
    state.editParams.channelMode = mode;
    state.raise(IntervalEdited);

    if (mode & TemperatureRecorded) {
        controls.setEnabled(ControlId::HighTempAlarm, true);
        controls.setEnabled(ControlId::LowTempAlarm, true);
        if (state.deviceInfo.has(SupportsFahrenheit)) {
            controls.setEnabled(ControlId::TemperatureUnit, true);
        }
    } else {
        controls.setEnabled(ControlId::HighTempAlarm, false);
        controls.setEnabled(ControlId::LowTempAlarm, false);
        controls.setEnabled(ControlId::TemperatureUnit, false);
    }
    const bool humidity = (mode & HumidityRecorded) != 0;
    controls.setEnabled(ControlId::HighHumidityAlarm, humidity);
    controls.setEnabled(ControlId::LowHumidityAlarm, humidity);
}

}  // namespace veltra
