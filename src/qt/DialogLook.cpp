#include "qt/DialogLook.h"

#include <QPalette>
#include <QWidget>

#include "ui/DialogTemplate.h"

namespace veltra::dialogLook {

namespace {

// The template's face does not exist here. Noto Sans CJK SC has the Latin letters, the
// degree Celsius sign and the Chinese characters, so no text falls back to another face.
// Its line height is larger than that of the template's face for the same letter size, so
// the window keeps its proportions with a somewhat smaller size.
QFont substitute(double pointSize) {
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK"),
                      QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

constexpr double MainPointSize = 11.0;  // stands for the template's 14 points
constexpr double AboutPointSize = 9.0;  // the About box's template size

void setColours(QWidget& widget, const QColor& text, const QColor& base) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    // Frames are drawn in shades of the window colour; the widget itself paints no
    // background, so the window's shows through.
    palette.setColor(QPalette::Window, background());
    palette.setColor(QPalette::Base, base);
    // Disabled text stays grey, as the platform draws it.
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(109, 109, 109));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(109, 109, 109));
    widget.setPalette(palette);
    widget.setAutoFillBackground(false);
}

}  // namespace

QFont mainFont() {
    return substitute(MainPointSize);
}

QFont aboutFont() {
    return substitute(AboutPointSize);
}

QColor background() {
    return QColor(BackgroundColour.red, BackgroundColour.green, BackgroundColour.blue);
}

QColor focusRing() {
    return Qt::black;
}

void styleLabel(QWidget& label) {
    setColours(label, Qt::black, Qt::transparent);
}

void styleCheckBox(QWidget& box) {
    setColours(box, Qt::black, Qt::white);
}

void styleEdit(QWidget& edit, bool readOnly) {
    setColours(edit, readOnly ? QColor(Qt::black) : QColor(255, 0, 0), Qt::transparent);
}

}  // namespace veltra::dialogLook
