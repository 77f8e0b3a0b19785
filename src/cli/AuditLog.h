#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "cli/ConfigureRun.h"

namespace veltra::cli {

// One logger's record: when, which logger, what was written, what it came to.
nlohmann::ordered_json outcomeJson(const Outcome& outcome, bool verifyAsked);

// The result in one word, for the record and the one line per logger.
const char* resultWord(int exitCode);

// An append-only file of one JSON object a line. Each line is written whole in one append and
// made durable before the next logger is handled; earlier lines are never rewritten.
class AuditLog {
  public:
    AuditLog() = default;
    AuditLog(const AuditLog&) = delete;
    AuditLog& operator=(const AuditLog&) = delete;
    ~AuditLog();

    // Opens (creating) the file; empty when done, otherwise why not.
    std::string open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    // Whether an append failed: no logger is handled after that.
    bool failed() const { return failed_; }
    // Appends the line; empty when done and durable, otherwise why not.
    std::string append(const nlohmann::ordered_json& record);

  private:
    int fd_ = -1;
    std::string path_;
    bool failed_ = false;
};

// One logger's line: where, its serial, and what configuring it came to.
std::string summaryLine(const Outcome& outcome);

// Where each logger's outcome goes: a JSON object or a line on standard output, and the log.
class OutcomeReport {
  public:
    OutcomeReport(bool json, bool lines, bool verifyAsked)
        : json_(json), lines_(lines), verifyAsked_(verifyAsked) {}

    // Opens the log when a path is given; false, with the reason printed, when it cannot.
    bool openLog(const std::string& path);
    // Reports one logger, `prefix` before its line; its exit code, or 3 when the log failed.
    int add(const Outcome& outcome, const std::string& prefix = "");
    bool logFailed() const { return log_.failed(); }

  private:
    bool json_, lines_, verifyAsked_;
    AuditLog log_;
};

}  // namespace veltra::cli
