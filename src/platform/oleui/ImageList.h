// An image list: small images of one size, each drawn from a bitmap and a monochrome mask in which
// white marks the transparent pixels.
#pragma once
#include <QByteArray>
#include <QPixmap>
#include <vector>

namespace aldra {

class ImageList {
  public:
    ImageList(int width, int height, int capacity) : width_(width), height_(height), capacity_(capacity) {}
    // The new image's index, or -1 when a bitmap cannot be read, has the wrong size or the list is full.
    int Add(const QByteArray& bitmapFile, const QByteArray& maskFile);
    int Count() const { return static_cast<int>(images_.size()); }
    // A null pixmap for an index the list does not hold.
    QPixmap Image(int index) const;
    QSize ImageSize() const { return QSize(width_, height_); }

  private:
    int width_;
    int height_;
    int capacity_;
    std::vector<QPixmap> images_;
};

}  // namespace aldra
