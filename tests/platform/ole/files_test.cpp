// Saving pictures: the BMP read back field by field, the PNG read back with libpng, existing files
// left alone and half-written files removed.
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <vector>

#include "OleTestSupport.h"
#include "platform/ole/BitmapFiles.h"
#include "support/FileBytes.h"

namespace aldra::test {
namespace {

using testing::ReadFile;

uint32_t Le(const std::string& d, size_t at, int bytes = 4) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | uint8_t(d[at + i]);
    return v;
}

// Both depths the filter writes, from bitmaps of either memory order: the header fields a reader
// needs, the table, and the rows bottom-up.
TEST(BmpFile, HeaderTableAndBottomUpRows) {
    TempDir folder;
    for (uint32_t bpp : {8u, 24u}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(::testing::Message() << bpp << " bits, top-down " << topDown);
            SourceDib src(bpp, 5, 3, topDown, bpp == 8 ? 3 : 0);  // a table shorter than the depth's
            const HBITMAP bitmap = src.Section();
            const std::string path = folder.File(std::to_string(bpp) + (topDown ? "t.bmp" : "b.bmp"));
            ASSERT_EQ(WriteBitmapBmp(bitmap, path.c_str()), kOk);
            const std::string d = ReadFile(path);
            const uint32_t offset = bpp == 8 ? 1078 : 54, stride = bpp == 8 ? 8 : 16;
            ASSERT_EQ(d.size(), offset + stride * 3);
            EXPECT_EQ(std::vector<uint32_t>({Le(d, 0, 2), Le(d, 2), Le(d, 10), Le(d, 14), Le(d, 18),
                                             Le(d, 22), Le(d, 26, 2), Le(d, 28, 2), Le(d, 30), Le(d, 46)}),
                      std::vector<uint32_t>({0x4D42, static_cast<uint32_t>(d.size()), offset, 40, 5, 3, 1,
                                             bpp, 0, bpp == 8 ? 256u : 0u}));
            for (uint32_t i = 0; bpp == 8 && i < 256; ++i)
                EXPECT_EQ(Le(d, 54 + 4 * i), i < 3 ? Packed(src.info.colours[i]) : 0) << i;
            for (int fileRow = 0; fileRow < 3; ++fileRow)
                for (int x = 0; x < 5; ++x)
                    EXPECT_EQ(Le(d, offset + fileRow * stride + x * (bpp / 8), bpp / 8),
                              src.Value(x, 2 - fileRow));
            DeleteObject(bitmap);
        }
    }
}

TEST(PngFile, PixelsReadBackWithLibpngAndAsRgbRows) {
    TempDir folder;
    for (uint32_t bpp : {8u, 24u}) {
        SCOPED_TRACE(bpp);
        SourceDib src(bpp, 7, 5, false);
        IPicture* picture = MakePicture(src.Section(), TRUE);
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
        EXPECT_EQ(png, RgbRows(src, 7, 5));
        RgbImage rows;
        ASSERT_EQ(picture->ReadRgbRows(&rows), CodeOf(kOk));
        EXPECT_EQ(rows.rgb, png);
        picture->Release();
    }
}

TEST(PngFile, KeysPngForbidsFailBeforeAnyFileIsMade) {
    TempDir folder;
    SourceDib src(24, 2, 2, false);
    const HBITMAP bitmap = src.Section();
    const std::string path = folder.File("k.png");
    for (const PngTextChunk& bad :
         {PngTextChunk{"", "x"}, PngTextChunk{std::string(80, 'k'), "x"}, PngTextChunk{" lead", "x"},
          PngTextChunk{"tab\tkey", "x"}, PngTextChunk{"Key", std::string("nul\0inside", 10)}}) {
        EXPECT_EQ(WriteBitmapPng(bitmap, path.c_str(), {&bad, 1}), kErrParam);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    DeleteObject(bitmap);
}

TEST(FailedWrites, LeaveExistingFilesAndRemoveWhatTheyWrote) {
    TempDir folder;
    SourceDib src(24, 300, 200, false);  // scrambled colours, which deflate cannot shrink much
    const HBITMAP bitmap = src.Section();
    const std::string there = folder.Write("there.png", "keep");
    EXPECT_EQ(WriteBitmapPng(bitmap, there.c_str(), {}), kErrExists);
    EXPECT_EQ(ReadFile(there), "keep");
    EXPECT_EQ(WriteBitmapBmp(bitmap, folder.File("no/such/folder.bmp").c_str()), kErrPathNotFound);
    // A file-size limit makes the write fail part-way (the bitmap file's case is the conversions').
    rlimit saved{}, limited{};
    getrlimit(RLIMIT_FSIZE, &saved);
    limited = saved;
    limited.rlim_cur = 8192;
    auto* previous = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    EXPECT_NE(WriteBitmapPng(bitmap, folder.File("cut.png").c_str(), {}), kOk);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    // A stale bitmap writes nothing at all.
    DeleteObject(bitmap);
    EXPECT_EQ(WriteBitmapBmp(bitmap, folder.File("stale.bmp").c_str()), kErrFormat);
    EXPECT_EQ(WriteBitmapPng(bitmap, folder.File("stale.png").c_str(), {}), kErrFormat);
    for (const char* name : {"cut.png", "stale.bmp", "stale.png"})
        EXPECT_FALSE(std::filesystem::exists(folder.File(name))) << name;
    RgbImage image;
    EXPECT_EQ(ReadBitmapRgb(bitmap, &image), kErrFormat);
}

}  // namespace
}  // namespace aldra::test
