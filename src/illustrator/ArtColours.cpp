#include "illustrator/ArtColours.h"

#include "illustrator/ArtNumbers.h"
#include "illustrator/ArtOperands.h"
#include "preview/ColourTables.h"

namespace aldra {

namespace {

uint8_t ComponentByte(double v) {
    return static_cast<uint8_t>(TruncToInt32(v * 255) & 0xFF);
}

void StoreColour(ArtState* state, bool fill, ColourRef colour) {
    if (fill) {
        state->fillColour = colour;
    } else {
        state->strokeColour = colour;
    }
}

void StoreCmyk(ArtState* state, bool fill, const double cmyk[4]) {
    ColourRef* colour = fill ? &state->fillColour : &state->strokeColour;
    // A colour table that cannot be loaded leaves the colour as it was.
    (void)ColourFromCmyk(cmyk[0], cmyk[1], cmyk[2], cmyk[3], colour);
}

}  // namespace

ColourRef ColourFromRgb(double r, double g, double b) {
    return MakeColour(ComponentByte(r), ComponentByte(g), ComponentByte(b));
}

Status ColourFromCmyk(double c, double m, double y, double k, ColourRef* colour) {
    const uint8_t ink[4] = {ComponentByte(c), ComponentByte(m), ComponentByte(y), ComponentByte(k)};
    uint8_t rgb[3];
    if (Status status = ConvertColour(kColourCmyk, ink, rgb); status != kOk) return status;
    *colour = MakeColour(rgb[0], rgb[1], rgb[2]);
    return kOk;
}

void SetGreyOperator(ArtState* state, bool fill) {
    double grey;
    if (PopNumber(state, &grey) != kOk) return;
    StoreColour(state, fill, ColourFromRgb(grey, grey, grey));
    if (fill) state->fillIsPattern = false;
}

void SetCmykOperator(ArtState* state, bool fill) {
    double cmyk[4];
    if (PopFour(state, cmyk) != kOk) return;
    StoreCmyk(state, fill, cmyk);
    if (fill) state->fillIsPattern = false;
}

void SetCustomColourOperator(ArtState* state, bool fill) {
    double tint;
    PString name;
    double cmyk[4];
    if (PopNumber(state, &tint) != kOk || PopString(state, name) != kOk || PopFour(state, cmyk) != kOk)
        return;
    double f = 1 - tint;
    for (double& ink : cmyk) ink *= f;
    StoreCmyk(state, fill, cmyk);
    if (fill) state->fillIsPattern = false;
}

void SetRgbOperator(ArtState* state, bool fill) {
    double b;
    double g;
    double r;
    if (PopNumber(state, &b) != kOk || PopNumber(state, &g) != kOk || PopNumber(state, &r) != kOk) return;
    StoreColour(state, fill, ColourFromRgb(r, g, b));
    if (fill) state->fillIsPattern = false;
}

void MarkPatternOperator(ArtState* state) {
    state->fillIsPattern = true;
}

void SetLineWidthOperator(ArtState* state) {
    double width;
    if (PopNumber(state, &width) == kOk) state->lineWidth = width;
}

}  // namespace aldra
