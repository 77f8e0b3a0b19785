#include "WindowFixture.h"

#include <QTest>

namespace veltra::test {

WindowFixture::WindowFixture(SimulatorSettings settings)
    : simulator(folder.path().toStdString(), settings),
      locator(simulator),
      drive([this](char letter) { return locator.rootOf(letter); }),
      host(LocalTime{2024, 5, 6, 7, 8, 9}, 480),
      session(host, drive, locator) {
    session.controls().setMessagePresenter([this](const QString& text) { messages << text; });
    session.open(false);
    dialog().show();
    ticks(1);  // the first tick sets the window up
}

void WindowFixture::ticks(int count) {
    for (int i = 0; i < count; ++i) {
        session.tick();
    }
}

void WindowFixture::plugInAndShow() {
    simulator.plugIn();
    // Found on the first tick, read on the third, estimated on the fourth.
    ticks(4);
}

void WindowFixture::typeInto(ControlId id, const QString& text) {
    QLineEdit* field = edit(id);
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

void WindowFixture::choose(ControlId id, int index) {
    QComboBox* box = combo(id);
    box->setFocus();
    while (box->currentIndex() < index) {
        QTest::keyClick(box, Qt::Key_Down);
    }
    while (box->currentIndex() > index) {
        QTest::keyClick(box, Qt::Key_Up);
    }
}

void WindowFixture::click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

}  // namespace veltra::test
