// The window's controls as the core sees them: which notifications reach the poll cycle,
// and texts as bytes of the host's character set.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <utility>
#include <vector>

#include "qt/MainDialog.h"
#include "qt/QtControls.h"

using namespace veltra;

namespace {

using Reports = std::vector<std::pair<ControlId, Notification>>;

struct Window {
    Window() {
        dialog.controls().setListener(
            [this](ControlId id, Notification what) { reports.emplace_back(id, what); });
        dialog.show();
    }
    QtControls& controls() { return dialog.controls(); }

    MainDialog dialog;
    Reports reports;
};

}  // namespace

Q_DECLARE_METATYPE(std::string)

class ControlsTest : public QObject {
    Q_OBJECT

  private slots:
    void programSetTextReportsOnlyWatchedFields_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("reports");
        QTest::newRow("interval") << toInt(ControlId::SamplingInterval) << 1;
        QTest::newRow("high alarm") << toInt(ControlId::HighTempAlarm) << 1;
        QTest::newRow("low alarm") << toInt(ControlId::LowTempAlarm) << 1;
        QTest::newRow("device name") << toInt(ControlId::DeviceName) << 0;
        QTest::newRow("label") << toInt(ControlId::RecordingTime) << 0;
        QTest::newRow("button") << toInt(ControlId::ConfigureButton) << 0;
    }
    void programSetTextReportsOnlyWatchedFields() {
        QFETCH(int, id);
        QFETCH(int, reports);
        Window window;
        const auto control = static_cast<ControlId>(id);
        window.controls().setText(control, "8.0");
        // The same text again is reported again: the core counts on one report per text.
        window.controls().setText(control, "8.0");
        QCOMPARE(window.reports.size(), static_cast<std::size_t>(2 * reports));
        for (const auto& [reported, what] : window.reports) {
            QCOMPARE(reported, control);
            QCOMPARE(what, Notification::TextChanged);
        }
    }

    void userActionsAreReportedAndProgramSelectionsAreNot() {
        Window window;
        QtControls& controls = window.controls();
        controls.select(ControlId::TemperatureUnit, 1);
        controls.select(ControlId::PdfLanguage, 1);
        QVERIFY(window.reports.empty());

        auto* unit = controls.widgetAs<QComboBox>(ControlId::TemperatureUnit);
        unit->setFocus();
        QTest::keyClick(unit, Qt::Key_Up);
        auto* language = controls.widgetAs<QComboBox>(ControlId::PdfLanguage);
        QTest::keyClick(language, Qt::Key_Up);  // not watched
        QTest::mouseClick(controls.widget(ControlId::SetupLock), Qt::LeftButton);
        controls.setEnabled(ControlId::ConfigureButton, true);
        QTest::mouseClick(controls.widget(ControlId::ConfigureButton), Qt::LeftButton);
        QTest::keyClicks(controls.widget(ControlId::DeviceName), QStringLiteral("ab"));
        QTest::keyClicks(controls.widget(ControlId::SamplingInterval), QStringLiteral("5"));

        const Reports expected{
            {ControlId::TemperatureUnit, Notification::SelectionChanged},
            {ControlId::SetupLock, Notification::Clicked},
            {ControlId::ConfigureButton, Notification::Clicked},
            {ControlId::SamplingInterval, Notification::TextChanged},
        };
        QCOMPARE(window.reports, expected);
        QCOMPARE(controls.selection(ControlId::TemperatureUnit), 0);
        QVERIFY(controls.isChecked(ControlId::SetupLock));
    }

    void listSelectionOutsideTheListSelectsNothing() {
        Window window;
        QtControls& controls = window.controls();
        controls.select(ControlId::DateFormat, 2);
        QCOMPARE(controls.selection(ControlId::DateFormat), 2);
        controls.select(ControlId::DateFormat, 3);
        QCOMPARE(controls.selection(ControlId::DateFormat), -1);
        QCOMPARE(controls.entryCount(ControlId::TimeZone), 49);
        QCOMPARE(controls.entryText(ControlId::TimeZone, 24), std::string("UTC+00:00"));
        QCOMPARE(controls.entryText(ControlId::TimeZone, 49), std::string());
    }

    void textsTravelAsHostBytes_data() {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << std::string("Cold room") << QStringLiteral("Cold room");
        QTest::newRow("accented") << std::string("Caf\xC3\xA9") << QString::fromUtf8("Café");
        QTest::newRow("undecodable") << std::string("Lab \xB2\xE2\xCA\xD4")
                                     << QString::fromUtf8("Lab \uFFFD\uFFFD\uFFFD\uFFFD");
        QTest::newRow("empty") << std::string() << QString();
    }
    void textsTravelAsHostBytes() {
        QFETCH(std::string, bytes);
        QFETCH(QString, shown);
        Window window;
        QtControls& controls = window.controls();
        for (ControlId id : {ControlId::UserInfo, ControlId::DeviceId, ControlId::DateText}) {
            controls.setText(id, bytes);
            QCOMPARE(controls.text(id), bytes);
        }
        QCOMPARE(controls.widgetAs<QLineEdit>(ControlId::UserInfo)->text(), shown);

        // Once the user edits the field, it holds what the user sees.
        QLineEdit* field = controls.widgetAs<QLineEdit>(ControlId::UserInfo);
        field->setFocus();
        field->end(false);
        QTest::keyClicks(field, QStringLiteral("x"));
        QCOMPARE(controls.text(ControlId::UserInfo), (shown + 'x').toStdString());
    }

    void timerFollowsTheCore() {
        Window window;
        window.dialog.setAutomaticTicks(false);
        window.controls().startPollTimer();
        QVERIFY(window.dialog.polling());
        window.controls().stopPollTimer();
        QVERIFY(!window.dialog.polling());
    }
};

QTEST_MAIN(ControlsTest)
#include "ControlsTest.moc"
