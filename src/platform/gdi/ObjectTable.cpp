#include "platform/gdi/ObjectTable.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>

namespace aldra::gdi {
namespace {

// Stock objects sit at fixed small numbers; everything else is numbered from kFirstDynamic on,
// never reusing a number while it is live, so stale handles do not alias new objects for long.
constexpr uint32_t kStockBase = 0x10;
constexpr int kStockCount = SYSTEM_FONT + 1;
constexpr uint32_t kDefaultBitmap = kStockBase + kStockCount;
constexpr uint32_t kFirstDynamic = 0x100;
constexpr uint32_t kStep = 4;

// The handles asked for lately, by their low bits: a drawing call looks up its context, bitmap, pen
// and brush several times each, and the map's lookup (a division to find the bucket) cost more than
// the rest of a small shape's bookkeeping. Every entry is a live object: Remove drops its own.
struct Recent {
    uint32_t raw = 0;
    Object* object = nullptr;
};
constexpr uint32_t kRecentSlots = 64;

// Held for a lookup or an insertion of a few instructions, which every drawing call makes several
// times: a flag spun on costs a fraction of a mutex's lock and unlock when, as nearly always, no
// other thread holds it.
class TableLock {
  public:
    void lock() {
        while (held_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    void unlock() { held_.clear(std::memory_order_release); }

  private:
    std::atomic_flag held_ = ATOMIC_FLAG_INIT;
};

// Spent pens, brushes and fonts kept for reuse; a drawing has a few live at a time.
constexpr size_t kSpareObjects = 16;

struct Table {
    TableLock lock;
    std::unique_ptr<Object> spare[kSpareObjects];
    size_t spareCount = 0;
    std::unordered_map<uint32_t, std::unique_ptr<Object>> objects;
    uint32_t next = kFirstDynamic;
    Object* stock[kStockCount + 1] = {};
    Recent recent[kRecentSlots];

    Recent& RecentSlot(uint32_t raw) { return recent[(raw / kStep) % kRecentSlots]; }
};

Table& TheTable() {
    static Table* table = new Table;  // never destroyed: handles may be released during exit
    return *table;
}

Object* MakeStockBrush(COLORREF colour, bool hollow) {
    auto* o = new (std::nothrow) Object(Kind::Brush);
    if (o == nullptr) return nullptr;
    o->stock = true;
    o->brush.colour = colour;
    o->brush.hollow = hollow;
    return o;
}

Object* MakeStockPen(COLORREF colour, int style) {
    auto* o = new (std::nothrow) Object(Kind::Pen);
    if (o == nullptr) return nullptr;
    o->stock = true;
    o->pen.colour = colour;
    o->pen.style = style;
    return o;
}

Object* MakeStockFont() {
    auto* o = new (std::nothrow) Object(Kind::Font);
    if (o == nullptr) return nullptr;
    o->stock = true;
    o->font.height = 16;  // cell height, the usual system font's
    o->font.weight = 700;
    return o;
}

Object* MakeDefaultBitmap() {
    auto* o = new (std::nothrow) Object(Kind::Bitmap);
    if (o == nullptr) return nullptr;
    o->stock = true;
    BitmapData& b = o->bitmap;
    b.header = BITMAPINFOHEADER{40, 1, 1, 1, 1, BI_RGB, 4, 0, 0, 2, 2};
    b.colours[1] = RGBQUAD{255, 255, 255, 0};
    b.colourCount = 2;
    b.bits = static_cast<uint8_t*>(std::calloc(1, 4));
    if (b.bits == nullptr) {
        delete o;
        return nullptr;
    }
    b.stride = 4;
    b.width = 1;
    b.height = 1;
    b.bitsPerPixel = 1;
    return o;
}

Object* MakeStock(int index) {
    switch (index) {
        case WHITE_BRUSH:
            return MakeStockBrush(RGB(255, 255, 255), false);
        case LTGRAY_BRUSH:
            return MakeStockBrush(RGB(192, 192, 192), false);
        case GRAY_BRUSH:
            return MakeStockBrush(RGB(128, 128, 128), false);
        case DKGRAY_BRUSH:
            return MakeStockBrush(RGB(64, 64, 64), false);
        case BLACK_BRUSH:
            return MakeStockBrush(RGB(0, 0, 0), false);
        case NULL_BRUSH:
            return MakeStockBrush(0, true);
        case WHITE_PEN:
            return MakeStockPen(RGB(255, 255, 255), PS_SOLID);
        case BLACK_PEN:
            return MakeStockPen(RGB(0, 0, 0), PS_SOLID);
        case NULL_PEN:
            return MakeStockPen(0, PS_NULL);
        case SYSTEM_FONT:
            return MakeStockFont();
        case kStockCount:
            return MakeDefaultBitmap();
        default:
            return nullptr;  // numbers Windows gives to stock objects this layer lacks
    }
}

Object* FindLocked(Table& t, uint32_t raw) {
    if (raw >= kStockBase && raw <= kDefaultBitmap) {
        // Made on first use and kept for the life of the process.
        Object*& slot = t.stock[raw - kStockBase];
        if (slot == nullptr) slot = MakeStock(static_cast<int>(raw - kStockBase));
        return slot;
    }
    Recent& recent = t.RecentSlot(raw);
    if (recent.raw == raw) return recent.object;
    auto it = t.objects.find(raw);
    if (it == t.objects.end()) return nullptr;
    recent = Recent{raw, it->second.get()};
    return recent.object;
}

}  // namespace

uint64_t NewBitmapSerial() {
    static std::atomic<uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

Object::~Object() {
    std::free(bitmap.bits);
}

namespace {
bool IsSmallKind(Kind kind) {
    return kind == Kind::Pen || kind == Kind::Brush || kind == Kind::Font;
}
}  // namespace

std::unique_ptr<Object> NewSmallObject(Kind kind) {
    std::unique_ptr<Object> o;
    {
        Table& t = TheTable();
        std::lock_guard<TableLock> guard(t.lock);
        if (t.spareCount > 0) o = std::move(t.spare[--t.spareCount]);
    }
    if (!o) return std::unique_ptr<Object>(new (std::nothrow) Object(kind));
    // Only these fields of a pen, brush or font ever change.
    o->kind = kind;
    o->stock = false;
    o->selections = 0;
    o->brush = BrushData{};
    o->pen = PenData{};
    o->font = FontData{};
    return o;
}

void Recycle(std::unique_ptr<Object> object) {
    if (!object || !IsSmallKind(object->kind)) return;
    Table& t = TheTable();
    std::lock_guard<TableLock> guard(t.lock);
    if (t.spareCount < kSpareObjects) t.spare[t.spareCount++] = std::move(object);
}

uint32_t Insert(std::unique_ptr<Object> object) {
    if (!object) return 0;
    Table& t = TheTable();
    std::lock_guard<TableLock> guard(t.lock);
    try {
        for (;;) {
            uint32_t raw = t.next;
            t.next += kStep;
            if (t.next < kFirstDynamic) t.next = kFirstDynamic;  // wrapped
            if (t.objects.count(raw) != 0) continue;
            Object* inserted = object.get();
            t.objects.emplace(raw, std::move(object));
            t.RecentSlot(raw) = Recent{raw, inserted};
            return raw;
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

Object* Find(uint32_t raw) {
    if (raw == 0) return nullptr;
    Table& t = TheTable();
    std::lock_guard<TableLock> guard(t.lock);
    return FindLocked(t, raw);
}

Object* Find(uint32_t raw, Kind kind) {
    Object* o = Find(raw);
    return o != nullptr && o->kind == kind ? o : nullptr;
}

std::unique_ptr<Object> Remove(uint32_t raw) {
    Table& t = TheTable();
    std::lock_guard<TableLock> guard(t.lock);
    auto it = t.objects.find(raw);
    if (it == t.objects.end()) return nullptr;
    if (t.RecentSlot(raw).raw == raw) t.RecentSlot(raw) = Recent{};
    std::unique_ptr<Object> o = std::move(it->second);
    t.objects.erase(it);
    return o;
}

Object* Stock(int index) {
    if (index < 0 || index >= kStockCount) return nullptr;
    return Find(kStockBase + static_cast<uint32_t>(index));
}

uint32_t StockHandle(int index) {
    if (index < 0 || index >= kStockCount) return 0;
    return kStockBase + static_cast<uint32_t>(index);
}

uint32_t DefaultBitmapHandle() {
    return kDefaultBitmap;
}

}  // namespace aldra::gdi
