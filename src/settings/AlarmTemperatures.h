#pragma once

namespace veltra {

inline constexpr double celsiusToFahrenheit(double celsius) {
    return celsius * 1.8 + 32.0;
}
inline constexpr double fahrenheitToCelsius(double fahrenheit) {
    return (fahrenheit - 32.0) / 1.8;
}

// The two temperature alarm limits in both units. The Celsius values are sent to the logger;
// the Fahrenheit values are shown when Fahrenheit is selected. A limit's pair always changes
// together.
struct AlarmTemperatures {
    double highAlarmCelsius = 8.0;
    double lowAlarmCelsius = 2.0;
    double highAlarmFahrenheit = 46.4;
    double lowAlarmFahrenheit = 35.6;
};

}  // namespace veltra
