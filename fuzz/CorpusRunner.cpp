// Feeds files through a fuzz target without libFuzzer: every file named, and every file in
// every folder named, once. The regression test of the target's seed corpus in every build.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

void runFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (!fs::is_directory(argv[i], error)) {
            runFile(argv[i]);
            ++files;
            continue;
        }
        for (const auto& entry : fs::directory_iterator(argv[i], error)) {
            runFile(entry.path());
            ++files;
        }
    }
    std::printf("%d inputs run\n", files);
    return files > 0 ? 0 : 1;  // an empty corpus tests nothing
}
