// Inside the GDI layer: the faces behind fonts. fontconfig chooses the installed face closest to a
// font's name, FreeType opens it at the font's pixel size, and each memory context keeps the faces
// it opened until it is deleted. Not for use outside src/platform/gdi.
#pragma once
#include <cstdint>
#include <string>

#include "platform/gdi/ObjectTable.h"

namespace aldra::gdi {

// Glyphs are drawn at most this many pixels per em; larger fonts draw at this size.
inline constexpr int32_t kMaxEmPixels = 2048;

// One glyph as a one-bit bitmap, rows top down, the most significant bit leftmost; `left` and `top`
// place it from the pen position on the baseline (top counts upwards). Valid until the next glyph.
struct GlyphBits {
    const uint8_t* bits = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t rows = 0;
    int32_t left = 0;
    int32_t top = 0;
};

struct FaceMetrics {
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t emHeight = 0;
    int32_t averageWidth = 0;
    int32_t maxWidth = 0;
    int32_t weight = 400;
    bool italic = false;
};

class Face {
  public:
    virtual ~Face() = default;
    virtual const FaceMetrics& Metrics() const = 0;
    // The family fontconfig chose, as the face names it.
    virtual const std::string& Family() const = 0;
    // Whole pixels the pen moves after the character; 0 for what the face cannot show.
    virtual int32_t Advance(char32_t character) = 0;
    // False when the character has no drawable glyph (a space, or a failure).
    virtual bool Glyph(char32_t character, GlyphBits* glyph) = 0;
};

// The face of the font selected in the context, `emPixels` from its height through the mapping;
// null only when no face at all can be opened (no fonts installed) or memory runs out.
Face* SelectedFace(DcData& dc);

}  // namespace aldra::gdi
