#pragma once

#include <QAction>
#include <QElapsedTimer>
#include <QObject>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "simulator/LoggerSimulator.h"
#include "simulator/SimulatedLocator.h"

namespace veltra {

class MainDialog;

// The demonstration's logger: a simulated one in a fresh temporary folder, found at drive E.
// It is plugged in a second after start, its time runs with the wall clock, and the window's
// context menu can unplug and plug it again.
class DemoLogger : public QObject {
    Q_OBJECT
  public:
    // The settings of the demonstration's logger: of the firmware family that takes the
    // carried firmware, so that the first configuration shows the upgrade and its countdown.
    static SimulatorSettings demoSettings();

    explicit DemoLogger(SimulatorSettings settings);

    bool ready() const { return folder_.isValid(); }
    LoggerSimulator& simulator() { return *simulator_; }
    SimulatedLocator& locator() { return *locator_; }

    // Plugs the logger in after `delayMs`, starts its clock and offers the plug entry.
    void start(MainDialog& window, int delayMs = 1000);

  private:
    void togglePlug();
    void updatePlugText();

    QTemporaryDir folder_;
    std::unique_ptr<LoggerSimulator> simulator_;
    std::unique_ptr<SimulatedLocator> locator_;
    QTimer clock_;
    QElapsedTimer sinceLast_;
    QAction plugAction_;
};

}  // namespace veltra
