#include "cli/AuditLog.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/Sha256.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace veltra::cli {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// As long as a writer waits for the logger's drive: another run appends a line in far less.
constexpr std::chrono::milliseconds LockWait{3000};
constexpr std::chrono::milliseconds LockRetry{20};

std::string lastError() {
    return std::strerror(errno);
}

#ifdef _WIN32

int openLog(const std::string& path, int flags) {
    return ::_open(path.c_str(), _O_RDWR | _O_APPEND | _O_BINARY | flags, _S_IREAD | _S_IWRITE);
}
constexpr int CreateNew = _O_CREAT | _O_EXCL;

int openOther(const std::string& path) {
    return openLog(path, 0);
}

bool truncateTo(int fd, long long size) {
    return ::_chsize_s(fd, size) == 0;
}

bool isRegular(int fd) {
    struct _stat64 s {};
    return ::_fstat64(fd, &s) == 0 && (s.st_mode & _S_IFMT) == _S_IFREG;
}

// A lock on a byte far past any end the log reaches, so that it keeps other writers of this
// program out without barring anyone's writes (Windows' locks are mandatory).
bool tryLock(int fd, bool locking) {
    OVERLAPPED at{};
    at.Offset = 0xFFFFFFFF;
    at.OffsetHigh = 0x7FFFFFFF;
    const auto file = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    return locking ? ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                                  0, &at) != 0
                   : ::UnlockFileEx(file, 0, 1, 0, &at) != 0;
}

// The log's length and last byte; none for an empty log. False when it cannot be read.
bool lastByte(int fd, int& byte, long long& size) {
    byte = -1;
    size = ::_lseeki64(fd, 0, SEEK_END);
    if (size <= 0) {
        return size == 0;
    }
    unsigned char c = 0;
    const bool read = ::_lseeki64(fd, size - 1, SEEK_SET) == size - 1 && ::_read(fd, &c, 1) == 1;
    byte = c;
    return read;
}

bool readAt(int fd, long long at, char* into, std::size_t count) {
    if (::_lseeki64(fd, at, SEEK_SET) != at) {
        return false;
    }
    while (count > 0) {
        const int got = ::_read(fd, into, static_cast<unsigned>(count));
        if (got <= 0) {
            return false;
        }
        into += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

long long writeSome(int fd, std::string_view bytes) {
    return ::_write(fd, bytes.data(), static_cast<unsigned>(bytes.size()));
}

bool syncFile(int fd) {
    return ::_commit(fd) == 0;
}

// Windows makes a new file's name durable with the file.
bool syncFolderOf(const std::string&) {
    return true;
}

void closeLog(int fd) {
    ::_close(fd);
}

#else

int openLog(const std::string& path, int flags) {
    return ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC | flags, 0644);
}
constexpr int CreateNew = O_CREAT | O_EXCL;

// A FIFO without a reader is refused at once rather than waited on; once open, a slow reader
// is waited for as any pipe's.
int openOther(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return fd;
}

bool truncateTo(int fd, long long size) {
    return ::ftruncate(fd, size) == 0;
}

bool isRegular(int fd) {
    struct stat s {};
    return ::fstat(fd, &s) == 0 && S_ISREG(s.st_mode);
}

bool tryLock(int fd, bool locking) {
    return ::flock(fd, locking ? LOCK_EX | LOCK_NB : LOCK_UN) == 0;
}

bool lastByte(int fd, int& byte, long long& size) {
    byte = -1;
    struct stat s {};
    if (::fstat(fd, &s) != 0) {
        return false;
    }
    size = s.st_size;
    if (s.st_size == 0) {
        return true;
    }
    unsigned char c = 0;
    const bool read = ::pread(fd, &c, 1, s.st_size - 1) == 1;
    byte = c;
    return read;
}

bool readAt(int fd, long long at, char* into, std::size_t count) {
    while (count > 0) {
        const ssize_t got = ::pread(fd, into, count, at);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        into += got;
        at += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

long long writeSome(int fd, std::string_view bytes) {
    return ::write(fd, bytes.data(), bytes.size());
}

bool syncFile(int fd) {
    return ::fsync(fd) == 0;
}

// A log just created is synced together with its name in its folder.
bool syncFolderOf(const std::string& path) {
    fs::path folder = fs::path(path).parent_path();
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return synced;
}

void closeLog(int fd) {
    ::close(fd);
}

#endif

// The log's lines from its end backwards, read in pieces that grow with the line, so that
// neither a long log nor a long line is read more than once.
class BackwardLines {
  public:
    BackwardLines(int fd, long long end) : fd_(fd), start_(end) {}

    // The line before the last one given (its bytes without the newline); false at the start
    // of the file or when it cannot be read.
    bool previous(std::string& line) {
        for (;;) {
            if (const auto newline = buffer_.rfind('\n'); newline != std::string::npos) {
                line = buffer_.substr(newline + 1);
                buffer_.resize(newline);
                return true;
            }
            if (start_ == 0) {
                if (done_) {
                    return false;
                }
                done_ = true;
                line = std::move(buffer_);
                buffer_.clear();
                return true;
            }
            const long long piece = std::min(
                start_, std::max<long long>(64 * 1024, static_cast<long long>(buffer_.size())));
            std::string bytes(static_cast<std::size_t>(piece), '\0');
            if (!readAt(fd_, start_ - piece, bytes.data(), bytes.size())) {
                failed_ = true;
                return false;
            }
            start_ -= piece;
            read_ += piece;
            buffer_.insert(0, bytes);
        }
    }
    bool failed() const { return failed_; }
    long long bytesRead() const { return read_; }

  private:
    int fd_;
    long long start_;  // where the bytes in the buffer begin
    std::string buffer_;
    bool done_ = false;
    bool failed_ = false;
    long long read_ = 0;
};

// How far before the last line the last record is looked for, when that line is none.
constexpr long long RecordSearch = 1024 * 1024;

// The seq and prev that follow a log of `size` bytes whose last byte is `last`; false when
// it cannot be read.
bool chainAfter(int fd, long long size, int last, std::uint64_t& seq, std::string& prev) {
    seq = 1;
    prev = chainStart();
    if (size == 0) {
        return true;
    }
    // A torn last line (no newline after it) is ended before the record: it is the line before.
    BackwardLines lines(fd, last == '\n' ? size - 1 : size);
    std::string line;
    if (!lines.previous(line)) {
        return false;
    }
    prev = sha256Hex(line);
    for (long long lastLine = lines.bytesRead();;) {
        if (const auto found = chainLink(line)) {
            seq = found->seq + 1;
            return true;
        }
        if (lines.bytesRead() - lastLine > RecordSearch || !lines.previous(line)) {
            return !lines.failed();
        }
    }
}

// Holds the log's lock for one append, waiting a while for another writer to finish its own.
class LogLock {
  public:
    LogLock(int fd, bool regular) : fd_(regular ? fd : -1) {
        const auto deadline = Clock::now() + LockWait;
        while (fd_ >= 0 && !tryLock(fd_, true)) {
            if (Clock::now() >= deadline) {
                fd_ = -1;
                failed_ = true;
                break;
            }
            std::this_thread::sleep_for(LockRetry);
        }
    }
    ~LogLock() {
        if (fd_ >= 0) {
            tryLock(fd_, false);
        }
    }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;
    bool failed() const { return failed_; }

  private:
    int fd_;
    bool failed_ = false;
};

// Writes all of `bytes`: in one write unless the system takes only part of them.
std::string writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const long long written = writeSome(fd, bytes);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return written == 0 ? "nothing was written" : lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

}  // namespace

AuditLog::~AuditLog() {
    if (fd_ >= 0) {
        closeLog(fd_);
    }
}

std::string AuditLog::open(const std::string& path) {
    path_ = path;
    // A regular file is read as well, for its last byte; anything else (a pipe, a terminal,
    // /dev/null) is only written.
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    const bool other = fs::exists(status) && !fs::is_regular_file(status);
    fd_ = other ? openOther(path) : openLog(path, CreateNew);
    const bool created = !other && fd_ >= 0;
    if (!other && !created && errno == EEXIST) {
        fd_ = openLog(path, 0);
    }
    if (fd_ < 0) {
        return "cannot open the log " + path + ": " + lastError();
    }
    regular_ = isRegular(fd_);
    if (created && regular_ && !syncFolderOf(path)) {
        return "cannot make the new log " + path + " durable: " + lastError();
    }
    return {};
}

std::string AuditLog::append(const nlohmann::ordered_json& record, std::string& line) {
    std::string error;
    {
        const LogLock lock(fd_, regular_);
        int last = -1;
        long long size = 0;
        std::uint64_t seq = seq_ + 1;
        std::string prev = prev_.empty() ? chainStart() : prev_;
        if (lock.failed()) {
            error = "another program kept it locked";
        } else if (regular_ && !lastByte(fd_, last, size)) {
            error = lastError();
        } else if (regular_ && !chainAfter(fd_, size, last, seq, prev)) {
            error = "cannot read its last line: " + lastError();
        } else {
            nlohmann::ordered_json linked{{"seq", seq}, {"prev", prev}};
            for (const auto& [name, value] : record.items()) {
                linked[name] = value;
            }
            line = linked.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
            // A line torn by an earlier run (one killed mid-write) is ended where it broke
            // off: it stays visibly broken and never runs into this record.
            std::string text = last >= 0 && last != '\n' ? "\n" : "";
            text.append(line).append("\n");
            error = writeAll(fd_, text);
            if (error.empty() && regular_ && !syncFile(fd_)) {
                error = lastError();
            }
            // What part of the line went in is taken out again, so that the log holds whole
            // lines only (the next run mends it should this fail too).
            if (!error.empty() && regular_ && truncateTo(fd_, size)) {
                syncFile(fd_);
            }
            if (error.empty()) {
                seq_ = seq;
                prev_ = sha256Hex(line);
            }
        }
    }
    if (error.empty()) {
        return {};
    }
    failed_ = true;
    return "cannot append to the log " + path_ + ": " + error;
}

const std::string& chainStart() {
    static const std::string start = sha256Hex({});
    return start;
}

std::optional<ChainLink> chainLink(std::string_view line) {
    const auto json = nlohmann::json::parse(line, nullptr, false);
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto seq = json.find("seq");
    const auto prev = json.find("prev");
    if (seq == json.end() || !seq->is_number_unsigned() || *seq == 0 || prev == json.end() ||
        !prev->is_string()) {
        return std::nullopt;
    }
    const auto& hash = prev->get_ref<const std::string&>();
    if (hash.size() != 64 || hash.find_first_not_of("0123456789abcdef") != std::string::npos) {
        return std::nullopt;
    }
    return ChainLink{seq->get<std::uint64_t>(), hash};
}

bool liesIn(const std::string& path, const fs::path& root) {
    std::error_code error;
    const fs::path file = fs::weakly_canonical(fs::absolute(path, error), error);
    if (error) {
        return false;
    }
    for (fs::path folder = file;; folder = folder.parent_path()) {
        if (fs::equivalent(folder, root, error)) {
            return true;
        }
        if (folder == folder.parent_path()) {
            return false;
        }
    }
}

}  // namespace veltra::cli
