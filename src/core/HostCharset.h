#pragma once

#include <optional>
#include <string>
#include <string_view>

// The host's character set, in which the logger's texts are bytes: the locale's on Linux,
// the ANSI code page on Windows. Each platform provides these.
namespace veltra {

// The text as UTF-8, or nothing when the bytes are not valid in the host's character set.
std::optional<std::string> hostTextToUtf8(std::string_view bytes);

// The same, with every byte that cannot be decoded shown as U+FFFD.
std::string hostTextToUtf8Lossy(std::string_view bytes);

// UTF-8 text as bytes of the host's character set, or nothing when it has no bytes for it.
std::optional<std::string> utf8ToHostText(std::string_view utf8);

}  // namespace veltra
