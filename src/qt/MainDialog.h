#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

#include "qt/DialogUnits.h"

class QAction;

namespace veltra {

class QtControls;

// Template 102 as a Qt window: the controls, the painted background, the 100 ms poll timer
// and the About entry. It does no work of its own: each timer tick goes to the tick handler,
// the controls' notifications go through QtControls.
class MainDialog : public QDialog {
    Q_OBJECT
  public:
    explicit MainDialog(QWidget* parent = nullptr);
    ~MainDialog() override;

    QtControls& controls() { return *controls_; }
    const DialogUnits& units() const { return units_; }

    // Called on every tick of the poll timer.
    void setTickHandler(std::function<void()> handler) { tickHandler_ = std::move(handler); }

    // Starts and stops the poll timer. With automatic ticks off (tests) only the state is
    // kept, and the ticks come from the caller.
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
    QTimer timer_;
    std::function<void()> tickHandler_;
    bool polling_ = false;
    bool automaticTicks_ = true;
    QAction* aboutAction_;
    QList<QAction*> menuActions_;
};

}  // namespace veltra
