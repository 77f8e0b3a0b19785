#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/fake/FixedHost.h"
#include "platform/linux/FolderDriveFiles.h"
#include "qt/MainDialog.h"
#include "qt/QtControls.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/SimulatedLocator.h"

namespace veltra::test {

// Runs `check` on the modal window or popup that `open` starts, then closes it.
template <class Open, class Check>
void whileOpen(Open open, Check check) {
    QTimer::singleShot(0, [check] {
        QWidget* shown = QApplication::activePopupWidget();
        if (!shown) {
            shown = QApplication::activeModalWidget();
        }
        check(shown);
        if (shown) {
            shown->close();
        }
    });
    open();
}

// The main window over a simulated logger at drive E, with a fixed clock. The ticks come
// from the test; message boxes are answered at once and recorded, unless the test asks for
// the real ones.
class WindowFixture {
  public:
    explicit WindowFixture(SimulatorSettings settings = {}, bool realMessageBoxes = false)
        : simulator(folder.path().toStdString(), settings),
          locator(simulator),
          drive([this](char letter) { return locator.rootOf(letter); }),
          host(LocalTime{2024, 5, 6, 7, 8, 9}, 480),
          mainWindow(host, drive, locator) {
        if (!realMessageBoxes) {
            mainWindow.controls().setMessagePresenter(
                [this](const QString& text) { messages << text; });
        }
        mainWindow.openSession(false);
        dialog().show();
        ticks(1);  // the first tick sets the window up
    }

    void ticks(int count) {
        for (int i = 0; i < count; ++i) {
            mainWindow.session().tick();
        }
    }
    // Plugs the logger in: found on the first tick, read on the third, estimated on the fourth.
    void plugInAndShow() {
        simulator.plugIn();
        ticks(4);
    }

    MainDialog& dialog() { return mainWindow; }
    DialogState& state() { return mainWindow.session().state(); }
    QWidget* widget(ControlId id) { return mainWindow.controls().widget(id); }
    QLineEdit* edit(ControlId id) { return mainWindow.controls().widgetAs<QLineEdit>(id); }
    QComboBox* combo(ControlId id) { return mainWindow.controls().widgetAs<QComboBox>(id); }
    QLabel* label(ControlId id) { return mainWindow.controls().widgetAs<QLabel>(id); }
    QPushButton* button() {
        return mainWindow.controls().widgetAs<QPushButton>(ControlId::ConfigureButton);
    }
    QCheckBox* setupLock() {
        return mainWindow.controls().widgetAs<QCheckBox>(ControlId::SetupLock);
    }

    // What a user does.
    void typeInto(ControlId id, const QString& text) {
        QLineEdit* field = edit(id);
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    void choose(ControlId id, int index) {
        QComboBox* box = combo(id);
        box->setFocus();
        while (box->currentIndex() != index) {
            QTest::keyClick(box, box->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
        }
    }
    void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
    }

    QTemporaryDir folder;
    LoggerSimulator simulator;
    SimulatedLocator locator;
    FolderDriveFiles drive;
    FixedHost host;
    MainDialog mainWindow;
    QStringList messages;
};

}  // namespace veltra::test
