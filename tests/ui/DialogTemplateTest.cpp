#include <gtest/gtest.h>

#include <tuple>

#include "support/SampleSettings.h"
#include "ui/DialogTemplate.h"
#include "ui/SettingComparison.h"

namespace veltra {
namespace {

// The main window's controls as the window's design gives them, in template (and tab) order:
// id (-1 for a label without one), kind, and place and size in dialog units. Every front end
// builds from this layout, so a control moved here is moved everywhere.
TEST(DialogTemplate, MainWindowHasEveryControlInItsPlace) {
    using enum ControlKind;
    const struct {
        int id;
        ControlKind kind;
        int x, y, width, height;
    } expected[] = {
        {1001, Button, 236, 142, 67, 25},   {-1, Label, 6, 12, 45, 9},
        {-1, Label, 5, 26, 75, 11},         {-1, Label, 16, 82, 61, 11},
        {-1, Label, 7, 110, 77, 12},        {-1, Label, 7, 68, 70, 11},
        {-1, Label, 170, 124, 52, 10},      {-1, Label, 12, 96, 66, 10},
        {-1, Label, 3, 124, 82, 10},        {1003, Edit, 79, 96, 21, 12},
        {1004, Edit, 79, 82, 21, 12},       {-1, Label, 74, 12, 19, 10},
        {-1, Label, 100, 26, 22, 10},       {1010, Edit, 53, 12, 19, 12},
        {1011, Edit, 79, 26, 19, 12},       {1012, Edit, 83, 124, 18, 12},
        {1013, Edit, 83, 110, 18, 12},      {-1, Label, 103, 124, 22, 10},
        {-1, Label, 103, 110, 22, 10},      {1016, Edit, 223, 54, 52, 12},
        {-1, Label, 179, 54, 41, 10},       {-1, Label, 152, 82, 69, 10},
        {-1, Label, 189, 96, 33, 11},       {-1, Label, 172, 68, 49, 10},
        {-1, Label, 182, 110, 40, 12},      {1017, Edit, 223, 68, 100, 12},
        {1018, Edit, 223, 82, 100, 12},     {1019, Edit, 223, 96, 100, 12},
        {1020, Edit, 223, 110, 72, 12},     {1023, ComboBox, 79, 67, 50, 35},
        {1024, ComboBox, 223, 123, 41, 29}, {1032, Label, 6, 40, 142, 12},
        {1064, Label, 102, 96, 44, 9},      {1063, Label, 102, 82, 42, 9},
        {1029, CheckBox, 274, 123, 50, 13}, {1036, ComboBox, 79, 53, 68, 55},
        {1038, Label, 6, 54, 73, 9},        {-1, Label, 179, 12, 41, 9},
        {1043, ComboBox, 222, 11, 46, 121}, {-1, Label, 171, 40, 49, 10},
        {1045, ComboBox, 223, 39, 52, 51},  {1051, Label, 222, 26, 43, 11},
        {1052, Label, 270, 26, 34, 10},     {-1, Label, 8, 138, 90, 13},
        {-1, Label, 4, 152, 94, 9},         {1060, Edit, 94, 138, 14, 12},
        {-1, Label, 110, 138, 17, 10},      {1061, Edit, 94, 152, 14, 12},
        {-1, Label, 110, 152, 16, 10},      {-1, Label, 179, 26, 42, 10},
    };
    const DialogTemplate& dialog = mainDialogTemplate();
    EXPECT_EQ(std::tuple(dialog.width, dialog.height, dialog.fontPointSize),
              std::tuple(332, 173, 14));
    ASSERT_EQ(dialog.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto& want = expected[i];
        const ControlTemplate& got = dialog.controls[i];
        EXPECT_EQ(std::tuple(toInt(got.id), got.kind, got.x, got.y, got.width, got.height),
                  std::tuple(want.id, want.kind, want.x, want.y, want.width, want.height))
            << "control " << i + 1;
        EXPECT_EQ(got.readOnly, want.id == 1020) << "control " << i + 1;
    }
    // The unit beside a field is that field's, for the screen readers of both windows.
    EXPECT_EQ(unitOwner(ControlId::HighTempUnit), ControlId::HighTempAlarm);
    EXPECT_EQ(unitOwner(ControlId::LowTempUnit), ControlId::LowTempAlarm);
    EXPECT_EQ(unitOwner(ControlId::HighTempAlarm), ControlId::None);
    EXPECT_EQ(unitOwner(ControlId::None), ControlId::None);
}

// The settings written that a logger reports otherwise, as the window shows each: a list's
// entry (or the number where none stands for it), alarms in the record's own unit.
TEST(SettingComparison, NamesEverySettingNotTaken) {
    using Id = ControlId;
    const LoggerParameters reported = test::sampleParameters();
    LoggerParameters written = reported;
    written.channelMode = 2;
    written.temperatureUnit = 0;
    written.highTempAlarm = 161;
    written.lowTempAlarm = -55;
    written.lowHumidityAlarm = 100;
    written.dateFormat = 3;  // one past the list
    written.utcOffsetHours = 14;
    written.utcOffsetMinutes = 0;
    const std::vector<SettingDifference> expected = {
        {Id::ChannelSelection, "Humidity", "Temp+Humidity"},
        {Id::TemperatureUnit, "Celsius", "Fahrenheit"},
        {Id::HighTempAlarm, "8.05", "77.0"},
        {Id::LowTempAlarm, "-2.75", "-40.0"},
        {Id::LowHumidityAlarm, "10.0", "25.0"},
        {Id::DateFormat, "3", "YYYY/MM/DD"},
        {Id::TimeZone, "UTC+14:00", "UTC-03:30"},
    };
    EXPECT_EQ(compareSettings(written, reported), expected);
    written = reported;
    written.utcOffsetHours = written.utcOffsetMinutes = 0;
    EXPECT_EQ(compareSettings(written, reported),
              std::vector<SettingDifference>({{Id::TimeZone, "UTC+00:00", "UTC-03:30"}}));
}

}  // namespace
}  // namespace veltra
