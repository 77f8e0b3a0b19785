#pragma once

#include <cstdint>
#include <string>

#include "logger/DeviceImage.h"

namespace veltra::cli {

// What reading a DAT.SRC named on the command line came to: the same exit code for the same
// fault, whichever command named it.
struct ImageFileRead {
    int exitCode = 0;     // 1: there is none, or it was refused; 3: it could not be read
    std::string message;  // why, when it is not 0
    std::string refusal;  // the check that refused the image, when one did
    DeviceInfo info;
    LoggerParameters params{};
};

// Reads and checks `given`, a DAT.SRC or the logger's folder that holds one (under whatever
// case of its name), as the dialog reads it: a regular file only, never waited on, at most
// as much as the image holds. `hostUtcOffset` gives the default time zone.
ImageFileRead readImageFile(const std::string& given, std::int32_t hostUtcOffset);

}  // namespace veltra::cli
