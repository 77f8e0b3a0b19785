#include "cli/OutcomeReport.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <iostream>

#include "cli/Command.h"

namespace veltra::cli {

namespace {

std::string utcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace

const char* resultWord(int exitCode) {
    switch (exitCode) {
        case ExitOk:
            return "configured";
        case ExitRefused:
            return "not read";
        case ExitInvalid:
            return "refused";
        case ExitIoFailure:
            return "failed";
        case ExitPending:
            return "incomplete";
        case ExitUnverified:
            return "differs";
        default:
            return exitCode > 128 ? "interrupted" : "unknown";
    }
}

nlohmann::ordered_json outcomeJson(const Outcome& o, bool verifyAsked, const HostIdentity& who) {
    nlohmann::ordered_json record;
    record["time"] = utcNow();
    record["host"] = who.host;
    record["user"] = who.user;
    // Absolute, so that the record names the drive wherever the log is read.
    std::error_code error;
    const std::filesystem::path drive = o.where.empty() || o.where == "?"
                                            ? std::filesystem::path()
                                            : std::filesystem::absolute(o.where, error);
    record["drive"] = drive.empty() || error ? o.where : drive.string();
    record["serial"] = nullptr;
    record["firmwareVersion"] = nullptr;
    record["firmwareRevision"] = nullptr;
    if (o.shown) {
        record["serial"] = o.device.deviceSerial;
        record["firmwareVersion"] = o.device.firmwareVersion;
        record["firmwareRevision"] = o.device.firmwareRevision;
    }
    if (o.upgradedFrom) {
        record["firmwareBefore"] = {{"version", o.upgradedFrom->firmwareVersion},
                                    {"revision", o.upgradedFrom->firmwareRevision}};
    }
    record["settings"] = nullptr;
    if (o.written) {
        record["settings"] = nlohmann::ordered_json::object();
        for (const auto& [name, value] : *o.written) {
            record["settings"][name] = value;
        }
        record["clock"] = o.clock;
        // Where the logger keeps a value otherwise than it was given.
        record["adjusted"] = nlohmann::ordered_json::array();
        for (const Adjustment& a : o.adjusted) {
            record["adjusted"].push_back(
                {{"name", a.name}, {"given", a.given}, {"stored", a.stored}});
        }
    }
    if (o.planLine != 0) {
        nlohmann::ordered_json values = nlohmann::ordered_json::object();
        for (const auto& [column, value] : o.planRow) {
            values[column] = value;
        }
        record["plan"] = {{"line", o.planLine}, {"values", values}};
    }
    record["result"] = o.notInPlan ? "not in the plan" : resultWord(o.exitCode);
    record["exitCode"] = o.exitCode;
    if (!o.message.empty()) {
        record["message"] = o.message;
    }
    if (verifyAsked) {
        record["verified"] = o.verified.value_or(false);
        record["differences"] = nlohmann::ordered_json::array();
        for (const Difference& d : o.differences) {
            record["differences"].push_back(
                {{"name", d.name}, {"written", d.written}, {"reported", d.reported}});
        }
    }
    return record;
}

std::string summaryLine(const Outcome& o) {
    std::string line = o.where + "  serial " +
                       (o.shown ? std::to_string(o.device.deviceSerial) : "unknown") + "  " +
                       (o.notInPlan ? "not in the plan" : resultWord(o.exitCode));
    if (o.verified == true) {
        line += ", verified";
    }
    for (std::size_t i = 0; i < o.differences.size(); ++i) {
        line += (i == 0 ? ": " : ", ") + o.differences[i].name;
    }
    if (o.exitCode != ExitOk && o.differences.empty() && !o.message.empty()) {
        line += ": " + o.message;
    }
    for (const Adjustment& a : o.adjusted) {
        line += "; " + adjustmentText(a);
    }
    return line;
}

int OutcomeReport::openLog(const std::string& path,
                           const std::vector<std::filesystem::path>& drives) {
    if (path.empty()) {
        return ExitOk;
    }
    for (const auto& drive : drives) {
        if (liesIn(path, drive)) {
            std::cerr << "veltra-cli: the log " << path << " lies on the logger's drive "
                      << drive.string() << "; nothing was written\n";
            return ExitInvalid;
        }
    }
    if (const std::string error = log_.open(path); !error.empty()) {
        std::cerr << "veltra-cli: " << error << "; no logger was configured\n";
        return ExitIoFailure;
    }
    return ExitOk;
}

int OutcomeReport::add(const Outcome& outcome, const std::string& prefix) {
    const auto record = outcomeJson(outcome, verifyAsked_, who_);
    std::string line =
        record.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    int exitCode = outcome.exitCode;
    // A log on the logger's own drive gets nothing: its files are the logger's.
    if (log_.isOpen() && !outcome.logOnDrive) {
        if (const std::string error = log_.append(record, line); !error.empty()) {
            std::cerr << "veltra-cli: " << error << "\n";
            exitCode = std::max(exitCode, ExitIoFailure);
            stopped_ = true;
        }
    }
    stopped_ = stopped_ || outcome.logOnDrive;
    if (json_) {
        std::cout << line << "\n";
    } else if (lines_) {
        std::cout << prefix << summaryLine(outcome) << "\n";
    }
    // Standard output closed (the reader of a pipe gone) is found once the record is kept.
    if (!std::cout.flush()) {
        std::cerr << "veltra-cli: standard output is closed or cannot be written"
                  << (log_.isOpen() && !log_.failed() ? "; the record is in the log " + log_.path()
                                                      : "")
                  << "\n";
        exitCode = std::max(exitCode, ExitIoFailure);
        stopped_ = true;
    }
    return exitCode;
}

}  // namespace veltra::cli
