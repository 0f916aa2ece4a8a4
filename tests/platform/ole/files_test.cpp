// Saving pictures: the BMP read back field by field, the PNG read back with libpng, existing files
// left alone and half-written files removed.
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <sys/resource.h>

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

uint32_t Le(const std::vector<uint8_t>& d, size_t at, int bytes = 4) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | d[at + i];
    return v;
}

// Both depths the filter writes, from bitmaps of either memory order: the header fields a reader
// needs, the grey table, and the rows bottom-up.
TEST(BmpFile, HeaderTableAndBottomUpRows) {
    TempDir folder;
    for (uint32_t bpp : {8u, 24u}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(::testing::Message() << bpp << " bits, top-down " << topDown);
            TestBitmap b(bpp, 5, 3, topDown);
            const std::string path = folder.File(std::to_string(bpp) + (topDown ? "t.bmp" : "b.bmp"));
            ASSERT_EQ(WriteBitmapBmp(b.bitmap, path.c_str()), kOk);
            const std::vector<uint8_t> d = ReadAll(path);
            const uint32_t offset = bpp == 8 ? 1078 : 54, stride = bpp == 8 ? 8 : 16;
            ASSERT_EQ(d.size(), offset + stride * 3);
            EXPECT_EQ(std::vector<uint32_t>({Le(d, 0, 2), Le(d, 2), Le(d, 10), Le(d, 14), Le(d, 18),
                                             Le(d, 22), Le(d, 26, 2), Le(d, 28, 2), Le(d, 30), Le(d, 46)}),
                      std::vector<uint32_t>({0x4D42, static_cast<uint32_t>(d.size()), offset, 40, 5, 3, 1,
                                             bpp, 0, bpp == 8 ? 256u : 0u}));
            for (uint32_t i = 0; bpp == 8 && i < 256; ++i)
                EXPECT_EQ(Le(d, 54 + 4 * i), (255 - i) * 0x010101u);
            for (int fileRow = 0; fileRow < 3; ++fileRow) {
                for (int x = 0; x < 5; ++x) {
                    uint8_t rgb[3];
                    b.Rgb(x, 2 - fileRow, rgb);
                    const uint32_t want = bpp == 8 ? 255 - rgb[0] : rgb[2] | rgb[1] << 8 | rgb[0] << 16;
                    EXPECT_EQ(Le(d, offset + fileRow * stride + x * (bpp / 8), bpp / 8), want) << x;
                }
            }
            DeleteObject(b.bitmap);
        }
    }
}

TEST(PngFile, PixelsReadBackWithLibpngAndAsRgbRows) {
    TempDir folder;
    for (uint32_t bpp : {8u, 24u}) {
        SCOPED_TRACE(bpp);
        TestBitmap b(bpp, 7, 5);
        IPicture* picture = MakePicture(b.bitmap, TRUE);
        const std::string path = folder.File(std::to_string(bpp) + ".png");
        const PngTextChunk text[] = {{"Thumb::MTime", "1700000000"}};
        ASSERT_EQ(picture->SaveAsPng(path.c_str(), text), CodeOf(kOk));
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
        EXPECT_EQ(std::pair(image.width, image.height), std::pair(7u, 5u));
        image.format = PNG_FORMAT_RGB;
        std::vector<uint8_t> png(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, png.data(), 0, nullptr));
        std::vector<uint8_t> want;
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 7; ++x) {
                uint8_t rgb[3];
                b.Rgb(x, y, rgb);
                want.insert(want.end(), rgb, rgb + 3);
            }
        }
        EXPECT_EQ(png, want);
        RgbImage rows;
        ASSERT_EQ(picture->ReadRgbRows(&rows), CodeOf(kOk));
        EXPECT_EQ(rows.rgb, want);
        picture->Release();
    }
}

TEST(PngFile, KeysPngForbidsFailBeforeAnyFileIsMade) {
    TempDir folder;
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

TEST(FailedWrites, LeaveExistingFilesAndRemoveWhatTheyWrote) {
    TempDir folder;
    TestBitmap b(24, 300, 200);
    std::mt19937 random(3);
    for (size_t i = 0; i < 900 * 200; ++i) b.bits[i] = static_cast<uint8_t>(random());  // incompressible
    const std::string there = folder.Write("there.bmp", "keep");
    EXPECT_EQ(WriteBitmapBmp(b.bitmap, there.c_str()), kErrExists);
    EXPECT_EQ(WriteBitmapPng(b.bitmap, there.c_str(), {}), kErrExists);
    EXPECT_EQ(ReadAll(there), std::vector<uint8_t>({'k', 'e', 'e', 'p'}));
    EXPECT_EQ(WriteBitmapBmp(b.bitmap, folder.File("no/such/folder.bmp").c_str()), kErrPathNotFound);
    // A file-size limit makes the write fail part-way.
    rlimit saved{}, limited{};
    getrlimit(RLIMIT_FSIZE, &saved);
    limited = saved;
    limited.rlim_cur = 8192;
    auto* previous = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    const Status bmp = WriteBitmapBmp(b.bitmap, folder.File("cut.bmp").c_str());
    const Status png = WriteBitmapPng(b.bitmap, folder.File("cut.png").c_str(), {});
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_NE(bmp, kOk);
    EXPECT_NE(png, kOk);
    EXPECT_FALSE(std::filesystem::exists(folder.File("cut.bmp")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("cut.png")));
    // A stale bitmap writes nothing at all.
    DeleteObject(b.bitmap);
    EXPECT_EQ(WriteBitmapBmp(b.bitmap, folder.File("stale.bmp").c_str()), kErrFormat);
    EXPECT_EQ(WriteBitmapPng(b.bitmap, folder.File("stale.png").c_str(), {}), kErrFormat);
    EXPECT_FALSE(std::filesystem::exists(folder.File("stale.bmp")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("stale.png")));
    RgbImage image;
    EXPECT_EQ(ReadBitmapRgb(b.bitmap, &image), kErrFormat);
}

}  // namespace
}  // namespace aldra::test
