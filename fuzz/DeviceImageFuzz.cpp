// DAT.SRC as a logger's drive may hold it: first the parser on the bytes as they are; then,
// with the checksum word made right, the command line's whole configure road over a drive
// held in memory, checked against what the writers promise.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "cli/HeadlessDialog.h"
#include "logger/ByteOrder.h"
#include "logger/CfgRecord.h"
#include "logger/DeviceImage.h"
#include "logger/FirmwareImage.h"
#include "logger/FirmwareUpgrade.h"
#include "logger/LoggerFiles.h"
#include "platform/fake/FixedHost.h"
#include "support/FakeDrive.h"

namespace {

using namespace veltra;
using Bytes = std::vector<std::uint8_t>;

// One logger, at drive E.
class OneLogger : public LoggerLocator {
  public:
    std::vector<std::string> collectMatchEntries() override {
        return {"PFAD_E\\VID_2017&PID_0901\\FUZZ"};
    }
    std::optional<std::filesystem::path> rootOf(char) const override { return std::nullopt; }
};

// Whole words, at least the smallest image, the last word the sum of the others.
Bytes sealed(std::span<const std::uint8_t> bytes) {
    Bytes image(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() & ~std::size_t{3}));
    image.resize(std::max(image.size(), DeviceImage::MinimumSize));
    const std::size_t last = image.size() - 4;
    writeU32Le(image, last, imageChecksum(std::span(image).first(last)));
    return image;
}

void configureThrough(const Bytes& image) {
    test::FakeDrive drive('E');
    drive.put("DAT.SRC", image);
    FixedHost host({2026, 12, 6, 21, 30, 0}, 0);
    OneLogger locator;
    cli::HeadlessDialog dialog(host, locator, drive);
    FUZZ_CHECK(dialog.waitUntilShown(10));
    const WriteResult result = dialog.configure();

    const DialogState& state = dialog.state();
    const DeviceInfo& info = state.deviceInfo;
    const bool upgrade = needsFirmwareUpgrade(info.firmwareVersion, info.firmwareRevision);
    const Bytes marker(MarkerBytes, MarkerBytes + 2);
    switch (result) {
        case WriteResult::Refused:
            FUZZ_CHECK(drive.files.size() == 1 && !dialog.controls().messages().empty());
            break;
        case WriteResult::Written:
            FUZZ_CHECK(!upgrade && !drive.has("APP.BIN"));
            FUZZ_CHECK(drive.file("CONFIG.CFG") ==
                       buildConfigFile(state.editParams, info.firmwareVersion));
            FUZZ_CHECK(drive.file("OK.DAT") == marker);
            break;
        case WriteResult::UpgradeStarted:
            FUZZ_CHECK(upgrade);
            FUZZ_CHECK(std::equal(FirmwareImage.begin(), FirmwareImage.end(),
                                  drive.file("APP.BIN").begin(), drive.file("APP.BIN").end()));
            FUZZ_CHECK(drive.file("CONFIG.CFG") == buildUpgradeConfigFile(info.firmwareVersion));
            FUZZ_CHECK(drive.file("OK.DAT") == marker);
            break;
        default:
            FUZZ_CHECK(!"a drive that fails nothing gives no other result");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, std::min(size, DeviceImage::Capacity));
    DeviceInfo info;
    LoggerParameters params{};
    parseDeviceImage(bytes, 0, info, params);
    configureThrough(sealed(bytes));
    return 0;
}
