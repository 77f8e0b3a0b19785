#pragma once

#include <QFont>
#include <QRect>

namespace veltra {

// Dialog units to pixels, as the dialog manager converts them: a horizontal unit is a quarter
// of the font's average character width, a vertical unit an eighth of its character height.
struct DialogUnits {
    int baseX = 1;  // average character width in pixels
    int baseY = 1;  // character height in pixels

    // The base units of a font: the average width is taken over the 52 Latin letters.
    static DialogUnits of(const QFont& font);

    int toPixelsX(int units) const;
    int toPixelsY(int units) const;
    QRect toPixels(int x, int y, int width, int height) const;
};

}  // namespace veltra
