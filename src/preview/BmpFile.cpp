#include "preview/BmpFile.h"

#include "base/File.h"

namespace aldra {

namespace {

constexpr uint32_t kInfoHeaderBytes = 40;

void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void FileHeader(uint8_t* out, uint64_t fileSize, uint32_t pixelOffset) {
    out[0] = 'B';
    out[1] = 'M';
    Put32(out + 2, static_cast<uint32_t>(fileSize));
    Put16(out + 6, 0);
    Put16(out + 8, 0);
    Put32(out + 10, pixelOffset);
}

// The file made new and opened for writing. Its creation error is returned as it is, and a file
// that already existed is left alone.
Status CreateBmpFile(const char* path, FileHandle* file) {
    Status status = FileCreateNew(path);
    if (status != kOk) return status;
    status = FileOpen(path, kFileReadWrite, file);
    if (status != kOk) (void)FileDelete(path);  // the open's failure is the one to report
    return status;
}

// Closes the file and, when anything went wrong after it was created, deletes it.
Status FinishBmpFile(const char* path, FileHandle file, Status status) {
    Status closed = FileClose(file);
    if (status == kOk) status = closed;
    if (status != kOk) (void)FileDelete(path);  // the earlier failure is the one to report
    return status;
}

struct PixelWrite {
    FileHandle file;
};

Status WritePresentedPixels(const RasterImage* view, const Rect*, void* context) {
    auto* write = static_cast<PixelWrite*>(context);
    uint64_t bytes = static_cast<uint64_t>(view->rowBytes) * view->height;
    if (bytes > UINT32_MAX) return kErrFormat;
    return FileWrite(write->file, static_cast<uint32_t>(bytes), view->pixels);
}

}  // namespace

Status WriteRasterBmp(TargetRaster* target, const char* path, uint32_t width, uint32_t height) {
    RasterImage* raster = &target->raster;
    uint32_t colours = raster->bitsPerPixel == 8 ? kPaletteSize : 0;
    uint64_t imageBytes = static_cast<uint64_t>(raster->rowBytes) * raster->height;
    uint32_t pixelOffset = kBmpFileHeaderBytes + kInfoHeaderBytes + 4 * colours;
    uint64_t fileSize = imageBytes + pixelOffset;
    if (fileSize > UINT32_MAX) return kErrFormat;

    FileHandle file;
    Status status = CreateBmpFile(path, &file);
    if (status != kOk) return status;
    status = FileSetSize(file, fileSize);
    if (status == kOk) {
        uint8_t header[kBmpFileHeaderBytes];
        FileHeader(header, fileSize, pixelOffset);
        status = FileWrite(file, sizeof header, header);
    }
    if (status == kOk) {
        DibHeader info = raster->header;
        info.size = kInfoHeaderBytes;
        info.width = static_cast<int32_t>(raster->width);
        info.height = static_cast<int32_t>(raster->height);
        info.planes = 1;
        info.bitCount = static_cast<uint16_t>(raster->bitsPerPixel);
        info.compression = 0;
        info.sizeImage = static_cast<uint32_t>(imageBytes);
        info.xPelsPerMeter = info.yPelsPerMeter = 0;
        info.clrUsed = info.clrImportant = colours;
        status = FileWrite(file, sizeof info, &info);
    }
    if (status == kOk && colours) status = FileWrite(file, 4 * colours, raster->colours);
    if (status == kOk) {
        Rect rect = {0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
        PixelWrite write = {file};
        status = PresentRaster(raster, &rect, WritePresentedPixels, &write);
    }
    return FinishBmpFile(path, file, status);
}

}  // namespace aldra
