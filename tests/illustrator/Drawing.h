// Artwork rendered into a fresh target raster, for tests that look at the pixels a drawing gives.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "eps/EpsReader.h"
#include "fixtures/ArtworkFile.h"
#include "illustrator/Illustrator.h"
#include "preview/TargetRaster.h"
#include "support/TempDir.h"

namespace aldra::testing {

struct PageBoxText {
    double llx = 0;
    double lly = 0;
    double urx = 100;
    double ury = 100;
};

// A whole drawing around the artwork lines (each ending in a line feed) on the page of the box.
inline std::string ArtworkFile(const std::string& artwork, PageBoxText box = {}) {
    ArtworkBuilder art;
    art.BoundingBox(box.llx, box.lly, box.urx, box.ury).Raw(artwork);
    return art.Text();
}

// The lines of a document embedded in another.
inline std::string EmbeddedDocument(const std::string& file) {
    return "%%BeginDocument: placed.ai\n" + file + "%%EndDocument\n";
}

// One filled line of Helvetica at (x, y), as a point text object.
inline std::string TextRun(const std::string& text, double size, double x, double y) {
    return "0 To\n1 0 0 1 " + ArtNumber(x) + " " + ArtNumber(y) + " 0 Tp\nTP\n0 Tr\n/_Helvetica " +
           ArtNumber(size) + " Tf\n" + ArtStringLiteral(text) + " Tx\nTO\n";
}

class Drawing {
  public:
    Drawing(const std::string& file, uint32_t width, uint32_t height, uint32_t depth = 8) {
        EXPECT_EQ(CreateTargetRaster(depth, width, height, &target_), kOk);
        EpsReader eps;
        EXPECT_EQ(OpenEps(folder_.Write("art.ai", file).c_str(), &eps), kOk);
        Rect all{0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
        status = RenderIllustratorArt(&eps, &target_, &all);
        CloseEps(&eps);
    }
    ~Drawing() { DestroyTargetRaster(&target_); }
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    // 0 black to 255 white, for an 8-bit target (its table runs from white to black).
    int Grey(uint32_t x, uint32_t y) const { return 255 - *Pixel(x, y); }
    // Red, green, blue of a 24-bit target, as a COLORREF.
    ColourRef Colour(uint32_t x, uint32_t y) const {
        const uint8_t* p = Pixel(x, y);
        return MakeColour(p[2], p[1], p[0]);
    }
    // Pixels darker than mid-grey in the rectangle [x0, x1) x [y0, y1).
    int Dark(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1) const {
        int n = 0;
        for (uint32_t y = y0; y < y1; ++y)
            for (uint32_t x = x0; x < x1; ++x) n += Grey(x, y) < 100;
        return n;
    }
    TargetRaster* Target() { return &target_; }

    Status status = kOk;

  private:
    const uint8_t* Pixel(uint32_t x, uint32_t y) const {
        const RasterImage& r = target_.raster;
        return r.pixels + (r.height - 1 - y) * r.rowBytes + x * (r.bitsPerPixel / 8);
    }

    TempDir folder_;
    TargetRaster target_{};
};

}  // namespace aldra::testing
