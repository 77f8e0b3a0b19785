#include "qt/QtControls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QWidget>
#include <utility>

#include "qt/HostText.h"
#include "ui/PendingEvents.h"

namespace veltra {

namespace {

void showModal(QWidget& parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Veltra"), text, QMessageBox::Ok, &parent);
    box.exec();
}

}  // namespace

QtControls::QtControls(QWidget& window, TimerSwitch timerSwitch)
    : window_(window),
      timerSwitch_(std::move(timerSwitch)),
      presenter_([this](const QString& text) { showModal(window_, text); }) {}

void QtControls::add(ControlId id, ControlKind kind, QWidget* widget) {
    controls_[id] = Entry{kind, widget, std::nullopt, QString()};
    // Every change of every control moves the change count on; only the watched ones are
    // reported.
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        // The user's own edit ends the promise to give back the program's bytes.
        QObject::connect(edit, &QLineEdit::textEdited, edit,
                         [this, id] { controls_[id].bytes.reset(); });
        QObject::connect(edit, &QLineEdit::textChanged, edit, [this, id] {
            ++changes_;
            if (!settingText_) {
                report(id, Notification::TextChanged);
            }
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [this] { ++changes_; });
        // activated() is the user's choice only; select() must not report.
        QObject::connect(combo, &QComboBox::activated, combo,
                         [this, id] { report(id, Notification::SelectionChanged); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QObject::connect(button, &QAbstractButton::toggled, button, [this] { ++changes_; });
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [this, id] { report(id, Notification::Clicked); });
    }
}

QWidget* QtControls::widget(ControlId id) const {
    const Entry* entry = find(id);
    return entry ? entry->widget : nullptr;
}

const QtControls::Entry* QtControls::find(ControlId id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

void QtControls::report(ControlId id, Notification what) {
    if (listener_ && isWatched(id, what)) {
        listener_(id, what);
    }
}

QString QtControls::shownText(const Entry& entry) const {
    if (auto* edit = qobject_cast<QLineEdit*>(entry.widget)) {
        return edit->text();
    }
    if (auto* label = qobject_cast<QLabel*>(entry.widget)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(entry.widget)) {
        return button->text();
    }
    return {};
}

std::string QtControls::text(ControlId id) const {
    const Entry* entry = find(id);
    if (!entry) {
        return {};
    }
    const QString shown = shownText(*entry);
    if (entry->bytes && shown == entry->shown) {
        return *entry->bytes;
    }
    return toHostBytes(shown);
}

void QtControls::setText(ControlId id, std::string_view text) {
    const auto found = controls_.find(id);
    if (found == controls_.end()) {
        return;
    }
    Entry& entry = found->second;
    const QString shown = fromHostBytes(text);
    // Bytes that look alike on screen may still differ.
    ++changes_;
    entry.unchanged = shown == shownText(entry);
    if (auto* edit = qobject_cast<QLineEdit*>(entry.widget)) {
        // The field reports a change even when the text stays the same, as the core expects
        // one report for every text it sets.
        settingText_ = true;
        edit->setText(shown);
        edit->setCursorPosition(0);
        settingText_ = false;
        entry.bytes = std::string(text);
        entry.shown = edit->text();
        report(id, Notification::TextChanged);
        return;
    }
    if (auto* label = qobject_cast<QLabel*>(entry.widget)) {
        label->setText(shown);
        // A unit that changes (the alarms' temperature unit) is told with its control.
        if (QWidget* owner = widget(unitOwner(id))) {
            owner->setAccessibleDescription(shown);
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(entry.widget)) {
        button->setText(shown);
    } else {
        return;  // a drop-down list has no text of its own
    }
    entry.bytes = std::string(text);
    entry.shown = shownText(entry);
}

int QtControls::selection(ControlId id) const {
    auto* combo = widgetAs<QComboBox>(id);
    return combo ? combo->currentIndex() : -1;
}

void QtControls::select(ControlId id, int index) {
    auto* combo = widgetAs<QComboBox>(id);
    if (!combo) {
        return;
    }
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    ++changes_;
}

int QtControls::entryCount(ControlId id) const {
    auto* combo = widgetAs<QComboBox>(id);
    return combo ? combo->count() : 0;
}

std::string QtControls::entryText(ControlId id, int index) const {
    auto* combo = widgetAs<QComboBox>(id);
    if (!combo || index < 0 || index >= combo->count()) {
        return {};
    }
    return toHostBytes(combo->itemText(index));
}

bool QtControls::isChecked(ControlId id) const {
    auto* button = widgetAs<QAbstractButton>(id);
    return button && button->isCheckable() && button->isChecked();
}

void QtControls::setEnabled(ControlId id, bool enabled) {
    if (QWidget* target = widget(id)) {
        target->setEnabled(enabled);
    }
}

void QtControls::setFocus(ControlId id) {
    if (QWidget* target = widget(id)) {
        target->setFocus(Qt::OtherFocusReason);
    }
}

void QtControls::refreshControlArea(ControlId id) {
    const auto found = controls_.find(id);
    // A text set again unchanged leaves nothing to repaint.
    if (found == controls_.end() || std::exchange(found->second.unchanged, false)) {
        return;
    }
    QWidget* target = found->second.widget;
    // The background behind the control, in the window's coordinates.
    const QRect area(target->mapTo(&window_, QPoint(0, 0)), target->size());
    window_.update(area);
}

void QtControls::showMessage(std::string_view utf8Text) {
    presenter_(QString::fromUtf8(utf8Text.data(), static_cast<qsizetype>(utf8Text.size())));
}

}  // namespace veltra
