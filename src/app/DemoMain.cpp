// veltra-demo: the desktop program with a simulated logger, for trying it without hardware.
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/DemoLogger.h"
#include "app/StartUp.h"
#include "platform/HostFactory.h"
#include "platform/linux/FolderDriveFiles.h"
#include "qt/MainDialog.h"

namespace {

constexpr const char* About =
    "The Veltra window with a simulated logger in a temporary folder (its drive E), plugged\n"
    "in a second after start, for trying the program without hardware. Right-click the\n"
    "window to unplug the logger and plug it in again.\n"
    "\n"
    "      --ignore SETTING  the logger keeps this setting when it takes new ones (named as\n"
    "                        veltra-cli configure's option, without dashes: device-name);\n"
    "                        may be given more than once\n";

volatile std::sig_atomic_t stopAsked = 0;

extern "C" void onStop(int) {
    stopAsked = 1;
}

// A demonstration ended by a signal (as scripts/demo ends it without a display) closes its
// window like a user would, so that the logger's temporary folder is removed.
void closeOnStopSignals(QDialog& window, QTimer& watch) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, onStop);
    }
    QObject::connect(&watch, &QTimer::timeout, &window, [&window] {
        if (stopAsked) {
            window.reject();
        }
    });
    watch.start(100);
}

// The settings that --ignore names, checked; the toolkit's own arguments are left to it.
std::optional<std::vector<std::string>> ignoredSettings(int argc, char** argv) {
    std::vector<std::string> names;
    const std::vector<std::string> known = veltra::ignorableSettings();
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) != "--ignore") {
            continue;
        }
        if (i + 1 == argc || std::ranges::find(known, argv[i + 1]) == known.end()) {
            std::fprintf(stderr, "veltra-demo: --ignore takes one of:");
            for (const std::string& name : known) {
                std::fprintf(stderr, " %s", name.c_str());
            }
            std::fprintf(stderr, "\n");
            return std::nullopt;
        }
        names.emplace_back(argv[++i]);
    }
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    if (const auto answered = veltra::answerInfoOption(argc, argv, "veltra-demo", About)) {
        return *answered;
    }
    const auto ignored = ignoredSettings(argc, argv);
    if (!ignored) {
        return 2;
    }
    QApplication app(argc, argv);
    veltra::prepareApplication(app);

    veltra::SimulatorSettings settings = veltra::DemoLogger::demoSettings();
    settings.ignoredSettings = *ignored;
    veltra::DemoLogger logger(settings);
    if (!logger.ready()) {
        std::fprintf(stderr, "veltra-demo: cannot create a temporary folder for the logger\n");
        return 1;
    }
    std::printf("veltra-demo: the simulated logger's drive E is %s\n",
                logger.simulator().folder().c_str());

    const auto host = veltra::makeHost();
    veltra::LoggerLocator& locator = logger.locator();
    veltra::FolderDriveFiles drive([&locator](char letter) { return locator.rootOf(letter); });

    veltra::MainDialog window(*host, drive, locator);
    logger.start(window);
    QTimer watch;
    closeOnStopSignals(window, watch);
    return veltra::runMainWindow(window);
}
