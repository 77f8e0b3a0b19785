#include <gtest/gtest.h>

#include <fstream>

#include "logger/CfgRecord.h"
#include "logger/FirmwareImage.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempFolder.h"

namespace veltra::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

class Simulator : public ::testing::Test {
  protected:
    Simulator() : logger(folder.path(), settings()) {}

    static SimulatorSettings settings() {
        SimulatorSettings s;
        s.serial = 4242;
        s.firmwareVersion = 40;
        s.firmwareRevision = 1;
        s.upgradedRevision = 3;
        s.configureTime = milliseconds(300);
        s.upgradeTime = milliseconds(500);
        return s;
    }

    void put(const char* name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(folder.path() / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    bool has(const char* name) const { return fs::exists(folder.path() / name); }

    // Lets time pass in 100 ms steps; answers how many steps the logger stayed away.
    int stepsAway() {
        int steps = 0;
        logger.advance(milliseconds(100));
        while (!logger.connected() && steps < 100) {
            EXPECT_FALSE(has("DAT.SRC")) << "an absent logger shows no DAT.SRC";
            logger.advance(milliseconds(100));
            ++steps;
        }
        return steps;
    }

    TempFolder folder;
    LoggerSimulator logger;
};

// What the simulated logger does with the files is proven on the roads of tests/ui; these are
// the files it must refuse.
TEST_F(Simulator, RefusesBrokenConfigurations) {
    const LoggerParameters before = [&] {
        logger.plugIn();
        return logger.parameters();
    }();
    LoggerParameters changed = before;
    changed.sampleInterval = 5;
    const auto good = buildConfigFile(changed, 40);

    auto badChecksum = good;
    badChecksum[30] ^= 1;
    const auto wrongKind = buildConfigFile(changed, 30);
    const std::vector<std::uint8_t> truncated(good.begin(), good.end() - 3);
    const std::vector<std::vector<std::uint8_t>> cases{badChecksum, wrongKind, truncated, {}};
    for (const auto& config : cases) {
        put("CONFIG.CFG", config);
        put("OK.DAT", {'O', 'K'});
        stepsAway();
        EXPECT_EQ(logger.parameters(), before);
        EXPECT_FALSE(has("OK.DAT"));
    }
}

TEST_F(Simulator, TakesOnlyTheWholeFirmwareImage) {
    logger.plugIn();
    const std::vector<std::uint8_t> whole(FirmwareImage.begin(), FirmwareImage.end());
    std::vector<std::uint8_t> flipped = whole;
    flipped[5000] ^= 0x01;
    const struct {
        std::vector<std::uint8_t> firmware;
        std::uint8_t revisionAfter;
    } cases[] = {
        {std::vector<std::uint8_t>(whole.begin(), whole.end() - 1), 1},
        {flipped, 1},
        {whole, 3},
    };
    for (const auto& c : cases) {
        put("APP.BIN", c.firmware);
        put("CONFIG.CFG", buildUpgradeConfigFile(40));
        put("OK.DAT", {'O', 'K'});
        const int away = stepsAway();
        EXPECT_EQ(logger.firmwareRevision(), c.revisionAfter);
        EXPECT_EQ(away, c.revisionAfter == 3 ? 5 : 3) << "firmware takes longer than settings";
        EXPECT_FALSE(has("APP.BIN"));
    }
}

}  // namespace
}  // namespace veltra::test
