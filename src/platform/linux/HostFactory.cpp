#include "platform/HostFactory.h"

#include "platform/linux/LinuxHost.h"

namespace veltra {

std::unique_ptr<Host> makeHost() { return std::make_unique<LinuxHost>(); }

}  // namespace veltra
