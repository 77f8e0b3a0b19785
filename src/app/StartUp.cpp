#include "app/StartUp.h"

#include <QApplication>
#include <QStyleFactory>
#include <clocale>
#include <cstdio>
#include <string_view>

#include "core/Version.h"
#include "qt/AppIcon.h"
#include "qt/MainDialog.h"

namespace veltra {

std::optional<int> answerInfoOption(int argc, char** argv, const char* program, const char* about) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") {
            std::printf("%s %s\n", program, VersionText);
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            std::printf(
                "Usage: %s [OPTION]...\n%s\n"
                "  -h, --help     show this help and exit\n"
                "      --version  show the version and exit\n\n"
                "The toolkit's own options, such as -platform offscreen, are taken too.\n",
                program, about);
            return 0;
        }
    }
    return std::nullopt;
}

void prepareApplication(QApplication& app) {
    // The application object takes the user's locale for everything; texts keep it (the
    // logger's texts are in its character set), numbers go back to the C locale, in which
    // the core formats and reads them.
    std::setlocale(LC_NUMERIC, "C");
    app.setApplicationName(QStringLiteral("Veltra"));
    app.setDesktopFileName(QStringLiteral("org.example.veltra"));
    app.setWindowIcon(appIcon());
    // The window paints its own background behind transparent labels and fields; Fusion
    // honours the palette that makes them transparent, whatever the desktop's theme.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(style);
    }
}

int runMainWindow(MainDialog& window) {
    window.openSession();
    window.exec();  // OK or Cancel: both end the program
    return 0;
}

}  // namespace veltra
