#pragma once

class QApplication;

namespace veltra {

class DialogSession;

// What both desktop programs do once the application object exists: the C locale for
// numbers, the style and the icon.
void prepareApplication(QApplication& app);

// Opens the main window and runs it modally; the program ends when it closes, however it
// was closed.
int runMainWindow(DialogSession& session);

}  // namespace veltra
