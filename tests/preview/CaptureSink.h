// What the decoders under test read and write: a file the test writes, and a sink that keeps a copy
// of every band handed over, put together into one picture.
#pragma once
#include <string>
#include <vector>

#include "eps/EpsReader.h"
#include "preview/RowSink.h"
#include "support/TempDir.h"

namespace aldra::testing {

struct CaptureSink final : RowSink {
    int calls = 0;
    int refusals = 0;  // the first calls answer `refusal` and keep nothing
    Status refusal = kErrMemory;
    bool inOrder = true;          // each band began where the one before ended
    RowBand last;                 // format, depth, sizes of the last band kept
    std::vector<uint8_t> pixels;  // last.rowBytes a row, top row first
    std::vector<ColourRef> colours;

    Status TakeRows(const RowBand& band) override {
        if (++calls <= refusals) return refusal;
        inOrder = inOrder && band.top == (pixels.empty() ? 0 : last.top + last.rows);
        last = band;
        const uint32_t bytes = band.rowBytes * band.rows;
        pixels.insert(pixels.end(), band.pixels, band.pixels + bytes);
        colours.assign(band.colours, band.colours + band.colourCount);
        return kOk;
    }
    uint32_t Rows() const { return last.rowBytes ? static_cast<uint32_t>(pixels.size() / last.rowBytes) : 0; }
    const uint8_t* Row(uint32_t y) const { return pixels.data() + static_cast<size_t>(y) * last.rowBytes; }
    // The sample of pixel x of row y at the band's depth (1, 4, 8 bits, or one byte of a wider pixel).
    uint32_t Sample(uint32_t x, uint32_t y, uint32_t channel = 0) const {
        const uint32_t depth = last.bitsPerPixel;
        if (depth >= 24) return Row(y)[x * (depth / 8) + channel];
        const uint32_t bit = x * depth;
        return (Row(y)[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
    }
    // The whole picture without row padding, for bytes-per-pixel depths.
    std::vector<uint8_t> Picture() const {
        const uint32_t used = last.width * last.bitsPerPixel / 8;
        std::vector<uint8_t> out;
        for (uint32_t y = 0; y < Rows(); ++y) out.insert(out.end(), Row(y), Row(y) + used);
        return out;
    }
};

// The bytes as a file, opened, the reader at `start`.
struct EpsFile {
    TempDir dir;
    EpsReader eps;
    Status status;
    bool opened;
    explicit EpsFile(const std::string& bytes, uint64_t start = 0) {
        status = OpenEps(dir.Write("test.eps", bytes).c_str(), &eps);
        opened = status == kOk;
        if (opened) status = EpsSeek(&eps, start);
    }
    ~EpsFile() {
        if (opened) CloseEps(&eps);
    }
    // decode(&eps, args...) once the file is open.
    template <typename Decode, typename... Args>
    Status Run(Decode decode, Args... args) {
        return status == kOk ? decode(&eps, args...) : status;
    }
};

}  // namespace aldra::testing
