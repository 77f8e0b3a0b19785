// The window's widgets as a user and the core meet them: notifications, texts, layout, look,
// the About box, message boxes and keys (the roads themselves are proven over the in-memory
// window in tests/ui).
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

#include "platform/fake/FixedHost.h"
#include "platform/linux/FolderDriveFiles.h"
#include "qt/MainDialog.h"
#include "qt/QtControls.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/SimulatedLocator.h"
#include "ui/DialogTemplate.h"

using namespace veltra;
using enum veltra::ControlId;

namespace {

const QColor Background(113, 154, 210);

// Runs `check` on the popup or modal window that `open` starts, then closes it.
template <class Open, class Check>
void whileOpen(Open open, Check check) {
    QTimer::singleShot(0, [check] {
        QWidget* shown = QApplication::activePopupWidget();
        shown = shown ? shown : QApplication::activeModalWidget();
        check(shown);
        if (shown) {
            shown->close();
        }
    });
    open();
}

// The window over a simulated logger at drive E, with a fixed clock; the ticks come from the
// test.
struct Window {
    Window() {
        dialog.openSession(false);
        dialog.show();
        ticks(1);  // the first tick sets the window up
    }
    void ticks(int count) {
        for (int i = 0; i < count; ++i) {
            dialog.session().tick();
        }
    }
    void plugInAndShow() {  // found on the first tick, read on the third, estimated on the fourth
        simulator.plugIn();
        ticks(4);
    }
    template <class Widget = QWidget>
    Widget* widget(ControlId id) {
        return controls.widgetAs<Widget>(id);
    }
    void click(ControlId id) {
        QTest::mouseClick(widget(id), Qt::LeftButton, {}, widget(id)->rect().center());
    }

    QTemporaryDir folder;
    LoggerSimulator simulator{folder.path().toStdString(), {}};
    SimulatedLocator locator{simulator};
    FolderDriveFiles drive{[this](char letter) { return locator.rootOf(letter); }};
    FixedHost host{LocalTime{2024, 5, 6, 7, 8, 9}, 480};
    MainDialog dialog{host, drive, locator};
    QtControls& controls = dialog.controls();
};

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    // Only watched controls report, and the program's selections do not; the same text again
    // is reported again, as the core counts on one report per text.
    void onlyUserActionsOnWatchedControlsAreReported() {
        Window window;
        std::vector<std::pair<ControlId, Notification>> reports;
        window.controls.setListener(
            [&](ControlId id, Notification what) { reports.emplace_back(id, what); });
        for (ControlId id : {SamplingInterval, DeviceName, RecordingTime, ConfigureButton}) {
            window.controls.setText(id, "8.0");
            window.controls.setText(id, "8.0");
        }
        window.controls.select(TemperatureUnit, 1);
        QTest::keyClick(window.widget(TemperatureUnit), Qt::Key_Up);
        QTest::keyClick(window.widget(PdfLanguage), Qt::Key_Down);
        window.click(SetupLock);
        window.controls.setEnabled(ConfigureButton, true);
        window.click(ConfigureButton);
        QTest::keyClicks(window.widget(DeviceName), QStringLiteral("ab"));
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
        QVERIFY(window.controls.isChecked(SetupLock));
    }

    // The tick reads the controls only after a change: every change of any control, by the user
    // or by the program, watched or not, reaches the values of the next tick.
    void everyChangeReachesTheNextTicksValues() {
        Window window;
        window.ticks(2);  // the first ticks' own work done, nothing changes any more
        const DialogValues& values = window.dialog.session().state().dialogValues;
        const std::pair<std::function<void()>, std::function<bool()>> cases[] = {
            {[&] { QTest::keyClicks(window.widget(DeviceName), "Cold room"); },
             [&] { return values.deviceNameText == "Cold room"; }},
            {[&] { window.controls.select(PdfLanguage, 5); },  // outside the list: none
             [&] { return values.pdfLanguageIndex == -1; }},
            {[&] { window.controls.setText(DateText, "2024/05/07"); },
             [&] { return values.dateText == "2024/05/07"; }},
            {[&] { window.click(SetupLock); }, [&] { return values.setupLock == 1; }},
        };
        for (const auto& [change, seen] : cases) {
            change();
            window.ticks(1);
            QVERIFY(seen());
        }
    }

    // Texts are host bytes, kept byte for byte until the user edits the field.
    void textsAreHostBytesUntilEdited() {
        const std::pair<std::string, QString> cases[] = {
            {"Caf\xC3\xA9", QString::fromUtf8("Café")},
            {"Lab \xB2\xE2\xCA\xD4", QString::fromUtf8("Lab \uFFFD\uFFFD\uFFFD\uFFFD")},
            {"", ""}};
        Window window;
        for (const auto& [bytes, shown] : cases) {
            for (ControlId id : {UserInfo, DateText}) {
                window.controls.setText(id, bytes);
                QCOMPARE(window.controls.text(id), bytes);
            }
            auto* field = window.widget<QLineEdit>(UserInfo);
            QCOMPARE(field->text(), shown);
            field->setFocus();
            field->end(false);
            QTest::keyClicks(field, QStringLiteral("x"));
            QCOMPARE(window.controls.text(UserInfo), (shown + 'x').toStdString());
        }
    }

    // Kind, place, size, list entries and read-only state of every control, the tab order, a
    // fixed window that can be minimised but not maximised, and its look.
    void everyControlIsWhatTheTemplateSays() {
        // Dialog units to pixels: a quarter and an eighth of the base units, halves round up.
        QCOMPARE((DialogUnits{9, 20}.toPixels(2, 1, 6, 3)), QRect(5, 3, 14, 8));
        const char* const classes[] = {"QPushButton", "QCheckBox", "QLabel", "QLineEdit",
                                       "QComboBox"};  // in ControlKind order
        Window window;
        const DialogUnits& units = window.dialog.units();
        QCOMPARE(window.dialog.minimumSize(), QSize(units.toPixelsX(332), units.toPixelsY(173)));
        QCOMPARE(window.dialog.maximumSize(), window.dialog.minimumSize());
        const auto buttons = Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
        QCOMPARE(window.dialog.windowFlags() & (buttons | Qt::WindowMaximizeButtonHint), buttons);
        QList<QWidget*> tabOrder;
        for (const ControlTemplate& control : mainDialogTemplate().controls) {
            if (control.id == None) {
                continue;
            }
            QWidget* widget = window.widget(control.id);
            QVERIFY(widget && widget->inherits(classes[int(control.kind)]));
            const QRect expected =
                units.toPixels(control.x, control.y, control.width, control.height);
            QCOMPARE(widget->pos(), expected.topLeft());
            QCOMPARE(widget->width(), expected.width());
            if (auto* box = qobject_cast<QComboBox*>(widget)) {  // its height includes the list
                const auto entries = listEntries(control.id);
                QCOMPARE(std::size_t(box->count()), entries.size());
                for (int i = 0; i < box->count(); ++i) {
                    QCOMPARE(box->itemText(i).toStdString(), std::string(entries[std::size_t(i)]));
                }
                QVERIFY(!box->isEditable());
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
        QWidget* widget = tabOrder.front();
        for (qsizetype i = 1; i < tabOrder.size(); ++i) {
            do {
                widget = widget->nextInFocusChain();
            } while (widget->focusPolicy() == Qt::NoFocus);
            QCOMPARE(widget, tabOrder[i]);
        }

        // The picture in README.md comes from here.
        window.plugInAndShow();
        // A second later the date and time texts show the logger's zone and date format.
        window.host.setTime(LocalTime{2024, 5, 6, 7, 8, 10});
        window.ticks(2);
        const QImage image = window.dialog.grab().toImage();
        QVERIFY(image.save(QStringLiteral(VELTRA_SCREENSHOT_FILE)));
        QCOMPARE(image.pixelColor(2, 2), Background);
        // An empty field shows the background through; the alarms' texts are red.
        QCOMPARE(image.pixelColor(window.widget(Website)->geometry().center()), Background);
        QCOMPARE(window.widget(HighTempAlarm)->palette().color(QPalette::Text), QColor(Qt::red));
    }

    // The context menu's one entry opens the About box; a refusal comes in a real message box,
    // in UTF-8; neither Enter nor Escape clicks the button, not even while it has the focus.
    void boxesAndKeys() {
        Window window;
        window.plugInAndShow();
        QStringList seen;
        whileOpen(
            [&] {
                QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                        window.dialog.mapToGlobal(QPoint(5, 5)));
                QApplication::sendEvent(&window.dialog, &event);
            },
            [&](QWidget* menu) {
                for (QAction* action : menu->actions()) {
                    seen << action->text();
                }
            });
        whileOpen([&] { window.dialog.aboutAction()->trigger(); },
                  [&](QWidget* box) {
                      seen << box->windowTitle()
                           << box->findChild<QLabel*>(QStringLiteral("aboutVersion"))->text();
                  });
        window.controls.setText(HighTempAlarm, "200");
        window.ticks(1);
        window.click(ConfigureButton);
        whileOpen([&] { window.ticks(1); },
                  [&](QWidget* box) {
                      seen << qobject_cast<QMessageBox*>(box)->text();
                      QTest::keyClick(box, Qt::Key_Return);  // OK
                  });
        QCOMPARE(seen,
                 QStringList({"Aboat Quillon", "About Quillon", "Quillon V2.4xx",
                              QString::fromUtf8("The hight temperature alarm limit must be "
                                                "in the range of-40.0\u2103 to 85.0\u2103")}));

        QVERIFY(window.widget(ConfigureButton)->isEnabled());
        const std::pair<ControlId, Qt::Key> keys[] = {{DeviceName, Qt::Key_Return},
                                                      {ConfigureButton, Qt::Key_Return},
                                                      {DeviceName, Qt::Key_Escape}};
        for (const auto& [target, key] : keys) {
            window.dialog.show();
            window.widget(target)->setFocus();
            QTest::keyClick(window.widget(target), key);
            QVERIFY(!window.dialog.isVisible());
            QCOMPARE(window.dialog.result(),
                     int(key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted));
            QCOMPARE(window.dialog.session().state().pendingEvents & ConfigureClicked, 0u);
        }
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
