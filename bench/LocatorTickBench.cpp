#include <benchmark/benchmark.h>

#include <sstream>

#include "SysfsTree.h"
#include "discovery/DeviceLocator.h"
#include "discovery/LoggerLetter.h"
#include "platform/linux/LinuxLocatorPlatform.h"

namespace {

using namespace veltra;

// One poll tick's share of the locator: collect, pick, classify.
void runTicks(benchmark::State& state, DeviceLocator& locator) {
    char LoggerDrive = 0;
    for (auto _ : state) {
        const auto entries = locator.collectMatchEntries();
        LetterBuffer letters{};
        pickLoggerLetter(entries, LoggerVendorId, LoggerProductId, letters);
        benchmark::DoNotOptimize(classifyLoggerDrive(letters, LoggerDrive));
    }
}

// 24 USB sticks, each with a mounted partition (drives C: to Z:); the logger is the last one.
void LocatorTickFakeTree(benchmark::State& state) {
    SysfsTree tree;
    for (int i = 0; i < 24; ++i) {
        const bool logger = i == 23;
        const std::string disk = "sd" + std::string(1, static_cast<char>('b' + i));
        const unsigned minor = 16u * static_cast<unsigned>(i + 1);
        const auto folder = tree.addUsbDisk(
            disk, "8:" + std::to_string(minor),
            {logger ? "2017" : "0781", logger ? "0901" : "5567", "SN" + std::to_string(i)}, i + 1);
        tree.addPartition(folder, disk + "1", "8:" + std::to_string(minor + 1));
        tree.mount(100 + static_cast<unsigned>(i), "8:" + std::to_string(minor + 1),
                   "/media/u/STICK" + std::to_string(i));
    }
    std::ostringstream console;
    DeviceLocator locator(std::make_unique<LinuxLocatorPlatform>(tree.sysfs(), tree.mountInfo()),
                          console);
    if (locator.collectMatchEntries().size() != 24) {
        state.SkipWithError("the fake tree did not give 24 joined drives");
        return;
    }
    runTicks(state, locator);
}
BENCHMARK(LocatorTickFakeTree)->Unit(benchmark::kMicrosecond);

// This machine's own /sys and /proc/self/mountinfo (watched with poll).
void LocatorTickThisMachine(benchmark::State& state) {
    std::ostringstream console;
    DeviceLocator locator(std::make_unique<LinuxLocatorPlatform>("/sys", "/proc/self/mountinfo"),
                          console);
    runTicks(state, locator);
}
BENCHMARK(LocatorTickThisMachine)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
