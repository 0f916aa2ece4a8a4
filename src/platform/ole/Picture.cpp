#include "platform/ole/Picture.h"

#include <atomic>
#include <new>

#include "platform/com/Dispatch.h"
#include "platform/com/ModuleLock.h"
#include "platform/ole/BitmapFiles.h"

namespace aldra {
namespace {

constexpr int kHimetricPerInch = 2540;

constexpr DispatchMember kPictureMembers[] = {
    {"Handle", DISPID_PICT_HANDLE}, {"hPal", DISPID_PICT_HPAL},     {"Type", DISPID_PICT_TYPE},
    {"Width", DISPID_PICT_WIDTH},   {"Height", DISPID_PICT_HEIGHT},
};

// Pixels to HIMETRIC at `dpi`, rounded to the nearest as MulDiv does.
LONG ToHimetric(int32_t pixels, int dpi) {
    if (dpi <= 0) dpi = kDefaultScreenDpi;
    return static_cast<LONG>((static_cast<int64_t>(pixels) * kHimetricPerInch + dpi / 2) / dpi);
}

// One class answers both the vtable interface and the dispatch one, as the Windows picture does.
// The code lives in this module, so a live picture keeps the module loaded.
class BitmapPicture final : public IPicture, public IDispatch {
  public:
    BitmapPicture(HBITMAP bitmap, HPALETTE palette, SHORT type, bool own, LONG width, LONG height)
        : bitmap_(bitmap), palette_(palette), type_(type), own_(own), width_(width), height_(height) {
        ModuleLock::Add();
    }

    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IPicture) {
            *out = static_cast<IPicture*>(this);
        } else if (iid == IID_IDispatch || iid == IID_IPictureDisp) {
            *out = static_cast<IDispatch*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT get_Handle(OLE_HANDLE* handle) override {
        if (handle == nullptr) return E_POINTER;
        *handle = bitmap_.Raw();
        return S_OK;
    }
    HRESULT get_hPal(OLE_HANDLE* palette) override {
        if (palette == nullptr) return E_POINTER;
        *palette = palette_.Raw();
        return S_OK;
    }
    HRESULT get_Type(SHORT* type) override {
        if (type == nullptr) return E_POINTER;
        *type = type_;
        return S_OK;
    }
    HRESULT get_Width(OLE_XSIZE_HIMETRIC* width) override {
        if (width == nullptr) return E_POINTER;
        *width = width_;
        return S_OK;
    }
    HRESULT get_Height(OLE_YSIZE_HIMETRIC* height) override {
        if (height == nullptr) return E_POINTER;
        *height = height_;
        return S_OK;
    }
    HRESULT get_Attributes(DWORD* attributes) override {
        if (attributes == nullptr) return E_POINTER;
        *attributes = 0;
        return S_OK;
    }

    uint32_t SaveAsBmp(const char* path) override {
        if (!bitmap_) return CodeOf(kErrFormat);
        return CodeOf(WriteBitmapBmp(bitmap_, path));
    }
    uint32_t SaveAsPng(const char* path, std::span<const PngTextChunk> text) override {
        if (!bitmap_) return CodeOf(kErrFormat);
        return CodeOf(WriteBitmapPng(bitmap_, path, text));
    }
    uint32_t ReadRgbRows(RgbImage* out) override {
        if (!bitmap_) return CodeOf(kErrFormat);
        return CodeOf(ReadBitmapRgb(bitmap_, out));
    }

    HRESULT GetTypeInfoCount(uint32_t* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(uint32_t, LCID, void** info) override {
        if (info != nullptr) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, const OLECHAR* const* names, uint32_t count, LCID, DISPID* ids) override {
        return LookUpDispIds(kPictureMembers, names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   uint32_t*) override {
        LONG value = 0;
        VARTYPE vt = VT_I4;
        switch (id) {
            case DISPID_PICT_HANDLE:
                value = static_cast<LONG>(bitmap_.Raw());
                break;
            case DISPID_PICT_HPAL:
                value = static_cast<LONG>(palette_.Raw());
                break;
            case DISPID_PICT_TYPE:
                value = type_;
                vt = VT_I2;
                break;
            case DISPID_PICT_WIDTH:
                value = width_;
                break;
            case DISPID_PICT_HEIGHT:
                value = height_;
                break;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
        // Every property is read-only here; a method-style call of a property is a get, as OLE allows.
        if ((flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) == 0) return DISP_E_MEMBERNOTFOUND;
        if (params != nullptr && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        if (result != nullptr) {
            VariantClear(result);
            result->vt = vt;
            if (vt == VT_I2) {
                result->iVal = static_cast<int16_t>(value);
            } else {
                result->lVal = value;
            }
        }
        return S_OK;
    }

  private:
    ~BitmapPicture() override {
        // A bitmap still selected into a context cannot be deleted; it stays with the context's
        // owner then.
        if (own_ && bitmap_) DeleteObject(bitmap_);
        ModuleLock::Remove();
    }

    std::atomic<ULONG> references_{1};
    HBITMAP bitmap_;
    HPALETTE palette_;
    SHORT type_;
    bool own_;
    LONG width_;
    LONG height_;
};

}  // namespace

HRESULT OleCreatePictureIndirect(PICTDESC* desc, REFIID iid, BOOL own, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    HBITMAP bitmap;
    HPALETTE palette;
    SHORT type = PICTYPE_UNINITIALIZED;
    LONG width = 0;
    LONG height = 0;
    if (desc != nullptr) {
        if (desc->cbSizeofstruct != sizeof(PICTDESC)) return E_INVALIDARG;
        if (desc->picType == static_cast<UINT>(PICTYPE_NONE) ||
            desc->picType == static_cast<UINT>(PICTYPE_UNINITIALIZED)) {
            type = static_cast<SHORT>(desc->picType);
        } else if (desc->picType == static_cast<UINT>(PICTYPE_BITMAP)) {
            BITMAP info{};
            if (GetObject(desc->bmp.hbitmap, sizeof info, &info) != static_cast<int>(sizeof info)) {
                return E_INVALIDARG;
            }
            bitmap = desc->bmp.hbitmap;
            palette = desc->bmp.hpal;
            type = PICTYPE_BITMAP;
            const HDC screen = GetDC(nullptr);
            const int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kDefaultScreenDpi;
            const int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultScreenDpi;
            if (screen) ReleaseDC(nullptr, screen);
            width = ToHimetric(info.bmWidth, dpiX);
            height = ToHimetric(info.bmHeight, dpiY);
        } else {
            return E_INVALIDARG;
        }
    }
    if (!(iid == IID_IUnknown || iid == IID_IPicture || iid == IID_IDispatch || iid == IID_IPictureDisp)) {
        return E_NOINTERFACE;  // checked first, so a refused call leaves the bitmap with the caller
    }
    auto* picture = new (std::nothrow) BitmapPicture(bitmap, palette, type, own != FALSE, width, height);
    if (picture == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = picture->QueryInterface(iid, out);
    picture->Release();
    return hr;
}

}  // namespace aldra
