#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>

#include <sstream>
#include <string>

#include "SysfsTree.h"
#include "discovery/DeviceLocator.h"
#include "discovery/LoggerLetter.h"
#include "platform/linux/LinuxLocatorPlatform.h"
#include "platform/linux/UniqueFd.h"

namespace {

using namespace veltra;

// One poll tick's share of the locator: collect, pick, classify.
void tick(DeviceLocator& locator, char& loggerDrive) {
    const auto entries = locator.collectMatchEntries();
    const char found = pickLoggerLetter(entries, LoggerVendorId, LoggerProductId);
    benchmark::DoNotOptimize(classifyLoggerDrive(found, loggerDrive));
}

// `drives` USB sticks, each with a mounted partition (drives from C: on); the logger is the
// last one. Beside them a SATA disk with the root filesystem and loop devices of snaps, as on
// a desktop.
void layOut(SysfsTree& tree, int drives) {
    tree.addPartition(tree.addSataDisk("sda", "8:0"), "sda1", "8:1");
    for (int i = 0; i < 8; ++i) {
        tree.addVirtual("loop" + std::to_string(i), "7:" + std::to_string(i));
    }
    for (int i = 0; i < drives; ++i) {
        const bool logger = i == drives - 1;
        const std::string disk = "sd" + std::string(1, static_cast<char>('b' + i));
        const unsigned minor = 16u * static_cast<unsigned>(i + 1);
        const auto folder = tree.addUsbDisk(
            disk, "8:" + std::to_string(minor),
            {logger ? "2017" : "0781", logger ? "0901" : "5567", "SN" + std::to_string(i)}, i + 1);
        tree.addPartition(folder, disk + "1", "8:" + std::to_string(minor + 1));
        tree.mount(100 + static_cast<unsigned>(i), "8:" + std::to_string(minor + 1),
                   "/media/u/STICK" + std::to_string(i));
    }
}

// The locator over a fake tree, checked once: every stick is a drive, the logger is found.
struct FakeTreeLocator {
    explicit FakeTreeLocator(int drives_) : drives(drives_) { layOut(tree, drives); }

    bool ready(benchmark::State& state) {
        const auto entries = locator.collectMatchEntries();
        if (entries.size() != static_cast<std::size_t>(drives) ||
            pickLoggerLetter(entries, LoggerVendorId, LoggerProductId) == 0) {
            state.SkipWithError("the fake tree did not give every drive and the logger");
            return false;
        }
        return true;
    }

    int drives;
    SysfsTree tree;
    std::ostringstream console;
    DeviceLocator locator{std::make_unique<LinuxLocatorPlatform>(tree.sysfs(), tree.mountInfo()),
                          console};
    char loggerDrive = 0;
};

// Nothing mounted or plugged between ticks: the idle dialog's every tick.
void unchangedTick(benchmark::State& state) {
    FakeTreeLocator fake(static_cast<int>(state.range(0)));
    if (!fake.ready(state)) {
        return;
    }
    for (auto _ : state) {
        tick(fake.locator, fake.loggerDrive);
    }
}
BENCHMARK(unchangedTick)
    ->Name("LocatorTick/Unchanged")
    ->Arg(1)
    ->Arg(8)
    ->Arg(24)
    ->Unit(benchmark::kMicrosecond);

// Something else is mounted or unmounted before every tick, so the mount table differs each
// time; the drives and disks stay.
void rescanTick(benchmark::State& state) {
    FakeTreeLocator fake(static_cast<int>(state.range(0)));
    if (!fake.ready(state)) {
        return;
    }
    bool mounted = false;
    for (auto _ : state) {
        state.PauseTiming();
        mounted = !mounted;
        if (mounted) {
            fake.tree.mount(900, "0:99", "/run/user/1000/doc", "/", "rw", "portal");
        } else {
            fake.tree.unmount(900);
        }
        state.ResumeTiming();
        tick(fake.locator, fake.loggerDrive);
    }
}
BENCHMARK(rescanTick)
    ->Name("LocatorTick/Rescan")
    ->Arg(1)
    ->Arg(8)
    ->Arg(24)
    ->Unit(benchmark::kMicrosecond);

// This machine's own /sys and /proc/self/mountinfo.
void thisMachineTick(benchmark::State& state) {
    std::ostringstream console;
    DeviceLocator locator(std::make_unique<LinuxLocatorPlatform>("/sys", "/proc/self/mountinfo"),
                          console);
    char loggerDrive = 0;
    for (auto _ : state) {
        tick(locator, loggerDrive);
    }
}
BENCHMARK(thisMachineTick)->Name("LocatorTick/ThisMachine")->Unit(benchmark::kMicrosecond);

// The floor of a tick on which nothing changed: asking the kernel once whether the mount
// table changed.
void pollMountTable(benchmark::State& state) {
    const UniqueFd table(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC));
    for (auto _ : state) {
        pollfd watch{table.get(), POLLPRI, 0};
        benchmark::DoNotOptimize(::poll(&watch, 1, 0));
    }
}
BENCHMARK(pollMountTable)->Name("LocatorTick/Floor")->Unit(benchmark::kMicrosecond);

}  // namespace
