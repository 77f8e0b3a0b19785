#include "platform/linux/FolderDriveFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/linux/UniqueFd.h"

namespace veltra {

namespace {

bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

UniqueFd openRoot(const FolderDriveFiles::RootOf& rootOf, char drive) {
    if (drive == 0) {
        return UniqueFd();
    }
    const auto root = rootOf(drive);
    if (!root) {
        return UniqueFd();
    }
    return UniqueFd(::open(root->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// The name as the folder spells it: FAT mounts may show 8.3 names in lower case.
std::string spelledName(int rootFd, std::string_view name) {
    const std::string wanted(name);
    struct stat info {};
    if (::fstatat(rootFd, wanted.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        return wanted;
    }
    const int dirFd = ::dup(rootFd);
    if (dirFd < 0) {
        return wanted;
    }
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return wanted;
    }
    std::string found = wanted;
    while (const dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, wanted.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

class FdOutputFile : public OutputFile {
  public:
    FdOutputFile(UniqueFd root, UniqueFd file) : root_(std::move(root)), file_(std::move(file)) {}

    bool write(std::span<const std::uint8_t> bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = ::write(file_.get(), bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return false;
            }
            bytes = bytes.subspan(static_cast<std::size_t>(written));
        }
        return true;
    }

    bool finish() override {
        if (!file_) {
            return false;
        }
        const bool synced = ::fsync(file_.get()) == 0;
        const bool closed = ::close(file_.release()) == 0;
        // The new directory entry must be durable too, before any marker that follows it.
        const bool rootSynced = ::fsync(root_.get()) == 0 || errno == EINVAL;
        return synced && closed && rootSynced;
    }

  private:
    UniqueFd root_;
    UniqueFd file_;
};

}  // namespace

FolderDriveFiles::RootOf FolderDriveFiles::fixedRoot(std::filesystem::path root) {
    return [root = std::move(root)](char) { return std::optional(root); };
}

std::optional<std::size_t> FolderDriveFiles::read(char drive, std::string_view name,
                                                  std::span<std::uint8_t> dest) {
    if (!isPlainName(name)) {
        return std::nullopt;
    }
    const UniqueFd root = openRoot(rootOf_, drive);
    if (!root) {
        return std::nullopt;
    }
    const std::string spelled = spelledName(root.get(), name);
    const UniqueFd file(
        ::openat(root.get(), spelled.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    // Clean cached pages are dropped so that the read goes to the device.
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_DONTNEED);
    std::size_t total = 0;
    while (total < dest.size()) {
        const ssize_t got = ::read(file.get(), dest.data() + total, dest.size() - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        total += static_cast<std::size_t>(got);
    }
    return total;
}

std::unique_ptr<OutputFile> FolderDriveFiles::create(char drive, std::string_view name) {
    if (!isPlainName(name)) {
        return nullptr;
    }
    UniqueFd root = openRoot(rootOf_, drive);
    if (!root) {
        return nullptr;
    }
    const std::string spelled = spelledName(root.get(), name);
    UniqueFd file(::openat(root.get(), spelled.c_str(),
                           O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                           0644));
    if (!file) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return nullptr;  // a device node or fifo in the logger's root is not a file to use
    }
    return std::make_unique<FdOutputFile>(std::move(root), std::move(file));
}

}  // namespace veltra
