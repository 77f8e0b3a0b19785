#include "cli/ConfigureRun.h"

#include <chrono>
#include <sstream>
#include <thread>

#include "cli/AuditLog.h"
#include "cli/Command.h"
#include "cli/SettingOptions.h"
#include "cli/StopSignals.h"
#include "cli/WaitProgress.h"
#include "platform/DriveFilesFactory.h"

namespace veltra::cli {

namespace {

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

}  // namespace

ConfigureRun::ConfigureRun(LoggerLocator& locator, Host& host, ConfigureRequest request,
                           std::string where, std::string notFound, int n, std::ostream& out,
                           std::ostream& err)
    : locator_(locator),
      host_(host),
      request_(std::move(request)),
      notFound_(std::move(notFound)),
      n_(n),
      out_(out),
      err_(err) {
    outcome_.where = std::move(where);
}

ConfigureRun::~ConfigureRun() = default;

void ConfigureRun::fail(int exitCode, const std::string& message) {
    err_ << "veltra-cli: " << message << "\n";
    outcome_.message += (outcome_.message.empty() ? "" : " ") + message;
    outcome_.exitCode = exitCode;
    finish();
}

void ConfigureRun::printMessages() {
    for (const std::string& message : dialog_->takeMessages()) {
        err_ << message << "\n";
        outcome_.message += (outcome_.message.empty() ? "" : " ") + message;
    }
}

// What was written, with the values that the logger keeps otherwise than they were given,
// which the plain output names too.
void ConfigureRun::recordWritten() {
    const DialogState& state = dialog_->state();
    outcome_.written = settingWords(state.editParams);
    outcome_.clock = clockText(state);
    outcome_.adjusted = adjustments(state.editParams, request_.settings);
    for (const Adjustment& adjustment : outcome_.adjusted) {
        out_ << "  " << adjustmentText(adjustment) << "\n";
    }
}

void ConfigureRun::start() {
    drive_ = makeDriveFiles([this](char letter) { return locator_.rootOf(letter); });
    dialog_ = std::make_unique<HeadlessDialog>(host_, locator_, *drive_);
    if (!dialog_->waitUntilShown(20)) {
        return fail(ExitRefused, notFound_);
    }
    const DialogState& state = dialog_->state();
    const auto root = locator_.rootOf(state.pollState.LoggerDrive);
    if (outcome_.where.empty()) {
        outcome_.where = root.value_or("?").string();
    }
    outcome_.shown = true;
    outcome_.device = state.deviceInfo;
    serial_ = state.deviceInfo.deviceSerial;
    // A logger plugged in after the log was opened may be the drive that the log is on.
    if (!request_.keepOffDrive.empty() && root && liesIn(request_.keepOffDrive, *root)) {
        outcome_.logOnDrive = true;
        return fail(ExitInvalid, "the log " + request_.keepOffDrive +
                                     " lies on the logger's drive; nothing was written");
    }
    if (request_.settingsFor) {
        LoggerSettings own = request_.settingsFor(serial_, n_);
        outcome_.planLine = own.planLine;
        outcome_.planRow = std::move(own.planRow);
        if (own.notInPlan) {
            outcome_.notInPlan = true;
            return finish();
        }
        if (!own.refusal.empty()) {
            return fail(ExitInvalid, own.refusal + "; nothing was written");
        }
        request_.settings = std::move(own.settings);
    }
    if (const std::string error = applySettings(*dialog_, request_); !error.empty()) {
        return fail(ExitInvalid, error);
    }
    if (stopSignalled()) {
        return fail(interruptedExitCode(), "interrupted; nothing was written");
    }
    write();
}

void ConfigureRun::write() {
    started_ = std::chrono::steady_clock::now();
    deadline_ = started_ + std::chrono::seconds(request_.timeoutSeconds);
    const std::string& where = outcome_.where;
    const WriteResult result = dialog_->configure();
    const DialogState& state = dialog_->state();
    if (result == WriteResult::Refused) {
        // What the window's message is about, in the command line's words, before it.
        const auto failure =
            findValidationFailure(state.editParams, state.deviceInfo, state.dialogValues);
        const std::string about = describeRefusal(failure, state.editParams, state.dialogValues,
                                                  state.deviceInfo, request_.settings);
        if (!about.empty()) {
            fail(ExitInvalid, about + "; nothing was written");
        }
        printMessages();
        outcome_.exitCode = ExitInvalid;
        return finish();
    }
    printMessages();
    switch (result) {
        case WriteResult::Written:
            out_ << "Configured the logger at " << where << ": CONFIG.CFG and OK.DAT written, "
                 << "clock " << clockText(state) << ".\n";
            recordWritten();
            break;
        case WriteResult::UpgradeFailedThenWritten:
            // The settings are on the logger, but the upgrade that it needs did not happen.
            out_ << "Configured the logger at " << where << " for its current firmware: "
                 << "CONFIG.CFG and OK.DAT written, clock " << clockText(state) << ".\n";
            recordWritten();
            return fail(ExitIoFailure, "the firmware upgrade failed" +
                                           inParentheses(state.pollState.lastWriteReason) +
                                           "; the logger keeps its old firmware");
        case WriteResult::UpgradeStarted:
            out_ << "The logger at " << where
                 << " needs new firmware: APP.BIN, CONFIG.CFG and OK.DAT written.\n";
            if (!request_.wait && !request_.verify) {
                return fail(ExitPending,
                            "its settings were not written (no --wait): "
                            "configure it again once it is back.");
            }
            out_ << "Waiting for the logger to come back (at most " << request_.timeoutSeconds
                 << " s)...\n";
            stage_ = Stage::Upgrading;
            return;
        default:
            return fail(ExitIoFailure, explain(result, state.pollState.lastWriteReason));
    }
    if (!request_.verify && !request_.awaitReturn) {
        return finish();
    }
    stage_ = Stage::Returning;
}

void ConfigureRun::failWait(bool interrupted, const std::string& left) {
    fail(interrupted ? interruptedExitCode() : ExitPending,
         (interrupted ? std::string("interrupted while waiting for the logger")
                      : "the logger did not come back within " +
                            std::to_string(request_.timeoutSeconds) + " s") +
             left);
}

void ConfigureRun::step() {
    if (done()) {
        return;
    }
    const bool interrupted = stopSignalled();
    if (interrupted || std::chrono::steady_clock::now() >= deadline_) {
        if (stage_ == Stage::Upgrading) {
            return failWait(interrupted,
                            ": its new firmware was written and its settings were not; "
                            "configure it again once it is back.");
        }
        return failWait(interrupted, std::string("; its settings were written") +
                                         (request_.verify ? " and are not verified." : "."));
    }
    dialog_->tick();
    if (stage_ == Stage::Upgrading) {
        upgradeStep();
    } else {
        returnStep();
    }
}

// The upgraded logger comes back and takes its held-back settings. One that comes back still
// needing the upgrade is not upgraded again.
void ConfigureRun::upgradeStep() {
    const DialogState& state = dialog_->state();
    const WriteResult result = state.pollState.lastWrite;
    if (result == WriteResult::UpgradeStarted) {
        return;
    }
    printMessages();
    if (result == WriteResult::Written) {
        outcome_.upgradedFrom = outcome_.device;
        outcome_.device = state.deviceInfo;  // its new firmware
        out_ << "The logger is back with its new firmware; its configuration was written "
                "(clock "
             << clockText(state) << ").\n";
        recordWritten();
        if (!request_.verify && !request_.awaitReturn) {
            return finish();
        }
        stage_ = Stage::Returning;
        return;
    }
    if (result == WriteResult::UpgradeNotTaken) {
        return fail(ExitIoFailure,
                    "the logger came back with firmware " +
                        std::to_string(state.deviceInfo.firmwareVersion) + " revision " +
                        std::to_string(state.deviceInfo.firmwareRevision) +
                        ", which still needs the upgrade; it is not upgraded again and its "
                        "configuration was not written.");
    }
    fail(ExitIoFailure, explain(result, state.pollState.lastWriteReason));
}

// The same logger goes away with its settings and comes back.
void ConfigureRun::returnStep() {
    const DialogState& state = dialog_->state();
    gone_ = gone_ || !state.pollState.imageLoaded;
    if (!gone_ || !state.pollState.imageLoaded || state.deviceInfo.deviceSerial != serial_) {
        return;
    }
    if (request_.verify) {
        compareReturned();
    }
    finish();
}

// The poll cycle compared the settings as the logger came back, as the window does; each
// difference is told in configure's words.
void ConfigureRun::compareReturned() {
    const DialogState& state = dialog_->state();
    const SettingWords reported = settingWords(state.deviceParams);
    const SettingWords& written = *outcome_.written;
    for (const SettingDifference& d :
         state.pollState.returnDifferences.value_or(std::vector<SettingDifference>{})) {
        for (std::size_t i = 0; i < written.size(); ++i) {
            if (findSetting(written[i].first)->control == d.control) {
                outcome_.differences.push_back(
                    {written[i].first, written[i].second, reported[i].second});
            }
        }
    }
    outcome_.verified = outcome_.differences.empty();
    if (*outcome_.verified) {
        out_ << "verified\n";
        return;
    }
    for (const Difference& d : outcome_.differences) {
        err_ << "  " << d.name << ": written \"" << d.written << "\", reported \"" << d.reported
             << "\"\n";
    }
    outcome_.exitCode = ExitUnverified;
    outcome_.message = "the logger reports other settings than were written";
    err_ << "veltra-cli: " << outcome_.message << "\n";
}

std::string_view ConfigureRun::state() const {
    const bool here = dialog_ && dialog_->state().pollState.imageLoaded;
    switch (stage_) {
        case Stage::Shown:
            return "writing";
        case Stage::Upgrading:
            return here ? "waiting" : "away";
        case Stage::Returning:
            return gone_ ? "away" : outcome_.upgradedFrom ? "back" : "waiting";
        case Stage::Done:
            break;
    }
    if (outcome_.notInPlan) {
        return "not in the plan";
    }
    switch (outcome_.exitCode) {
        case ExitOk:
            return outcome_.verified ? "verified" : "configured";
        case ExitUnverified:
            return "differs";
        default:
            return "failed";
    }
}

std::string_view ConfigureRun::awaited() const {
    return stage_ == Stage::Upgrading ? "waiting for the upgraded logger"
                                      : "waiting for the logger to take its settings";
}

int ConfigureRun::secondsWaited() const {
    if (stage_ == Stage::Shown) {
        return 0;
    }
    return static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(
                                std::chrono::steady_clock::now() - started_)
                                .count());
}

Outcome configureAt(LoggerLocator& locator, Host& host, const ConfigureRequest& request,
                    std::string where, const std::string& notFound, std::ostream& out,
                    std::ostream& err) {
    // What the run prints goes out between redraws of the bar, never into it.
    std::ostringstream runOut, runErr;
    auto flush = [&](WaitProgress& progress) {
        if (runOut.tellp() > 0 || runErr.tellp() > 0) {
            progress.finish();
            out << runOut.str() << std::flush;
            err << runErr.str() << std::flush;
            runOut.str("");
            runErr.str("");
        }
    };
    ConfigureRun run(locator, host, request, std::move(where), notFound, 1, runOut, runErr);
    WaitProgress progress(out, outputIsTerminal(), request.timeoutSeconds);
    run.start();
    flush(progress);
    while (!run.done()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(PollPeriodMs));
        run.step();
        flush(progress);
        if (!run.done()) {
            progress.show(std::string(run.awaited()), run.secondsWaited());
        }
    }
    progress.finish();
    return run.outcome();
}

}  // namespace veltra::cli
