#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>

#include "platform/fake/FixedHost.h"
#include "platform/linux/FolderDriveFiles.h"
#include "qt/DialogSession.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/SimulatedLocator.h"

namespace veltra::test {

// The main window over a simulated logger at drive E, with a fixed clock. The ticks come
// from the test; message boxes are answered at once and recorded.
class WindowFixture {
  public:
    explicit WindowFixture(SimulatorSettings settings = {});

    void ticks(int count);
    // Plugs the logger in and ticks until its settings are shown (and one tick more, for the
    // estimate that follows).
    void plugInAndShow();

    MainDialog& dialog() { return session.dialog(); }
    Program& program() { return session.program(); }
    QLineEdit* edit(ControlId id) { return session.controls().widgetAs<QLineEdit>(id); }
    QComboBox* combo(ControlId id) { return session.controls().widgetAs<QComboBox>(id); }
    QLabel* label(ControlId id) { return session.controls().widgetAs<QLabel>(id); }
    QPushButton* button() {
        return session.controls().widgetAs<QPushButton>(ControlId::ConfigureButton);
    }
    QCheckBox* setupLock() { return session.controls().widgetAs<QCheckBox>(ControlId::SetupLock); }

    // What a user does.
    void typeInto(ControlId id, const QString& text);
    void choose(ControlId id, int index);
    void click(QWidget* widget);

    QTemporaryDir folder;
    LoggerSimulator simulator;
    SimulatedLocator locator;
    FolderDriveFiles drive;
    FixedHost host;
    DialogSession session;
    QStringList messages;
};

}  // namespace veltra::test
