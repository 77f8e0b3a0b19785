#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/AuditLog.h"
#include "cli/ConfigureRun.h"
#include "platform/HostIdentity.h"

namespace veltra::cli {

// One logger's record: when, by whom, which logger, what was written, what it came to.
nlohmann::ordered_json outcomeJson(const Outcome& outcome, bool verifyAsked,
                                   const HostIdentity& who);

// The result in one word, for the record and the one line per logger.
const char* resultWord(int exitCode);

// One logger's line: where, its serial, and what configuring it came to.
std::string summaryLine(const Outcome& outcome);

// Where each logger's outcome goes: the log first, then a JSON object or a line on standard
// output. Once either cannot take a record, no further logger is handled.
class OutcomeReport {
  public:
    OutcomeReport(bool json, bool lines, bool verifyAsked, HostIdentity who = hostIdentity())
        : json_(json), lines_(lines), verifyAsked_(verifyAsked), who_(std::move(who)) {}

    // Opens the log when a path is given, unless it lies on one of the loggers' drives.
    // ExitOk, or the exit code with the reason printed.
    int openLog(const std::string& path, const std::vector<std::filesystem::path>& drives);
    // Reports one logger, `prefix` before its line; its exit code, or 3 when its record could
    // not be kept.
    int add(const Outcome& outcome, const std::string& prefix = "");
    // Whether the records can no longer be kept (the log failed, standard output is closed).
    bool stopped() const { return stopped_; }

  private:
    bool json_, lines_, verifyAsked_;
    HostIdentity who_;
    bool stopped_ = false;
    AuditLog log_;
};

}  // namespace veltra::cli
