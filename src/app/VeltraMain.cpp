// veltra: the desktop program for a plugged logger.
#include <QApplication>

#include "app/StartUp.h"
#include "platform/HostFactory.h"
#include "platform/LocatorFactory.h"
#include "platform/linux/FolderDriveFiles.h"
#include "qt/DialogSession.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    veltra::prepareApplication(app);

    const auto host = veltra::makeHost();
    const auto locator = veltra::makeLoggerLocator();
    veltra::LoggerLocator& found = *locator;
    veltra::FolderDriveFiles drive([&found](char letter) { return found.rootOf(letter); });

    veltra::DialogSession session(*host, drive, *locator);
    return veltra::runMainWindow(session);
}
