#include "qt/ControlBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <utility>
#include <vector>

#include "qt/DialogLook.h"
#include "qt/HostText.h"
#include "qt/QtControls.h"

namespace veltra {

namespace {

QString templateText(std::string_view text) {
    return QString::fromUtf8(text.data(), text.size());
}

QWidget* makeLabel(const ControlTemplate& control, QWidget& window) {
    auto* label = new QLabel(templateText(control.text), &window);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    dialogLook::styleLabel(*label);
    return label;
}

QWidget* makeEdit(const ControlTemplate& control, QWidget& window) {
    auto* edit = new QLineEdit(templateText(control.text), &window);
    edit->setReadOnly(control.readOnly);
    dialogLook::styleEdit(*edit, control.readOnly);
    return edit;
}

QWidget* makeButton(const ControlTemplate& control, QWidget& window) {
    auto* button = new QPushButton(templateText(control.text), &window);
    // Enter closes the window; it never clicks the configure button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QWidget* makeCheckBox(const ControlTemplate& control, QWidget& window) {
    auto* box = new QCheckBox(templateText(control.text), &window);
    dialogLook::styleCheckBox(*box);
    return box;
}

QWidget* makeComboBox(const ControlTemplate& control, const DialogUnits& units, QWidget& window) {
    auto* combo = new QComboBox(&window);
    combo->setEditable(false);
    for (std::string_view entry : listEntries(control.id)) {
        combo->addItem(fromHostBytes(entry));
    }
    combo->setCurrentIndex(-1);
    // The template's height includes the open list; the closed box is one line high.
    const int itemHeight = combo->fontMetrics().height() + 2;
    const int listHeight = units.toPixelsY(control.height) - units.toPixelsY(12);
    combo->setMaxVisibleItems(std::max(1, listHeight / itemHeight));
    return combo;
}

// What a screen reader says of a control: its label's name and its unit; the button and the
// check box are named by their own captions.
void nameForScreenReaders(const ControlTemplate& control, QWidget& widget) {
    if (control.kind == ControlKind::Label) {
        return;
    }
    if (const std::string_view name = controlName(control.id); !name.empty()) {
        widget.setAccessibleName(templateText(name));
    }
    if (const ControlTemplate* unit = unitLabel(control.id)) {
        widget.setAccessibleDescription(templateText(unit->text));
    }
}

QWidget* make(const ControlTemplate& control, const DialogUnits& units, QWidget& window) {
    switch (control.kind) {
        case ControlKind::Label:
            return makeLabel(control, window);
        case ControlKind::Edit:
            return makeEdit(control, window);
        case ControlKind::Button:
            return makeButton(control, window);
        case ControlKind::CheckBox:
            return makeCheckBox(control, window);
        case ControlKind::ComboBox:
            return makeComboBox(control, units, window);
    }
    return nullptr;
}

}  // namespace

void buildControls(const DialogTemplate& dialog, const DialogUnits& units, QWidget& window,
                   QtControls& controls) {
    QWidget* previous = nullptr;
    std::vector<std::pair<QLabel*, ControlId>> names;
    for (const ControlTemplate& control : dialog.controls) {
        QWidget* widget = make(control, units, window);
        const int height = control.kind == ControlKind::ComboBox ? 12 : control.height;
        widget->setGeometry(units.toPixels(control.x, control.y, control.width, height));
        widget->setObjectName(QStringLiteral("control%1").arg(toInt(control.id)));
        nameForScreenReaders(control, *widget);
        if (control.labelFor.role == LabelFor::Name) {
            names.emplace_back(qobject_cast<QLabel*>(widget), control.labelFor.control);
        }
        if (control.id != ControlId::None) {
            controls.add(control.id, control.kind, widget);
        }
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous) {
                QWidget::setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }
    // Screen readers on Linux name a closed list by its entry and find its label through
    // this relation.
    for (const auto& [label, id] : names) {
        label->setBuddy(controls.widget(id));
    }
}

}  // namespace veltra
