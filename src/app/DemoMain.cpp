// veltra-demo: the desktop program with a simulated logger, for trying it without hardware.
#include <QApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "app/DemoLogger.h"
#include "app/StartUp.h"
#include "platform/HostFactory.h"
#include "platform/linux/FolderDriveFiles.h"
#include "qt/MainDialog.h"

namespace {

constexpr const char* About =
    "The Veltra window with a simulated logger in a temporary folder (its drive E), plugged\n"
    "in a second after start, for trying the program without hardware. Right-click the\n"
    "window to unplug the logger and plug it in again.\n";

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

}  // namespace

int main(int argc, char** argv) {
    if (const auto answered = veltra::answerInfoOption(argc, argv, "veltra-demo", About)) {
        return *answered;
    }
    QApplication app(argc, argv);
    veltra::prepareApplication(app);

    veltra::DemoLogger logger(veltra::DemoLogger::demoSettings());
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
