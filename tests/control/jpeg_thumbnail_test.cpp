// Thumbnails from JPEG streams as the host receives them: the Photoshop thumbnail resource, the IPTC
// thumbnail data set and the Storm PicturePress binary block.
#include "control/ControlFixture.h"
#include "control/PicturePixels.h"
#include "support/EpsFixtures.h"
#include "support/JpegFixtures.h"

namespace aldra {
namespace {

using namespace testing;

// Red top left, green top right, blue bottom left, black bottom right, in 8 x 8 blocks.
uint32_t Quadrant(uint32_t x, uint32_t y) {
    static const uint32_t colours[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000};
    return colours[(y >= 8) * 2 + (x >= 16)];
}

std::string QuadrantJpeg(bool blueFirst) {
    return EncodeJpeg(32, 16, 3, JpegSamples(32, 16, 3, [&](uint32_t x, uint32_t y, int s) {
                          return Quadrant(x, y) >> (blueFirst ? 8 * s : 16 - 8 * s) & 0xFF;
                      }));
}

class JpegThumbnailTest : public ControlTest {
  protected:
    // The thumbnail's pixels as 0xRRGGBB, top row first; empty when there is none.
    std::vector<uint32_t> Thumbnail(const std::string& file, bool stored) {
        EXPECT_EQ(Attach(files.Write("jpeg.eps", file)).hr, S_OK);
        Answer answer = Call("GetThumbnail", {MakeI4(64), MakeI4(64), MakeBool(stored)});
        Pixels p = ThumbnailPixels(answer);
        if (!p.present) return {};
        EXPECT_EQ(p.width, 64u);  // 2 x 1 inches fills the box's width
        EXPECT_EQ(p.height, 32u);
        return p.rgb;
    }
};

void ExpectQuadrants(const std::vector<uint32_t>& pixels) {
    ASSERT_EQ(pixels.size(), 64u * 32u);
    for (auto [x, y] : {std::pair{16u, 8u}, {48u, 8u}, {16u, 24u}, {48u, 24u}}) {
        uint32_t got = pixels[y * 64 + x], want = Quadrant(x / 2, y / 2);
        for (int shift : {16, 8, 0})
            EXPECT_NEAR(static_cast<int>(got >> shift & 0xFF), static_cast<int>(want >> shift & 0xFF), 8)
                << x << "," << y << " got " << std::hex << got;
    }
}

const char* kHeader = "%%BoundingBox: 0 0 144 72\n%%DocumentProcessColors: Cyan Magenta Yellow Black\n";

TEST_F(JpegThumbnailTest, PhotoshopAndIptcThumbnailsShowThePicture) {
    std::string resolution = ImageResource(1005, ResolutionInfo(72 << 16, 72 << 16));
    std::string thumbnail = ImageResource(1033, ThumbnailResourceData(32, 16, QuadrantJpeg(true)));
    std::string iptc = ImageResource(
        1028, IptcDataSetBytes(2, 25, "keyword") + IptcDataSetBytes(4, 100, QuadrantJpeg(false)));
    // Photoshop always writes the resolution, and the header scan insists on it.
    for (const std::string& resources :
         {resolution + thumbnail, resolution + iptc, iptc + thumbnail + resolution}) {
        SCOPED_TRACE(resources.size());
        ExpectQuadrants(Thumbnail(EpsText(kHeader + PhotoshopBlock(resources)), true));
    }
    // A thumbnail resource that breaks off is not replaced by the IPTC copy.
    std::string broken =
        ImageResource(1033, ThumbnailResourceData(32, 16, QuadrantJpeg(true).substr(0, 200)));
    EXPECT_TRUE(Thumbnail(EpsText(kHeader + PhotoshopBlock(resolution + broken + iptc)), true).empty());
}

TEST_F(JpegThumbnailTest, StormPicturePressFilesShowTheirBinaryBlock) {
    std::string jpeg = QuadrantJpeg(false);
    std::string head = std::string("%!PS-Adobe-3.0 EPSF-3.0\n") + kHeader;
    std::string block = "%%BeginBinary: " + std::to_string(jpeg.size()) + "\n" + jpeg + "\n%%EndBinary\n";
    for (bool stored : {false, true}) {  // the stored chain has nothing and gives way
        ExpectQuadrants(Thumbnail(head + "%%Creator: Storm PicturePress\n%%EndComments\n" + block, stored));
    }
}

}  // namespace
}  // namespace aldra
