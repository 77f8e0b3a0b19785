#include "platform/linux/MountInfoWatch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace veltra {

namespace {

constexpr long ProcSuperMagic = 0x9fa0;

// Opens without waiting: a FIFO without a writer would otherwise block the tick.
UniqueFd openTable(const std::filesystem::path& path) {
    return UniqueFd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

// Reads an open regular file whole, from its start, into `text`; returns why it cannot, empty
// when it could.
std::string readBounded(int fd, std::string& text) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return std::strerror(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return "not a regular file";
    }
    if (::lseek(fd, 0, SEEK_SET) != 0) {
        return std::strerror(errno);
    }
    text.clear();
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::strerror(errno);
        }
        if (got == 0) {
            return {};
        }
        if (text.size() + static_cast<std::size_t>(got) > MountInfoWatch::Limit) {
            text.clear();
            return "longer than " + std::to_string(MountInfoWatch::Limit >> 20) + " MiB";
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

MountInfoWatch::MountInfoWatch(std::filesystem::path path) : path_(std::move(path)) {
    UniqueFd fd = openTable(path_);
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

std::string MountInfoWatch::readFile() {
    std::string text;
    std::string why;
    if (procFd_) {
        why = readBounded(procFd_.get(), text);
    } else if (const UniqueFd fd = openTable(path_)) {
        why = readBounded(fd.get(), text);
    } else {
        why = std::strerror(errno);
    }
    problem_ = why.empty() ? why : "cannot read the mount table " + path_.string() + ": " + why;
    if (!why.empty()) {
        text.clear();
    }
    return text;
}

std::optional<std::string> MountInfoWatch::changedText() {
    // A table that could not be read is tried again on the next call.
    if (procFd_ && !first_ && problem_.empty() && !procChanged()) {
        return std::nullopt;
    }
    std::string text = readFile();
    if (!first_ && text == last_) {
        return std::nullopt;
    }
    first_ = false;
    last_ = std::move(text);
    return last_;
}

}  // namespace veltra
