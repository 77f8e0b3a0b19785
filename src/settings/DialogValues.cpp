#include "settings/DialogValues.h"

namespace veltra {

namespace {

// The text bindings, in the order the window exchanges them.
struct TextBinding {
    ControlId id;
    std::string DialogValues::*value;
};
constexpr TextBinding textBindings[] = {
    {ControlId::TimeDelay, &DialogValues::startDelayText},
    {ControlId::SamplingInterval, &DialogValues::sampleIntervalText},
    {ControlId::HighTempAlarm, &DialogValues::highTempText},
    {ControlId::LowTempAlarm, &DialogValues::lowTempText},
    {ControlId::HighHumidityAlarm, &DialogValues::highHumidityText},
    {ControlId::LowHumidityAlarm, &DialogValues::lowHumidityText},
    {ControlId::AlarmLedFlash, &DialogValues::alarmLedText},
    {ControlId::RecordLedFlash, &DialogValues::recordLedText},
    {ControlId::DateText, &DialogValues::dateText},
    {ControlId::TimeText, &DialogValues::timeText},
    {ControlId::DeviceName, &DialogValues::deviceNameText},
    {ControlId::DeviceId, &DialogValues::deviceIdText},
    {ControlId::Website, &DialogValues::websiteText},
    {ControlId::UserInfo, &DialogValues::userInfoText},
    {ControlId::Trademark, &DialogValues::trademarkText},
};

struct ListBinding {
    ControlId id;
    int DialogValues::*value;
};
constexpr ListBinding listBindings[] = {
    {ControlId::ChannelSelection, &DialogValues::channelIndex},
    {ControlId::TemperatureUnit, &DialogValues::unitIndex},
    {ControlId::DateFormat, &DialogValues::dateFormatIndex},
    {ControlId::PdfLanguage, &DialogValues::pdfLanguageIndex},
};

}  // namespace

void DialogValues::readFrom(const Controls& controls) {
    // Twenty controls read again on every tick would be work for nothing while none changed.
    const auto count = controls.changeCount();
    if (count && count == readAtChange) {
        return;
    }
    readAtChange = count;
    for (const auto& binding : textBindings) {
        this->*binding.value = controls.text(binding.id);
    }
    for (const auto& binding : listBindings) {
        this->*binding.value = controls.selection(binding.id);
    }
    setupLock = controls.isChecked(ControlId::SetupLock) ? 1 : 0;
}

void DialogValues::writeTo(Controls& controls) const {
    for (const auto& binding : textBindings) {
        controls.setText(binding.id, this->*binding.value);
    }
    for (const auto& binding : listBindings) {
        controls.select(binding.id, this->*binding.value);
    }
}

}  // namespace veltra
