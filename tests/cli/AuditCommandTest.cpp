#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <thread>

#include "cli/CliRun.h"
#include "cli/OutcomeReport.h"

namespace veltra::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Appends `count` records through the log's own appender, of serials 2, 1, 2, ..., the odd ones
// without a device name.
void append(const fs::path& log, int count) {
    cli::AuditLog audit;
    ASSERT_EQ(audit.open(log.string()), "");
    std::string line;
    for (int i = 1; i <= count; ++i) {
        const auto settings = i % 2 ? nlohmann::json{{"unit", "celsius"}, {"high-temp", "8"}}
                                    : nlohmann::json{{"device-name", "Lab"}, {"unit", "celsius"}};
        ASSERT_EQ(audit.append({{"serial", i % 2 + 1}, {"settings", settings}}, line), "");
    }
}

// Each edit of an eight-record log's lines (`tail` after them), then `appended` records more,
// and what verify says of it.
TEST(AuditCommand, VerifyNamesTheFirstBreak) {
    const std::string torn = R"({"seq":9,"pr)";
    const struct {
        std::function<void(Lines&)> edit;
        std::string tail;
        int appended, exitCode;
        std::string said;
    } cases[] = {
        {{}, "", 0, 0, "intact: 8 records, last hash "},
        {[](Lines& l) { l[3].replace(l[3].find("Lab"), 3, "Lob"); }, "", 0, 5,
         "broken: line 4: changed: line 5's prev does not match it\n"},
        {[](Lines& l) { l[3].replace(l[3].find('4'), 1, "5"); }, "", 0, 5,
         "line 4: seq 5 follows 3, though its prev matches line 3 (its seq was changed)"},
        {[](Lines& l) { l.erase(l.begin() + 3); }, "", 0, 5,
         "line 4: seq 5 follows 3: 1 record removed before it"},
        {[](Lines& l) { l.erase(l.begin(), l.begin() + 2); }, "", 0, 5,
         "line 1: seq 3 opens the log: 2 records removed before it"},
        {[](Lines& l) { std::swap(l[3], l[4]); }, "", 0, 5,
         "line 4: out of order: its prev is the hash of line 5, below it"},
        {[](Lines& l) { l.insert(l.begin() + 3, l[1]); }, "", 0, 5,
         "line 4: inserted: line 5's prev matches line 3"},
        {[](Lines& l) { l.insert(l.begin() + 3, "junk"); }, "", 0, 5,
         "line 4: inserted: it is no record, and line 5 follows line 3"},
        // The file alone cannot tell: nothing follows the last record to vouch for it.
        {[](Lines& l) { l.pop_back(); }, "", 0, 0, "intact: 7 records"},
        {[](Lines& l) { l.resize(1); }, "", 0, 0, "intact: 1 record, last hash "},
        // Appended to after a break, which stays named.
        {[](Lines& l) { l[3].replace(l[3].find("Lab"), 3, "Lob"); }, "", 2, 5,
         "line 4: changed: line 5's prev does not match it"},
        {{},
         torn,
         1,
         5,
         "line 9: not a record of the trail (not JSON, or without seq and prev); the records "
         "after it were appended after the break"},
        {[](Lines& l) { l.push_back(std::string(3 << 20, '{')); }, "", 1, 5,
         "line 9: not a record of the trail (not JSON, or without seq and prev); the records"},
        {{}, torn, 0, 5, "line 9: torn: it breaks off without a newline"},
        {[](Lines& l) { std::for_each(l.begin(), l.end(), [](auto& s) { s += '\r'; }); }, "", 0, 5,
         "line 1: changed: line 2's prev does not match it; line 1 ends with CR LF"},
        {[](Lines& l) { l.clear(); }, "", 0, 0,
         "intact: 0 records, last hash "
         "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n"},
        {[](Lines& l) { l = {std::string("\0\xFF{", 3)}; }, "", 0, 5,
         "broken: line 1: not a record of the trail"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        TempFolder folder;
        const fs::path log = folder.path() / "audit.log";
        append(log, 8);
        Lines lines;
        std::istringstream in(readText(log));
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        if (c.edit) {
            c.edit(lines);
        }
        std::ofstream out(log, std::ios::binary | std::ios::trunc);
        std::for_each(lines.begin(), lines.end(), [&](auto& line) { out << line << "\n"; });
        out << c.tail << std::flush;
        append(log, c.appended);
        const Outcome run = runCli({"audit", "verify", log.string()});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
        EXPECT_NE(run.out.find(c.said), std::string::npos) << run.out << run.err;
    }
    // Nothing to read a trail from: a folder, a FIFO (not waited on), no file.
    TempFolder folder;
    ::mkfifo((folder.path() / "fifo").c_str(), 0600);
    for (const fs::path& path : {folder.path(), folder.path() / "fifo", folder.path() / "none"}) {
        EXPECT_EQ(runCli({"audit", "verify", path.string()}).exitCode, 3) << path;
    }
    // Nor is a command given without what it needs, or none; the help and version are no mistake.
    EXPECT_EQ(runCli({"audit", "verify"}).exitCode, 2);
    EXPECT_NE(runCli({}).err.find("A subcommand is required"), std::string::npos);
    EXPECT_NE(runCli({"--help-all"}).out.find("--upgrade-time"), std::string::npos);
    EXPECT_EQ(runCli({"--version"}).out.rfind("veltra-cli ", 0), 0u);
}

// Two writers appending to one log at once, each through its own open of it, keep one chain.
TEST(AuditCommand, WritersAtOnceKeepOneChain) {
    TempFolder folder;
    const fs::path log = folder.path() / "audit.log";
    std::thread other([&] { append(log, 150); });
    append(log, 150);
    other.join();
    EXPECT_EQ(runCli({"audit", "verify", log.string()}).out.substr(0, 19), "intact: 300 records");
}

// The records as a table, the columns aligned; --serial picks one logger's.
TEST(AuditCommand, ShowListsTheRecords) {
    TempFolder folder;
    const fs::path log = folder.path() / "audit.log";
    append(log, 2);
    std::ofstream(log, std::ios::app) << "junk\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{},
         "SEQ  TIME  SERIAL  DRIVE  RESULT  WRITTEN\n"
         "1    -     2       -      -       2 settings\n"
         "2    -     1       -      -       device-name \"Lab\" and 1 more\n"
         "?                                 (line 3: not a record)\n"},
        {{"--serial", "1"},
         "SEQ  TIME  SERIAL  DRIVE  RESULT  WRITTEN\n"
         "2    -     1       -      -       device-name \"Lab\" and 1 more\n"},
    };
    for (const auto& [options, table] : cases) {
        std::vector<std::string> words{"audit", "show", log.string()};
        words.insert(words.end(), options.begin(), options.end());
        EXPECT_EQ(runCli(words).out, table);
    }
    EXPECT_EQ(runCli({"audit", "show", log.string(), "--serial", "7"}).exitCode, 1);
}

// A record tells who ran it where, the drive as an absolute path, the firmware before an
// upgrade and the plan's row applied.
TEST(AuditCommand, RecordTellsWhoWhereAndWhatCameBefore) {
    cli::Outcome outcome;
    outcome.where = "logger";
    outcome.upgradedFrom = DeviceInfo{};
    outcome.upgradedFrom->firmwareRevision = 1;
    outcome.planLine = 3;
    outcome.planRow = {{"serial", "1001"}, {"device-name", "Cold room"}};
    auto record = cli::outcomeJson(outcome, false, {"bench", "ana"});
    record.erase("time");
    EXPECT_EQ(record.dump(),
              R"({"host":"bench","user":"ana","drive":")" + fs::absolute("logger").string() +
                  R"(","serial":null,"firmwareVersion":null,"firmwareRevision":null,)"
                  R"("firmwareBefore":{"version":0,"revision":1},"settings":null,)"
                  R"("plan":{"line":3,"values":{"serial":"1001","device-name":"Cold room"}},)"
                  R"("result":"configured","exitCode":0})");
    outcome.where = "?";  // no drive known: said as it is
    EXPECT_EQ(cli::outcomeJson(outcome, false, {"bench", "ana"})["drive"], "?");
}

}  // namespace
}  // namespace veltra::test
