#pragma once

namespace veltra {

// The version the program reports; the dialog's title carries its own.
inline constexpr const char* VersionText = "2.402";

}  // namespace veltra
