#include "cli/BoundedRead.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace veltra::cli {

std::string readBounded(const std::string& path, std::size_t limit, std::string& text) {
    const bool standardInput = path == "-";
#ifdef _WIN32
    if (standardInput) {
        _setmode(_fileno(stdin), _O_BINARY);
    }
#endif
    std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::strerror(errno);
    }
    std::string error;
    char chunk[65536];
    while (text.size() <= limit) {
        const std::size_t count = std::fread(chunk, 1, sizeof chunk, file);
        text.append(chunk, count);
        if (std::ferror(file)) {
            error = std::strerror(errno);
            break;
        }
        if (count < sizeof chunk && std::feof(file)) {
            break;
        }
    }
    if (!standardInput) {
        std::fclose(file);
    }
    return error;
}

}  // namespace veltra::cli
