#include "platform/windows/DriveLetterFiles.h"

#include <windows.h>

#include <algorithm>

namespace veltra {

namespace {

// A kernel handle that closes itself.
class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
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

// A regular file on a disk, reached without following a reparse point.
bool isPlainDiskFile(HANDLE file) {
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
        return false;
    }
    return (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0;
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

}  // namespace

DriveLetterFiles::DriveLetterFiles()
    : rootOf_([](char drive) {
          return std::optional(std::filesystem::path(std::string{drive, ':', '\\'}));
      }) {}

std::optional<std::filesystem::path> DriveLetterFiles::pathOf(char drive,
                                                              std::string_view name) const {
    const bool isLetter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
    if (!isLetter || !isPlainName(name)) {
        return std::nullopt;
    }
    const auto root = rootOf_(drive);
    if (!root) {
        return std::nullopt;
    }
    // The names are the logger's own, plain ASCII.
    return *root / std::filesystem::path(std::string(name));
}

std::optional<std::size_t> DriveLetterFiles::read(char drive, std::string_view name,
                                                  std::span<std::uint8_t> dest) {
    const auto path = pathOf(drive, name);
    if (!path) {
        return std::nullopt;
    }
    // Uncached, so that the logger's own changes to the file are seen: the system cache does
    // not know that the device changed behind it. The buffer and every request are then
    // whole sectors; the last request may return fewer bytes at the end of the file.
    const Handle file(::CreateFileW(path->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT |
                                        FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN,
                                    nullptr));
    if (!file || !isPlainDiskFile(file.get())) {
        return std::nullopt;
    }
    const DWORD sector = sectorSizeOf(*path);
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

std::unique_ptr<OutputFile> DriveLetterFiles::create(char drive, std::string_view name) {
    const auto path = pathOf(drive, name);
    if (!path) {
        return nullptr;
    }
    // Opened without truncation first: a reparse point or device under that name must be
    // refused before anything is changed. Writes go through to the device.
    Handle file(::CreateFileW(
        path->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file || !isPlainDiskFile(file.get())) {
        return nullptr;
    }
    if (!::SetEndOfFile(file.get())) {  // the new handle is at offset 0: truncates
        return nullptr;
    }
    return std::make_unique<HandleOutputFile>(file.release());
}

}  // namespace veltra
