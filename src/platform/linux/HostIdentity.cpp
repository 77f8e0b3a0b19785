#include "platform/HostIdentity.h"

#include <limits.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace veltra {

namespace {

std::string userName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name && *found->pw_name) {
        return found->pw_name;
    }
    // A user that the password database does not know (a container's) may still be named.
    const char* user = std::getenv("USER");
    return user && *user ? user : "?";
}

}  // namespace

HostIdentity hostIdentity() {
    char host[HOST_NAME_MAX + 1] = {};
    const bool named = ::gethostname(host, sizeof host - 1) == 0 && host[0] != '\0';
    return {named ? host : "?", userName()};
}

}  // namespace veltra
