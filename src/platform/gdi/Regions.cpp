#include <algorithm>
#include <memory>
#include <new>

#include "platform/gdi/Drawing.h"
#include "platform/gdi/ObjectTable.h"

namespace aldra {
namespace {

HRGN InsertRegion(gdi::RegionData data) {
    std::unique_ptr<gdi::Object> o(new (std::nothrow) gdi::Object(gdi::Kind::Region));
    if (!o) return nullptr;
    o->region = std::move(data);
    return HRGN::FromRaw(gdi::Insert(std::move(o)));
}

int KindOf(const gdi::RegionData& r) {
    if (r.polygon) return COMPLEXREGION;
    return r.left < r.right && r.top < r.bottom ? SIMPLEREGION : NULLREGION;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    gdi::RegionData r;
    r.left = std::min(left, right);
    r.right = std::max(left, right);
    r.top = std::min(top, bottom);
    r.bottom = std::max(top, bottom);
    return InsertRegion(std::move(r));
}

HRGN CreatePolygonRgn(const POINT* points, int count, int mode) {
    if (points == nullptr || count < 1 || (mode != ALTERNATE && mode != WINDING)) return nullptr;
    gdi::RegionData r;
    r.polygon = true;
    r.fillMode = mode;
    try {
        r.points.reserve(2 * static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            r.points.push_back(points[i].x);
            r.points.push_back(points[i].y);
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return InsertRegion(std::move(r));
}

int SelectClipRgn(HDC dc, HRGN region) {
    gdi::Object* context = gdi::Find(dc.Raw(), gdi::Kind::MemoryDc);
    if (context == nullptr) return RGN_ERROR;
    if (!region) {
        context->dc.clipped = false;
        context->dc.clip = gdi::RegionData{};
        context->dc.clipSpans = gdi::ClipSpans{};
        return SIMPLEREGION;
    }
    const gdi::Object* o = gdi::Find(region.Raw(), gdi::Kind::Region);
    if (o == nullptr) return RGN_ERROR;
    try {
        context->dc.clip = o->region;
    } catch (const std::bad_alloc&) {
        return RGN_ERROR;
    }
    context->dc.clipped = true;
    context->dc.clipSpans = gdi::ClipSpans{};
    return KindOf(o->region);
}

}  // namespace aldra
