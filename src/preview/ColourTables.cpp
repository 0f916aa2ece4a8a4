#include "preview/ColourTables.h"

#include <utility>

#include "base/Block.h"
#include "preview/BuiltInColourTables.h"
#include "preview/TextResources.h"

namespace aldra {

namespace {

constexpr uint32_t kFractions = 17;  // weights for f = 0 .. 16
constexpr uint32_t kWeightBytes = kFractions * 256;

BlockPtr cmyGrid;
BlockPtr blackCurve;
BlockPtr labGrid;
BlockPtr weights;  // [f][v] = (v * f) >> 4
uint32_t references = 0;

Status LoadTable(uint32_t id, uint32_t size, BlockPtr* table) {
    if (*table != nullptr) return kOk;
    BlockPtr block;
    Status status = AllocBlock(size, &block);
    if (status != kOk) return status;
    status = LoadTextResource(id, block.get(), size, nullptr);
    if (status != kOk) return status;
    *table = std::move(block);
    return kOk;
}

Status ComputeWeights() {
    if (weights != nullptr) return kOk;
    BlockPtr block;
    Status status = AllocBlock(kWeightBytes, &block);
    if (status != kOk) return status;
    for (uint32_t f = 0; f < kFractions; ++f) {
        for (uint32_t v = 0; v < 256; ++v) block[f * 256 + v] = static_cast<uint8_t>((v * f) >> 4);
    }
    weights = std::move(block);
    return kOk;
}

Status EnsureTables(int mode) {
    Status status = kOk;
    if (mode == kColourCmyk) {
        status = LoadTable(kCmyGridResource, kColourGridBytes, &cmyGrid);
        if (status == kOk) status = LoadTable(kBlackCurveResource, kBlackCurveBytes, &blackCurve);
    } else {
        status = LoadTable(kLabGridResource, kColourGridBytes, &labGrid);
    }
    if (status == kOk) status = ComputeWeights();
    return status;
}

// Both weights come from the table, so the sum is taken modulo 256 like the byte arithmetic it
// stands for.
uint8_t Lerp(uint8_t u, uint8_t v, uint32_t f) {
    return static_cast<uint8_t>(weights[(16 - f) * 256 + u] + weights[f * 256 + v]);
}

void Interpolate(const uint8_t* grid, const uint8_t* in, uint8_t* out) {
    uint32_t ni = in[0] >> 4, fi = in[0] & 15;
    uint32_t nj = in[1] >> 4, fj = in[1] & 15;
    uint32_t nk = in[2] >> 4, fk = in[2] & 15;
    auto node = [&](uint32_t a, uint32_t b, uint32_t d) {
        return grid + (((ni + a) * kGridNodes + (nj + b)) * kGridNodes + (nk + d)) * 3;
    };
    const uint8_t* p000 = node(0, 0, 0);
    const uint8_t* p001 = node(0, 0, 1);
    const uint8_t* p010 = node(0, 1, 0);
    const uint8_t* p011 = node(0, 1, 1);
    const uint8_t* p100 = node(1, 0, 0);
    const uint8_t* p101 = node(1, 0, 1);
    const uint8_t* p110 = node(1, 1, 0);
    const uint8_t* p111 = node(1, 1, 1);
    for (int c = 0; c < 3; ++c) {
        uint8_t q00 = Lerp(p000[c], p001[c], fk);
        uint8_t q01 = Lerp(p010[c], p011[c], fk);
        uint8_t q10 = Lerp(p100[c], p101[c], fk);
        uint8_t q11 = Lerp(p110[c], p111[c], fk);
        uint8_t r0 = Lerp(q00, q01, fj);
        uint8_t r1 = Lerp(q10, q11, fj);
        out[c] = Lerp(r0, r1, fi);
    }
}

}  // namespace

void AcquireColourTables() {
    ++references;
}

void ReleaseColourTables() {
    if (references == 0) return;
    if (--references != 0) return;
    cmyGrid.reset();
    blackCurve.reset();
    labGrid.reset();
    weights.reset();
}

Status ConvertColour(int mode, const uint8_t* in, uint8_t* out) {
    if (mode != kColourCmyk && mode != kColourLab) return kOk;
    Status status = EnsureTables(mode);
    if (status != kOk) return status;
    if (mode == kColourLab) {
        Interpolate(labGrid.get(), in, out);
        return kOk;
    }
    uint8_t rgb[3];
    Interpolate(cmyGrid.get(), in, rgb);
    // Black scales the CMY colour down; the shift by 8 keeps a pixel without black at most 254.
    uint32_t black = blackCurve[in[3]];
    for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((rgb[c] * black) >> 8);
    return kOk;
}

bool ColourTablePresent(ColourTable table) {
    switch (table) {
        case ColourTable::kCmyGrid:
            return cmyGrid != nullptr;
        case ColourTable::kBlackCurve:
            return blackCurve != nullptr;
        case ColourTable::kLabGrid:
            return labGrid != nullptr;
        case ColourTable::kWeights:
            return weights != nullptr;
    }
    return false;
}

uint32_t ColourTableReferences() {
    return references;
}

}  // namespace aldra
