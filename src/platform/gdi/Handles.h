// Handles of the GDI stand-in. A handle is a 32-bit number, as on 32-bit Windows, so that records
// the host exchanges with the filter (a picture description, OLE_HANDLE) keep their Windows sizes.
// The number is looked up in the layer's object table on every call and never dereferenced, so a
// stale or foreign handle makes a call fail instead of touching freed memory.
//
// The typed handles behave like Windows' STRICT handles: any GDI object handle widens implicitly to
// HGDIOBJ and every handle to HANDLE; going back needs a cast, `(HBITMAP)SelectObject(dc, x)` or
// static_cast. Handles compare with each other and with NULL/nullptr and test as booleans.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace aldra {

struct AnyHandleTag {};
struct GdiObjectTag : AnyHandleTag {};
struct BitmapTag : GdiObjectTag {};
struct BrushTag : GdiObjectTag {};
struct PenTag : GdiObjectTag {};
struct PaletteTag : GdiObjectTag {};
struct RegionTag : GdiObjectTag {};
struct FontTag : GdiObjectTag {};
struct DeviceContextTag : AnyHandleTag {};
struct WindowTag : AnyHandleTag {};
struct IconTag : AnyHandleTag {};
struct MetafileTag : AnyHandleTag {};
struct EnhMetafileTag : AnyHandleTag {};

template <class Tag>
class Handle {
  public:
    constexpr Handle() noexcept = default;
    constexpr Handle(std::nullptr_t) noexcept {}

    // Widening (HBITMAP -> HGDIOBJ -> HANDLE) is implicit, narrowing explicit; unrelated kinds do
    // not convert at all.
    template <class Other>
    requires(std::is_base_of_v<Tag, Other> ||
             std::is_base_of_v<Other, Tag>) constexpr explicit(!std::is_base_of_v<Tag, Other>)
        Handle(Handle<Other> other) noexcept
        : value_(other.Raw()) {}

    static constexpr Handle FromRaw(uint32_t value) noexcept {
        Handle h;
        h.value_ = value;
        return h;
    }
    constexpr uint32_t Raw() const noexcept { return value_; }
    constexpr explicit operator bool() const noexcept { return value_ != 0; }

    friend constexpr bool operator==(Handle a, Handle b) noexcept { return a.value_ == b.value_; }
    friend constexpr bool operator==(Handle a, std::nullptr_t) noexcept { return a.value_ == 0; }

  private:
    uint32_t value_ = 0;
};

using HANDLE = Handle<AnyHandleTag>;
using HGDIOBJ = Handle<GdiObjectTag>;
using HBITMAP = Handle<BitmapTag>;
using HBRUSH = Handle<BrushTag>;
using HPEN = Handle<PenTag>;
using HPALETTE = Handle<PaletteTag>;
using HRGN = Handle<RegionTag>;
using HFONT = Handle<FontTag>;
using HDC = Handle<DeviceContextTag>;
using HWND = Handle<WindowTag>;
using HICON = Handle<IconTag>;
using HMETAFILE = Handle<MetafileTag>;
using HENHMETAFILE = Handle<EnhMetafileTag>;

static_assert(sizeof(HBITMAP) == 4 && sizeof(HANDLE) == 4);

}  // namespace aldra
