#pragma once

#include <optional>

class QApplication;

namespace veltra {

class MainDialog;

// Answers --help (`about` says what the program does) and --version before the window's
// toolkit starts, so that both work without a display. Returns the exit code when one of them
// was given.
std::optional<int> answerInfoOption(int argc, char** argv, const char* program, const char* about);

// What both desktop programs do once the application object exists: the C locale for
// numbers, the style and the icon.
void prepareApplication(QApplication& app);

// Opens the main window and runs it modally; the program ends when it closes, however it
// was closed.
int runMainWindow(MainDialog& window);

}  // namespace veltra
