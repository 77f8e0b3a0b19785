#include "cli/AuditLog.h"

#include <fcntl.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <iostream>

#include "cli/Command.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

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

int openAppending(const std::string& path) {
#ifdef _WIN32
    return ::_open(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, 0644);
#else
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
#endif
}

bool writeDurably(int fd, const std::string& line) {
#ifdef _WIN32
    return ::_write(fd, line.data(), static_cast<unsigned>(line.size())) ==
               static_cast<int>(line.size()) &&
           ::_commit(fd) == 0;
#else
    return ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) &&
           ::fsync(fd) == 0;
#endif
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
            return "unknown";
    }
}

nlohmann::ordered_json outcomeJson(const Outcome& o, bool verifyAsked) {
    nlohmann::ordered_json record;
    record["time"] = utcNow();
    record["drive"] = o.where;
    record["serial"] = nullptr;
    record["firmwareVersion"] = nullptr;
    record["firmwareRevision"] = nullptr;
    if (o.shown) {
        record["serial"] = o.device.deviceSerial;
        record["firmwareVersion"] = o.device.firmwareVersion;
        record["firmwareRevision"] = o.device.firmwareRevision;
    }
    record["settings"] = nullptr;
    if (o.written) {
        record["settings"] = nlohmann::ordered_json::object();
        for (const auto& [name, value] : *o.written) {
            record["settings"][name] = value;
        }
        record["clock"] = o.clock;
    }
    record["result"] = resultWord(o.exitCode);
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

AuditLog::~AuditLog() {
    if (fd_ >= 0) {
#ifdef _WIN32
        ::_close(fd_);
#else
        ::close(fd_);
#endif
    }
}

std::string AuditLog::open(const std::string& path) {
    path_ = path;
    fd_ = openAppending(path);
    return fd_ < 0 ? "cannot open the log " + path + ": " + std::strerror(errno) : "";
}

std::string AuditLog::append(const nlohmann::ordered_json& record) {
    const std::string line = record.dump() + "\n";
    if (writeDurably(fd_, line)) {
        return {};
    }
    failed_ = true;
    return "cannot append to the log " + path_ + ": " + std::strerror(errno);
}

std::string summaryLine(const Outcome& o) {
    std::string line = o.where + "  serial " +
                       (o.shown ? std::to_string(o.device.deviceSerial) : "unknown") + "  " +
                       resultWord(o.exitCode);
    if (o.verified == true) {
        line += ", verified";
    }
    for (std::size_t i = 0; i < o.differences.size(); ++i) {
        line += (i == 0 ? ": " : ", ") + o.differences[i].name;
    }
    if (o.exitCode != ExitOk && o.differences.empty() && !o.message.empty()) {
        line += ": " + o.message;
    }
    return line;
}

bool OutcomeReport::openLog(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    const std::string error = log_.open(path);
    if (!error.empty()) {
        std::cerr << "veltra-cli: " << error << "; no logger was configured\n";
    }
    return error.empty();
}

int OutcomeReport::add(const Outcome& outcome, const std::string& prefix) {
    const auto record = outcomeJson(outcome, verifyAsked_);
    if (json_) {
        std::cout << record.dump() << "\n" << std::flush;
    } else if (lines_) {
        std::cout << prefix << summaryLine(outcome) << "\n" << std::flush;
    }
    if (log_.isOpen()) {
        if (const std::string error = log_.append(record); !error.empty()) {
            std::cerr << "veltra-cli: " << error << "\n";
            return ExitIoFailure;
        }
    }
    return outcome.exitCode;
}

}  // namespace veltra::cli
