// Dialog units: dialog templates give positions in quarters of the dialog font's average character
// width and eighths of its height, so that a dialog keeps its proportions in any font.
#pragma once
#include <QFont>
#include <QRect>

namespace aldra {

struct DialogBaseUnits {
    int width;   // average character width in pixels
    int height;  // character height in pixels
};

// The templates' font, 8-point "MS Sans Serif", or the first of its metric relatives that is installed:
// the templates' positions were laid out for its widths.
QFont DialogFont();

// Measured as Windows does: the width of the 52 letters, halved and rounded, over 26.
DialogBaseUnits BaseUnitsOf(const QFont& font);

inline int DialogX(const DialogBaseUnits& units, int x) {
    return x * units.width / 4;
}
inline int DialogY(const DialogBaseUnits& units, int y) {
    return y * units.height / 8;
}
inline QRect DialogRect(const DialogBaseUnits& units, int x, int y, int width, int height) {
    int left = DialogX(units, x);
    int top = DialogY(units, y);
    return QRect(left, top, DialogX(units, x + width) - left, DialogY(units, y + height) - top);
}

}  // namespace aldra
