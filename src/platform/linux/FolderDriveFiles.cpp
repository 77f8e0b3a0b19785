#include "platform/linux/FolderDriveFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/UniqueFd.h"

namespace veltra {

namespace {

bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

// Some filesystems cannot sync a folder; their entries are then as durable as they get.
bool syncFolder(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL;
}

// Reading never writes: without O_NOATIME a read on FAT rewrites the access date in the root
// folder's sector. The kernel allows it to the file's owner (as on a user's desktop mount)
// and to root; for anyone else the file is opened as usual.
int openNoAtime(int dirFd, const char* name, int flags) {
    const int fd = ::openat(dirFd, name, flags | O_NOATIME);
    return fd >= 0 || errno != EPERM ? fd : ::openat(dirFd, name, flags);
}

// What a failed call on the drive means to the user.
std::string reasonOf(int error, dev_t volume) {
    switch (error) {
        case EROFS:
            return "the drive is read-only (mounted read-only, or its medium write-protected)";
        case ENOSPC:
        case EDQUOT:
            return "the drive is full";
        case EACCES:
        case EPERM:
            return "the drive's files may not be written by this user";
        default:
            break;
    }
    // A pulled drive's filesystem may stay mounted; its device is gone from sysfs.
    const std::string device =
        "/sys/dev/block/" + std::to_string(major(volume)) + ":" + std::to_string(minor(volume));
    struct stat info {};
    if ((error == EIO || error == ENODEV || error == ENXIO) && major(volume) != 0 &&
        ::stat("/sys/dev/block", &info) == 0 && ::lstat(device.c_str(), &info) != 0) {
        return "the drive is gone (it was pulled out)";
    }
    return std::string("the drive answered: ") + std::strerror(error);
}

// The first failure of a session, shared with the files it writes.
struct FailureNote {
    dev_t volume = 0;
    std::string reason;

    bool failed() {
        if (reason.empty()) {
            reason = reasonOf(errno, volume);
        }
        return false;
    }
};

// The name as the folder spells it: FAT mounts may show 8.3 names in lower case. The folder is
// listed through a descriptor of its own, so that the session's descriptor keeps its offset.
std::string spelledName(int rootFd, std::string_view name) {
    const std::string wanted(name);
    struct stat info {};
    if (::fstatat(rootFd, wanted.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        return wanted;
    }
    UniqueFd listFd(openNoAtime(rootFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* dir = listFd ? ::fdopendir(listFd.get()) : nullptr;
    if (!dir) {
        return wanted;
    }
    listFd.release();  // closed with the listing
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

// Takes the root folder's flock, trying again until the wait is over.
bool lockRoot(int fd, std::chrono::milliseconds wait) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(milliseconds(20));
    }
}

class FdOutputFile : public OutputFile {
  public:
    FdOutputFile(UniqueFd root, UniqueFd file, std::shared_ptr<FailureNote> note)
        : root_(std::move(root)), file_(std::move(file)), note_(std::move(note)) {}

    bool write(std::span<const std::uint8_t> bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = ::write(file_.get(), bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                errno = written == 0 ? ENOSPC : errno;
                return note_->failed();
            }
            bytes = bytes.subspan(static_cast<std::size_t>(written));
        }
        return true;
    }

    bool finish() override {
        if (!file_) {
            return false;
        }
        const bool synced = ::fsync(file_.get()) == 0 || note_->failed();
        const bool closed = file_.close() || note_->failed();
        // The new directory entry must be durable too, before any marker that follows it.
        return synced && closed && (syncFolder(root_.get()) || note_->failed());
    }

  private:
    UniqueFd root_;
    UniqueFd file_;
    std::shared_ptr<FailureNote> note_;
};

class FolderSession : public DriveSession {
  public:
    FolderSession(UniqueFd root, DriveIdentity identity)
        : root_(std::move(root)),
          identity_(identity),
          note_(
              std::make_shared<FailureNote>(FailureNote{static_cast<dev_t>(identity.volume), {}})) {
    }

    DriveIdentity identity() const override { return identity_; }

    std::optional<std::size_t> read(std::string_view name, std::span<std::uint8_t> dest) override {
        if (!isPlainName(name)) {
            return std::nullopt;
        }
        const std::string entry = spelledName(root_.get(), name);
        if (!isRegularFile(entry)) {
            return std::nullopt;
        }
        const UniqueFd file(openNoAtime(root_.get(), entry.c_str(),
                                        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat info {};
        if (!file || ::fstat(file.get(), &info) != 0 || !isOwnRegularFile(info)) {
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

    std::unique_ptr<OutputFile> create(std::string_view name) override {
        if (!isPlainName(name)) {
            return nullptr;
        }
        const std::string entry = spelledName(root_.get(), name);
        struct stat info {};
        if (::fstatat(root_.get(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            !isSingleFile(info)) {
            return nullptr;
        }
        // Opened without truncating: what is found under the name is checked first.
        UniqueFd file(::openat(root_.get(), entry.c_str(),
                               O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                               0644));
        if (!file) {
            note_->failed();
            return nullptr;
        }
        if (::fstat(file.get(), &info) != 0 || !isSingleFile(info)) {
            return nullptr;
        }
        // From here on the file is this session's: emptied, or made by it.
        written_.push_back({entry, info.st_ino});
        if (::ftruncate(file.get(), 0) != 0) {
            note_->failed();
            return nullptr;
        }
        UniqueFd root(::fcntl(root_.get(), F_DUPFD_CLOEXEC, 0));
        if (!root) {
            return nullptr;
        }
        return std::make_unique<FdOutputFile>(std::move(root), std::move(file), note_);
    }

    void discardWritten() override {
        for (const auto& [entry, inode] : written_) {
            struct stat info {};
            if (::fstatat(root_.get(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                info.st_ino == inode && isSingleFile(info)) {
                ::unlinkat(root_.get(), entry.c_str(), 0);
            }
        }
        written_.clear();
        syncFolder(root_.get());
    }

    std::string failureReason() const override { return note_->reason; }

    bool remove(std::string_view name) override {
        if (!isPlainName(name)) {
            return false;
        }
        const std::string entry = spelledName(root_.get(), name);
        if (::unlinkat(root_.get(), entry.c_str(), 0) != 0 && errno != ENOENT) {
            return note_->failed();
        }
        return syncFolder(root_.get()) || note_->failed();
    }

  private:
    // Looked at before opening: opening a pipe or a device could wait, or do something.
    bool isRegularFile(const std::string& entry) const {
        struct stat info {};
        return ::fstatat(root_.get(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
               S_ISREG(info.st_mode);
    }
    // A regular file of this drive's filesystem (not one mounted over a name in the root).
    bool isOwnRegularFile(const struct stat& info) const {
        return S_ISREG(info.st_mode) && info.st_dev == identity_.volume;
    }
    // One that may be written: a hard link would carry the writes to a file outside the drive.
    bool isSingleFile(const struct stat& info) const {
        return isOwnRegularFile(info) && info.st_nlink == 1;
    }

    UniqueFd root_;
    DriveIdentity identity_;
    std::shared_ptr<FailureNote> note_;
    // The files this session created or emptied: their names and inodes.
    std::vector<std::pair<std::string, ino_t>> written_;
};

}  // namespace

DriveOpening FolderDriveFiles::open(char drive, std::optional<std::chrono::milliseconds> lockWait) {
    DriveOpening opening;
    const auto root = drive != 0 ? rootOf_(drive) : std::nullopt;
    if (!root) {
        return opening;
    }
    UniqueFd fd(::open(root->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0) {
        return opening;
    }
    if (lockWait && !lockRoot(fd.get(), *lockWait)) {
        opening.refusal = DriveRefusal::Busy;
        return opening;
    }
    opening.session = std::make_unique<FolderSession>(
        std::move(fd), DriveIdentity{static_cast<std::uint64_t>(info.st_dev),
                                     static_cast<std::uint64_t>(info.st_ino)});
    return opening;
}

}  // namespace veltra
