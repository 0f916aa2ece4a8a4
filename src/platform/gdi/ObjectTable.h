// Inside the GDI layer: what a handle stands for, and the table that turns handles into objects.
// Not for use outside src/platform/gdi.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace aldra::gdi {

enum class Kind : uint8_t { Bitmap, Brush, Pen, Region, Font, ScreenDc, MemoryDc };

// A number no other bitmap of the process has: it names a colour table, which never changes after the
// bitmap is made, for answers kept about it.
uint64_t NewBitmapSerial();

struct BitmapData {
    BITMAPINFOHEADER header{};  // as created; biHeight keeps its sign
    RGBQUAD colours[256]{};     // entries past colourCount stay black
    uint32_t colourCount = 0;   // the table's length; 0 for 24 bits
    uint8_t* bits = nullptr;    // calloc'ed, owned
    uint32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;  // rows, positive
    uint32_t bitsPerPixel = 0;
    bool topDown = false;
    uint32_t selectedInto = 0;  // raw handle of the memory context holding it
    uint64_t serial = NewBitmapSerial();
};

struct BrushData {
    bool hollow = false;
    COLORREF colour = 0;
};

struct PenData {
    int style = PS_SOLID;
    int width = 1;
    COLORREF colour = 0;
};

// A rectangle or a polygon in device coordinates; an empty rectangle is the empty region.
struct RegionData {
    bool polygon = false;
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // the rectangle, left <= right, top <= bottom
    std::vector<int32_t> points;                       // the polygon's x, y pairs
    int fillMode = 1;                                  // ALTERNATE or WINDING
};

// A region made into pixels for one bitmap size: the covered [x0, x1) pairs of each row, sorted.
struct ClipSpans {
    int32_t width = -1;
    int32_t height = -1;
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // the bounds of all spans
    std::vector<uint32_t> rowStart;                    // height + 1 offsets into xs
    std::vector<int32_t> xs;
};

struct FontData {
    int32_t height = 0;  // as in LOGFONTA: negative the em height, positive the cell height
    int32_t weight = 0;
    bool italic = false;
    char face[32] = {};  // zero-terminated
};

// The faces a memory context has opened, kept until it is deleted (see Fonts.cpp).
struct FaceCache;
void DeleteFaceCache(FaceCache* cache);

struct DcData {
    int dpiX = 96;
    int dpiY = 96;
    HBITMAP bitmap;
    HBRUSH brush;
    HPEN pen;
    int mapMode = MM_TEXT;
    SIZE windowExt{1, 1};
    SIZE viewportExt{1, 1};
    int stretchMode = BLACKONWHITE;
    int32_t positionX = 0;  // the current position, logical
    int32_t positionY = 0;
    int polyFillMode = 1;  // ALTERNATE
    HFONT font;
    COLORREF textColour = 0;
    COLORREF backgroundColour = 0xFFFFFF;
    int backgroundMode = 2;  // OPAQUE
    bool clipped = false;
    RegionData clip;
    ClipSpans clipSpans;  // clip made into pixels for the bitmap last drawn into
    std::shared_ptr<FaceCache> faces;
};

struct Object {
    Kind kind;
    bool stock = false;
    uint32_t selections = 0;  // how many contexts hold it selected
    BitmapData bitmap;
    BrushData brush;
    PenData pen;
    RegionData region;
    FontData font;
    DcData dc;

    explicit Object(Kind k) : kind(k) {}
    ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
};

// A pen, brush or font object. Drawing code makes and deletes one for nearly every call, and an
// object is large (a bitmap's colour table, a context's state): spent ones are kept and handed out
// again. Null when memory runs out.
std::unique_ptr<Object> NewSmallObject(Kind kind);
// Takes back what Remove gave: a pen, brush or font is kept for NewSmallObject, anything else goes.
void Recycle(std::unique_ptr<Object> object);

// Adds the object; its raw handle, or 0 when the table cannot grow (the object is then freed).
uint32_t Insert(std::unique_ptr<Object> object);
// The live object for a raw handle, stock objects included; null for 0, stale or foreign numbers.
Object* Find(uint32_t raw);
Object* Find(uint32_t raw, Kind kind);
// Takes a non-stock object out of the table; null when there is none.
std::unique_ptr<Object> Remove(uint32_t raw);

// The stock objects (brushes, pens and SYSTEM_FONT), made on first use. The default bitmap is the 1 x 1
// monochrome bitmap every new memory context holds.
Object* Stock(int index);
uint32_t StockHandle(int index);
uint32_t DefaultBitmapHandle();

}  // namespace aldra::gdi
