#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "cli/AuditLog.h"
#include "cli/CliRun.h"
#include "cli/OutcomeReport.h"

namespace veltra::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Appends `count` records through the log's own appender, serials from `serial` on.
void appendRecords(const fs::path& log, int count, int serial = 1) {
    cli::AuditLog audit;
    ASSERT_EQ(audit.open(log.string()), "");
    for (int i = 0; i < count; ++i, ++serial) {
        const nlohmann::ordered_json record{
            {"time", "2026-12-06T21:30:00Z"},
            {"drive", "/media/L" + std::to_string(serial)},
            {"serial", serial % 2 + 1},
            {"settings", {{"device-name", "Lab"}, {"unit", "celsius"}}},
            {"result", "configured"}};
        std::string line;
        ASSERT_EQ(audit.append(record, line), "");
    }
}

Lines linesOf(const fs::path& log) {
    Lines lines;
    std::istringstream in(readText(log));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

void writeLines(const fs::path& log, const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    writeFile(log, Bytes(text.begin(), text.end()));
}

// Each edit of an eight-record log (of its lines, or of the file), then `appended` records
// more, and what verify says of it.
TEST(AuditCommand, VerifyNamesTheFirstBreak) {
    using Edit = std::function<void(Lines&)>;
    using FileEdit = std::function<void(const fs::path&)>;
    const std::string torn = R"({"seq":9,"pr)";
    const struct {
        const char* what;
        Edit edit;
        FileEdit file;
        int appended;
        int exitCode;
        std::string said;
    } cases[] = {
        {"intact", {}, {}, 0, 0, "intact: 8 records, last hash "},
        {"a value edited",
         [](Lines& l) { l[3].replace(l[3].find("Lab"), 3, "Lob"); },
         {},
         0,
         5,
         "broken: line 4: changed: line 5's prev does not match it\n"},
        {"a seq edited",
         [](Lines& l) { l[3].replace(l[3].find('4'), 1, "5"); },
         {},
         0,
         5,
         "line 4: seq 5 follows 3, though its prev matches line 3 (its seq was changed)"},
        {"a line removed",
         [](Lines& l) { l.erase(l.begin() + 3); },
         {},
         0,
         5,
         "line 4: seq 5 follows 3: 1 record removed before it"},
        {"the first two removed",
         [](Lines& l) { l.erase(l.begin(), l.begin() + 2); },
         {},
         0,
         5,
         "line 1: seq 3 opens the log: 2 records removed before it"},
        {"two lines swapped",
         [](Lines& l) { std::swap(l[3], l[4]); },
         {},
         0,
         5,
         "line 4: out of order: its prev is the hash of line 5, below it"},
        {"a record inserted",
         [](Lines& l) { l.insert(l.begin() + 3, l[1]); },
         {},
         0,
         5,
         "line 4: inserted: line 5's prev matches line 3"},
        {"junk inserted",
         [](Lines& l) { l.insert(l.begin() + 3, "junk"); },
         {},
         0,
         5,
         "line 4: inserted: it is no record, and line 5 follows line 3"},
        // The file alone cannot tell: nothing follows the last record to vouch for it.
        {"the last line removed", [](Lines& l) { l.pop_back(); }, {}, 0, 0, "intact: 7 records"},
        {"appended after a break",
         [](Lines& l) { l[3].replace(l[3].find("Lab"), 3, "Lob"); },
         {},
         2,
         5,
         "line 4: changed: line 5's prev does not match it"},
        {"appended after a torn line",
         {},
         [&](const fs::path& log) { std::ofstream(log, std::ios::app) << torn; },
         1,
         5,
         "line 9: not a record of the trail (not JSON, or without seq and prev); the records "
         "after it were appended after the break"},
        {"appended after a huge line",
         [](Lines& l) { l.push_back(std::string(3 << 20, '{')); },
         {},
         1,
         5,
         "line 9: not a record of the trail"},
        {"torn at the end",
         {},
         [&](const fs::path& log) { std::ofstream(log, std::ios::app) << torn; },
         0,
         5,
         "line 9: torn: it breaks off without a newline"},
        {"line ends converted",
         [](Lines& l) {
             for (std::string& line : l) {
                 line += '\r';
             }
         },
         {},
         0,
         5,
         "line 1: changed: line 2's prev does not match it; line 1 ends with CR LF"},
        {"empty",
         [](Lines& l) { l.clear(); },
         {},
         0,
         0,
         "intact: 0 records, last hash "
         "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n"},
        {"binary junk",
         {},
         [](const fs::path& log) {
             writeFile(log, {0x00, 0xFF, 0x7B, 0x0A});
         },
         0,
         5,
         "broken: line 1: not a record of the trail"},
        {"a folder",
         {},
         [](const fs::path& log) { fs::remove(log), fs::create_directory(log); },
         0,
         3,
         "cannot read the log"},
        {"a FIFO",
         {},
         [](const fs::path& log) { fs::remove(log), ::mkfifo(log.c_str(), 0600); },
         0,
         3,
         "it is not a regular file"},
        {"missing", {}, [](const fs::path& log) { fs::remove(log); }, 0, 3, "no such file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const fs::path log = folder.path() / "audit.log";
        appendRecords(log, 8);
        if (c.edit) {
            Lines lines = linesOf(log);
            c.edit(lines);
            writeLines(log, lines);
        }
        if (c.file) {
            c.file(log);
        }
        if (c.appended > 0) {
            appendRecords(log, c.appended, 9);
        }
        const Outcome run = runCli({"audit", "verify", log.string()});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.said), std::string::npos) << run.out << run.err;
    }
    EXPECT_EQ(runCli({"audit", "verify"}).exitCode, 2);
}

// Two writers appending to one log at once, each under its own open of it, keep one chain.
TEST(AuditCommand, WritersAtOnceKeepOneChain) {
    TempFolder folder;
    const fs::path log = folder.path() / "audit.log";
    std::thread other([&] { appendRecords(log, 150); });
    appendRecords(log, 150, 1000);
    other.join();
    const Outcome run = runCli({"audit", "verify", log.string()});
    EXPECT_EQ(run.out.rfind("intact: 300 records", 0), 0u) << run.out << run.err;
}

// The records as a table, the columns aligned; --serial picks one logger's.
TEST(AuditCommand, ShowListsTheRecords) {
    TempFolder folder;
    const fs::path log = folder.path() / "audit.log";
    appendRecords(log, 3);
    std::ofstream(log, std::ios::app) << "junk\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{},
         "SEQ  TIME                  SERIAL  DRIVE      RESULT      WRITTEN\n"
         "1    2026-12-06T21:30:00Z  2       /media/L1  configured  device-name \"Lab\" and 1 "
         "more\n"
         "2    2026-12-06T21:30:00Z  1       /media/L2  configured  device-name \"Lab\" and 1 "
         "more\n"
         "3    2026-12-06T21:30:00Z  2       /media/L3  configured  device-name \"Lab\" and 1 "
         "more\n"
         "?                                                         (line 4: not a record)\n"},
        {{"--serial", "1"},
         "SEQ  TIME                  SERIAL  DRIVE      RESULT      WRITTEN\n"
         "2    2026-12-06T21:30:00Z  1       /media/L2  configured  device-name \"Lab\" and 1 "
         "more\n"},
    };
    for (const auto& [options, table] : cases) {
        std::vector<std::string> words{"audit", "show", log.string()};
        words.insert(words.end(), options.begin(), options.end());
        const Outcome run = runCli(words);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, table);
    }
    EXPECT_EQ(runCli({"audit", "show", log.string(), "--serial", "7"}).exitCode, 1);
}

// A record tells who ran it where, the drive as an absolute path, the firmware before an
// upgrade and the plan's row applied.
TEST(AuditCommand, RecordTellsWhoWhereAndWhatCameBefore) {
    cli::Outcome outcome;
    outcome.where = "logger";
    outcome.shown = true;
    outcome.device.firmwareVersion = 37;
    outcome.device.firmwareRevision = 2;
    outcome.upgradedFrom = outcome.device;
    outcome.upgradedFrom->firmwareRevision = 1;
    outcome.planLine = 3;
    outcome.planRow = {{"serial", "1001"}, {"device-name", "Cold room"}};
    auto record = cli::outcomeJson(outcome, false, {"bench", "ana"});
    record.erase("time");
    EXPECT_EQ(record.dump(),
              R"({"host":"bench","user":"ana","drive":")" + fs::absolute("logger").string() +
                  R"(","serial":0,"firmwareVersion":37,"firmwareRevision":2,)"
                  R"("firmwareBefore":{"version":37,"revision":1},"settings":null,)"
                  R"("plan":{"line":3,"values":{"serial":"1001","device-name":"Cold room"}},)"
                  R"("result":"configured","exitCode":0})");
}

}  // namespace
}  // namespace veltra::test
