// The whole road through the real widgets, against the simulated logger: what the user does
// (typing, choosing, clicking) and what the user then sees.
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <fstream>

#include "WindowFixture.h"
#include "logger/LoggerFiles.h"
#include "settings/ParameterConversions.h"

using namespace veltra;
using namespace std::chrono_literals;
using enum veltra::ControlId;
using veltra::test::WindowFixture;

namespace {

bool onDrive(const WindowFixture& window, std::string_view name) {
    return QFile::exists(window.folder.filePath(QString::fromUtf8(name.data(), name.size())));
}

}  // namespace

class RoadTest : public QObject {
    Q_OBJECT

  private slots:
    void pluggedLoggerIsShownUntilUnplugged() {
        WindowFixture window;  // the first tick has set the window up
        QCOMPARE(window.shown({TimeDelay, SamplingInterval, ConfigureButton}),
                 QStringList({"60", "3", "Plug Logger"}));
        QCOMPARE(window.combo(DateFormat)->currentIndex(), 2);
        QVERIFY(!window.button()->isEnabled());
        QVERIFY(window.dialog().polling());

        window.simulator.plugIn();
        window.ticks(2);  // found, then settling: nothing shown yet
        QCOMPARE(window.shown({ConfigureButton, DeviceId}), QStringList({"Plug Logger", ""}));
        window.ticks(1);
        QCOMPARE(window.shown({ConfigureButton, DeviceId, DeviceName, SamplingInterval}),
                 QStringList({"Configure (E)", "SIM00001001", "Simulated logger", "60"}));
        QVERIFY(window.button()->isEnabled());
        window.ticks(1);
        // 262144 bytes, 12 + 10 bits per record, a record a minute
        QCOMPARE(window.shown({RecordingTime}), QStringList{"Longest Recording Time: 66.2 days"});
        const QStringList estimates[] = {{"3600", "Longest Recording Time: 3971.9 days"},
                                         {"1", "Longest Recording Time: 1.1 days"},
                                         {"abc", "Longest Recording Time: 0.0 hours"}};
        for (const QStringList& e : estimates) {
            window.typeInto(SamplingInterval, e[0]);
            window.ticks(1);
            QCOMPARE(window.shown({RecordingTime}), QStringList{e[1]});
        }

        window.simulator.unplug();
        window.ticks(1);
        QCOMPARE(window.shown({ConfigureButton, DeviceId}), QStringList({"Plug Logger", ""}));
        QVERIFY(!window.button()->isEnabled());
        window.ticks(1);
        // The settings stay on screen for the next logger.
        QCOMPARE(window.shown({RecordingTime, DeviceName}),
                 QStringList({"Longest Recording Time:", "Simulated logger"}));
    }

    void unitSwitchShowsTheAlarmsInTheChosenUnit() {
        const std::initializer_list<ControlId> alarms{HighTempAlarm, LowTempAlarm, HighTempUnit,
                                                      LowTempUnit};
        WindowFixture window;
        window.plugInAndShow();
        window.choose(TemperatureUnit, 1);
        window.ticks(1);
        QCOMPARE(window.shown(alarms), QStringList({"46.4", "35.6", "Fahrenheit", "Fahrenheit"}));

        // A value typed in Fahrenheit is shown in Celsius after switching back.
        window.typeInto(HighTempAlarm, QStringLiteral("50"));
        window.ticks(1);
        window.choose(TemperatureUnit, 0);
        window.ticks(1);
        QCOMPARE(window.shown(alarms), QStringList({"10.0", "2.0", "Celsius", "Celsius"}));

        // The rewritten texts must not swallow the user's next edit.
        window.typeInto(LowTempAlarm, QStringLiteral("-5"));
        window.ticks(1);
        QCOMPARE(window.state().alarmTemperatures.lowAlarmCelsius, -5.0);
    }

    void channelChoiceEnablesItsAlarms() {
        WindowFixture window;
        window.plugInAndShow();  // the logger records both
        for (const bool humidity : {true, false}) {
            window.choose(ChannelSelection, humidity ? 1 : 0);
            window.ticks(2);
            for (ControlId id : {HighTempAlarm, LowTempAlarm, TemperatureUnit}) {
                QCOMPARE(window.widget(id)->isEnabled(), !humidity);
            }
            for (ControlId id : {HighHumidityAlarm, LowHumidityAlarm}) {
                QCOMPARE(window.widget(id)->isEnabled(), humidity);
            }
        }
    }

    void setupLockFreezesTheSettings() {
        WindowFixture window;
        window.click(window.setupLock());
        QVERIFY(window.setupLock()->isChecked());
        window.ticks(1);
        for (ControlId id : {TimeDelay, DeviceName, TimeZone, HighTempAlarm, HighHumidityAlarm}) {
            QVERIFY(!window.widget(id)->isEnabled());
        }
        // A logger plugged while locked arms the button but leaves the fields alone.
        window.plugInAndShow();
        QCOMPARE(window.shown({ConfigureButton, DeviceName, DeviceId}),
                 QStringList({"Configure (E)", "", ""}));

        window.click(window.setupLock());
        window.ticks(2);
        for (ControlId id : {TimeDelay, DeviceName, TimeZone, HighTempAlarm}) {
            QVERIFY(window.widget(id)->isEnabled());
        }
    }

    // Writes what the user typed; a logger text that is not valid in the host's character set
    // goes back unchanged.
    void configureWritesWhatTheUserTyped() {
        WindowFixture window;
        LoggerParameters parameters = window.simulator.parameters();
        copyTextField(parameters.userInfo, "Lab \xB2\xE2\xCA\xD4 north");
        window.simulator.plugIn();
        const auto image = LoggerSimulator::deviceImage(
            window.simulator.settings(), window.simulator.firmwareRevision(), parameters);
        std::ofstream(window.simulator.folder() / std::string(DeviceImageFile), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
        window.ticks(4);
        const QString shown = window.edit(UserInfo)->text();
        QVERIFY(shown.startsWith(QStringLiteral("Lab ")));
        QVERIFY(shown.contains(QChar(0xFFFD)));

        window.typeInto(DeviceName, QStringLiteral("Cold room 4"));
        window.typeInto(SamplingInterval, QStringLiteral("120"));
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
        QCOMPARE(window.simulator.parameters().userInfo, parameters.userInfo);
        window.ticks(1);  // it went away to take them
        QCOMPARE(window.button()->text(), QStringLiteral("Plug Logger"));
    }

    // The refusal comes in a real message box, which the test reads and answers.
    void refusedSettingsAreExplainedAndNothingIsWritten() {
        const struct {
            ControlId id;
            const char* typed;
            const char* message;
        } cases[] = {
            {SamplingInterval, "0",
             "Sample interval must be in the range of 1 second to 1440 minutes!"},
            {DeviceName, "", "Device name can't be empty!"},
            {HighTempAlarm, "200",
             "The hight temperature alarm limit must be in the range of-40.0\u2103 to "
             "85.0\u2103"},
        };
        for (const auto& c : cases) {
            WindowFixture window({}, true);
            window.plugInAndShow();
            window.typeInto(c.id, QString::fromUtf8(c.typed));
            window.ticks(1);
            window.click(window.button());
            QString shown;
            test::whileOpen([&] { window.ticks(1); },
                            [&](QWidget* box) {
                                auto* message = qobject_cast<QMessageBox*>(box);
                                QVERIFY(message);
                                shown = message->text();
                                QTest::keyClick(message, Qt::Key_Return);  // OK
                            });
            QCOMPARE(shown, QString::fromUtf8(c.message));
            QCOMPARE(window.button()->text(), QStringLiteral("Configure (E)"));
            QVERIFY(window.dialog().polling());
            QVERIFY(!onDrive(window, ConfigFile));
            QVERIFY(!onDrive(window, MarkerFile));
        }
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
};

QTEST_MAIN(RoadTest)
#include "RoadTest.moc"
