#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace veltra::cli {

// An append-only file of one record a line, kept to the standard of the logger's files: each
// line is appended whole, in one write, under the log's lock, and made durable before the next
// logger is handled; earlier lines are never rewritten. A log that is no regular file (a
// pipe, a terminal, /dev/null) gets its lines but cannot be synced, and is not asked to be.
class AuditLog {
  public:
    AuditLog() = default;
    AuditLog(const AuditLog&) = delete;
    AuditLog& operator=(const AuditLog&) = delete;
    ~AuditLog();

    // Opens (creating) the file; empty when done, otherwise why not.
    std::string open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // Whether an append failed: no logger is handled after that.
    bool failed() const { return failed_; }

    // Appends one line (without its newline); empty when done and durable, otherwise why not.
    // The one place where the log grows: the lock is held from reading the log's end to the
    // sync, so that what a record is built from (the log's last line) stays its last line.
    std::string append(std::string_view line);

  private:
    int fd_ = -1;
    std::string path_;
    bool regular_ = false;
    bool failed_ = false;
};

// Whether the file at `path` (which need not exist yet) lies in the folder `root` or in a
// folder below it, whatever links or bind mounts lead there.
bool liesIn(const std::string& path, const std::filesystem::path& root);

}  // namespace veltra::cli
