#include "core/HostCharset.h"

#include <windows.h>

#include <climits>

// The host's character set is the ANSI code page; conversions go through UTF-16.
namespace veltra {

namespace {

std::optional<std::wstring> toWide(UINT codePage, std::string_view bytes, DWORD flags) {
    if (bytes.empty()) {
        return std::wstring();
    }
    if (bytes.size() > INT_MAX) {
        return std::nullopt;
    }
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (::MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length) != length) {
        return std::nullopt;
    }
    return wide;
}

// UTF-16 to a code page; with `exact`, text that the code page cannot hold is refused
// instead of being replaced by its default character.
std::optional<std::string> fromWide(UINT codePage, std::wstring_view wide, bool exact) {
    if (wide.empty()) {
        return std::string();
    }
    if (wide.size() > INT_MAX) {
        return std::nullopt;
    }
    const int size = static_cast<int>(wide.size());
    // UTF-8 takes no default character; WC_ERR_INVALID_CHARS refuses lone surrogates.
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = (exact && codePage != CP_UTF8) ? &usedDefault : nullptr;
    const int length = ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0,
                                             nullptr, usedDefaultOut);
    if (length <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    if (::WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, nullptr,
                              usedDefaultOut) != length ||
        usedDefault) {
        return std::nullopt;
    }
    return bytes;
}

// Length of the leading run of `bytes` that the ANSI code page decodes: a lead byte takes its
// trail byte with it.
std::size_t decodableRun(std::string_view bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t step =
            (::IsDBCSLeadByte(static_cast<BYTE>(bytes[at])) && at + 1 < bytes.size()) ? 2 : 1;
        if (!toWide(CP_ACP, bytes.substr(at, step), MB_ERR_INVALID_CHARS)) {
            break;
        }
        at += step;
    }
    return at;
}

}  // namespace

std::optional<std::string> hostTextToUtf8(std::string_view bytes) {
    const auto wide = toWide(CP_ACP, bytes, MB_ERR_INVALID_CHARS);
    if (!wide) {
        return std::nullopt;
    }
    return fromWide(CP_UTF8, *wide, true);
}

std::string hostTextToUtf8Lossy(std::string_view bytes) {
    if (auto whole = hostTextToUtf8(bytes)) {
        return *whole;
    }
    std::string text;
    while (!bytes.empty()) {
        const std::size_t run = decodableRun(bytes);
        text += hostTextToUtf8(bytes.substr(0, run)).value_or(std::string());
        if (run >= bytes.size()) {
            break;
        }
        text += "\xEF\xBF\xBD";
        bytes.remove_prefix(run + 1);
    }
    return text;
}

std::optional<std::string> utf8ToHostText(std::string_view utf8) {
    const auto wide = toWide(CP_UTF8, utf8, MB_ERR_INVALID_CHARS);
    if (!wide) {
        return std::nullopt;
    }
    return fromWide(CP_ACP, *wide, true);
}

}  // namespace veltra
