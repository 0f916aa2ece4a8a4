#include <memory>
#include <new>

#include "platform/gdi/Drawing.h"
#include "platform/gdi/ObjectTable.h"

namespace aldra {
namespace {

HBRUSH MakeBrush(COLORREF colour, bool hollow) {
    std::unique_ptr<gdi::Object> o = gdi::NewSmallObject(gdi::Kind::Brush);
    if (!o) return nullptr;
    o->brush.colour = colour & 0xFFFFFF;
    o->brush.hollow = hollow;
    return HBRUSH::FromRaw(gdi::Insert(std::move(o)));
}

}  // namespace

HPEN CreatePen(int style, int width, COLORREF colour) {
    std::unique_ptr<gdi::Object> o = gdi::NewSmallObject(gdi::Kind::Pen);
    if (!o) return nullptr;
    o->pen.style = style == PS_NULL ? PS_NULL : PS_SOLID;
    o->pen.width = width < 1 ? 1 : width;
    o->pen.colour = colour & 0xFFFFFF;
    return HPEN::FromRaw(gdi::Insert(std::move(o)));
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    return MakeBrush(colour, false);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
    if (brush == nullptr) return nullptr;
    if (brush->lbStyle == BS_SOLID) return MakeBrush(brush->lbColor, false);
    if (brush->lbStyle == BS_NULL) return MakeBrush(0, true);
    return nullptr;
}

}  // namespace aldra
