// The state of one pass over one Illustrator document: the operand stack, the page mapping, the
// current path and the graphics and text state. It lives on the caller's stack for one pass; a
// document nested in another (embedded or included) gets a state of its own.
#pragma once
#include <cstdint>

#include "base/PString.h"
#include "base/Result.h"
#include "base/TextBuffer.h"
#include "eps/EpsReader.h"
#include "illustrator/ArtNumbers.h"
#include "preview/Raster.h"
#include "preview/TargetRaster.h"

namespace aldra {

inline constexpr uint8_t kOperandString = 1;
inline constexpr uint8_t kOperandNumber = 2;

struct ArtOperand {
    uint8_t type;
    double number;
    PString text;
};

// Illustrator never writes more operands before one operator than a placed-art frame takes.
inline constexpr int kOperandCapacity = 19;

// How deep documents may nest in each other; a deeper one is drawn as a crossed frame.
inline constexpr int kMaxNesting = 32;
// Files opened for placed art over one drawing, nested ones included: a file that places itself
// twice would otherwise be read 2^depth times.
inline constexpr int kMaxIncludedFiles = 64;
// Points handed to GDI over one drawing. Painting does not end a path, so a path painted after
// every segment costs the square of its length; past this budget nothing more is painted.
inline constexpr uint64_t kMaxPaintedPoints = uint64_t{1} << 24;

// Shared by a top-level pass and every pass nested in it.
struct ArtBudget {
    uint64_t pointsLeft = kMaxPaintedPoints;
    int includesLeft = kMaxIncludedFiles;
    // The files open at the moment, outermost first: one placed into itself would wait on its own
    // lock.
    FileStamp openFiles[kMaxNesting + 1];
    int openCount = 0;
};

struct PageBox {
    double llx;
    double lly;
    double urx;
    double ury;
};

struct TextMatrix {
    double a;
    double b;
    double c;
    double d;
    double tx;
    double ty;
};

struct ArtState {
    TargetRaster* surface;  // null in the text pass
    TextBuffer* notesText;
    int32_t maxText;
    TextBuffer* sizeGroups;
    bool drawn;
    bool setupEnded;  // operators are interpreted from the end of the setup on
    bool inTrailer;
    bool stop;
    bool inCrops;
    bool joinPieces;  // the next text piece of a known size is preceded by a space
    ArtOperand operands[kOperandCapacity];
    int top;
    double currentX;  // page units: the last path point or the text position
    double currentY;
    BufferPtr points;  // device points of the current path
    PageBox bbox;
    Rect target;   // device rectangle the page is mapped into
    double scale;  // device pixels per page unit
    ColourRef fillColour;
    bool fillIsPattern;
    ColourRef strokeColour;
    double lineWidth;
    bool fillText;
    bool strokeText;
    uint8_t alignment;
    double fontSize;
    double leading;
    TextMatrix textMatrix;
    bool vertical;
    Rect placedFrame;  // device frame for a nested document
    int depth;         // 0 for the document the caller opened
    bool embedded;     // an embedded document, which ends at its own "%%EndDocument" line
    ArtBudget* budget;
    ArtBudget ownBudget;  // used when the pass is not nested
};

// Line width of a drawing that strokes before it sets one: a hairline of one page unit.
inline constexpr double kDefaultLineWidth = 1.0;

// Initial values for every field; `parent` is the pass this one is nested in, or null. 1000 when
// the point list cannot be had.
Status InitArtState(ArtState* state, TargetRaster* surface, const Rect* target, TextBuffer* notesText,
                    TextBuffer* sizeGroups, int32_t maxText, const ArtState* parent);
void DisposeArtState(ArtState* state);

// The page mapping, in place from the bounding box comment on.
void SetPageBox(ArtState* state, const PageBox& box);

struct DevicePoint {
    int32_t x;
    int32_t y;
};
// Device points stay within this distance of the target's corner: far enough off any raster that
// clipping is unchanged, near enough that GDI's edge arithmetic and ours cannot overflow.
inline constexpr int64_t kDeviceReach = int64_t{1} << 22;

// Page units to device pixels: the page's lower left corner on the target's lower left corner, y
// flipped, proportions kept. Points far off the target are pulled in to a few million pixels.
// Inline, since a flattened curve asks for sixteen points.
inline DevicePoint ToDevice(const ArtState* state, double x, double y) {
    int64_t dx = TruncClamped((x - state->bbox.llx) * state->scale, -kDeviceReach, kDeviceReach);
    int64_t dy = TruncClamped((y - state->bbox.lly) * state->scale, -kDeviceReach, kDeviceReach);
    return DevicePoint{ClampToInt32(state->target.left + dx), ClampToInt32(state->target.bottom - dy)};
}

}  // namespace aldra
