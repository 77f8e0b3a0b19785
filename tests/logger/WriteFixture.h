#pragma once

#include "logger/ConfigurationWriter.h"
#include "support/FakeDrive.h"
#include "support/SampleSettings.h"

namespace veltra::test {

// Valid settings for a logger read from drive E, to be written there.
struct WriteFixture {
    FakeDrive drive{'E'};
    WriteTarget target{'E', drive.identity};  // DAT.SRC was read from this drive
    LoggerParameters params = sampleParameters();
    DeviceInfo info = sampleDeviceInfo();

    WriteOutcome write() { return writeConfiguration(drive, target, params, info); }

    static FakeDrive::Bytes bytes(const std::string& text) {
        return FakeDrive::Bytes(text.begin(), text.end());
    }
};

}  // namespace veltra::test
