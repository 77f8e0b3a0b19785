#include <CLI/CLI.hpp>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <unordered_map>

#include "cli/AuditLog.h"
#include "cli/Command.h"
#include "platform/Sha256.h"

namespace veltra::cli {

namespace {

namespace fs = std::filesystem;

struct AuditOptions {
    std::string file;
    std::optional<std::uint32_t> serial;
};

// A log's lines as read, each without its newline; empty when read, otherwise why not. Only
// a regular file is read: a pipe or a device would be waited on, and holds no trail anyway.
std::string readLog(const std::string& path, std::vector<std::string>& lines, bool& torn) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        return "cannot read the log " + path + ": there is no such file";
    }
    if (!fs::is_regular_file(status)) {
        return "cannot read the log " + path + ": it is " +
               (fs::is_directory(status) ? "a folder" : "not a regular file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "cannot read the log " + path;
    }
    for (std::string line; std::getline(in, line);) {
        torn = in.eof();  // no newline after it
        lines.push_back(std::move(line));
    }
    if (in.bad()) {
        return "cannot read the log " + path + ": a read failed";
    }
    return {};
}

std::string lineName(std::size_t line) {
    return "line " + std::to_string(line);
}

// The first break of the chain in `lines` (numbered from 1), in words that say what was done
// to the log; empty when the chain is whole.
std::string firstBreak(const std::vector<std::string>& lines, bool torn) {
    // Line 0 is the chain's start: no bytes, no seq.
    std::vector<std::string> hashes{chainStart()};
    std::vector<std::optional<ChainLink>> links{ChainLink{}};
    std::unordered_map<std::string, std::size_t> lineOf;
    for (const std::string& line : lines) {
        hashes.push_back(sha256Hex(line));
        links.push_back(chainLink(line));
        lineOf.emplace(hashes.back(), hashes.size() - 1);
    }
    const std::size_t count = lines.size();
    // Whether line j's record follows line i.
    auto follows = [&](std::size_t j, std::size_t i) {
        return j <= count && links[j] && links[j]->prev == hashes[i];
    };
    for (std::size_t i = 1; i <= count; ++i) {
        const std::string here = lineName(i);
        if (!links[i]) {
            if (i == count && torn) {
                return here +
                       ": torn: it breaks off without a newline (a run ended while "
                       "writing it, or the file was cut)";
            }
            if (follows(i + 1, i - 1)) {
                return here + ": inserted: it is no record, and " + lineName(i + 1) + " follows " +
                       (i == 1 ? "the start" : lineName(i - 1));
            }
            return here + ": not a record of the trail (not JSON, or without seq and prev)" +
                   (follows(i + 1, i) ? "; the records after it were appended after the break"
                                      : "");
        }
        const ChainLink& link = *links[i];
        const std::uint64_t before = links[i - 1]->seq;
        const std::string seqs = "seq " + std::to_string(link.seq) +
                                 (i == 1 ? " opens the log" : " follows " + std::to_string(before));
        if (link.prev == hashes[i - 1]) {
            if (link.seq != before + 1) {
                return here + ": " + seqs + ", though its prev matches " +
                       (i == 1 ? "the start" : lineName(i - 1)) + " (its seq was changed)";
            }
            continue;
        }
        std::string what;
        if (const auto moved = lineOf.find(link.prev); moved != lineOf.end() && moved->second > i) {
            what = here + ": out of order: its prev is the hash of " + lineName(moved->second) +
                   ", below it (lines swapped or moved)";
        } else if (follows(i + 1, i - 1)) {
            what = here + ": inserted: " + lineName(i + 1) + "'s prev matches " +
                   (i == 1 ? "the start" : lineName(i - 1));
        } else if (link.seq > before + 1) {
            const std::uint64_t gone = link.seq - before - 1;
            what = here + ": " + seqs + ": " + std::to_string(gone) +
                   (gone == 1 ? " record" : " records") + " removed before it";
        } else if (link.seq == before + 1) {
            what = i == 1 ? here + ": changed: its prev is not the start of a chain"
                          : lineName(i - 1) + ": changed: " + here + "'s prev does not match it";
        } else {
            what = here + ": " + seqs + " and its prev does not match " +
                   (i == 1 ? "the start" : lineName(i - 1)) +
                   " (changed, or a line removed or inserted before it)";
        }
        if (i > 1 && !lines[i - 2].empty() && lines[i - 2].back() == '\r') {
            what += "; " + lineName(i - 1) + " ends with CR LF: were the line ends converted?";
        }
        return what;
    }
    return {};
}

int verify(const AuditOptions& options) {
    std::vector<std::string> lines;
    bool torn = false;
    if (const std::string error = readLog(options.file, lines, torn); !error.empty()) {
        std::cerr << "veltra-cli: " << error << "\n";
        return ExitIoFailure;
    }
    if (const std::string broken = firstBreak(lines, torn); !broken.empty()) {
        std::cout << "broken: " << broken << "\n";
        return ExitBroken;
    }
    std::cout << "intact: " << lines.size() << (lines.size() == 1 ? " record" : " records")
              << ", last hash " << (lines.empty() ? chainStart() : sha256Hex(lines.back())) << "\n";
    return ExitOk;
}

// A value as one cell: control characters, which would move the terminal's cursor, as "?".
std::string cell(const nlohmann::json& value) {
    std::string text = value.is_string() ? value.get<std::string>()
                       : value.is_null() ? std::string("-")
                                         : value.dump();
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return text;
}

// The settings written, in short: the device's name and how many more.
std::string writtenCell(const nlohmann::json& settings) {
    if (!settings.is_object()) {
        return "-";
    }
    const auto name = settings.find("device-name");
    const std::size_t others = settings.size() - (name == settings.end() ? 0 : 1);
    std::string text = name == settings.end() ? "" : "device-name \"" + cell(*name) + "\"";
    if (others > 0) {
        text += (text.empty() ? "" : " and ") + std::to_string(others) +
                (name == settings.end() ? " settings" : " more");
    }
    return text.empty() ? "none" : text;
}

// Columns as a terminal shows them: a UTF-8 character is one column.
std::size_t width(const std::string& text) {
    std::size_t columns = 0;
    for (char c : text) {
        columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return columns;
}

int show(const AuditOptions& options) {
    std::vector<std::string> lines;
    bool torn = false;
    if (const std::string error = readLog(options.file, lines, torn); !error.empty()) {
        std::cerr << "veltra-cli: " << error << "\n";
        return ExitIoFailure;
    }
    using Row = std::vector<std::string>;
    std::vector<Row> rows{{"SEQ", "TIME", "SERIAL", "DRIVE", "RESULT", "WRITTEN"}};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto record = nlohmann::json::parse(lines[i], nullptr, false);
        if (!record.is_object()) {
            if (!options.serial) {
                rows.push_back({"?", "", "", "", "", "(" + lineName(i + 1) + ": not a record)"});
            }
            continue;
        }
        const nlohmann::json serial = record.value("serial", nlohmann::json());
        if (options.serial && !(serial.is_number_unsigned() && serial == *options.serial)) {
            continue;
        }
        rows.push_back({cell(record.value("seq", nlohmann::json())),
                        cell(record.value("time", nlohmann::json())), cell(serial),
                        cell(record.value("drive", nlohmann::json())),
                        cell(record.value("result", nlohmann::json())),
                        writtenCell(record.value("settings", nlohmann::json()))});
    }
    if (options.serial && rows.size() == 1) {
        std::cerr << "veltra-cli: the log " << options.file << " holds no record of serial "
                  << *options.serial << "\n";
        return ExitRefused;
    }
    std::vector<std::size_t> widths(rows.front().size());
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], width(row[c]));
        }
    }
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) {
                line += std::string(widths[c] - width(row[c]) + 2, ' ');
            }
        }
        std::cout << line.substr(0, line.find_last_not_of(' ') + 1) << "\n";
    }
    return std::cout.flush() ? ExitOk : ExitIoFailure;
}

}  // namespace

void addAuditCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<AuditOptions>();
    CLI::App* audit = app.add_subcommand(
        "audit", "Check or list the records that --log kept (one subcommand: verify or show)");
    audit->require_subcommand(1);
    CLI::App* verifyCommand = audit->add_subcommand(
        "verify",
        "Check that the log's chain of records is whole and name its first break "
        "(exit 5)");
    verifyCommand->add_option("FILE", options->file, "the log")->required();
    verifyCommand->callback([options, &run] { run = [options] { return verify(*options); }; });
    CLI::App* showCommand =
        audit->add_subcommand("show", "List the log's records as a table, one a line");
    showCommand->add_option("FILE", options->file, "the log")->required();
    showCommand->add_option("--serial", options->serial, "only the records of this serial");
    showCommand->callback([options, &run] { run = [options] { return show(*options); }; });
}

}  // namespace veltra::cli
