#pragma once

// The ids of the main window's controls, as the dialog template gives them.
namespace veltra {

enum class ControlId : int {
    None = -1,  // labels without an id of their own
    ConfigureButton = 1001,
    HighTempAlarm = 1003,
    LowTempAlarm = 1004,
    TimeDelay = 1010,
    SamplingInterval = 1011,
    HighHumidityAlarm = 1012,
    LowHumidityAlarm = 1013,
    Trademark = 1016,
    DeviceName = 1017,
    UserInfo = 1018,
    Website = 1019,
    DeviceId = 1020,
    TemperatureUnit = 1023,
    PdfLanguage = 1024,
    SetupLock = 1029,
    RecordingTime = 1032,
    ChannelSelection = 1036,
    ChannelLabel = 1038,
    TimeZone = 1043,
    DateFormat = 1045,
    DateText = 1051,
    TimeText = 1052,
    AlarmLedFlash = 1060,
    RecordLedFlash = 1061,
    LowTempUnit = 1063,
    HighTempUnit = 1064,
};

constexpr int toInt(ControlId id) {
    return static_cast<int>(id);
}

}  // namespace veltra
