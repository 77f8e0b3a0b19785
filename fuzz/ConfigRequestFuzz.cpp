// The simulated logger's CONFIG.CFG reader. The first byte is the logger's firmware version,
// the rest the file it finds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "logger/CfgRecord.h"
#include "simulator/ConfigRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    using namespace veltra;
    const std::span<const std::uint8_t> file(data + 1, size - 1);
    LoggerParameters params{};
    const LoggerParameters before = params;
    const ConfigRequest request = readConfigRequest(file, data[0], params);
    // Only a full configuration changes the settings, and it is the 353 bytes that the tool
    // writes for them.
    FUZZ_CHECK(request == ConfigRequest::Settings || params == before);
    FUZZ_CHECK(request != ConfigRequest::Settings || file.size() == ConfigFileSize);
    FUZZ_CHECK(request != ConfigRequest::Upgrade || file.size() == UpgradeConfigFileSize);
    return 0;
}
