// Inside the GDI layer: what a handle stands for, and the table that turns handles into objects.
// Not for use outside src/platform/gdi.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/gdi/GdiTypes.h"

namespace aldra::gdi {

enum class Kind : uint8_t { Bitmap, Brush, Pen, ScreenDc, MemoryDc };

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
};

struct Object {
    Kind kind;
    bool stock = false;
    uint32_t selections = 0;  // how many contexts hold it selected
    BitmapData bitmap;
    BrushData brush;
    PenData pen;
    DcData dc;

    explicit Object(Kind k) : kind(k) {}
    ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
};

// Adds the object; its raw handle, or 0 when the table cannot grow (the object is then freed).
uint32_t Insert(std::unique_ptr<Object> object);
// The live object for a raw handle, stock objects included; null for 0, stale or foreign numbers.
Object* Find(uint32_t raw);
Object* Find(uint32_t raw, Kind kind);
// Takes a non-stock object out of the table; null when there is none.
std::unique_ptr<Object> Remove(uint32_t raw);

// The stock objects, made on first use. The default bitmap is the 1 x 1 monochrome bitmap every
// new memory context holds.
Object* Stock(int index);
uint32_t StockHandle(int index);
uint32_t DefaultBitmapHandle();

}  // namespace aldra::gdi
