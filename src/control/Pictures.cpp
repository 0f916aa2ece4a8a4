// Thumbnails and conversions of the attached file. The preview chains draw the pictures; this file
// fixes the order in which sources are tried and the sizes and depths asked for. The Macintosh PICT
// preview is tried first (stored preference) or last.
#include <cmath>

#include "control/FilterCtrl.h"
#include "control/PdfFile.h"
#include "mac/QuickTimeRoutines.h"
#include "pdf/IllustratorPdf.h"
#include "platform/gdi/Gdi.h"
#include "platform/ole/Picture.h"
#include "preview/BitmapCopy.h"
#include "preview/BmpFile.h"
#include "preview/PreviewChain.h"

namespace aldra {

namespace {

constexpr double kLeastWidthInches = 0.0000001;

uint32_t DepthForKind(int32_t kind) {
    return kind == 2 ? 24 : 8;
}

// What the drawing layer refuses to make (kMaxDibSide, kMaxDibBytes): no raster is attempted for
// such a bitmap, and the conversion answers as for any other failure.
bool BeyondDrawingLimits(uint32_t bitsPerPixel, int32_t width, int32_t height) {
    if (width > kMaxDibSide || height > kMaxDibSide) return true;
    return uint64_t{AlignedStride(bitsPerPixel, static_cast<uint32_t>(width))} *
               static_cast<uint64_t>(height) >
           kMaxDibBytes;
}

// A side shrinks from its requested length by the picture's aspect ratio and is truncated; a
// length the arithmetic brings a hair below a whole number (a square gives 255.99999... for 256)
// keeps that number, and equal sides keep their lengths.
int64_t ShrunkSide(int32_t requested, double side, double otherSide) {
    if (side == otherSide) return requested;
    double length = requested / otherSide * side;
    length += std::fabs(length) * 1e-12;
    // Longer than any raster: refused further on, without a conversion out of range.
    if (!(std::fabs(length) < 0x1p62)) return INT64_MAX;
    return static_cast<int64_t>(length);
}

void ThumbnailSize(int32_t width, int32_t height, double widthInches, double heightInches,
                   int64_t* targetWidth, int64_t* targetHeight) {
    bool landscape = heightInches < widthInches;
    *targetWidth = landscape ? width : ShrunkSide(width, widthInches, heightInches);
    *targetHeight = landscape ? ShrunkSide(height, heightInches, widthInches) : height;
}

// The picture owns the bitmap when it is made; otherwise the caller keeps it. The host receives the
// picture's dispatch interface.
IDispatch* PictureOwning(HBITMAP bitmap) {
    PICTDESC description = {};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    void* picture = nullptr;
    if (FAILED(OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, &picture)) || !picture)
        return nullptr;
    return static_cast<IDispatch*>(picture);
}

// The picture takes the section over; on failure the target keeps it and frees it as usual.
IDispatch* PictureFromTarget(TargetRaster* target) {
    IDispatch* picture = PictureOwning(target->section);
    if (picture) target->section = {};
    return picture;
}

// Draws the file's picture into the target: the preferred chain, then the other one.
bool DrawFilePicture(const std::string& path, bool preferStored, TargetRaster* target) {
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return false;
    if (BeginsAsPdf(eps.reader)) {
        CloseEps(&eps);
        return DrawPdfPicture(path, target);
    }
    Rect bounds = GetRasterRect(&target->raster);
    bool drawn = FindPreview(&eps, preferStored, target, &bounds) == kOk ||
                 FindPreview(&eps, !preferStored, target, &bounds) == kOk;
    CloseEps(&eps);
    return drawn;
}

}  // namespace

IDispatch* CFilterCtrl::PictureFromPict(int32_t width, int32_t height) {
    qt::GWorldPtr world;
    if (RenderPictPreview(PictSourceOf(), width, height, &world) != kOk) return nullptr;
    // The world belongs to QuickTime; the picture owns a copy.
    HBITMAP copy = CopyBitmapResized(GetGWorldBitmap(world), width, height);
    DisposeGWorld(world);
    if (!copy) return nullptr;
    IDispatch* picture = PictureOwning(copy);
    if (!picture) DeleteObject(copy);
    return picture;
}

bool CFilterCtrl::WritePictBmp(const std::string& path, int32_t width, int32_t height) {
    return !path.empty() && aldra::WritePictBmp(PictSourceOf(), path.c_str(), width, height) == kOk;
}

IDispatch* CFilterCtrl::GetThumbnail(int32_t width, int32_t height, bool useStoredThumbnail) {
    IDispatch* picture = nullptr;
    // Without a size in both directions there is no shape to fit the box to: only the PICT answers.
    bool sized = widthInches_ > 0 && heightInches_ > 0;
    int64_t targetWidth = 0, targetHeight = 0;
    if (sized) ThumbnailSize(width, height, widthInches_, heightInches_, &targetWidth, &targetHeight);
    auto pictSize = [&](int64_t v) { return static_cast<int32_t>(v); };
    if (useStoredThumbnail) picture = PictureFromPict(pictSize(targetWidth), pictSize(targetHeight));
    if (picture) return picture;

    TargetRaster target;
    HoldColourTables();
    if (sized && targetWidth > 0 && targetHeight > 0 && targetWidth <= INT32_MAX &&
        targetHeight <= INT32_MAX &&
        CreateTargetRaster(DepthForKind(kind_), static_cast<uint32_t>(targetWidth),
                           static_cast<uint32_t>(targetHeight), &target) == kOk) {
        if (DrawFilePicture(filePath_, useStoredThumbnail, &target)) {
            picture = PictureFromTarget(&target);
            previewPixelWidth_ = target.sourceWidth;
            previewPixelHeight_ = target.sourceHeight;
        }
        DestroyTargetRaster(&target);
    }
    if (!useStoredThumbnail && !picture)
        picture = PictureFromPict(pictSize(targetWidth), pictSize(targetHeight));
    return picture;
}

bool CFilterCtrl::ConvertTo(const std::string& to, const std::string& type) {
    uint32_t resolution = LoadedSettings().previewResolution;
    double hResolution = resolution;
    double vResolution = resolution;
    if (resolution == 0) {
        HDC screen = GetDC(HWND{});
        hResolution = GetDeviceCaps(screen, LOGPIXELSX);
        vResolution = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(HWND{}, screen);
    }
    auto pixels = [](double inches, double resolution) {
        double v = inches * resolution;
        // Truncated towards zero; sizes no raster could have become 0 and are refused further on.
        return (v >= INT32_MAX || v <= INT32_MIN) ? 0 : static_cast<int32_t>(v);
    };
    return ConvertToSize(to, type, pixels(widthInches_, hResolution), pixels(heightInches_, vResolution));
}

bool CFilterCtrl::ConvertToSize(const std::string& to, const std::string&, int32_t width, int32_t height) {
    if (!(widthInches_ > kLeastWidthInches)) RaiseFilterError(kErrFormat);
    HoldColourTables();
    TargetRaster target;
    bool written = false;
    if (!to.empty() && width > 0 && height > 0 && !BeyondDrawingLimits(DepthForKind(kind_), width, height) &&
        CreateTargetRaster(DepthForKind(kind_), static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                           &target) == kOk) {
        if (DrawFilePicture(filePath_, false, &target)) {
            written = WriteRasterBmp(&target, to.c_str(), static_cast<uint32_t>(width),
                                     static_cast<uint32_t>(height)) == kOk;
        }
        DestroyTargetRaster(&target);
    }
    if (written) return true;
    return WritePictBmp(to, width, height);
}

}  // namespace aldra
