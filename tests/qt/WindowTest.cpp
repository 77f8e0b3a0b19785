// The window as a user meets it: its layout, look, keys, About box and a rendered picture.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "qt/DialogLook.h"
#include "qt/DialogUnits.h"
#include "qt/MainDialog.h"
#include "ui/DialogTemplate.h"

using namespace veltra;
using veltra::test::WindowFixture;

namespace {

const QColor Background(113, 154, 210);

const char* kindClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::Button:
            return "QPushButton";
        case ControlKind::CheckBox:
            return "QCheckBox";
        case ControlKind::Label:
            return "QLabel";
        case ControlKind::Edit:
            return "QLineEdit";
        case ControlKind::ComboBox:
            return "QComboBox";
    }
    return "";
}

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

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void dialogUnitsFollowTheFontMetrics_data() {
        QTest::addColumn<int>("baseX");
        QTest::addColumn<int>("baseY");
        QTest::addColumn<QRect>("units");
        QTest::addColumn<QRect>("pixels");
        // a quarter and an eighth of the base units, rounded to the nearest pixel
        QTest::newRow("exact") << 8 << 16 << QRect(4, 8, 40, 16) << QRect(8, 16, 80, 32);
        QTest::newRow("halves round up") << 9 << 20 << QRect(2, 1, 6, 3) << QRect(5, 3, 14, 8);
        QTest::newRow("window") << 9 << 21 << QRect(0, 0, 332, 173) << QRect(0, 0, 747, 454);
    }
    void dialogUnitsFollowTheFontMetrics() {
        QFETCH(int, baseX);
        QFETCH(int, baseY);
        QFETCH(QRect, units);
        QFETCH(QRect, pixels);
        const DialogUnits scale{baseX, baseY};
        QCOMPARE(scale.toPixels(units.x(), units.y(), units.width(), units.height()), pixels);
    }

    void averageWidthIsTakenOverTheLatinLetters() {
        const QFont font = dialogLook::mainFont();
        const QFontMetrics metrics(font);
        const DialogUnits units = DialogUnits::of(font);
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        QCOMPARE(units.baseX, (letters / 26 + 1) / 2);
        QCOMPARE(units.baseY, metrics.height());
    }

    void windowIsFixedWithMinimiseButNoMaximise() {
        WindowFixture window;
        MainDialog& dialog = window.dialog();
        QCOMPARE(dialog.windowTitle(),
                 QStringLiteral("Temp. & Humidity Datalogger Configration Tool V2.402"));
        const DialogUnits& units = dialog.units();
        const QSize size(units.toPixelsX(332), units.toPixelsY(173));
        QCOMPARE(dialog.size(), size);
        QCOMPARE(dialog.minimumSize(), size);
        QCOMPARE(dialog.maximumSize(), size);
        const Qt::WindowFlags flags = dialog.windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!dialog.windowIcon().isNull());
    }

    void everyControlStandsWhereTheTemplatePutsIt() {
        WindowFixture window;
        const DialogUnits& units = window.dialog().units();
        QtControls& controls = window.session.controls();
        for (const ControlTemplate& control : mainDialogTemplate().controls) {
            if (control.id == ControlId::None) {
                continue;
            }
            const QByteArray name = QByteArray::number(toInt(control.id));
            QWidget* widget = controls.widget(control.id);
            QVERIFY2(widget, name);
            QVERIFY2(widget->inherits(kindClass(control.kind)), name);
            const QRect expected =
                units.toPixels(control.x, control.y, control.width, control.height);
            QCOMPARE(widget->pos(), expected.topLeft());
            QCOMPARE(widget->width(), expected.width());
            if (control.kind != ControlKind::ComboBox) {  // its height includes the open list
                QCOMPARE(widget->height(), expected.height());
            }
        }
        QVERIFY(controls.widgetAs<QLineEdit>(ControlId::DeviceId)->isReadOnly());
    }

    void tabOrderIsTheTemplateOrder() {
        WindowFixture window;
        QtControls& controls = window.session.controls();
        QList<QWidget*> expected;
        for (const ControlTemplate& control : mainDialogTemplate().controls) {
            if (control.kind != ControlKind::Label) {
                expected << controls.widget(control.id);
            }
        }
        QWidget* widget = expected.front();
        for (qsizetype i = 1; i < expected.size(); ++i) {
            widget = widget->nextInFocusChain();
            while (widget->focusPolicy() == Qt::NoFocus) {
                widget = widget->nextInFocusChain();
            }
            QCOMPARE(widget, expected[i]);
        }
    }

    void listsHoldTheTemplateEntries_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("unit") << toInt(ControlId::TemperatureUnit) << 2 << "Celsius"
                              << "Fahrenheit";
        QTest::newRow("language") << toInt(ControlId::PdfLanguage) << 2 << "English"
                                  << "Chinese";
        QTest::newRow("channel") << toInt(ControlId::ChannelSelection) << 3 << "Temperature"
                                 << "Temp+Humidity";
        QTest::newRow("date") << toInt(ControlId::DateFormat) << 3 << "DD/MM/YYYY"
                              << "YYYY/MM/DD";
        QTest::newRow("zone") << toInt(ControlId::TimeZone) << 49 << "UTC+12:00"
                              << "UTC-12:00";
    }
    void listsHoldTheTemplateEntries() {
        QFETCH(int, id);
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        WindowFixture window;
        QComboBox* box = window.combo(static_cast<ControlId>(id));
        QCOMPARE(box->count(), count);
        QCOMPARE(box->itemText(0), first);
        QCOMPARE(box->itemText(count - 1), last);
        QVERIFY(!box->isEditable());
    }

    void initialValuesAreShownAndTheFirstTickSetsUp() {
        WindowFixture window;
        QCOMPARE(window.edit(ControlId::TimeDelay)->text(), QStringLiteral("60"));
        QCOMPARE(window.edit(ControlId::SamplingInterval)->text(), QStringLiteral("3"));
        QCOMPARE(window.combo(ControlId::DateFormat)->currentIndex(), 2);
        QCOMPARE(window.button()->text(), QStringLiteral("Plug Logger"));
        QVERIFY(!window.button()->isEnabled());
        QVERIFY(window.edit(ControlId::DeviceId)->text().isEmpty());
        QVERIFY(window.dialog().polling());
    }

    void labelsAreBlackAndFieldsRedOverTheBackground() {
        WindowFixture window;
        QtControls& controls = window.session.controls();
        QCOMPARE(window.label(ControlId::RecordingTime)->palette().color(QPalette::WindowText),
                 QColor(Qt::black));
        QCOMPARE(window.setupLock()->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(window.edit(ControlId::DeviceName)->palette().color(QPalette::Text),
                 QColor(255, 0, 0));
        QCOMPARE(window.edit(ControlId::DeviceId)->palette().color(QPalette::Text),
                 QColor(Qt::black));
        for (ControlId id : {ControlId::DeviceName, ControlId::RecordingTime}) {
            QWidget* widget = controls.widget(id);
            QVERIFY(!widget->autoFillBackground());
            QCOMPARE(widget->palette().color(QPalette::Base).alpha(), 0);
        }
    }

    // The picture in README.md comes from here.
    void renderedWindowShowsTheBackgroundAndRedText() {
        WindowFixture window;
        window.plugInAndShow();
        const QImage image = window.dialog().grab().toImage();
        QVERIFY(image.save(QStringLiteral(VELTRA_SCREENSHOT_FILE)));

        const DialogUnits& units = window.dialog().units();
        QCOMPARE(image.size(), QSize(units.toPixelsX(332), units.toPixelsY(173)));
        QCOMPARE(image.pixelColor(2, 2), Background);
        QCOMPARE(image.pixelColor(image.width() - 3, image.height() - 3), Background);
        // An empty field shows the background through.
        QLineEdit* website = window.edit(ControlId::Website);
        QVERIFY(website->text().isEmpty());
        QCOMPARE(image.pixelColor(website->geometry().center()), Background);
        // The high alarm's text is drawn in red.
        QLineEdit* high = window.edit(ControlId::HighTempAlarm);
        bool red = false;
        const QRect area = high->geometry();
        for (int y = area.top(); y <= area.bottom() && !red; ++y) {
            for (int x = area.left(); x <= area.right() && !red; ++x) {
                const QColor c = image.pixelColor(x, y);
                red = c.red() > 200 && c.green() < 90 && c.blue() < 120;
            }
        }
        QVERIFY(red);

        // The committed copy is a picture of the same window.
        const QImage committed(QStringLiteral(VELTRA_DOCS_DIR "/veltra-demo.png"));
        QVERIFY(!committed.isNull());
        QCOMPARE(committed.pixelColor(2, 2), Background);
    }

    void enterAndEscapeCloseWithoutClickingTheButton_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("focusOnButton");
        QTest::addColumn<int>("result");
        QTest::newRow("enter in a field") << int(Qt::Key_Return) << false << int(QDialog::Accepted);
        QTest::newRow("enter on the button")
            << int(Qt::Key_Return) << true << int(QDialog::Accepted);
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << false << int(QDialog::Accepted);
        QTest::newRow("escape") << int(Qt::Key_Escape) << false << int(QDialog::Rejected);
    }
    void enterAndEscapeCloseWithoutClickingTheButton() {
        QFETCH(int, key);
        QFETCH(bool, focusOnButton);
        QFETCH(int, result);
        WindowFixture window;
        window.plugInAndShow();
        QVERIFY(window.button()->isEnabled());
        QWidget* target = focusOnButton ? static_cast<QWidget*>(window.button())
                                        : window.edit(ControlId::DeviceName);
        target->setFocus();
        QTest::keyClick(target, static_cast<Qt::Key>(key),
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QVERIFY(!window.dialog().isVisible());
        QCOMPARE(window.dialog().result(), result);
        QCOMPARE(window.program().pendingEvents & ConfigureClicked, 0u);
    }

    void aboutBoxShowsNameVersionIconAndOk() {
        WindowFixture window;
        QAction* about = window.dialog().aboutAction();
        QCOMPARE(about->text(), QStringLiteral("Aboat Quillon"));
        QCOMPARE(about->shortcut(), QKeySequence(Qt::Key_F1));
        for (int time = 0; time < 2; ++time) {  // it opens any number of times
            bool seen = false;
            whileOpen([&] { window.dialog().showAbout(); },
                      [&](QWidget* box) {
                          QVERIFY(box);
                          QCOMPARE(box->windowTitle(), QStringLiteral("About Quillon"));
                          auto* version = box->findChild<QLabel*>(QStringLiteral("aboutVersion"));
                          QVERIFY(version);
                          QCOMPARE(version->text(), QStringLiteral("Quillon V2.4xx"));
                          auto* icon = box->findChild<QLabel*>(QStringLiteral("aboutIcon"));
                          QVERIFY(icon && !icon->pixmap().isNull());
                          QVERIFY(box->findChild<QAbstractButton*>());
                          seen = true;
                      });
            QVERIFY(seen);
            QVERIFY(window.dialog().isVisible());
        }
    }

    void contextMenuOffersTheAboutEntry() {
        WindowFixture window;
        QStringList entries;
        whileOpen(
            [&] {
                QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                        window.dialog().mapToGlobal(QPoint(5, 5)));
                QApplication::sendEvent(&window.dialog(), &event);
            },
            [&](QWidget* popup) {
                if (auto* menu = qobject_cast<QMenu*>(popup)) {
                    for (QAction* action : menu->actions()) {
                        entries << action->text();
                    }
                }
            });
        QCOMPARE(entries, QStringList{QStringLiteral("Aboat Quillon")});
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
