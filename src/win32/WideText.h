#pragma once

#include <string>
#include <string_view>

namespace veltra {

// UTF-8 as UTF-16 for the wide-character calls; bytes that are not UTF-8 become U+FFFD.
std::wstring utf8ToWide(std::string_view utf8);

}  // namespace veltra
