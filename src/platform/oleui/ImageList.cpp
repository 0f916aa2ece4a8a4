#include "platform/oleui/ImageList.h"

#include <QBitmap>
#include <QImage>

namespace aldra {

int ImageList::Add(const QByteArray& bitmapFile, const QByteArray& maskFile) {
    if (Count() >= capacity_) return -1;
    QImage bitmap = QImage::fromData(bitmapFile, "BMP");
    QImage mask = QImage::fromData(maskFile, "BMP");
    QSize size(width_, height_);
    if (bitmap.size() != size || mask.size() != size) return -1;
    QPixmap image = QPixmap::fromImage(bitmap);
    // In the mask black is drawn and white is left out, which is a bitmap's own sense of a mask.
    image.setMask(QBitmap::fromImage(mask.convertToFormat(QImage::Format_MonoLSB)));
    images_.push_back(image);
    return Count() - 1;
}

QPixmap ImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return QPixmap();
    return images_[static_cast<size_t>(index)];
}

}  // namespace aldra
