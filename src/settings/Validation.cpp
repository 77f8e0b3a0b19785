#include "settings/Validation.h"

#include "settings/NumberText.h"

namespace veltra {

bool AllowedTextBytes::contains(std::uint8_t byte) {
    switch (byte) {
        case 0x09:
        case 0x0A:
        case 0x0D:
        case 0xA1:
        case 0xA8:
        case 0xAE:
        case 0xB0:
        case 0xBA:
            return true;
        default:
            return byte >= 0x20 && byte <= 0x7E;
    }
}

TextCheck checkTextField(std::string_view text, std::size_t width, bool checkBytes) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == width) {
            return TextCheck::TooLong;
        }
        if (checkBytes && !AllowedTextBytes::contains(static_cast<std::uint8_t>(text[i]))) {
            return TextCheck::InvalidByte;
        }
    }
    return text.empty() ? TextCheck::Empty : TextCheck::Fine;
}

ValidationFailure findValidationFailure(const LoggerParameters& p, const DeviceInfo& info,
                                        const DialogValues& values) {
    using enum ValidationCheck;
    const bool temperature = (p.channelMode & TemperatureRecorded) != 0;
    const bool humidity = (p.channelMode & HumidityRecorded) != 0;
    // The sensor's range in the alarms' unit, and in degrees for the message.
    constexpr int RangeToAlarmSteps = TempStepsPerDegree / RangeStepsPerDegree;
    const int rangeMin = RangeToAlarmSteps * info.tempRangeMin;
    const int rangeMax = RangeToAlarmSteps * info.tempRangeMax;
    const double shownMin = info.tempRangeMin / double{RangeStepsPerDegree};
    const double shownMax = info.tempRangeMax / double{RangeStepsPerDegree};
    constexpr int FullHumidity = 100 * HumidityStepsPerPercent;

    if (p.startDelay < 0 || p.startDelay > SecondsPerDay) {
        return {StartDelay, "Delay time must be in the range of 0 to 1440 minutes!"};
    }
    if (p.sampleInterval < 1 || p.sampleInterval > SecondsPerDay) {
        return {SampleInterval,
                "Sample interval must be in the range of 1 second to 1440 minutes!"};
    }
    if (p.channelMode < 1 || p.channelMode > 3) {
        return {ChannelMode, "Channel Selected parameter error!"};
    }
    if (p.temperatureUnit > 1) {
        return {TemperatureUnit, "Temperature unit error!"};
    }
    if (p.temperatureUnit == 1 && !info.has(SupportsFahrenheit)) {
        return {Fahrenheit, "Tish device don't support Fahrenheit unit!"};
    }
    if (info.firmwareVersion >= NewFirmwareFamily && temperature &&
        !info.has(HasTemperatureChannel)) {
        return {TemperatureChannel, "The device don't support temperature channel!"};
    }
    if (info.firmwareVersion >= NewFirmwareFamily && humidity && !info.has(HasHumidityChannel)) {
        return {HumidityChannel, "The device don't support humidity channel!"};
    }
    if (values.pdfLanguageIndex != 0 && values.pdfLanguageIndex != 1) {
        return {PdfLanguage, "Pdf language error!"};
    }
    if (temperature) {
        if (p.highTempAlarm > rangeMax || p.highTempAlarm < rangeMin) {
            return {HighTemp,
                    formatText(
                        "The hight temperature alarm limit must be in the range of%1.1f\u2103 to "
                        "%1.1f\u2103",
                        shownMin, shownMax)};
        }
        if (p.lowTempAlarm < rangeMin || p.lowTempAlarm > rangeMax) {
            return {LowTemp, formatText("The low temperature alarm limit must be in the range "
                                        "of%1.1f\u2103 to %1.1f\u2103",
                                        shownMin, shownMax)};
        }
        if (p.highTempAlarm < p.lowTempAlarm) {
            return {TempOrder, "Low temperature alarm must be lower then High temperature alarm"};
        }
    }
    if (humidity) {
        if (p.highHumidityAlarm > FullHumidity) {
            return {HighHumidity, "Hight humidity alarm limit must be in the range of 0% to 100%"};
        }
        if (p.lowHumidityAlarm > FullHumidity) {
            return {LowHumidity, "Low humidity alarm limit must be in the range of 0% to 100%"};
        }
        if (p.highHumidityAlarm < p.lowHumidityAlarm) {
            return {HumidityOrder, "Low humidity alarm must be lower then hight humidity alarm"};
        }
    }
    if (p.alarmLedFlash > 60) {
        return {AlarmLed, "Alarm LED flash Cycle must be in the range of 0 to 60 seconds!"};
    }
    if (p.recordLedFlash > 60) {
        return {RecordLed, "Record LED flash Cycle must be in the range of 0 to 60 seconds!"};
    }
    switch (checkTextField(values.deviceNameText, p.deviceName.size(), false)) {
        case TextCheck::Empty:
            return {DeviceNameEmpty, "Device name can't be empty!"};
        case TextCheck::TooLong:
            return {DeviceNameTooLong, "Device name is too long!"};
        default:
            break;
    }
    switch (checkTextField(values.websiteText, p.website.size(), true)) {
        case TextCheck::TooLong:
            return {WebsiteTooLong, "Website is too long!"};
        case TextCheck::InvalidByte:
            return {WebsiteBytes, "There are some invalid characters in Website!"};
        default:
            break;
    }
    if (checkTextField(values.userInfoText, p.userInfo.size(), false) == TextCheck::TooLong) {
        return {UserInfoTooLong, "User-defined information is too long"};
    }
    if (checkTextField(values.trademarkText, p.trademark.size(), false) == TextCheck::TooLong) {
        return {TrademarkTooLong, "Trademark is too long"};
    }
    return {};
}

}  // namespace veltra
