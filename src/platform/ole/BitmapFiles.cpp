#include "platform/ole/BitmapFiles.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "base/Bytes.h"
#include "base/File.h"

namespace aldra {
namespace {

// Rows are fetched from the bitmap in bands of about this many bytes, so that writing a large
// bitmap needs no copy of it.
constexpr uint64_t kBandBytes = 1u << 20;

// The screen context GetDIBits wants, released on every path.
class ScreenContext {
  public:
    ScreenContext() : dc_(GetDC(nullptr)) {}
    ~ScreenContext() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenContext(const ScreenContext&) = delete;
    ScreenContext& operator=(const ScreenContext&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

struct Shape {
    BITMAP bitmap;
    uint32_t stride24;  // of the bitmap read as 24 bits
};

bool ShapeOf(HBITMAP bitmap, Shape* shape) {
    if (GetObject(bitmap, sizeof shape->bitmap, &shape->bitmap) != static_cast<int>(sizeof shape->bitmap)) {
        return false;
    }
    shape->stride24 = DibStride(24, shape->bitmap.bmWidth);
    return shape->stride24 != 0;
}

uint32_t RowsPerBand(uint32_t stride, uint32_t height) {
    uint64_t rows = kBandBytes / stride;
    if (rows == 0) rows = 1;
    return static_cast<uint32_t>(rows < height ? rows : height);
}

// A file made new for this write; deleted again unless Keep() is called.
class NewFile {
  public:
    explicit NewFile(const char* path) : path_(path) {}
    ~NewFile() {
        if (fd_ >= 0) ::close(fd_);
        if (made_ && !kept_) ::unlink(path_);
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    Status Create() {
        fd_ = ::open(path_, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0) return MapSystemError(errno, path_);
        made_ = true;
        return kOk;
    }
    Status Write(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        while (size > 0) {
            const ssize_t n = ::write(fd_, p, size);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return MapSystemError(errno, path_);
            if (n == 0) return kErrDiskFull;
            p += n;
            size -= static_cast<size_t>(n);
        }
        return kOk;
    }
    // Closes the file, reporting what close reports (a delayed write error on some file systems).
    Status Close() {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return MapSystemError(errno, path_);
        return kOk;
    }
    // Hands the descriptor to a FILE*, which closes it from then on.
    std::FILE* Stream() {
        std::FILE* f = ::fdopen(fd_, "wb");
        if (f != nullptr) fd_ = -1;
        return f;
    }
    void Keep() { kept_ = true; }

  private:
    const char* path_;
    int fd_ = -1;
    bool made_ = false;
    bool kept_ = false;
};

bool KeyIsValid(const std::string& key) {
    if (key.empty() || key.size() > 79 || key.front() == ' ' || key.back() == ' ') return false;
    for (unsigned char c : key) {
        if (!((c >= 32 && c <= 126) || c >= 161)) return false;
    }
    return true;
}

struct PngJob {
    std::FILE* file;
    HDC dc;
    HBITMAP bitmap;
    uint32_t width;
    uint32_t height;
    uint32_t stride;
    uint32_t bandRows;
    uint8_t* band;    // bandRows * stride bytes, 24-bit top-down from GetDIBits
    uint8_t* rgbRow;  // 3 * width bytes
    png_text* texts;
    int textCount;
};

// Drawn artwork and most stored previews are flat colour with hard edges, which zlib packs best as they
// stand: unfiltered rows at level 2 encode in about half the time of "up" at level 3 and come out a
// sixth smaller for drawings (smooth synthetic gradients grow by about as much, a few hundred bytes).
constexpr int kPngRowFilter = PNG_FILTER_NONE;
// Levels 1 to 3 use zlib's fast matcher; 2 costs about what 1 does and packs tighter.
constexpr int kPngZlibLevel = 2;

// libpng reports errors by longjmp: this function holds nothing that needs destroying.
Status EncodePng(const PngJob& job) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return kErrMemory;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return kErrMemory;
    }
    volatile Status status = kOk;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return status == kOk ? kErrSystem : status;
    }
    png_init_io(png, job.file);
    png_set_IHDR(png, info, job.width, job.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (job.textCount > 0) png_set_text(png, info, job.texts, job.textCount);
    // libpng's defaults (all five filters tried on every row, zlib level 6) took three quarters of
    // a thumbnail process. One fixed filter and zlib's fast matcher cost a fraction of that.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, kPngRowFilter);
    png_set_compression_level(png, kPngZlibLevel);
    png_write_info(png, info);
    for (uint32_t y = 0; y < job.height; y += job.bandRows) {
        const uint32_t rows = job.height - y < job.bandRows ? job.height - y : job.bandRows;
        // Top-down: negative height in the request.
        struct {
            BITMAPINFOHEADER h;
            RGBQUAD table[1];
        } request{{sizeof(BITMAPINFOHEADER), static_cast<LONG>(job.width), -static_cast<LONG>(job.height), 1,
                   24, BI_RGB, 0, 0, 0, 0, 0},
                  {}};
        if (GetDIBits(job.dc, job.bitmap, y, rows, job.band, reinterpret_cast<BITMAPINFO*>(&request),
                      DIB_RGB_COLORS) != static_cast<int>(rows)) {
            status = kErrFormat;
            png_error(png, "bitmap rows unavailable");
        }
        for (uint32_t r = 0; r < rows; ++r) {
            const uint8_t* s = job.band + static_cast<size_t>(r) * job.stride;
            for (uint32_t x = 0; x < job.width; ++x) {
                job.rgbRow[3 * x] = s[3 * x + 2];
                job.rgbRow[3 * x + 1] = s[3 * x + 1];
                job.rgbRow[3 * x + 2] = s[3 * x];
            }
            png_write_row(png, job.rgbRow);
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return kOk;
}

}  // namespace

Status ReadBitmapRgb(HBITMAP bitmap, RgbImage* out) {
    if (out == nullptr) return kErrParam;
    Shape shape;
    if (!ShapeOf(bitmap, &shape)) return kErrFormat;
    const uint32_t width = static_cast<uint32_t>(shape.bitmap.bmWidth);
    const uint32_t height = static_cast<uint32_t>(shape.bitmap.bmHeight);
    ScreenContext screen;
    if (!screen.get()) return kErrFormat;
    try {
        std::vector<uint8_t> dib(static_cast<size_t>(shape.stride24) * height);
        struct {
            BITMAPINFOHEADER h;
            RGBQUAD table[1];
        } request{{sizeof(BITMAPINFOHEADER), static_cast<LONG>(width), -static_cast<LONG>(height), 1, 24,
                   BI_RGB, 0, 0, 0, 0, 0},
                  {}};
        if (GetDIBits(screen.get(), bitmap, 0, height, dib.data(), reinterpret_cast<BITMAPINFO*>(&request),
                      DIB_RGB_COLORS) != static_cast<int>(height)) {
            return kErrFormat;
        }
        std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* s = dib.data() + static_cast<size_t>(y) * shape.stride24;
            uint8_t* d = rgb.data() + static_cast<size_t>(y) * width * 3;
            for (uint32_t x = 0; x < width; ++x) {
                d[3 * x] = s[3 * x + 2];
                d[3 * x + 1] = s[3 * x + 1];
                d[3 * x + 2] = s[3 * x];
            }
        }
        out->width = width;
        out->height = height;
        out->rgb = std::move(rgb);
    } catch (const std::bad_alloc&) {
        return kErrMemory;
    }
    return kOk;
}

Status WriteBitmapBmp(HBITMAP bitmap, const char* path) {
    if (path == nullptr) return kErrParam;
    Shape shape;
    if (!ShapeOf(bitmap, &shape)) return kErrFormat;
    ScreenContext screen;
    if (!screen.get()) return kErrFormat;

    // The bitmap's own format, then its table.
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD table[256];
    } format{};
    format.h.biSize = sizeof(BITMAPINFOHEADER);
    auto* info = reinterpret_cast<BITMAPINFO*>(&format);
    if (GetDIBits(screen.get(), bitmap, 0, 0, nullptr, info, DIB_RGB_COLORS) == 0) return kErrFormat;
    const uint32_t bpp = format.h.biBitCount;
    if (GetDIBits(screen.get(), bitmap, 0, 0, nullptr, info, DIB_RGB_COLORS) == 0) return kErrFormat;
    const uint32_t colours = bpp <= 8 ? (1u << bpp) : 0;
    const uint32_t width = static_cast<uint32_t>(shape.bitmap.bmWidth);
    const uint32_t height = static_cast<uint32_t>(shape.bitmap.bmHeight);
    const uint32_t stride = DibStride(bpp, width);
    const uint64_t imageBytes = static_cast<uint64_t>(stride) * height;
    const uint32_t headerBytes = 14 + 40 + 4 * colours;
    if (stride == 0 || imageBytes + headerBytes > UINT32_MAX) return kErrFormat;

    uint8_t head[14 + 40];
    head[0] = 'B';
    head[1] = 'M';
    StoreLe32(head + 2, static_cast<uint32_t>(imageBytes + headerBytes));
    StoreLe32(head + 6, 0);
    StoreLe32(head + 10, headerBytes);
    uint8_t* h = head + 14;
    StoreLe32(h, 40);
    StoreLe32(h + 4, width);
    StoreLe32(h + 8, height);  // positive: bottom-up
    StoreLe16(h + 12, 1);
    StoreLe16(h + 14, static_cast<uint16_t>(bpp));
    StoreLe32(h + 16, BI_RGB);
    StoreLe32(h + 20, static_cast<uint32_t>(imageBytes));
    StoreLe32(h + 24, 0);
    StoreLe32(h + 28, 0);
    StoreLe32(h + 32, colours);
    StoreLe32(h + 36, colours);

    const uint32_t bandRows = RowsPerBand(stride, height);
    std::unique_ptr<uint8_t[]> band(new (std::nothrow) uint8_t[static_cast<size_t>(bandRows) * stride]);
    if (!band) return kErrMemory;

    NewFile file(path);
    Status status = file.Create();
    if (status != kOk) return status;
    status = file.Write(head, sizeof head);
    if (status == kOk && colours > 0) status = file.Write(format.table, 4 * colours);
    format.h.biHeight = static_cast<LONG>(height);
    format.h.biWidth = static_cast<LONG>(width);
    for (uint32_t y = 0; status == kOk && y < height; y += bandRows) {
        const uint32_t rows = height - y < bandRows ? height - y : bandRows;
        if (GetDIBits(screen.get(), bitmap, y, rows, band.get(), info, DIB_RGB_COLORS) !=
            static_cast<int>(rows)) {
            status = kErrFormat;
            break;
        }
        status = file.Write(band.get(), static_cast<size_t>(rows) * stride);
    }
    if (status == kOk) status = file.Close();
    if (status == kOk) file.Keep();
    return status;
}

Status WriteBitmapPng(HBITMAP bitmap, const char* path, std::span<const PngTextChunk> text) {
    if (path == nullptr) return kErrParam;
    for (const PngTextChunk& chunk : text) {
        if (!KeyIsValid(chunk.key) || chunk.value.find('\0') != std::string::npos) return kErrParam;
    }
    if (text.size() > 1000) return kErrParam;
    Shape shape;
    if (!ShapeOf(bitmap, &shape)) return kErrFormat;
    ScreenContext screen;
    if (!screen.get()) return kErrFormat;

    PngJob job{};
    job.dc = screen.get();
    job.bitmap = bitmap;
    job.width = static_cast<uint32_t>(shape.bitmap.bmWidth);
    job.height = static_cast<uint32_t>(shape.bitmap.bmHeight);
    job.stride = shape.stride24;
    job.bandRows = RowsPerBand(job.stride, job.height);
    std::unique_ptr<uint8_t[]> band(new (std::nothrow)
                                        uint8_t[static_cast<size_t>(job.bandRows) * job.stride]);
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[static_cast<size_t>(job.width) * 3]);
    std::unique_ptr<png_text[]> texts(new (std::nothrow) png_text[text.size() + 1]);
    if (!band || !row || !texts) return kErrMemory;
    for (size_t i = 0; i < text.size(); ++i) {
        texts[i] = png_text{};
        texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[i].key = const_cast<char*>(text[i].key.c_str());
        texts[i].text = const_cast<char*>(text[i].value.c_str());
        texts[i].text_length = text[i].value.size();
    }
    job.band = band.get();
    job.rgbRow = row.get();
    job.texts = texts.get();
    job.textCount = static_cast<int>(text.size());

    NewFile file(path);
    Status status = file.Create();
    if (status != kOk) return status;
    job.file = file.Stream();
    if (job.file == nullptr) return kErrMemory;
    status = EncodePng(job);
    // fclose flushes: its failure is the write failing.
    const bool flushed = std::fflush(job.file) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(job.file) == 0;
    if (status == kOk && !(flushed && closed)) status = MapSystemError(flushed ? errno : flushError, path);
    if (status == kOk) file.Keep();
    return status;
}

}  // namespace aldra
