// The drawing layer's calls into GDI, each described by one step: what to draw and the surface's
// attributes it is drawn with. A step is applied to the target's device context at once, or kept
// and applied in the same order on a second thread (DrawingQueue.h); either way the same GDI calls
// are made with the same arguments, so the pixels are the same.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/PString.h"
#include "illustrator/ArtNumbers.h"
#include "illustrator/ArtState.h"
#include "platform/gdi/Gdi.h"
#include "preview/Raster.h"

namespace aldra {

enum class StepKind : uint8_t {
    kMove,         // the context's position to (x, y)
    kLine,         // a stroke from the context's position to (x, y)
    kRectangle,    // rect, painted as `mode` says
    kPolygon,      // the points, painted as `mode` says: a stroke alone is an open polyline
    kClipRect,     // the clip becomes rect
    kClipPolygon,  // the clip becomes the points' polygon
    kText,         // the characters from (x, y) on their baseline, in the fill colour
    kWideText,     // the one wide character `wide` from (x, y) on its baseline
    kGreekText,    // a bar in the fill colour for the characters (GreekBar), from (x, y) on their baseline
};

struct DrawStep {
    StepKind kind = StepKind::kMove;
    uint8_t mode = 0;  // kPaintFill and kPaintStroke bits
    WCHAR wide = 0;
    int32_t x = 0;
    int32_t y = 0;
    Rect rect{};
    int32_t penWidth = 1;
    ColourRef penColour = 0;
    ColourRef fillColour = 0;
    int32_t fontHeight = 0;
    int32_t textSize = 0;  // the height greeked text stands for
};

// What a step points to: its points, or its face name (a Pascal string) and characters.
struct StepData {
    const DevicePoint* points = nullptr;
    uint32_t pointCount = 0;
    const uint8_t* faceName = nullptr;
    const char* characters = nullptr;
    uint32_t characterCount = 0;
};

struct SavedPaint {
    HGDIOBJ pen;
    HGDIOBJ brush;
};

// Selects a pen and a brush made from the step's attributes for the mode (null ones for what the
// mode leaves out) and returns the objects they replaced, which RestorePaint selects back,
// deleting the ones made here.
SavedPaint SelectPaint(HDC dc, const DrawStep& step, uint8_t mode);
void RestorePaint(HDC dc, const SavedPaint& saved);

HFONT MakeTextFont(const uint8_t* faceName, int32_t height);

// v scaled from height `from` to height `to`, rounded.
inline int32_t Rescale(int32_t v, int32_t to, int32_t from) {
    return ClampToInt32((int64_t{to} * v + from / 2) / from);
}

// Text too small to read is greeked: a bar as wide as the text is at `size`, measured at the
// readable height `height` and scaled down, standing on the baseline from (x, y).
Rect GreekBar(int32_t x, int32_t y, SIZE measured, int32_t size, int32_t height);

// Applies steps to a context. One that keeps its paint leaves a step's pen and brush selected for
// the next step that paints with the same ones, rather than making them again (a pen or brush of
// the same attributes paints the same pixels), keeps the fonts text was drawn in by face and height
// with their ascents, and selects the context's own objects back when it goes.
class StepPainter {
  public:
    StepPainter(HDC dc, bool keepPaint) : dc_(dc), keepPaint_(keepPaint) {}
    ~StepPainter();
    StepPainter(const StepPainter&) = delete;
    StepPainter& operator=(const StepPainter&) = delete;

    void Apply(const DrawStep& step, const StepData& data);

  private:
    bool Same(const DrawStep& step, uint8_t mode) const;
    void Select(const DrawStep& step, uint8_t mode);
    void Unselect();
    void DrawPoints(const DrawStep& step, const StepData& data);
    // Selects the font of the step's face and height and gives its ascent.
    int32_t SelectTextFont(const DrawStep& step, const StepData& data);
    void ReleaseFonts();
    void DrawText(const DrawStep& step, const StepData& data);
    void DrawGreekBar(const DrawStep& step, const StepData& data);

    struct KeptFont {
        PString face;
        int32_t height;
        HFONT font;
        int32_t ascent;
    };
    // A drawing uses a few dozen faces and heights.
    static constexpr size_t kKeptFonts = 64;

    HDC dc_;
    bool keepPaint_;
    bool kept_ = false;  // saved_ holds what the selected paint replaced
    SavedPaint saved_{};
    DrawStep keptStep_;
    uint8_t keptMode_ = 0;
    std::vector<KeptFont> fonts_;
    size_t selectedFont_ = 0;      // index in fonts_; none when fonts_ is empty
    HGDIOBJ firstFont_ = nullptr;  // the context's own, selected back when the kept ones go
};

// A step applied on its own: the paint made for it and deleted after it.
void ApplyDrawStep(HDC dc, const DrawStep& step, const StepData& data);

}  // namespace aldra
