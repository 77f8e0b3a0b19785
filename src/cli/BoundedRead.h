#pragma once

#include <cstddef>
#include <string>

namespace veltra::cli {

// Reads the whole file at `path` ("-": standard input) into `text`, stopping once it holds more
// than `limit` bytes (the caller tells the file as too large by text.size() > limit). Empty
// when read; otherwise why not, as the system says it.
std::string readBounded(const std::string& path, std::size_t limit, std::string& text);

}  // namespace veltra::cli
