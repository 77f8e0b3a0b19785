#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "logger/DeviceImage.h"
#include "logger/DeviceInfo.h"
#include "settings/LoggerParameters.h"

namespace {

using namespace veltra;

// An accepted image of `size` bytes that carries a parameter block.
std::vector<std::uint8_t> imageOf(std::size_t size) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) {
        image[i] = static_cast<std::uint8_t>(i * 131 + 7);
    }
    image[image_offset::CapabilityFlags] = 0xE1;
    const std::uint32_t sum = imageChecksum({image.data(), size - 4});
    for (std::size_t i = 0; i < 4; ++i) {
        image[size - 4 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
    }
    return image;
}

// Checking and reading DAT.SRC, once per plugged logger.
void parseImage(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::vector<std::uint8_t> image = imageOf(size);
    DeviceInfo info;
    LoggerParameters params{};
    if (parseDeviceImage(image, 0, info, params) != ImageVerdict::Accepted) {
        state.SkipWithError("the image was refused");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseDeviceImage(image, 0, info, params));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(parseImage)->Name("ParseImage")->Arg(640)->Arg(1024)->Arg(131072);

// The checksum alone: what is left of ParseImage is reading the fields, the same for any size.
void sumImage(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::vector<std::uint8_t> image = imageOf(size);
    for (auto _ : state) {
        benchmark::DoNotOptimize(imageChecksum({image.data(), size - 4}));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(sumImage)->Name("ImageChecksum")->Arg(640)->Arg(1024)->Arg(131072);

// The floor: copying the same bytes.
void copyImage(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::vector<std::uint8_t> image = imageOf(size);
    std::vector<std::uint8_t> copy(size);
    for (auto _ : state) {
        std::memcpy(copy.data(), image.data(), size);
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(copyImage)->Name("Memcpy")->Arg(640)->Arg(1024)->Arg(131072);

}  // namespace

BENCHMARK_MAIN();
