#pragma once

#include "platform/fake/FixedHost.h"
#include "settings/Validation.h"
#include "support/SampleSettings.h"
#include "ui/DialogState.h"
#include "ui/MemoryControls.h"
#include "ui/ParameterBinding.h"

namespace veltra::test {

// The dialog's state over an in-memory window and a fixed host, holding a read logger.
struct StateFixture {
    MemoryControls controls;
    FixedHost host{LocalTime{2024, 2, 29, 19, 30, 15}, 0};
    DialogState state{controls, host};

    StateFixture() { state.deviceInfo = sampleDeviceInfo(); }
    std::string validationFailure() const {
        return firstValidationFailure(state.editParams, state.deviceInfo, state.dialogValues);
    }
    int failedCheck() const {
        return static_cast<int>(
            findValidationFailure(state.editParams, state.deviceInfo, state.dialogValues).check);
    }
};

// The window showing a logger's settings, as after a newly read DAT.SRC.
struct Shown : StateFixture {
    explicit Shown(const LoggerParameters& device = sampleParameters()) {
        state.dialogValues.writeTo(controls);  // as the window opens
        state.deviceParams = device;
        fillControls(state);
    }
    const LoggerParameters& collect() {
        collectParameters(state);
        return state.editParams;
    }
};

}  // namespace veltra::test
