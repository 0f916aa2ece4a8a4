#include "platform/quicktime/PictDraw.h"

#include "platform/quicktime/PictCanvas.h"
#include "platform/quicktime/PictOpcodes.h"
#include "platform/quicktime/PictPixels.h"
#include "platform/quicktime/PictStream.h"

namespace aldra::qt {

namespace {

constexpr uint32_t kFrameOffset = 2;
constexpr uint32_t kOpcodesOffset = 10;
constexpr uint32_t kVersion1Mark = 0x1101;
constexpr uint32_t kVersion2Mark = 0x02FF;
// Pixel writes allowed per picture: many times the target, so that overlapping rasters all show,
// and never fewer than a large picture's worth.
constexpr uint64_t kBudgetPerPixel = 64;
constexpr uint64_t kLeastBudget = uint64_t{1} << 24;

// 1 or 2, with the stream at the first opcode after the version; 0 for bytes that are no picture.
int ReadVersion(PictStream* s) {
    uint32_t word;
    if (!s->Seek(kOpcodesOffset) || !s->U16(&word)) return 0;
    if (word == kVersion1Mark) return 1;
    uint32_t mark;
    if (word == kOpVersion && s->U16(&mark) && mark == kVersion2Mark) return 2;
    return 0;
}

bool NextOpcode(PictStream* s, int version, uint32_t* op) {
    if (version == 1) return s->U8(op);
    if ((s->Position() & 1) && !s->Skip(1)) return false;  // version 2 opcodes start on even offsets
    return s->U16(op);
}

void SetClip(PictCanvas* canvas, const Rect& region) {
    canvas->clip = canvas->Map(region);
}

void RunOpcodes(PictStream* s, int version, PictCanvas* canvas) {
    for (uint32_t n = 0; n < kMaxOpcodes; ++n) {
        uint32_t op;
        if (!NextOpcode(s, version, &op) || op == kOpEnd) return;
        bool known;
        if (IsRasterOpcode(op)) {
            known = DrawRasterOpcode(s, op, canvas);
        } else if (op == kOpClip) {
            Rect region;
            known = s->ReadRegion(&region);
            if (known) SetClip(canvas, region);
        } else {
            known = SkipOpcode(s, op, version);
        }
        if (!known) return;
    }
}

}  // namespace

bool DrawPict(const uint8_t* pict, uint32_t size, const PixelTarget& target, const Box& dest) {
    PictStream s(pict, size);
    PictCanvas canvas;
    if (!s.Seek(kFrameOffset) || !s.ReadRect(&canvas.frame)) return false;
    const int version = ReadVersion(&s);
    if (version == 0) return false;
    // A picture without area has nothing to stretch.
    if (canvas.FrameWidth() <= 0 || canvas.FrameHeight() <= 0) return true;
    canvas.target = target;
    canvas.dest = dest;
    canvas.clip = canvas.dest;
    const uint64_t area =
        uint64_t(target.width > 0 ? target.width : 0) * uint64_t(target.height > 0 ? target.height : 0);
    canvas.budget = area * kBudgetPerPixel > kLeastBudget ? area * kBudgetPerPixel : kLeastBudget;
    RunOpcodes(&s, version, &canvas);
    return true;
}

}  // namespace aldra::qt
