#pragma once

#include <QString>
#include <string>
#include <string_view>

// Control texts travel as bytes in the host's character set; widgets show Unicode.
namespace veltra {

// The bytes decoded for showing; a byte that cannot be decoded shows as U+FFFD.
QString fromHostBytes(std::string_view bytes);

// A widget's text as bytes of the host's character set; a character that the set cannot
// hold becomes '?'.
std::string toHostBytes(const QString& text);

}  // namespace veltra
