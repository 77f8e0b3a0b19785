#pragma once

#include <string>
#include <string_view>

namespace veltra {

// The SHA-256 digest of `bytes` in lowercase hex (64 characters), from the system's own
// cryptography: libcrypto on Linux, CNG on Windows.
std::string sha256Hex(std::string_view bytes);

}  // namespace veltra
