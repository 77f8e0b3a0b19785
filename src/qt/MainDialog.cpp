#include "qt/MainDialog.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>

#include "qt/AboutDialog.h"
#include "qt/AppIcon.h"
#include "qt/ControlBuilder.h"
#include "qt/DialogLook.h"
#include "qt/QtControls.h"
#include "ui/DialogTemplate.h"
#include "ui/PollState.h"

namespace veltra {

MainDialog::MainDialog(Host& host, DriveFiles& drive, LoggerLocator& locator, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      controls_(std::make_unique<QtControls>(*this, [this](bool running) { setPolling(running); })),
      session_(*controls_, host, drive, locator),
      aboutAction_(new QAction(QStringLiteral("Aboat Quillon"), this)) {
    const DialogTemplate& dialog = mainDialogTemplate();
    setWindowTitle(QString::fromUtf8(dialog.title.data(), dialog.title.size()));
    setWindowIcon(appIcon());
    setFont(dialogLook::mainFont());
    units_ = DialogUnits::of(font());
    setFixedSize(units_.toPixelsX(dialog.width), units_.toPixelsY(dialog.height));

    buildControls(dialog, units_, *this, *controls_);
    controls_->setListener([this](ControlId id, Notification what) { session_.notify(id, what); });

    // The template places the window at the top left corner, not centred.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().topLeft());
    }

    timer_.setInterval(PollPeriodMs);
    connect(&timer_, &QTimer::timeout, this, [this] { session_.tick(); });

    aboutAction_->setShortcut(QKeySequence(Qt::Key_F1));
    aboutAction_->setShortcutContext(Qt::WindowShortcut);
    connect(aboutAction_, &QAction::triggered, this, &MainDialog::showAbout);
    addAction(aboutAction_);
    connect(qApp, &QApplication::focusChanged, this, [this] { update(); });
}

MainDialog::~MainDialog() = default;

void MainDialog::openSession(bool automaticTicks) {
    setAutomaticTicks(automaticTicks);
    session_.open();
}

void MainDialog::setPolling(bool running) {
    polling_ = running;
    if (running && automaticTicks_) {
        timer_.start();
    } else {
        timer_.stop();
    }
}

void MainDialog::setAutomaticTicks(bool automatic) {
    automaticTicks_ = automatic;
    setPolling(polling_);
}

void MainDialog::showAbout() {
    // The poll timer goes on ticking while the box is open.
    AboutDialog about(this);
    about.exec();
}

void MainDialog::addMenuAction(QAction* action) {
    menuActions_.append(action);
}

void MainDialog::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), dialogLook::background());
    // The style's own focus marks hardly show against the window's colour: a ring around
    // the control with the keyboard focus, of every kind alike.
    const QWidget* focused = focusWidget();
    if (focused && focused->hasFocus() && focused->parentWidget() == this) {
        painter.setPen(QPen(dialogLook::focusRing(), dialogLook::FocusRingWidth));
        const double half = dialogLook::FocusRingWidth / 2.0;
        painter.drawRect(QRectF(focused->geometry()).adjusted(-half, -half, half, half));
    }
}

void MainDialog::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape end the dialog, and with it the program; no button is the default.
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                accept();
                return;
            case Qt::Key_Escape:
                reject();
                return;
            default:
                break;
        }
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event) {
    // Stands in for the system menu, which a program cannot extend here.
    QMenu menu(this);
    for (QAction* action : menuActions_) {
        menu.addAction(action);
    }
    if (!menuActions_.isEmpty()) {
        menu.addSeparator();
    }
    menu.addAction(aboutAction_);
    menu.exec(event->globalPos());
}

}  // namespace veltra
