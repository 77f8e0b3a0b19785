// veltra-demo: the desktop program with a simulated logger, for trying it without hardware.
#include <QApplication>
#include <cstdio>

#include "app/DemoLogger.h"
#include "app/StartUp.h"
#include "platform/HostFactory.h"
#include "platform/linux/FolderDriveFiles.h"
#include "qt/DialogSession.h"

int main(int argc, char** argv) {
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

    veltra::DialogSession session(*host, drive, locator);
    logger.start(session.dialog());
    return veltra::runMainWindow(session);
}
