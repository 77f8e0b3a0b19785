#include "platform/Sha256.h"

// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <algorithm>
#include <stdexcept>

namespace veltra {

std::string sha256Hex(std::string_view bytes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    UCHAR digest[32];
    // Fed in pieces, since one call takes at most 4 GiB.
    bool done = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0 &&
                BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0;
    for (std::string_view rest = bytes; done && !rest.empty();) {
        const ULONG piece = static_cast<ULONG>(std::min<std::size_t>(rest.size(), 1u << 30));
        done = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(rest.data())), piece,
                              0) >= 0;
        rest.remove_prefix(piece);
    }
    done = done && BCryptFinishHash(hash, digest, sizeof digest, 0) >= 0;
    if (hash) {
        BCryptDestroyHash(hash);
    }
    if (algorithm) {
        BCryptCloseAlgorithmProvider(algorithm, 0);
    }
    if (!done) {
        throw std::runtime_error("CNG cannot compute SHA-256");
    }
    static constexpr char Hex[] = "0123456789abcdef";
    std::string text;
    for (UCHAR byte : digest) {
        text += Hex[byte >> 4];
        text += Hex[byte & 0xF];
    }
    return text;
}

}  // namespace veltra
