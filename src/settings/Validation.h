#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "logger/DeviceInfo.h"
#include "settings/DialogValues.h"
#include "settings/LoggerParameters.h"

namespace veltra {

// The bytes a website may hold: TAB, LF, CR, printable ASCII and five Latin-1 signs.
struct AllowedTextBytes {
    static bool contains(std::uint8_t byte);
};

enum class TextCheck { Fine = 0, Empty = 1, TooLong = 2, InvalidByte = 3 };

// Judges a text as entered against a field of `width` bytes. A forbidden byte within the
// first `width` bytes is reported before the length.
TextCheck checkTextField(std::string_view text, std::size_t width, bool checkBytes);

// The checks, in the order in which they run; None: every check passes.
enum class ValidationCheck {
    None,
    StartDelay,
    SampleInterval,
    ChannelMode,
    TemperatureUnit,
    Fahrenheit,
    TemperatureChannel,
    HumidityChannel,
    PdfLanguage,
    HighTemp,
    LowTemp,
    TempOrder,
    HighHumidity,
    LowHumidity,
    HumidityOrder,
    AlarmLed,
    RecordLed,
    DeviceNameEmpty,
    DeviceNameTooLong,
    WebsiteTooLong,
    WebsiteBytes,
    UserInfoTooLong,
    TrademarkTooLong,
};

// The first check that failed and the message the window shows for it.
struct ValidationFailure {
    ValidationCheck check = ValidationCheck::None;
    std::string message;
};

// The first check that the collected settings fail. The texts are judged as entered
// (`values`), the rest as collected (`params`).
ValidationFailure findValidationFailure(const LoggerParameters& params, const DeviceInfo& info,
                                        const DialogValues& values);

// The same as the message to show; empty when all pass.
inline std::string firstValidationFailure(const LoggerParameters& params, const DeviceInfo& info,
                                          const DialogValues& values) {
    return findValidationFailure(params, info, values).message;
}

}  // namespace veltra
