#include <CLI/CLI.hpp>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Command.h"
#include "discovery/LoggerLetter.h"
#include "platform/LocatorFactory.h"

namespace veltra::cli {

namespace {

struct LocateOptions {
    bool json = false;
    bool verbose = false;
    std::string sysfsRoot;
    std::string mountInfo;
};

struct FoundLogger {
    char drive = 0;
    std::string root;
    std::string deviceId;
    bool readOnly = false;
};

const char* typeName(DriveType type) {
    switch (type) {
        case DriveType::Removable:
            return "removable";
        case DriveType::Fixed:
            return "fixed";
        case DriveType::Other:
            break;
    }
    return "other";
}

// Where the locator looked and why each drive and disk was or was not taken.
void explain(const DeviceLocator& locator, std::ostream& out) {
    const LocatorScan& scan = locator.lastScan();
    out << "Mounts:\n";
    for (const std::string& line : locator.platform().notes()) {
        out << "  " << line << "\n";
    }
    out << "Drives:\n";
    for (const DriveRoot& root : scan.roots) {
        const auto folder = locator.rootOf(root.letter);
        out << "  " << root.letter << ": " << typeName(root.type) << ", "
            << (folder ? folder->string() : std::string("(no folder)"));
        for (const std::string& drive : scan.driveEntries) {
            if (entryDriveLetter(drive) == root.letter) {
                out << ", device number " << driveEntryNumber(drive);
            }
        }
        out << "\n";
    }
    out << "Left out:\n";
    for (const std::string& line : scan.notes) {
        out << "  " << line << "\n";
    }
    if (scan.notes.empty()) {
        out << "  nothing\n";
    }
    out << "USB disks (device number and id):\n";
    for (const std::string& disk : scan.diskEntries) {
        std::string skipped;
        const auto ids = entryUsbIds(disk, &skipped);
        const bool logger =
            ids && ids->vendorId == LoggerVendorId && ids->productId == LoggerProductId;
        out << "  " << disk << ": " << (logger ? "a logger" : "other vendor/product");
        if (!skipped.empty()) {
            out << " (non-hex characters skipped in its ids: \"" << skipped << "\")";
        }
        out << "\n";
    }
    out << "Joins:\n";
    for (const std::string& drive : scan.driveEntries) {
        bool joined = false;
        for (const std::string& disk : scan.diskEntries) {
            joined = joined || diskEntryNumber(disk) == driveEntryNumber(drive);
        }
        if (!joined) {
            out << "  " << drive << ": not joined (no USB disk with device number "
                << driveEntryNumber(drive) << ")\n";
        }
    }
    for (const std::string& disk : scan.diskEntries) {
        bool joined = false;
        for (const std::string& drive : scan.driveEntries) {
            joined = joined || diskEntryNumber(disk) == driveEntryNumber(drive);
        }
        if (!joined) {
            out << "  " << disk << ": not joined (no mounted drive on it)\n";
        }
    }
    bool taken = false;
    for (const std::string& match : scan.matchEntries) {
        const char* verdict = "other vendor/product";
        if (isLoggerEntry(match)) {
            verdict = taken ? "a logger, after the one taken" : "taken";
            taken = true;
        }
        out << "  " << match << ": " << verdict << "\n";
    }
}

int locate(const LocateOptions& options) {
    // In JSON mode standard output carries the object alone.
    std::ostream& side = options.json ? std::cerr : std::cout;
    std::ostringstream quiet;
    std::ostream& console = options.verbose ? side : quiet;
    const auto locator = makeDeviceLocator({options.sysfsRoot, options.mountInfo}, console);

    const std::vector<std::string> entries = locator->collectMatchEntries();
    // A mount table or device tree that cannot be read is no answer: "no logger" would be a lie.
    if (const std::string problem = locator->platform().sourceProblem(); !problem.empty()) {
        std::cerr << "veltra-cli: " << problem << "\n";
        return ExitIoFailure;
    }
    char LoggerDrive = 0;
    const LocatorState state = classifyLoggerDrive(
        pickLoggerLetter(entries, LoggerVendorId, LoggerProductId), LoggerDrive);

    std::vector<FoundLogger> loggers;
    for (const std::string& entry : entries) {
        if (!isLoggerEntry(entry) || entry.size() < 6) {
            continue;
        }
        FoundLogger found;
        found.drive = entry[5];
        const auto root = locator->rootOf(found.drive);
        found.root = root ? root->string() : "";
        found.deviceId = "USB" + entry.substr(6);
        found.readOnly = locator->platform().isReadOnly(found.drive);
        loggers.push_back(std::move(found));
    }

    if (options.verbose) {
        explain(*locator, side);
    }
    const bool selected = state != LocatorState::NoLogger;
    if (options.json) {
        nlohmann::ordered_json out;
        out["loggers"] = nlohmann::ordered_json::array();
        for (const FoundLogger& found : loggers) {
            out["loggers"].push_back({{"drive", std::string(1, found.drive)},
                                      {"root", found.root},
                                      {"deviceId", found.deviceId},
                                      {"readOnly", found.readOnly}});
        }
        out["selected"] = selected ? nlohmann::ordered_json(std::string(1, LoggerDrive))
                                   : nlohmann::ordered_json(nullptr);
        std::cout << out.dump(2) << "\n";
    } else {
        for (const FoundLogger& found : loggers) {
            std::cout << found.drive << ": " << found.root << "  " << found.deviceId
                      << (found.readOnly ? "  (read-only)" : "") << "\n";
        }
        if (selected) {
            std::cout << "selected: " << LoggerDrive << "\n";
        } else {
            std::cout << "no logger found\n";
        }
    }
    return selected ? ExitOk : ExitRefused;
}

}  // namespace

void addLocateCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<LocateOptions>();
    CLI::App* command = app.add_subcommand(
        "locate", "List the loggers plugged in now and the one the dialog would take");
    command->add_flag("--json", options->json, "print one JSON object");
    command->add_flag("--verbose", options->verbose,
                      "show every drive and USB disk seen and why each was or was not taken");
#ifndef _WIN32
    command->add_option("--sysfs-root", options->sysfsRoot, "the sysfs folder (default /sys)");
    command->add_option("--mountinfo", options->mountInfo,
                        "the mount table (default /proc/self/mountinfo)");
#endif
    command->callback([options, &run] { run = [options] { return locate(*options); }; });
}

}  // namespace veltra::cli
