#include "platform/HostFactory.h"

#include "platform/windows/WindowsHost.h"

namespace veltra {

std::unique_ptr<Host> makeHost() {
    return std::make_unique<WindowsHost>();
}

}  // namespace veltra
