#include "platform/oleui/DialogUnits.h"

#include <QFontMetrics>

namespace aldra {

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    QFontMetrics metrics(font);
    int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogBaseUnits{(letters / 26 + 1) / 2, metrics.height()};
}

}  // namespace aldra
