// The whole road through the real widgets, against the simulated logger: what the user does
// (typing, choosing, clicking) and what the user then sees.
#include <QDir>
#include <QFile>
#include <QTest>
#include <fstream>

#include "WindowFixture.h"
#include "logger/LoggerFiles.h"
#include "settings/ParameterBinding.h"

using namespace veltra;
using namespace std::chrono_literals;
using veltra::test::WindowFixture;

namespace {

bool onDrive(const WindowFixture& window, std::string_view name) {
    return QFile::exists(window.folder.filePath(QString::fromUtf8(name.data(), name.size())));
}

}  // namespace

class RoadTest : public QObject {
    Q_OBJECT

  private slots:
    void pluggedLoggerIsShownAndTheButtonArmed() {
        WindowFixture window;
        window.simulator.plugIn();
        window.ticks(2);  // found, then settling: nothing shown yet
        QCOMPARE(window.button()->text(), QStringLiteral("Plug Logger"));
        window.ticks(1);
        QCOMPARE(window.button()->text(), QStringLiteral("Configure (E)"));
        QVERIFY(window.button()->isEnabled());
        QCOMPARE(window.edit(ControlId::DeviceId)->text(), QStringLiteral("SIM00001001"));
        QCOMPARE(window.edit(ControlId::DeviceName)->text(), QStringLiteral("Simulated logger"));
        QCOMPARE(window.edit(ControlId::SamplingInterval)->text(), QStringLiteral("60"));
        window.ticks(1);
        // 262144 bytes, 12 + 10 bits per record, a record a minute
        QCOMPARE(window.label(ControlId::RecordingTime)->text(),
                 QStringLiteral("Longest Recording Time: 66.2 days"));
    }

    void typedIntervalUpdatesTheEstimate_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("an hour") << "3600"
                                 << "Longest Recording Time: 3971.9 days";
        QTest::newRow("one second") << "1"
                                    << "Longest Recording Time: 1.1 days";
        QTest::newRow("not a number") << "abc"
                                      << "Longest Recording Time: 0.0 hours";
    }
    void typedIntervalUpdatesTheEstimate() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        WindowFixture window;
        window.plugInAndShow();
        window.typeInto(ControlId::SamplingInterval, typed);
        window.ticks(1);
        QCOMPARE(window.label(ControlId::RecordingTime)->text(), shown);
    }

    void unitSwitchShowsTheAlarmsInTheChosenUnit() {
        WindowFixture window;
        window.plugInAndShow();
        window.choose(ControlId::TemperatureUnit, 1);
        window.ticks(1);
        QCOMPARE(window.edit(ControlId::HighTempAlarm)->text(), QStringLiteral("46.4"));
        QCOMPARE(window.edit(ControlId::LowTempAlarm)->text(), QStringLiteral("35.6"));
        QCOMPARE(window.label(ControlId::HighTempUnit)->text(), QStringLiteral("Fahrenheit"));
        QCOMPARE(window.label(ControlId::LowTempUnit)->text(), QStringLiteral("Fahrenheit"));

        // A value typed in Fahrenheit is shown in Celsius after switching back.
        window.typeInto(ControlId::HighTempAlarm, QStringLiteral("50"));
        window.ticks(1);
        window.choose(ControlId::TemperatureUnit, 0);
        window.ticks(1);
        QCOMPARE(window.edit(ControlId::HighTempAlarm)->text(), QStringLiteral("10.0"));
        QCOMPARE(window.edit(ControlId::LowTempAlarm)->text(), QStringLiteral("2.0"));
        QCOMPARE(window.label(ControlId::HighTempUnit)->text(), QStringLiteral("Celsius"));

        // The rewritten texts must not swallow the user's next edit.
        window.typeInto(ControlId::LowTempAlarm, QStringLiteral("-5"));
        window.ticks(1);
        QCOMPARE(window.program().alarmTemperatures.lowAlarmCelsius, -5.0);
    }

    void channelChoiceEnablesItsAlarms_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("temperature");
        QTest::addColumn<bool>("humidity");
        QTest::newRow("temperature") << 0 << true << false;
        QTest::newRow("humidity") << 1 << false << true;
    }
    void channelChoiceEnablesItsAlarms() {
        QFETCH(int, channel);
        QFETCH(bool, temperature);
        QFETCH(bool, humidity);
        WindowFixture window;
        window.plugInAndShow();  // the logger records both
        window.choose(ControlId::ChannelSelection, channel);
        window.ticks(2);
        for (ControlId id :
             {ControlId::HighTempAlarm, ControlId::LowTempAlarm, ControlId::TemperatureUnit}) {
            QCOMPARE(window.session.controls().widget(id)->isEnabled(), temperature);
        }
        for (ControlId id : {ControlId::HighHumidityAlarm, ControlId::LowHumidityAlarm}) {
            QCOMPARE(window.session.controls().widget(id)->isEnabled(), humidity);
        }
    }

    void setupLockFreezesTheSettings() {
        WindowFixture window;
        window.click(window.setupLock());
        QVERIFY(window.setupLock()->isChecked());
        window.ticks(1);
        QtControls& controls = window.session.controls();
        for (ControlId id : {ControlId::TimeDelay, ControlId::DeviceName, ControlId::TimeZone,
                             ControlId::HighTempAlarm, ControlId::HighHumidityAlarm}) {
            QVERIFY(!controls.widget(id)->isEnabled());
        }
        // A logger plugged while locked arms the button but leaves the fields alone.
        window.plugInAndShow();
        QCOMPARE(window.button()->text(), QStringLiteral("Configure (E)"));
        QVERIFY(window.edit(ControlId::DeviceName)->text().isEmpty());
        QCOMPARE(window.edit(ControlId::DeviceId)->text(), QString());

        window.click(window.setupLock());
        window.ticks(2);
        for (ControlId id : {ControlId::TimeDelay, ControlId::DeviceName, ControlId::TimeZone,
                             ControlId::HighTempAlarm}) {
            QVERIFY(controls.widget(id)->isEnabled());
        }
    }

    void configureWritesWhatTheUserTyped() {
        WindowFixture window;
        window.plugInAndShow();
        window.typeInto(ControlId::DeviceName, QStringLiteral("Cold room 4"));
        window.typeInto(ControlId::SamplingInterval, QStringLiteral("120"));
        window.click(window.button());
        window.ticks(1);
        QVERIFY(window.messages.isEmpty());
        QCOMPARE(window.button()->text(), QStringLiteral("Configuring..."));
        QVERIFY(window.button()->isEnabled());
        QVERIFY(window.dialog().polling());  // stopped around the write, running again
        QVERIFY(onDrive(window, MarkerFile));

        window.simulator.advance(100ms);
        QCOMPARE(fieldText(window.simulator.parameters().deviceName), std::string("Cold room 4"));
        QCOMPARE(window.simulator.parameters().sampleInterval, 120);
        window.ticks(1);  // it went away to take them
        QCOMPARE(window.button()->text(), QStringLiteral("Plug Logger"));
    }

    void refusedSettingsAreExplainedAndNothingIsWritten_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("interval") << toInt(ControlId::SamplingInterval) << "0"
                                  << "Sample interval must be in the range of 1 second to 1440 "
                                     "minutes!";
        QTest::newRow("no name") << toInt(ControlId::DeviceName) << ""
                                 << "Device name can't be empty!";
        QTest::newRow("alarm") << toInt(ControlId::HighTempAlarm) << "200"
                               << QString::fromUtf8(
                                      "The hight temperature alarm limit must be in the range "
                                      "of-40.0\u2103 to 85.0\u2103");
    }
    void refusedSettingsAreExplainedAndNothingIsWritten() {
        QFETCH(int, id);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        WindowFixture window;
        window.plugInAndShow();
        window.typeInto(static_cast<ControlId>(id), typed);
        window.ticks(1);
        window.click(window.button());
        window.ticks(1);
        QCOMPARE(window.messages, QStringList{message});
        QCOMPARE(window.button()->text(), QStringLiteral("Configure (E)"));
        QVERIFY(window.dialog().polling());
        QVERIFY(!onDrive(window, ConfigFile));
        QVERIFY(!onDrive(window, MarkerFile));
    }

    void unpluggingResetsTheWindow() {
        WindowFixture window;
        window.plugInAndShow();
        window.simulator.unplug();
        window.ticks(1);
        QVERIFY(window.edit(ControlId::DeviceId)->text().isEmpty());
        QVERIFY(!window.button()->isEnabled());
        QCOMPARE(window.button()->text(), QStringLiteral("Plug Logger"));
        window.ticks(1);
        QCOMPARE(window.label(ControlId::RecordingTime)->text(),
                 QStringLiteral("Longest Recording Time:"));
        // The settings stay on screen for the next logger.
        QCOMPARE(window.edit(ControlId::DeviceName)->text(), QStringLiteral("Simulated logger"));
    }

    void firmwareUpgradeCountsDownAndConfiguresOnReturn() {
        SimulatorSettings settings;
        settings.firmwareRevision = 1;
        settings.upgradedRevision = 2;
        WindowFixture window(settings);
        window.plugInAndShow();
        window.click(window.button());
        window.ticks(1);
        QCOMPARE(window.button()->text(), QStringLiteral("Firmware Upgrade"));
        window.simulator.advance(100ms);  // takes the firmware and goes away
        window.ticks(1);
        QCOMPARE(window.button()->text(), QStringLiteral("Upgrading(14)"));
        window.ticks(10);
        QCOMPARE(window.button()->text(), QStringLiteral("Upgrading(13)"));

        window.simulator.advance(settings.upgradeTime);  // back with the new firmware
        window.ticks(3);
        QCOMPARE(window.button()->text(), QStringLiteral("Configuring..."));
        QVERIFY(window.messages.isEmpty());
        window.simulator.advance(100ms);
        QCOMPARE(window.simulator.firmwareRevision(), std::uint8_t{2});
        QVERIFY(!onDrive(window, ConfigFile));  // taken
    }

    // A text that is not valid in the host's character set goes back to the logger unchanged.
    void undecodableLoggerTextRoundTrips() {
        WindowFixture window;
        const std::string bytes = "Lab \xB2\xE2\xCA\xD4 north";
        LoggerParameters parameters = window.simulator.parameters();
        copyTextField(parameters.userInfo, bytes);
        window.simulator.plugIn();
        const auto image = LoggerSimulator::deviceImage(
            window.simulator.settings(), window.simulator.firmwareRevision(), parameters);
        {
            std::ofstream out(window.simulator.folder() / std::string(DeviceImageFile),
                              std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(image.data()),
                      static_cast<std::streamsize>(image.size()));
        }
        window.ticks(4);
        const QString shown = window.edit(ControlId::UserInfo)->text();
        QVERIFY(shown.startsWith(QStringLiteral("Lab ")));
        QVERIFY(shown.contains(QChar(0xFFFD)));

        window.click(window.button());
        window.ticks(1);
        QVERIFY(window.messages.isEmpty());
        window.simulator.advance(100ms);
        QCOMPARE(window.simulator.parameters().userInfo, parameters.userInfo);
    }
};

QTEST_MAIN(RoadTest)
#include "RoadTest.moc"
