#include "cli/ConfigureRun.h"

#include <chrono>
#include <thread>

#include "cli/AuditLog.h"
#include "cli/Command.h"
#include "cli/SettingOptions.h"
#include "cli/StopSignals.h"
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
            const auto given = request.settings.values.find(option.name);
            if ((option.kind == SettingKind::List) != lists ||
                given == request.settings.values.end()) {
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

// What was written, with the values that the logger keeps otherwise than they were given,
// which the plain output names too.
void recordWritten(Run& run, const DialogState& state, const ConfigureRequest& request) {
    run.outcome.written = settingWords(state.editParams);
    run.outcome.clock = clockText(state);
    run.outcome.adjusted = adjustments(state.editParams, request.settings);
    for (const Adjustment& adjustment : run.outcome.adjusted) {
        run.out << "  " << adjustmentText(adjustment) << "\n";
    }
}

enum class Waited { Done, TimedOut, Interrupted };

// Ticks the dialog until `done` holds, the deadline passes or the run is interrupted, showing
// how long it waited.
template <typename Done>
Waited tickUntil(HeadlessDialog& dialog, Clock::time_point start, Clock::time_point deadline,
                 WaitProgress& progress, const std::string& what, Done done) {
    Waited waited = Waited::TimedOut;
    while (Clock::now() < deadline && !stopSignalled()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(PollPeriodMs));
        dialog.tick();
        if (done()) {
            waited = Waited::Done;
            break;
        }
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start);
        progress.show(what, static_cast<int>(seconds.count()));
    }
    progress.finish();
    return waited == Waited::TimedOut && stopSignalled() ? Waited::Interrupted : waited;
}

// A wait that ended without its logger: interrupted, or out of time; `left` says what it left.
Outcome& failWait(Run& run, Waited waited, const ConfigureRequest& request,
                  const std::string& left) {
    const bool interrupted = waited == Waited::Interrupted;
    return run.fail(interrupted ? interruptedExitCode() : ExitPending,
                    (interrupted ? std::string("interrupted while waiting for the logger")
                                 : "the logger did not come back within " +
                                       std::to_string(request.timeoutSeconds) + " s") +
                        left);
}

// Waits, tick by tick, for the upgraded logger to come back and take its held-back settings.
// A logger that comes back still needing the upgrade is not upgraded again.
Outcome& completeUpgrade(Run& run, HeadlessDialog& dialog, Clock::time_point start,
                         Clock::time_point deadline, WaitProgress& progress,
                         const ConfigureRequest& request) {
    const DialogState& state = dialog.state();
    const WriteResult& result = state.pollState.lastWrite;
    const Waited waited =
        tickUntil(dialog, start, deadline, progress, "waiting for the upgraded logger",
                  [&] { return result != WriteResult::UpgradeStarted; });
    if (waited != Waited::Done) {
        return failWait(run, waited, request,
                        ": its new firmware was written and its settings were not; configure it "
                        "again once it is back.");
    }
    run.printMessages(dialog);
    if (result == WriteResult::Written) {
        run.outcome.device = state.deviceInfo;  // its new firmware
        run.out << "The logger is back with its new firmware; its configuration was written "
                   "(clock "
                << clockText(state) << ").\n";
        recordWritten(run, state, request);
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
    const Waited waited = tickUntil(
        dialog, start, deadline, progress, "waiting for the logger to take its settings", [&] {
            gone = gone || !state.pollState.imageLoaded;
            return gone && state.pollState.imageLoaded && state.deviceInfo.deviceSerial == serial;
        });
    if (waited != Waited::Done) {
        return failWait(run, waited, request,
                        std::string("; its settings were written") +
                            (request.verify ? " and are not verified." : "."));
    }
    if (!request.verify) {
        return run.outcome;
    }
    // The poll cycle compared them as the logger came back, as the window does; each
    // difference is told in configure's words.
    const SettingWords reported = settingWords(state.deviceParams);
    const SettingWords& written = *run.outcome.written;
    for (const SettingDifference& d :
         state.pollState.returnDifferences.value_or(std::vector<SettingDifference>{})) {
        for (std::size_t i = 0; i < written.size(); ++i) {
            if (findSetting(written[i].first)->control == d.control) {
                run.outcome.differences.push_back(
                    {written[i].first, written[i].second, reported[i].second});
            }
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
    if (stopSignalled()) {
        return run.fail(interruptedExitCode(), "interrupted; nothing was written");
    }

    const auto start = Clock::now();
    const auto deadline = start + std::chrono::seconds(request.timeoutSeconds);
    WaitProgress progress(out, outputIsTerminal(), request.timeoutSeconds);
    const WriteResult result = dialog.configure();
    const DialogState& state = dialog.state();
    if (result == WriteResult::Refused) {
        // What the window's message is about, in the command line's words, before it.
        const auto failure =
            findValidationFailure(state.editParams, state.deviceInfo, state.dialogValues);
        const std::string about = describeRefusal(failure, state.editParams, state.dialogValues,
                                                  state.deviceInfo, request.settings);
        if (!about.empty()) {
            run.fail(ExitInvalid, about + "; nothing was written");
        }
        run.printMessages(dialog);
        run.outcome.exitCode = ExitInvalid;
        return run.outcome;
    }
    run.printMessages(dialog);
    switch (result) {
        case WriteResult::Written:
            out << "Configured the logger at " << where << ": CONFIG.CFG and OK.DAT written, "
                << "clock " << clockText(state) << ".\n";
            recordWritten(run, state, request);
            break;
        case WriteResult::UpgradeFailedThenWritten:
            // The settings are on the logger, but the upgrade that it needs did not happen.
            out << "Configured the logger at " << where << " for its current firmware: "
                << "CONFIG.CFG and OK.DAT written, clock " << clockText(state) << ".\n";
            recordWritten(run, state, request);
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
    const auto root = locator.rootOf(dialog.state().pollState.LoggerDrive);
    if (where.empty()) {
        where = root.value_or("?").string();
    }
    // A logger plugged in after the log was opened may be the drive that the log is on.
    if (!request.keepOffDrive.empty() && root && liesIn(request.keepOffDrive, *root)) {
        Run run{{}, out, err};
        run.outcome.where = where;
        run.outcome.shown = true;
        run.outcome.device = dialog.state().deviceInfo;
        run.outcome.logOnDrive = true;
        return run.fail(ExitInvalid, "the log " + request.keepOffDrive +
                                         " lies on the logger's drive; nothing was written");
    }
    return configureShown(dialog, request, where, out, err);
}

}  // namespace veltra::cli
