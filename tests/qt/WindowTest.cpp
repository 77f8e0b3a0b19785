// The window's widgets as a user and the core meet them (the roads themselves are proven over
// the in-memory window in tests/ui).
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <set>
#include <vector>

#include "platform/HostFactory.h"
#include "platform/LocatorFactory.h"
#include "platform/fake/FixedHost.h"
#include "platform/linux/FolderDriveFiles.h"
#include "qt/DialogLook.h"
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

// The window over a simulated logger, with a fixed clock; the test gives the ticks.
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
    template <class Widget = QWidget>
    Widget* widget(ControlId id) {
        return controls.widgetAs<Widget>(id);
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
    // Every change of a control, by the user or the program, moves the change count on, so that the
    // next tick reads the controls again. Only the user's actions on watched controls are reported;
    // the same text set again is reported again, as the core counts on one report per text.
    void changesAndReports() {
        Window window;
        QtControls& controls = window.controls;
        using Reports = std::vector<std::pair<ControlId, Notification>>;
        Reports reports;
        controls.setListener(
            [&](ControlId id, Notification what) { reports.emplace_back(id, what); });
        const auto set = [&](ControlId id) { controls.setText(id, "8.0"); };
        const auto type = [&](ControlId id) { QTest::keyClicks(window.widget(id), "5"); };
        const auto press = [&](Qt::Key key) {
            return [&, key](ControlId id) { QTest::keyClick(window.widget(id), key); };
        };
        using enum Notification;
        const std::optional<Notification> none;
        const struct {
            ControlId id;
            std::function<void(ControlId)> change;
            std::optional<Notification> reported;
        } cases[] = {
            {SamplingInterval, set, TextChanged},
            {SamplingInterval, set, TextChanged},
            {DeviceName, set, none},
            {RecordingTime, set, none},  // a label
            {TemperatureUnit, [&](ControlId id) { controls.select(id, 1); }, none},
            {TemperatureUnit, press(Qt::Key_Up), SelectionChanged},
            {PdfLanguage, press(Qt::Key_Down), none},
            {PdfLanguage, [&](ControlId id) { controls.select(id, 5); }, none},  // selects none
            {SetupLock, [&](ControlId id) { QTest::mouseClick(window.widget(id), Qt::LeftButton); },
             Clicked},
            {DeviceName, type, none},
            {HighTempAlarm, type, TextChanged},
        };
        for (const auto& [id, change, reported] : cases) {
            reports.clear();
            const auto changes = controls.changeCount();
            change(id);
            QCOMPARE(reports, (reported ? Reports{{id, *reported}} : Reports{}));
            QVERIFY(controls.changeCount() != changes);
        }
        QCOMPARE(controls.selection(PdfLanguage), -1);
        QVERIFY(controls.isChecked(SetupLock));
    }

    // Texts are host bytes, kept byte for byte until the user edits the field.
    void textsAreHostBytesUntilEdited() {
        const std::pair<std::string, QString> cases[] = {
            {"Caf\xC3\xA9", QString::fromUtf8("Café")},
            {"Lab \xB2\xE2\xCA\xD4", QString::fromUtf8("Lab \uFFFD\uFFFD\uFFFD\uFFFD")}};
        Window window;
        auto* field = window.widget<QLineEdit>(UserInfo);
        for (const auto& [bytes, shown] : cases) {
            for (ControlId id : {UserInfo, DateText}) {
                window.controls.setText(id, bytes);
                QCOMPARE(window.controls.text(id), bytes);
            }
            QCOMPARE(field->text(), shown);
            field->end(false);
            QTest::keyClicks(field, QStringLiteral("x"));
            QCOMPARE(window.controls.text(UserInfo), (shown + 'x').toStdString());
        }
    }

    // Kind, place, size, list entries and read-only state of every control, a fixed window that
    // can be minimised but not maximised, and its look.
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
        for (const ControlTemplate& control : mainDialogTemplate().controls) {
            if (control.id == None) {
                continue;
            }
            QWidget* widget = window.widget(control.id);
            QVERIFY(widget && widget->inherits(classes[int(control.kind)]));
            QRect expected = units.toPixels(control.x, control.y, control.width, control.height);
            if (auto* box = qobject_cast<QComboBox*>(widget)) {  // its height includes the list
                expected.setHeight(box->height());
                std::vector<std::string> entries;
                for (int i = 0; i < window.controls.entryCount(control.id); ++i) {
                    entries.push_back(window.controls.entryText(control.id, i));
                }
                QVERIFY(std::ranges::equal(entries, listEntries(control.id)) && !box->isEditable());
            }
            QCOMPARE(widget->geometry(), expected);
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                QCOMPARE(edit->isReadOnly(), control.readOnly);
            }
        }

        // The picture in README.md comes from here: found on the first tick, read on the third,
        // estimated on the fourth.
        window.simulator.plugIn();
        window.ticks(4);
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

    // A Tab walk shows a black ring around each control that takes the focus, of every kind,
    // and only around that one; each step's picture is kept (at 1x, and at 2x in a second run).
    void focusIsSeenOnEveryKind() {
        Window window;
        window.simulator.plugIn();
        window.ticks(4);  // the button is enabled for the logger
        window.dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window.dialog));
        const double scale = window.dialog.devicePixelRatioF();
        std::set<QString> kinds;
        const QWidget* before = nullptr;
        for (int step = 0; step < 25; ++step) {
            QWidget* focused = QApplication::focusWidget();
            const QImage image = window.dialog.grab().toImage();
            image.save(
                QStringLiteral(VELTRA_FOCUS_PICTURES "/focus-%1x-%2.png").arg(scale).arg(step));
            const auto ring = [&](const QWidget* control) {
                const QRect g = control->geometry();
                return image.pixelColor(QPointF(g.left() - 1, g.center().y()).toPoint() * scale);
            };
            QCOMPARE(ring(focused), dialogLook::focusRing());
            QVERIFY(!before || ring(before) != dialogLook::focusRing());
            kinds.insert(focused->metaObject()->className());
            QTest::keyClick(focused, Qt::Key_Tab);
            before = focused;
        }
        QCOMPARE(kinds, (std::set<QString>{"QCheckBox", "QComboBox", "QLineEdit", "QPushButton"}));
    }

    // The context menu's one entry opens the About box; messages come in a real message box, in
    // UTF-8; neither Enter nor Escape clicks the button, not even while it has the focus.
    void boxesAndKeys() {
        Window window;
        QStringList seen;
        const QPoint corner(5, 5);
        QContextMenuEvent click(QContextMenuEvent::Mouse, corner,
                                window.dialog.mapToGlobal(corner));
        whileOpen([&] { QApplication::sendEvent(&window.dialog, &click); },
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
        whileOpen([&] { window.controls.showMessage("25.0\xE2\x84\x83"); },
                  [&](QWidget* box) { seen << qobject_cast<QMessageBox*>(box)->text(); });
        QCOMPARE(seen, QStringList({"Aboat Quillon", "About Quillon", "Quillon V2.4xx",
                                    QString::fromUtf8("25.0\u2103")}));

        window.controls.setEnabled(ConfigureButton, true);
        for (const auto& [target, key] :
             {std::pair{ConfigureButton, Qt::Key_Return}, {DeviceName, Qt::Key_Escape}}) {
            window.dialog.show();
            window.widget(target)->setFocus();
            QTest::keyClick(window.widget(target), key);
            QVERIFY(!window.dialog.isVisible());
            QCOMPARE(window.dialog.result(),
                     int(key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted));
            QCOMPARE(window.dialog.session().state().pendingEvents & ConfigureClicked, 0u);
        }
    }

    // The whole road on a real logger of the upgraded family, where the real-USB scenarios
    // plug one in (VELTRA_REAL_LOGGER names it): found through the real locator, upgraded by a
    // click, and given the held-back settings once it is back.
    void realLoggerRoad() {
        const QString name = QString::fromUtf8(qgetenv("VELTRA_REAL_LOGGER"));
        if (name.isEmpty()) {
            QSKIP("no real logger plugged in (scripts/test-usb plugs one in)");
        }
        const auto host = makeHost();
        const auto locator = makeLoggerLocator();
        LoggerLocator& found = *locator;
        FolderDriveFiles drive([&found](char letter) { return found.rootOf(letter); });
        MainDialog dialog(*host, drive, *locator);
        dialog.openSession();
        dialog.show();
        auto* button = dialog.controls().widgetAs<QPushButton>(ConfigureButton);
        auto* deviceName = dialog.controls().widgetAs<QLineEdit>(DeviceName);
        QStringList captions;  // the button's captions as they changed
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (captions.isEmpty() || captions.back() != button->text()) {
                captions << button->text();
            }
        });
        watch.start(5);
        // The captions seen so far hold these beginnings in this order.
        const auto went = [&](const QStringList& road) {
            qsizetype at = 0;
            for (const QString& caption : captions) {
                at += at < road.size() && caption.startsWith(road[at]);
            }
            return at == road.size();
        };
        QVERIFY2(QTest::qWaitFor([&] { return went({"Configure ("}); }, 60000),
                 qPrintable(captions.join(" | ")));
        deviceName->selectAll();
        QTest::keyClicks(deviceName, name);
        QTest::mouseClick(button, Qt::LeftButton);
        // The held-back settings are written as the upgraded logger is back ("Configuring..."),
        // then it goes away and comes back with them.
        const QStringList road = {"Firmware Upgrade", "Upgrading(", "Configuring...", "Plug Logger",
                                  "Configure ("};
        QVERIFY2(QTest::qWaitFor([&] { return went(road) && deviceName->text() == name; }, 150000),
                 qPrintable(captions.join(" | ")));
        qInfo("%s", qPrintable(captions.join(" | ")));
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
