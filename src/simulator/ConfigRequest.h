#pragma once

#include <cstdint>
#include <span>

#include "settings/LoggerParameters.h"

namespace veltra {

// What the logger's firmware makes of the CONFIG.CFG that it finds beside OK.DAT.
enum class ConfigRequest {
    Broken,    // framing, checksum or record kind broken
    Unknown,   // well framed, but neither a full configuration nor an upgrade request
    Upgrade,   // the request to take APP.BIN
    Settings,  // a full configuration
};

// Reads a CONFIG.CFG as a logger with this firmware version does. For Settings, `params`
// takes the records' values; otherwise it is left as it was.
ConfigRequest readConfigRequest(std::span<const std::uint8_t> file, std::uint8_t firmwareVersion,
                                LoggerParameters& params);

}  // namespace veltra
