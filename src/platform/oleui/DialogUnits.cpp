#include "platform/oleui/DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace aldra {

// Chosen among the installed families by name: the system's font matching would answer any name with
// its default font.
QFont DialogFont() {
    static const QString family = [] {
        // Families offered by several foundries are listed as "Family [foundry]".
        QStringList installed;
        for (const QString& listed : QFontDatabase::families())
            installed << listed.section(QStringLiteral(" ["), 0, 0);
        for (const char* name : {"MS Sans Serif", "Microsoft Sans Serif", "Arial", "Liberation Sans",
                                 "Nimbus Sans", "Helvetica"}) {
            if (installed.contains(QLatin1String(name), Qt::CaseInsensitive))
                return QString::fromLatin1(name);
        }
        return QString();
    }();
    QFont font;
    if (!family.isEmpty()) font.setFamily(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    QFontMetrics metrics(font);
    int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogBaseUnits{(letters / 26 + 1) / 2, metrics.height()};
}

}  // namespace aldra
