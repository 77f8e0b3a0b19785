#include "app/DemoLogger.h"

#include <chrono>
#include <cstdio>

#include "qt/MainDialog.h"
#include "ui/PollState.h"

namespace veltra {

SimulatorSettings DemoLogger::demoSettings() {
    SimulatorSettings settings;
    settings.firmwareVersion = 37;
    settings.firmwareRevision = 1;
    settings.upgradedRevision = 2;
    return settings;
}

DemoLogger::DemoLogger(SimulatorSettings settings) {
    const std::filesystem::path folder = folder_.path().toStdString();
    simulator_ = std::make_unique<LoggerSimulator>(folder, settings);
    locator_ = std::make_unique<SimulatedLocator>(*simulator_);
    simulator_->setReporter([](const std::string& line) {
        std::printf("logger: %s\n", line.c_str());
        std::fflush(stdout);
    });
    connect(&plugAction_, &QAction::triggered, this, &DemoLogger::togglePlug);
    updatePlugText();
}

void DemoLogger::start(MainDialog& window, int delayMs) {
    window.addMenuAction(&plugAction_);
    QTimer::singleShot(delayMs, this, [this] {
        simulator_->plugIn();
        updatePlugText();
    });
    sinceLast_.start();
    clock_.setInterval(PollPeriodMs);
    connect(&clock_, &QTimer::timeout, this, [this] {
        simulator_->advance(std::chrono::milliseconds(sinceLast_.restart()));
        updatePlugText();
    });
    clock_.start();
}

void DemoLogger::togglePlug() {
    if (simulator_->connected()) {
        simulator_->unplug();
    } else {
        simulator_->plugIn();
    }
    updatePlugText();
}

void DemoLogger::updatePlugText() {
    plugAction_.setText(simulator_->connected() ? QStringLiteral("Unplug the logger")
                                                : QStringLiteral("Plug the logger in"));
}

}  // namespace veltra
