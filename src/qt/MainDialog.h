#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

#include "core/DriveFiles.h"
#include "core/Host.h"
#include "core/LoggerLocator.h"
#include "qt/DialogUnits.h"
#include "ui/DialogSession.h"

class QAction;

namespace veltra {

class QtControls;

// Template 102 as a Qt window: the controls, the painted background, the 100 ms poll timer
// and the About entry. It does no work of its own: each timer tick and the controls'
// notifications go to its dialog session.
class MainDialog : public QDialog {
    Q_OBJECT
  public:
    MainDialog(Host& host, DriveFiles& drive, LoggerLocator& locator, QWidget* parent = nullptr);
    ~MainDialog() override;

    QtControls& controls() { return *controls_; }
    DialogSession& session() { return session_; }
    const DialogUnits& units() const { return units_; }

    // Shows the initial values and starts the poll timer. With automatic ticks off (tests) the
    // ticks come from the caller, through session().tick().
    void openSession(bool automaticTicks = true);

    // Starts and stops the poll timer; with automatic ticks off only the state is kept.
    void setPolling(bool running);
    bool polling() const { return polling_; }
    void setAutomaticTicks(bool automatic);

    // The About entry ("Aboat Quillon") and its box, run modally.
    QAction* aboutAction() const { return aboutAction_; }
    void showAbout();
    // Further entries of the window's context menu (the demonstration adds its own).
    void addMenuAction(QAction* action);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    DialogUnits units_;
    std::unique_ptr<QtControls> controls_;
    DialogSession session_;
    QTimer timer_;
    bool polling_ = false;
    bool automaticTicks_ = true;
    QAction* aboutAction_;
    QList<QAction*> menuActions_;
};

}  // namespace veltra
