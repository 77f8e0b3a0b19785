#pragma once

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace veltra::cli {

// An append-only file of one JSON record a line, kept to the standard of the logger's files:
// each line is appended whole, in one write, under the log's lock, and made durable before the
// next logger is handled; earlier lines are never rewritten.
//
// The records form a chain: each begins with `seq` (1, 2, ...) and `prev`, the SHA-256 of the
// line before it (its bytes without the newline), the first one's `prev` that of no bytes at
// all. Both are taken from the log's last line under the lock, so that runs appending at once
// keep the chain whole. A log whose chain is broken is appended to all the same: `prev` is
// the hash of the line that is there, whatever it holds, and `seq` follows the last record
// found near the end (1 when none is), so that `audit verify` names the break.
//
// A log that is no regular file (a pipe, a FIFO, a terminal, /dev/null) cannot be read back
// nor synced: its records chain from seq 1 and the empty start anew in every run.
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

    // Appends `record` as one line, `seq` and `prev` put before its own members, and sets
    // `line` to that line (without its newline); empty when done and durable, otherwise why
    // not. The one place where the log grows: the lock is held from reading the log's end to
    // the sync, so that what a record is built from (the log's last line) stays its last line.
    std::string append(const nlohmann::ordered_json& record, std::string& line);

  private:
    int fd_ = -1;
    std::string path_;
    bool regular_ = false;
    bool failed_ = false;
    // The chain of a log that cannot be read back: this run's own records.
    std::uint64_t seq_ = 0;
    std::string prev_;
};

// The `prev` of a chain's first record: the hash of no bytes.
const std::string& chainStart();

// Where a record stands in the chain.
struct ChainLink {
    std::uint64_t seq = 0;
    std::string prev;
};

// The link of a line that is a record of the chain (an object with a whole `seq` from 1 and a
// `prev` of 64 lowercase hex digits); none for any other line.
std::optional<ChainLink> chainLink(std::string_view line);

// Whether the file at `path` (which need not exist yet) lies in the folder `root` or in a
// folder below it, whatever links or bind mounts lead there.
bool liesIn(const std::string& path, const std::filesystem::path& root);

}  // namespace veltra::cli
