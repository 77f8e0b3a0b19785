#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/Controls.h"

namespace veltra {

// The main window's control-bound values: texts as bytes, list indexes (-1 for none),
// and the setup lock's check state. The initial values are those the window opens with.
struct DialogValues {
    std::string startDelayText = "60";
    std::string sampleIntervalText = "3";
    int channelIndex = 0;
    int unitIndex = 0;
    std::string highTempText = "8.0";
    std::string lowTempText = "2.0";
    std::string highHumidityText = "80";
    std::string lowHumidityText = "10";
    std::string alarmLedText = "0";
    std::string recordLedText = "0";
    int dateFormatIndex = 2;
    std::string dateText;
    std::string timeText;
    std::string deviceNameText;
    std::string deviceIdText;
    std::string websiteText;
    std::string userInfoText;
    std::string trademarkText;
    int pdfLanguageIndex = 0;
    int setupLock = 0;

    // Reads every bound control into the values, unless the controls report that none has
    // changed since the last read.
    void readFrom(const Controls& controls);
    // Shows the values in the controls (done once, when the window opens).
    void writeTo(Controls& controls) const;

    // The controls' change count at the last read.
    std::optional<std::uint64_t> readAtChange;
};

}  // namespace veltra
