#pragma once

#include <memory>

#include "core/Host.h"

namespace veltra {

// The real host of the platform the program was built for.
std::unique_ptr<Host> makeHost();

}  // namespace veltra
