#include "ui/DialogResources.h"

#include "platform/com/Ansi.h"

namespace aldra {

QByteArray BitmapResource(uint32_t id) {
    const ResourceData* bitmap = FindDataResource(DialogBitmaps(), "BITMAP", id);
    if (bitmap == nullptr) return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(bitmap->bytes), static_cast<qsizetype>(bitmap->size));
}

QString ResourceString(uint32_t id) {
    return QString::fromStdString(AnsiToUtf8(ResourceText(id)));
}

}  // namespace aldra
