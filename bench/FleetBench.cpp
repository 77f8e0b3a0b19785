// How long `configure --all --verify` takes over many simulated loggers against one: their
// firmware runs beside veltra-cli in real time, so the figure is mostly waiting, and the
// loggers' waits must overlap for many to cost what one does.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "simulator/LoggerSimulator.h"
#include "support/RunBounded.h"

namespace {

using namespace veltra;
using Clock = std::chrono::steady_clock;

void configureAllVerify(benchmark::State& state) {
    const auto count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        test::TempFolder work;
        std::vector<std::unique_ptr<LoggerSimulator>> loggers;
        std::vector<std::string> argv = {VELTRA_CLI,
                                         "configure",
                                         "--all",
                                         "--verify",
                                         "--now",
                                         "2026-12-06 21:30:00",
                                         "--host-utc-offset",
                                         "+00:00",
                                         "--device-name",
                                         "Shelf"};
        for (int i = 0; i < count; ++i) {
            SimulatorSettings settings;
            settings.serial = static_cast<std::uint32_t>(1000 + i);
            const auto folder = work.path() / std::to_string(settings.serial);
            loggers.push_back(std::make_unique<LoggerSimulator>(folder, settings));
            loggers.back()->plugIn();
            argv.insert(argv.end(), {"--drive", folder.string()});
        }
        state.ResumeTiming();
        auto last = Clock::now();
        const test::Outcome run = test::runBounded(argv, std::chrono::minutes(2), [&](pid_t) {
            const auto now = Clock::now();
            for (auto& logger : loggers) {
                logger->advance(std::chrono::duration_cast<std::chrono::milliseconds>(now - last));
            }
            last = now;
        });
        if (run.exitCode != 0) {
            state.SkipWithError(("veltra-cli failed: " + run.err).c_str());
        }
    }
    state.counters["loggers"] = count;
}

}  // namespace

// One drive letter a logger, D to Z: 23 is the most one run takes.
BENCHMARK(configureAllVerify)
    ->Arg(1)
    ->Arg(10)
    ->Arg(23)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

BENCHMARK_MAIN();
