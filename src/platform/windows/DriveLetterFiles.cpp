#include "platform/windows/DriveLetterFiles.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace veltra {

namespace {

// A kernel handle that closes itself.
class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : handle_(other.release()) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            close();
            handle_ = other.release();
        }
        return *this;
    }
    ~Handle() { close(); }
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE release() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }
    bool close() {
        const bool ok = !*this || ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

  private:
    HANDLE handle_;
};

// Memory from VirtualAlloc: its start is aligned for any sector size, as uncached reads need.
class AlignedBuffer {
  public:
    explicit AlignedBuffer(std::size_t size)
        : data_(static_cast<std::uint8_t*>(
              ::VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))),
          size_(data_ ? size : 0) {}
    AlignedBuffer(const AlignedBuffer&) = delete;
    AlignedBuffer& operator=(const AlignedBuffer&) = delete;
    ~AlignedBuffer() {
        if (data_) {
            ::VirtualFree(data_, 0, MEM_RELEASE);
        }
    }
    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    std::uint8_t* data_;
    std::size_t size_;
};

// A file name in the drive's root: no folders, no stream or device syntax, no wildcards.
bool isPlainName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.size() > MAX_PATH - 4) {
        return false;
    }
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 32 ||
               std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    });
}

// What the system says of an open file or folder; nothing when it cannot say.
std::optional<BY_HANDLE_FILE_INFORMATION> informationOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        return std::nullopt;
    }
    return info;
}

// The bytes per sector of the volume that holds `root`; uncached reads come in multiples of it.
DWORD sectorSizeOf(const std::filesystem::path& file) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    wchar_t volume[MAX_PATH + 1] = {};
    if (::GetVolumePathNameW(file.c_str(), volume, MAX_PATH) &&
        ::GetDiskFreeSpaceW(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                            &clusters) &&
        bytesPerSector >= 512 && (bytesPerSector & (bytesPerSector - 1)) == 0) {
        return bytesPerSector;
    }
    return 4096;
}

class HandleOutputFile : public OutputFile {
  public:
    explicit HandleOutputFile(HANDLE file) : file_(file) {}

    bool write(std::span<const std::uint8_t> bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
            DWORD written = 0;
            if (!::WriteFile(file_.get(), bytes.data(), chunk, &written, nullptr) || written == 0) {
                return false;
            }
            bytes = bytes.subspan(written);
        }
        return true;
    }

    bool finish() override {
        if (!file_) {
            return false;
        }
        const bool flushed = ::FlushFileBuffers(file_.get()) != 0;
        const bool closed = file_.close();
        return flushed && closed;
    }

  private:
    Handle file_;
};

class LetterSession : public DriveSession {
  public:
    LetterSession(std::filesystem::path root, Handle folder, Handle lock, DriveIdentity identity)
        : root_(std::move(root)),
          folder_(std::move(folder)),
          lock_(std::move(lock)),
          identity_(identity) {}
    LetterSession(const LetterSession&) = delete;
    LetterSession& operator=(const LetterSession&) = delete;
    ~LetterSession() override {
        if (lock_) {
            ::ReleaseMutex(lock_.get());
        }
    }

    DriveIdentity identity() const override { return identity_; }

    std::optional<std::size_t> read(std::string_view name, std::span<std::uint8_t> dest) override {
        if (!isPlainName(name)) {
            return std::nullopt;
        }
        const std::filesystem::path path = pathOf(name);
        // Uncached, so that the logger's own changes to the file are seen: the system cache
        // does not know that the device changed behind it. The buffer and every request are
        // then whole sectors; the last request may return fewer bytes at the end of the file.
        const Handle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT |
                                            FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN,
                                        nullptr));
        if (!file || !isOwnDiskFile(file.get(), false)) {
            return std::nullopt;
        }
        const DWORD sector = sectorSizeOf(path);
        const std::size_t chunk = std::max<std::size_t>(64 * 1024 / sector, 1) * sector;
        const AlignedBuffer buffer(chunk);
        if (!buffer.data()) {
            return std::nullopt;
        }
        std::size_t total = 0;
        while (total < dest.size()) {
            DWORD got = 0;
            if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(chunk), &got, nullptr)) {
                return std::nullopt;
            }
            const std::size_t used = std::min<std::size_t>(got, dest.size() - total);
            std::copy_n(buffer.data(), used, dest.data() + total);
            total += used;
            if (got < chunk) {
                break;  // the end of the file
            }
        }
        return total;
    }

    std::unique_ptr<OutputFile> create(std::string_view name) override {
        if (!isPlainName(name)) {
            return nullptr;
        }
        // Opened without truncation first: a reparse point, a device or a file with other
        // names must be refused before anything is changed. Writes go through to the device.
        Handle file(::CreateFileW(
            pathOf(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_WRITE_THROUGH,
            nullptr));
        if (!file || !isOwnDiskFile(file.get(), true)) {
            return nullptr;
        }
        if (!::SetEndOfFile(file.get())) {  // the new handle is at offset 0: truncates
            return nullptr;
        }
        return std::make_unique<HandleOutputFile>(file.release());
    }

    bool remove(std::string_view name) override {
        if (!isPlainName(name)) {
            return false;
        }
        // A link in the root is removed itself, never what it points to.
        if (::DeleteFileW(pathOf(name).c_str())) {
            return true;
        }
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }

  private:
    std::filesystem::path pathOf(std::string_view name) const {
        // The names are the logger's own, plain ASCII.
        return root_ / std::filesystem::path(std::string(name));
    }

    // A regular file on a disk, reached without following a reparse point, on the volume of
    // the held root (a folder mounted on a name in the root is another volume). One that is
    // to be written must have no other name: a hard link would carry the writes elsewhere.
    bool isOwnDiskFile(HANDLE file, bool single) const {
        const auto info =
            ::GetFileType(file) == FILE_TYPE_DISK ? informationOf(file) : std::nullopt;
        return info &&
               (info->dwFileAttributes &
                (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
               info->dwVolumeSerialNumber == identity_.volume &&
               (!single || info->nNumberOfLinks == 1);
    }

    std::filesystem::path root_;
    Handle folder_;  // held open: the root cannot be removed or replaced meanwhile
    Handle lock_;
    DriveIdentity identity_;
};

// The drive's lock: a mutex named after the volume's serial number, so that every writer of
// this program on this machine's session takes the same one.
Handle lockVolume(DWORD serial, std::chrono::milliseconds wait) {
    std::wstring name = L"Local\\Veltra-drive-";
    for (int shift = 28; shift >= 0; shift -= 4) {
        name += L"0123456789ABCDEF"[(serial >> shift) & 0xF];
    }
    Handle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!mutex) {
        return Handle();
    }
    const DWORD waited = ::WaitForSingleObject(mutex.get(), static_cast<DWORD>(wait.count()));
    // An abandoned mutex is owned now: its last owner ended without releasing it.
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        return Handle();
    }
    return mutex;
}

}  // namespace

DriveLetterFiles::DriveLetterFiles()
    : rootOf_([](char drive) {
          return std::optional(std::filesystem::path(std::string{drive, ':', '\\'}));
      }) {}

DriveOpening DriveLetterFiles::open(char drive, std::optional<std::chrono::milliseconds> lockWait) {
    DriveOpening opening;
    const bool isLetter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
    const auto root = isLetter ? rootOf_(drive) : std::nullopt;
    if (!root) {
        return opening;
    }
    Handle folder(::CreateFileW(
        root->c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const auto info = folder ? informationOf(folder.get()) : std::nullopt;
    if (!info || (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (info->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return opening;
    }
    Handle lock;
    if (lockWait) {
        lock = lockVolume(info->dwVolumeSerialNumber, *lockWait);
        if (!lock) {
            opening.refusal = DriveRefusal::Busy;
            return opening;
        }
    }
    const DriveIdentity identity{info->dwVolumeSerialNumber,
                                 (std::uint64_t{info->nFileIndexHigh} << 32) | info->nFileIndexLow};
    opening.session =
        std::make_unique<LetterSession>(*root, std::move(folder), std::move(lock), identity);
    return opening;
}

}  // namespace veltra
