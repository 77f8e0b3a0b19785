#include "qt/AboutDialog.h"

#include <QLabel>
#include <QPushButton>

#include "qt/AppIcon.h"
#include "qt/DialogLook.h"
#include "qt/DialogUnits.h"

namespace veltra {

namespace {

QLabel* addText(QDialog& dialog, const DialogUnits& units, const QString& text, int y) {
    auto* label = new QLabel(text, &dialog);
    label->setTextFormat(Qt::PlainText);  // ampersands shown as they are
    label->setGeometry(units.toPixels(40, y, 119, 8));
    return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("About Quillon"));
    setFont(dialogLook::aboutFont());
    setWindowIcon(appIcon());
    const DialogUnits units = DialogUnits::of(font());
    setFixedSize(units.toPixelsX(235), units.toPixelsY(55));

    // A static icon takes the icon's own size, whatever the template's box.
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("aboutIcon"));
    picture->setPixmap(appIcon().pixmap(32, 32));
    picture->setGeometry(QRect(QPoint(units.toPixelsX(11), units.toPixelsY(17)), QSize(32, 32)));

    addText(*this, units, QStringLiteral("Quillon V2.4xx"), 10)
        ->setObjectName(QStringLiteral("aboutVersion"));
    addText(*this, units, QStringLiteral("Logger configuration tool"), 25)
        ->setObjectName(QStringLiteral("aboutLine"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(units.toPixels(178, 7, 50, 14));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace veltra
