// Saving pictures: the BMP read back field by field, the PNG read back with libpng, existing files
// left alone and half-written files removed.
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "OleTestSupport.h"
#include "platform/ole/BitmapFiles.h"

namespace aldra::test {
namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le32(const std::vector<uint8_t>& d, size_t at) {
    return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (static_cast<uint32_t>(d[at + 3]) << 24);
}
uint32_t Le16(const std::vector<uint8_t>& d, size_t at) {
    return d[at] | (d[at + 1] << 8);
}

TEST(BmpFile, EightBitHeaderFieldsTableAndBottomUpRows) {
    ScratchFolder folder;
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown);
        TestBitmap b(8, 5, 3, topDown);  // 5 bytes of pixels in an 8-byte stride
        IPicture* picture = MakePicture(b.bitmap, TRUE);
        const std::string path = folder.File(topDown ? "td.bmp" : "bu.bmp");
        ASSERT_EQ(picture->SaveAsBmp(path.c_str()), CodeOf(kOk));
        const std::vector<uint8_t> d = ReadAll(path);
        ASSERT_EQ(d.size(), 1078u + 8 * 3);
        EXPECT_EQ(d[0], 'B');
        EXPECT_EQ(d[1], 'M');
        EXPECT_EQ(Le32(d, 2), d.size());
        EXPECT_EQ(Le32(d, 6), 0u);
        EXPECT_EQ(Le32(d, 10), 1078u);
        EXPECT_EQ(Le32(d, 14), 40u);
        EXPECT_EQ(Le32(d, 18), 5u);
        EXPECT_EQ(Le32(d, 22), 3u);  // positive: bottom-up, whatever the bitmap's memory order
        EXPECT_EQ(Le16(d, 26), 1u);
        EXPECT_EQ(Le16(d, 28), 8u);
        EXPECT_EQ(Le32(d, 30), 0u);
        EXPECT_EQ(Le32(d, 34), 24u);
        EXPECT_EQ(Le32(d, 38), 0u);
        EXPECT_EQ(Le32(d, 42), 0u);
        EXPECT_EQ(Le32(d, 46), 256u);
        EXPECT_EQ(Le32(d, 50), 256u);
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(d[54 + 4 * i], 255 - i);
            EXPECT_EQ(d[54 + 4 * i + 1], 255 - i);
            EXPECT_EQ(d[54 + 4 * i + 2], 255 - i);
            EXPECT_EQ(d[54 + 4 * i + 3], 0);
        }
        for (int fileRow = 0; fileRow < 3; ++fileRow) {
            const int y = 2 - fileRow;
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(d[1078 + fileRow * 8 + x], static_cast<uint8_t>(x * 16 + y * 3));
        }
        picture->Release();
    }
}

TEST(BmpFile, TwentyFourBitsHaveFiftyFourBytesOfHeaderAndBgrRows) {
    ScratchFolder folder;
    TestBitmap b(24, 3, 2);
    const std::string path = folder.File("c.bmp");
    ASSERT_EQ(WriteBitmapBmp(b.bitmap, path.c_str()), kOk);
    const std::vector<uint8_t> d = ReadAll(path);
    ASSERT_EQ(d.size(), 54u + 12 * 2);
    EXPECT_EQ(Le32(d, 10), 54u);
    EXPECT_EQ(Le16(d, 28), 24u);
    EXPECT_EQ(Le32(d, 46), 0u);
    for (int fileRow = 0; fileRow < 2; ++fileRow) {
        for (int x = 0; x < 3; ++x) {
            uint8_t rgb[3];
            b.Rgb(x, 1 - fileRow, rgb);
            const size_t at = 54 + fileRow * 12 + 3 * x;
            EXPECT_EQ(d[at], rgb[2]);
            EXPECT_EQ(d[at + 1], rgb[1]);
            EXPECT_EQ(d[at + 2], rgb[0]);
        }
    }
    DeleteObject(b.bitmap);
}

struct PngRead {
    uint32_t width = 0, height = 0;
    int depth = 0, colourType = 0;
    std::vector<uint8_t> rgb;
    std::vector<std::pair<std::string, std::string>> texts;
};

bool ReadPng(const std::string& path, PngRead* out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_infop end = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, &end);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    out->width = png_get_image_width(png, info);
    out->height = png_get_image_height(png, info);
    out->depth = png_get_bit_depth(png, info);
    out->colourType = png_get_color_type(png, info);
    out->rgb.resize(static_cast<size_t>(out->width) * out->height * 3);
    for (uint32_t y = 0; y < out->height; ++y)
        png_read_row(png, out->rgb.data() + y * out->width * 3, nullptr);
    png_read_end(png, end);
    png_textp texts = nullptr;
    int count = png_get_text(png, info, &texts, nullptr);
    for (int i = 0; i < count; ++i) out->texts.emplace_back(texts[i].key, texts[i].text);
    png_destroy_read_struct(&png, &info, &end);
    std::fclose(f);
    return true;
}

TEST(PngFile, PixelsAndTextChunksReadBackWithLibpng) {
    ScratchFolder folder;
    for (uint32_t bpp : {8u, 24u}) {
        SCOPED_TRACE(bpp);
        TestBitmap b(bpp, 7, 5);
        IPicture* picture = MakePicture(b.bitmap, TRUE);
        const std::string path = folder.File(bpp == 8 ? "g.png" : "c.png");
        const PngTextChunk text[] = {{"Thumb::URI", "file:///tmp/a%20b.eps"},
                                     {"Thumb::MTime", "1700000000"},
                                     {"Software", "Aldra EPS Filter"}};
        ASSERT_EQ(picture->SaveAsPng(path.c_str(), text), CodeOf(kOk));
        PngRead png;
        ASSERT_TRUE(ReadPng(path, &png));
        EXPECT_EQ(png.width, 7u);
        EXPECT_EQ(png.height, 5u);
        EXPECT_EQ(png.depth, 8);
        EXPECT_EQ(png.colourType, PNG_COLOR_TYPE_RGB);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 7; ++x) {
                uint8_t rgb[3];
                b.Rgb(x, y, rgb);
                for (int c = 0; c < 3; ++c) ASSERT_EQ(png.rgb[(y * 7 + x) * 3 + c], rgb[c]) << x << "," << y;
            }
        }
        ASSERT_EQ(png.texts.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(png.texts[i].first, text[i].key);
            EXPECT_EQ(png.texts[i].second, text[i].value);
        }
        RgbImage image;
        ASSERT_EQ(picture->ReadRgbRows(&image), CodeOf(kOk));
        EXPECT_EQ(image.rgb, png.rgb);
        picture->Release();
    }
}

TEST(PngFile, KeysPngForbidsFailBeforeAnyFileIsMade) {
    ScratchFolder folder;
    TestBitmap b(24, 2, 2);
    const std::string path = folder.File("k.png");
    for (const PngTextChunk& bad :
         {PngTextChunk{"", "x"}, PngTextChunk{std::string(80, 'k'), "x"}, PngTextChunk{" lead", "x"},
          PngTextChunk{"tab\tkey", "x"}, PngTextChunk{"Key", std::string("nul\0inside", 10)}}) {
        EXPECT_EQ(WriteBitmapPng(b.bitmap, path.c_str(), {&bad, 1}), kErrParam);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    DeleteObject(b.bitmap);
}

TEST(ExistingFiles, AreNeverOverwritten) {
    ScratchFolder folder;
    TestBitmap b(8, 4, 4);
    IPicture* picture = MakePicture(b.bitmap, TRUE);
    const std::string path = folder.File("there.bmp");
    const std::vector<uint8_t> original = {'k', 'e', 'e', 'p', 0, 1, 2, 3, 0xFF};
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(original.data()),
                  static_cast<std::streamsize>(original.size()));
    }
    EXPECT_EQ(picture->SaveAsBmp(path.c_str()), CodeOf(kErrExists));
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_EQ(picture->SaveAsPng(path.c_str(), {}), CodeOf(kErrExists));
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_EQ(picture->SaveAsBmp(folder.File("no/such/folder.bmp").c_str()), CodeOf(kErrPathNotFound));
    picture->Release();
}

// A file-size limit makes the write fail part-way: what was written must go again.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(FailedWrites, DeleteTheHalfWrittenFile) {
    ScratchFolder folder;
    TestBitmap b(24, 300, 200);
    std::mt19937 random(3);
    const size_t bytes = static_cast<size_t>(((24 * 300 + 31) / 32) * 4) * 200;
    for (size_t i = 0; i < bytes; ++i) b.bits[i] = static_cast<uint8_t>(random());  // incompressible
    const std::string bmp = folder.File("cut.bmp");
    const std::string png = folder.File("cut.png");
    Status bmpStatus, pngStatus;
    {
        FileSizeLimit limit(8192);
        bmpStatus = WriteBitmapBmp(b.bitmap, bmp.c_str());
        pngStatus = WriteBitmapPng(b.bitmap, png.c_str(), {});
    }
    EXPECT_NE(bmpStatus, kOk);
    EXPECT_NE(pngStatus, kOk);
    EXPECT_FALSE(std::filesystem::exists(bmp));
    EXPECT_FALSE(std::filesystem::exists(png));
    DeleteObject(b.bitmap);
}

TEST(FailedWrites, StaleBitmapsWriteNothing) {
    ScratchFolder folder;
    TestBitmap b(8, 2, 2);
    DeleteObject(b.bitmap);
    const std::string path = folder.File("stale.bmp");
    EXPECT_EQ(WriteBitmapBmp(b.bitmap, path.c_str()), kErrFormat);
    EXPECT_EQ(WriteBitmapPng(b.bitmap, path.c_str(), {}), kErrFormat);
    EXPECT_FALSE(std::filesystem::exists(path));
    RgbImage image;
    EXPECT_EQ(ReadBitmapRgb(b.bitmap, &image), kErrFormat);
}

}  // namespace
}  // namespace aldra::test
