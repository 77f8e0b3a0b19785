// The mount table's parser, on any text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "platform/linux/MountTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltra;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const MountEntry& entry : parseMountInfo(text)) {
        entry.readOnly();
    }
    // Decoding never makes a field longer.
    FUZZ_CHECK(unescapeMountField(text).size() <= text.size());
    return 0;
}
