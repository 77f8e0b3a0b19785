#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Program.h"
#include "platform/fake/FixedHost.h"
#include "support/FakeDrive.h"
#include "support/SampleSettings.h"
#include "ui/MemoryControls.h"

namespace veltra::test {

// A Program over an in-memory window, a fixed host and a fake drive E: holding a read
// logger (sampleDeviceInfo) and valid settings to write (sampleParameters).
struct ProgramFixture {
    MemoryControls controls;
    FixedHost host{LocalTime{2024, 2, 29, 19, 30, 15}, 0};
    FakeDrive drive{'E'};
    Program program{controls, host, drive};

    ProgramFixture() {
        program.pollState.LoggerDrive = 'E';
        program.pollState.imageDrive = drive.identity;  // DAT.SRC was read from this drive
        program.deviceInfo = sampleDeviceInfo();
        program.editParams = sampleParameters();
        // A message box may stay open for long: the drive must not be held meanwhile.
        controls.setMessageResponder(
            [this](std::string_view) { EXPECT_EQ(drive.sessionsOpen, 0) << "drive held"; });
    }

    const std::vector<std::string>& messages() const { return controls.messages(); }

    static FakeDrive::Bytes bytes(const std::string& text) {
        return FakeDrive::Bytes(text.begin(), text.end());
    }
};

}  // namespace veltra::test
