#pragma once

#include <string>

namespace veltra {

// Who runs the program and where, for records that must say so.
struct HostIdentity {
    std::string host;  // the computer's name; "?" when the system does not tell it
    std::string user;  // the effective user's name (UTF-8); "?" when unknown
};

HostIdentity hostIdentity();

}  // namespace veltra
