#include "core/HostCharset.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>

namespace veltra {

namespace {

const char* localeCharset() {
    const char* codeset = ::nl_langinfo(CODESET);
    return (codeset && *codeset) ? codeset : "ANSI_X3.4-1968";
}

// Converts as far as the bytes allow. `rest` receives the offset of the first byte that could
// not be converted (text.size() when all were).
std::string convert(const char* to, const char* from, std::string_view text, std::size_t& rest) {
    rest = 0;
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            break;  // an invalid or incomplete sequence
        }
    }
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    ::iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    ::iconv_close(cd);
    rest = text.size() - inLeft;
    return out;
}

}  // namespace

std::optional<std::string> hostTextToUtf8(std::string_view bytes) {
    std::size_t done = 0;
    std::string text = convert("UTF-8", localeCharset(), bytes, done);
    if (done != bytes.size()) {
        return std::nullopt;
    }
    return text;
}

std::string hostTextToUtf8Lossy(std::string_view bytes) {
    std::string text;
    while (!bytes.empty()) {
        std::size_t done = 0;
        text += convert("UTF-8", localeCharset(), bytes, done);
        if (done >= bytes.size()) {
            break;
        }
        text += "\xEF\xBF\xBD";
        bytes.remove_prefix(done + 1);
    }
    return text;
}

std::optional<std::string> utf8ToHostText(std::string_view utf8) {
    std::size_t done = 0;
    std::string text = convert(localeCharset(), "UTF-8", utf8, done);
    if (done != utf8.size()) {
        return std::nullopt;
    }
    return text;
}

}  // namespace veltra
