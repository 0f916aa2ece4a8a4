// A sink that keeps a copy of every band a decoder hands over, put together into one picture.
#pragma once
#include <cstring>
#include <vector>

#include "preview/RowSink.h"

namespace aldra::testing {

struct CaptureSink final : RowSink {
    int calls = 0;
    bool inOrder = true;  // each band began where the one before ended
    uint32_t largestBand = 0;
    RowBand last;                 // format, depth, sizes of the last band
    std::vector<uint8_t> pixels;  // last.rowBytes a row, top row first
    std::vector<ColourRef> colours;
    Status answer = kOk;

    Status TakeRows(const RowBand& band) override {
        inOrder = inOrder && band.top == (calls == 0 ? 0 : last.top + last.rows);
        ++calls;
        last = band;
        const uint32_t bytes = band.rowBytes * band.rows;
        if (bytes > largestBand) largestBand = bytes;
        pixels.insert(pixels.end(), band.pixels, band.pixels + bytes);
        colours.assign(band.colours, band.colours + band.colourCount);
        return answer;
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
};

}  // namespace aldra::testing
