#include "platform/linux/MountInfoWatch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "platform/linux/UniqueFd.h"

namespace veltra {

namespace {

constexpr long ProcSuperMagic = 0x9fa0;

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

MountInfoWatch::MountInfoWatch(std::filesystem::path path) : path_(std::move(path)) {
    UniqueFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    struct statfs info {};
    if (fd && ::fstatfs(fd.get(), &info) == 0 && static_cast<long>(info.f_type) == ProcSuperMagic) {
        procFd_ = std::move(fd);
    }
}

bool MountInfoWatch::procChanged() {
    pollfd watch{procFd_.get(), POLLPRI, 0};
    int ready = 0;
    do {
        ready = ::poll(&watch, 1, 0);
    } while (ready < 0 && errno == EINTR);
    // The kernel flags a changed table with POLLERR | POLLPRI until it is read again.
    return ready > 0 && (watch.revents & (POLLPRI | POLLERR)) != 0;
}

std::string MountInfoWatch::readProc() {
    std::string text;
    if (::lseek(procFd_.get(), 0, SEEK_SET) != 0) {
        return text;
    }
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(procFd_.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

std::optional<std::string> MountInfoWatch::changedText() {
    if (procFd_) {
        if (!first_ && !procChanged()) {
            return std::nullopt;
        }
        first_ = false;
        last_ = readProc();
        return last_;
    }
    std::string text = readWholeFile(path_);
    if (!first_ && text == last_) {
        return std::nullopt;
    }
    first_ = false;
    last_ = std::move(text);
    return last_;
}

}  // namespace veltra
