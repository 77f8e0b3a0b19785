// The window as a user and the core meet it: its controls' notifications and texts, its
// layout, look, keys, About box and a rendered picture, and the roads on which the widgets
// themselves matter (the roads as such are proven over the in-memory window in tests/ui).
#include <QAbstractButton>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <fstream>
#include <functional>
#include <utility>
#include <vector>

#include "WindowFixture.h"
#include "logger/LoggerFiles.h"
#include "settings/ParameterConversions.h"
#include "ui/DialogTemplate.h"

using namespace veltra;
using namespace std::chrono_literals;
using enum veltra::ControlId;
using veltra::test::whileOpen;
using veltra::test::WindowFixture;

namespace {

const QColor Background(113, 154, 210);

bool onDrive(const WindowFixture& window, std::string_view name) {
    return QFile::exists(window.folder.filePath(QString::fromUtf8(name.data(), name.size())));
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void onlyUserActionsOnWatchedControlsAreReported() {
        WindowFixture window;
        QtControls& controls = window.mainWindow.controls();
        std::vector<std::pair<ControlId, Notification>> reports;
        controls.setListener(
            [&](ControlId id, Notification what) { reports.emplace_back(id, what); });
        for (ControlId id : {SamplingInterval, DeviceName, RecordingTime, ConfigureButton}) {
            controls.setText(id, "8.0");
            // The same text again is reported again: the core counts on one report per text.
            controls.setText(id, "8.0");
        }
        controls.select(TemperatureUnit, 1);
        controls.select(PdfLanguage, 1);

        window.choose(TemperatureUnit, 0);
        window.choose(PdfLanguage, 0);  // not watched
        window.click(window.setupLock());
        controls.setEnabled(ConfigureButton, true);
        window.click(window.button());
        QTest::keyClicks(window.widget(DeviceName), QStringLiteral("ab"));  // not watched
        QTest::keyClicks(window.widget(HighTempAlarm), QStringLiteral("5"));

        const decltype(reports) expected{
            {SamplingInterval, Notification::TextChanged},
            {SamplingInterval, Notification::TextChanged},
            {TemperatureUnit, Notification::SelectionChanged},
            {SetupLock, Notification::Clicked},
            {ConfigureButton, Notification::Clicked},
            {HighTempAlarm, Notification::TextChanged},
        };
        QCOMPARE(reports, expected);
        QCOMPARE(controls.selection(TemperatureUnit), 0);
        QVERIFY(controls.isChecked(SetupLock));
    }

    // The tick reads the controls only after a change: every change of any control, by the user
    // or by the program, watched or not, reaches the values of the next tick.
    void everyChangeReachesTheNextTicksValues() {
        WindowFixture window;
        window.ticks(2);  // the first ticks' own work done, nothing changes any more
        QtControls& controls = window.mainWindow.controls();
        const DialogValues& values = window.state().dialogValues;
        const struct {
            const char* what;
            std::function<void()> change;
            std::function<bool()> seen;
        } cases[] = {
            {"typed", [&] { window.typeInto(DeviceName, "Cold room"); },
             [&] { return values.deviceNameText == "Cold room"; }},
            {"chosen", [&] { window.choose(PdfLanguage, 1); },
             [&] { return values.pdfLanguageIndex == 1; }},
            {"selected", [&] { controls.select(PdfLanguage, 5); },
             [&] { return values.pdfLanguageIndex == -1; }},
            {"label set", [&] { controls.setText(DateText, "2024/05/07"); },
             [&] { return values.dateText == "2024/05/07"; }},
            {"checked", [&] { window.click(window.setupLock()); },
             [&] { return values.setupLock == 1; }},
        };
        for (const auto& c : cases) {
            c.change();
            window.ticks(1);
            QVERIFY2(c.seen(), c.what);
        }
    }

    // Texts are host bytes, kept byte for byte until the user edits the field; a selection
    // outside a list selects nothing.
    void textsAndListsAsTheCoreSeesThem() {
        const struct {
            std::string bytes;
            QString shown;
        } cases[] = {{"Cold room", "Cold room"},
                     {"Caf\xC3\xA9", QString::fromUtf8("Café")},
                     {"Lab \xB2\xE2\xCA\xD4", QString::fromUtf8("Lab \uFFFD\uFFFD\uFFFD\uFFFD")},
                     {"", ""}};
        WindowFixture window;
        QtControls& controls = window.mainWindow.controls();
        controls.select(DateFormat, 3);  // outside the list
        QCOMPARE(controls.selection(DateFormat), -1);
        QCOMPARE(controls.entryText(TimeZone, 24), std::string("UTC+00:00"));
        QCOMPARE(controls.entryText(TimeZone, 49), std::string());
        for (const auto& c : cases) {
            for (ControlId id : {UserInfo, DeviceId, DateText}) {
                controls.setText(id, c.bytes);
                QCOMPARE(controls.text(id), c.bytes);
            }
            QLineEdit* field = window.edit(UserInfo);
            QCOMPARE(field->text(), c.shown);
            field->setFocus();
            field->end(false);
            QTest::keyClicks(field, QStringLiteral("x"));
            QCOMPARE(controls.text(UserInfo), (c.shown + 'x').toStdString());
        }
    }

    void dialogUnitsRoundToTheNearestPixel() {
        // a quarter and an eighth of the base units; halves round up
        const struct {
            DialogUnits scale;
            QRect units, pixels;
        } cases[] = {
            {{8, 16}, {4, 8, 40, 16}, {8, 16, 80, 32}},
            {{9, 20}, {2, 1, 6, 3}, {5, 3, 14, 8}},
            {{9, 21}, {0, 0, 332, 173}, {0, 0, 747, 454}},
        };
        for (const auto& c : cases) {
            const QRect& u = c.units;
            QCOMPARE(c.scale.toPixels(u.x(), u.y(), u.width(), u.height()), c.pixels);
        }
    }

    void windowIsFixedWithMinimiseButNoMaximise() {
        WindowFixture window;
        MainDialog& dialog = window.dialog();
        QCOMPARE(dialog.windowTitle(),
                 QStringLiteral("Temp. & Humidity Datalogger Configration Tool V2.402"));
        const QSize size(dialog.units().toPixelsX(332), dialog.units().toPixelsY(173));
        QCOMPARE(QList<QSize>({dialog.size(), dialog.minimumSize(), dialog.maximumSize()}),
                 QList<QSize>(3, size));
        const auto buttons = Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
        QCOMPARE(dialog.windowFlags() & (buttons | Qt::WindowMaximizeButtonHint), buttons);
        QVERIFY(!dialog.windowIcon().isNull());
    }

    // Kind, place, size, list entries and read-only state of every control, and the tab order.
    void everyControlIsWhatTheTemplateSays() {
        const char* const classes[] = {"QPushButton", "QCheckBox", "QLabel", "QLineEdit",
                                       "QComboBox"};  // in ControlKind order
        WindowFixture window;
        QList<QWidget*> tabOrder;
        for (const ControlTemplate& control : mainDialogTemplate().controls) {
            if (control.id == None) {
                continue;
            }
            const QByteArray name = QByteArray::number(toInt(control.id));
            QWidget* widget = window.widget(control.id);
            QVERIFY2(widget && widget->inherits(classes[int(control.kind)]), name);
            const QRect expected = window.dialog().units().toPixels(control.x, control.y,
                                                                    control.width, control.height);
            QCOMPARE(widget->pos(), expected.topLeft());
            QCOMPARE(widget->width(), expected.width());
            if (auto* box = qobject_cast<QComboBox*>(widget)) {  // its height includes the list
                const auto entries = listEntries(control.id);
                QCOMPARE(std::size_t(box->count()), entries.size());
                for (int i = 0; i < box->count(); ++i) {
                    QCOMPARE(box->itemText(i).toStdString(), std::string(entries[i]));
                }
                QVERIFY2(!box->isEditable(), name);
            } else {
                QCOMPARE(widget->height(), expected.height());
            }
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                QCOMPARE(edit->isReadOnly(), control.readOnly);
            }
            if (control.kind != ControlKind::Label) {
                tabOrder << widget;
            }
        }
        QVERIFY(window.edit(DeviceId)->isReadOnly());
        QCOMPARE(window.combo(TimeZone)->itemText(0), QStringLiteral("UTC+12:00"));
        QWidget* widget = tabOrder.front();
        for (qsizetype i = 1; i < tabOrder.size(); ++i) {
            do {
                widget = widget->nextInFocusChain();
            } while (widget->focusPolicy() == Qt::NoFocus);
            QCOMPARE(widget, tabOrder[i]);
        }
    }

    // The picture in README.md comes from here.
    void renderedWindowShowsTheBackgroundAndRedText() {
        WindowFixture window;
        window.plugInAndShow();
        // A second later the date and time texts show the logger's zone and date format.
        window.host.setTime(LocalTime{2024, 5, 6, 7, 8, 10});
        window.ticks(2);
        const QImage image = window.dialog().grab().toImage();
        QVERIFY(image.save(QStringLiteral(VELTRA_SCREENSHOT_FILE)));

        QCOMPARE(image.size(), window.dialog().size());
        QCOMPARE(image.pixelColor(2, 2), Background);
        QCOMPARE(image.pixelColor(image.width() - 3, image.height() - 3), Background);
        // An empty field shows the background through.
        QLineEdit* website = window.edit(Website);
        QVERIFY(website->text().isEmpty());
        QCOMPARE(image.pixelColor(website->geometry().center()), Background);
        // The high alarm's text is drawn in red; labels and the read-only id in black.
        bool red = false;
        const QRect area = window.edit(HighTempAlarm)->geometry();
        for (int y = area.top(); y <= area.bottom() && !red; ++y) {
            for (int x = area.left(); x <= area.right() && !red; ++x) {
                const QColor c = image.pixelColor(x, y);
                red = c.red() > 200 && c.green() < 90 && c.blue() < 120;
            }
        }
        QVERIFY(red);
        QCOMPARE(window.label(RecordingTime)->palette().color(QPalette::WindowText),
                 QColor(Qt::black));
        QCOMPARE(window.setupLock()->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(window.edit(DeviceId)->palette().color(QPalette::Text), QColor(Qt::black));

        // The committed copy is a picture of the same window.
        const QImage committed(QStringLiteral(VELTRA_DOCS_DIR "/veltra-demo.png"));
        QVERIFY(!committed.isNull());
        QCOMPARE(committed.pixelColor(2, 2), Background);
    }

    void enterAndEscapeCloseWithoutClickingTheButton() {
        const struct {
            Qt::Key key;
            bool onButton;
            int result;
        } cases[] = {
            {Qt::Key_Return, false, QDialog::Accepted},  // in a field
            {Qt::Key_Return, true, QDialog::Accepted},
            {Qt::Key_Enter, false, QDialog::Accepted},  // keypad
            {Qt::Key_Escape, false, QDialog::Rejected},
        };
        for (const auto& c : cases) {
            WindowFixture window;
            window.plugInAndShow();
            QVERIFY(window.button()->isEnabled());
            QWidget* target = c.onButton ? window.widget(ConfigureButton) : window.edit(DeviceName);
            target->setFocus();
            QTest::keyClick(target, c.key,
                            c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            QVERIFY(!window.dialog().isVisible());
            QCOMPARE(window.dialog().result(), c.result);
            QCOMPARE(window.state().pendingEvents & ConfigureClicked, 0u);
        }
    }

    void contextMenuOpensTheAboutBox() {
        WindowFixture window;
        QStringList entries;
        whileOpen(
            [&] {
                QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                        window.dialog().mapToGlobal(QPoint(5, 5)));
                QApplication::sendEvent(&window.dialog(), &event);
            },
            [&](QWidget* menu) {
                QVERIFY(qobject_cast<QMenu*>(menu));
                for (QAction* action : menu->actions()) {
                    entries << action->text();
                }
            });
        QCOMPARE(entries, QStringList{QStringLiteral("Aboat Quillon")});
        QCOMPARE(window.dialog().aboutAction()->shortcut(), QKeySequence(Qt::Key_F1));

        QStringList seen;
        for (int time = 0; time < 2; ++time) {  // it opens any number of times
            whileOpen([&] { window.dialog().aboutAction()->trigger(); },
                      [&](QWidget* box) {
                          QVERIFY(box);
                          auto* version = box->findChild<QLabel*>(QStringLiteral("aboutVersion"));
                          auto* icon = box->findChild<QLabel*>(QStringLiteral("aboutIcon"));
                          QVERIFY(icon && !icon->pixmap().isNull());
                          QVERIFY(version && box->findChild<QAbstractButton*>());
                          seen << box->windowTitle() << version->text();
                      });
            QVERIFY(window.dialog().isVisible());
        }
        const QStringList once{QStringLiteral("About Quillon"), QStringLiteral("Quillon V2.4xx")};
        QCOMPARE(seen, once + once);
    }

    // The texts that a unit switch rewrites must not swallow the user's next edit.
    void editAfterAUnitSwitchIsKept() {
        WindowFixture window;
        window.plugInAndShow();
        window.choose(TemperatureUnit, 1);
        window.ticks(1);
        QCOMPARE(window.edit(HighTempAlarm)->text(), QStringLiteral("46.4"));
        window.choose(TemperatureUnit, 0);
        window.ticks(1);
        window.typeInto(LowTempAlarm, QStringLiteral("-5"));
        window.ticks(1);
        QCOMPARE(window.state().alarmTemperatures.lowAlarmCelsius, -5.0);
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

    // The refusal comes in a real message box, which the test reads and answers; its text is
    // UTF-8.
    void refusedSettingsAreExplainedAndNothingIsWritten() {
        WindowFixture window({}, true);
        window.plugInAndShow();
        window.typeInto(HighTempAlarm, QStringLiteral("200"));
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
        QCOMPARE(shown, QString::fromUtf8("The hight temperature alarm limit must be in the range "
                                          "of-40.0\u2103 to 85.0\u2103"));
        QCOMPARE(window.button()->text(), QStringLiteral("Configure (E)"));
        QVERIFY(window.dialog().polling());
        QVERIFY(!onDrive(window, ConfigFile));
        QVERIFY(!onDrive(window, MarkerFile));
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
