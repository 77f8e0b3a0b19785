#include "cli/ConfigureRun.h"

#include <chrono>
#include <thread>

#include "cli/Command.h"
#include "cli/SettingOptions.h"
#include "cli/WaitProgress.h"
#include "platform/DriveFilesFactory.h"

namespace veltra::cli {

namespace {

using Clock = std::chrono::steady_clock;

// Failures are printed as they happen and kept for the outcome's record.
struct Run {
    Outcome outcome;
    std::ostream& out;
    std::ostream& err;

    Outcome& fail(int exitCode, const std::string& message) {
        err << "veltra-cli: " << message << "\n";
        outcome.message += (outcome.message.empty() ? "" : " ") + message;
        outcome.exitCode = exitCode;
        return outcome;
    }
    void printMessages(HeadlessDialog& dialog) {
        for (const std::string& message : dialog.takeMessages()) {
            err << message << "\n";
            outcome.message += (outcome.message.empty() ? "" : " ") + message;
        }
    }
};

// Applies the settings as a user would: first the lists, then the typed fields. Empty when
// all were taken; otherwise why one was not.
std::string applySettings(HeadlessDialog& dialog, const ConfigureRequest& request) {
    for (const bool lists : {true, false}) {
        for (const SettingOption& option : settingOptions()) {
            const auto given = request.settings.find(option.name);
            if ((option.kind == SettingKind::List) != lists || given == request.settings.end()) {
                continue;
            }
            const std::string error =
                lists ? dialog.choose(option.control, wordIndex(option, given->second))
                      : dialog.type(option.control, given->second);
            if (!error.empty()) {
                return std::string(option.name) + ": " + error;
            }
        }
    }
    return {};
}

std::string clockText(const DialogState& state) {
    const auto& c = state.editParams.clock;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 2000 + c[0], c[1], c[2], c[3],
                  c[4], c[5]);
    return text;
}

std::string inParentheses(const std::string& reason) {
    return reason.empty() ? reason : " (" + reason + ")";
}

// Why nothing was written, when the dialog's message does not say it: the drive's reason.
std::string explain(WriteResult result, const std::string& reason) {
    return result == WriteResult::DriveBusy
               ? "another program kept the logger's drive locked; nothing was written"
               : "the configure request was not carried out" +
                     (reason.empty() ? std::string() : ": " + reason);
}

void recordWritten(Outcome& outcome, const DialogState& state) {
    outcome.written = settingWords(state.editParams);
    outcome.clock = clockText(state);
}

// Ticks the dialog until `done` holds or the deadline passes, showing how long it waited.
template <typename Done>
bool tickUntil(HeadlessDialog& dialog, Clock::time_point start, Clock::time_point deadline,
               WaitProgress& progress, const std::string& what, Done done) {
    while (Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(PollPeriodMs));
        dialog.tick();
        if (done()) {
            progress.finish();
            return true;
        }
        const auto waited = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start);
        progress.show(what, static_cast<int>(waited.count()));
    }
    progress.finish();
    return false;
}

// Waits, tick by tick, for the upgraded logger to come back and take its held-back settings.
// A logger that comes back still needing the upgrade is not upgraded again.
Outcome& completeUpgrade(Run& run, HeadlessDialog& dialog, Clock::time_point start,
                         Clock::time_point deadline, WaitProgress& progress,
                         const ConfigureRequest& request) {
    const DialogState& state = dialog.state();
    const WriteResult& result = state.pollState.lastWrite;
    if (!tickUntil(dialog, start, deadline, progress, "waiting for the upgraded logger",
                   [&] { return result != WriteResult::UpgradeStarted; })) {
        return run.fail(ExitPending, "the logger did not come back within " +
                                         std::to_string(request.timeoutSeconds) +
                                         " s: its new firmware was written and its settings were "
                                         "not; configure it again once it is back.");
    }
    run.printMessages(dialog);
    if (result == WriteResult::Written) {
        run.outcome.device = state.deviceInfo;  // its new firmware
        recordWritten(run.outcome, state);
        run.out << "The logger is back with its new firmware; its configuration was written "
                   "(clock "
                << run.outcome.clock << ").\n";
        return run.outcome;
    }
    if (result == WriteResult::UpgradeNotTaken) {
        return run.fail(ExitIoFailure,
                        "the logger came back with firmware " +
                            std::to_string(state.deviceInfo.firmwareVersion) + " revision " +
                            std::to_string(state.deviceInfo.firmwareRevision) +
                            ", which still needs the upgrade; it is not upgraded again and its "
                            "configuration was not written.");
    }
    return run.fail(ExitIoFailure, explain(result, state.pollState.lastWriteReason));
}

// Waits for the same logger to go away with its settings and come back, then (verifying)
// compares what it reports with what was written.
Outcome& awaitReturn(Run& run, HeadlessDialog& dialog, const ConfigureRequest& request,
                     Clock::time_point start, Clock::time_point deadline, WaitProgress& progress) {
    const DialogState& state = dialog.state();
    const std::uint32_t serial = state.deviceInfo.deviceSerial;
    bool gone = false;
    const bool back = tickUntil(
        dialog, start, deadline, progress, "waiting for the logger to take its settings", [&] {
            gone = gone || !state.pollState.imageLoaded;
            return gone && state.pollState.imageLoaded && state.deviceInfo.deviceSerial == serial;
        });
    if (!back) {
        return run.fail(ExitPending, "the logger did not come back within " +
                                         std::to_string(request.timeoutSeconds) +
                                         " s; its settings were written" +
                                         (request.verify ? " and are not verified." : "."));
    }
    if (!request.verify) {
        return run.outcome;
    }
    const SettingWords reported = settingWords(state.deviceParams);
    const SettingWords& written = *run.outcome.written;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i].second != reported[i].second) {
            run.outcome.differences.push_back(
                {written[i].first, written[i].second, reported[i].second});
        }
    }
    run.outcome.verified = run.outcome.differences.empty();
    if (*run.outcome.verified) {
        run.out << "verified\n";
        return run.outcome;
    }
    for (const Difference& d : run.outcome.differences) {
        run.err << "  " << d.name << ": written \"" << d.written << "\", reported \"" << d.reported
                << "\"\n";
    }
    run.outcome.exitCode = ExitUnverified;
    run.outcome.message = "the logger reports other settings than were written";
    run.err << "veltra-cli: " << run.outcome.message << "\n";
    return run.outcome;
}

}  // namespace

Outcome configureShown(HeadlessDialog& dialog, const ConfigureRequest& request,
                       const std::string& where, std::ostream& out, std::ostream& err) {
    Run run{{}, out, err};
    run.outcome.where = where;
    run.outcome.shown = true;
    run.outcome.device = dialog.state().deviceInfo;
    if (const std::string error = applySettings(dialog, request); !error.empty()) {
        return run.fail(ExitInvalid, error);
    }

    const auto start = Clock::now();
    const auto deadline = start + std::chrono::seconds(request.timeoutSeconds);
    WaitProgress progress(out, outputIsTerminal(), request.timeoutSeconds);
    const WriteResult result = dialog.configure();
    run.printMessages(dialog);
    switch (result) {
        case WriteResult::Refused:
            run.outcome.exitCode = ExitInvalid;
            return run.outcome;
        case WriteResult::Written:
            recordWritten(run.outcome, dialog.state());
            out << "Configured the logger at " << where << ": CONFIG.CFG and OK.DAT written, "
                << "clock " << run.outcome.clock << ".\n";
            break;
        case WriteResult::UpgradeFailedThenWritten:
            // The settings are on the logger, but the upgrade that it needs did not happen.
            recordWritten(run.outcome, dialog.state());
            out << "Configured the logger at " << where << " for its current firmware: "
                << "CONFIG.CFG and OK.DAT written, clock " << run.outcome.clock << ".\n";
            return run.fail(ExitIoFailure,
                            "the firmware upgrade failed" +
                                inParentheses(dialog.state().pollState.lastWriteReason) +
                                "; the logger keeps its old firmware");
        case WriteResult::UpgradeStarted:
            out << "The logger at " << where
                << " needs new firmware: APP.BIN, CONFIG.CFG and OK.DAT written.\n";
            if (!request.wait && !request.verify) {
                return run.fail(ExitPending,
                                "its settings were not written (no --wait): "
                                "configure it again once it is back.");
            }
            out << "Waiting for the logger to come back (at most " << request.timeoutSeconds
                << " s)...\n"
                << std::flush;
            if (completeUpgrade(run, dialog, start, deadline, progress, request).exitCode !=
                ExitOk) {
                return run.outcome;
            }
            break;
        default:
            return run.fail(ExitIoFailure,
                            explain(result, dialog.state().pollState.lastWriteReason));
    }
    if (!request.verify && !request.awaitReturn) {
        return run.outcome;
    }
    return awaitReturn(run, dialog, request, start, deadline, progress);
}

Outcome configureAt(LoggerLocator& locator, Host& host, const ConfigureRequest& request,
                    std::string where, const std::string& notFound, std::ostream& out,
                    std::ostream& err) {
    const auto drive = makeDriveFiles([&locator](char letter) { return locator.rootOf(letter); });
    HeadlessDialog dialog(host, locator, *drive);
    if (!dialog.waitUntilShown(20)) {
        Run run{{}, out, err};
        run.outcome.where = where;
        return run.fail(ExitRefused, notFound);
    }
    if (where.empty()) {
        where = locator.rootOf(dialog.state().pollState.LoggerDrive).value_or("?").string();
    }
    return configureShown(dialog, request, where, out, err);
}

}  // namespace veltra::cli
