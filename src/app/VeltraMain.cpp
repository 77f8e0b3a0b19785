// veltra: the desktop program for a plugged logger.
#include <QApplication>

#include "app/StartUp.h"
#include "platform/HostFactory.h"
#include "platform/LocatorFactory.h"
#include "platform/linux/FolderDriveFiles.h"
#include "qt/MainDialog.h"

namespace {

constexpr const char* About =
    "Configure a USB temperature and humidity data logger in one window.\n"
    "Plug the logger in; its settings show once it is read, and the button hands the\n"
    "edited settings back to it.\n";

}  // namespace

int main(int argc, char** argv) {
    if (const auto answered = veltra::answerInfoOption(argc, argv, "veltra", About)) {
        return *answered;
    }
    QApplication app(argc, argv);
    veltra::prepareApplication(app);

    const auto host = veltra::makeHost();
    const auto locator = veltra::makeLoggerLocator();
    veltra::LoggerLocator& found = *locator;
    veltra::FolderDriveFiles drive([&found](char letter) { return found.rootOf(letter); });

    veltra::MainDialog window(*host, drive, *locator);
    return veltra::runMainWindow(window);
}
