// OLE picture objects over bitmaps of the GDI layer, as OleCreatePictureIndirect makes them on
// Windows, plus what the Linux host needs of a picture: saving it as BMP or PNG and reading its
// pixels.
//
// Where it differs from Windows:
// - Only bitmap pictures (PICTYPE_BITMAP) and empty ones (a null description) exist; icons and
//   metafiles are refused with E_INVALIDARG. There is no Render, no streams and no type library:
//   IPictureDisp's GetTypeInfo answers E_NOTIMPL.
// - Width and Height are in HIMETRIC (0.01 mm) as in Windows: pixels * 2540 / dpi, rounded to the
//   nearest, with dpi the screen's LOGPIXELSX / LOGPIXELSY (96, or ALDRA_SCREEN_DPI) when the
//   picture was made.
// - The picture keeps its own reference to nothing but the bitmap handle: a picture that does not
//   own its bitmap must not outlive it (its calls then fail, they never touch freed memory).
// - The additions (SaveAsBmp, SaveAsPng, ReadRgbRows) come after the Windows members.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/Result.h"
#include "platform/com/Interfaces.h"
#include "platform/gdi/Gdi.h"

namespace aldra {

using OLE_HANDLE = UINT;
using OLE_XSIZE_HIMETRIC = LONG;
using OLE_YSIZE_HIMETRIC = LONG;
using SHORT = int16_t;

inline constexpr SHORT PICTYPE_UNINITIALIZED = -1;
inline constexpr SHORT PICTYPE_NONE = 0;
inline constexpr SHORT PICTYPE_BITMAP = 1;
inline constexpr SHORT PICTYPE_METAFILE = 2;
inline constexpr SHORT PICTYPE_ICON = 3;
inline constexpr SHORT PICTYPE_ENHMETAFILE = 4;

inline constexpr DWORD PICTURE_SCALABLE = 0x1;
inline constexpr DWORD PICTURE_TRANSPARENT = 0x2;

// The IPictureDisp properties, with their Windows DISPIDs.
inline constexpr DISPID DISPID_PICT_HANDLE = 0;
inline constexpr DISPID DISPID_PICT_HPAL = 2;
inline constexpr DISPID DISPID_PICT_TYPE = 3;
inline constexpr DISPID DISPID_PICT_WIDTH = 4;
inline constexpr DISPID DISPID_PICT_HEIGHT = 5;

struct PICTDESC {
    UINT cbSizeofstruct;
    UINT picType;
    union {
        struct {
            HBITMAP hbitmap;
            HPALETTE hpal;
        } bmp;
        struct {
            HMETAFILE hmeta;
            int xExt;
            int yExt;
        } wmf;
        struct {
            HICON hicon;
        } icon;
        struct {
            HENHMETAFILE hemf;
        } emf;
    };
};
// The host fills cbSizeofstruct with this.
static_assert(sizeof(PICTDESC) == 20);

inline constexpr IID IID_IPicture{
    0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
inline constexpr IID IID_IPictureDisp{
    0x7BF80981, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

// One tEXt chunk: a Latin-1 keyword of 1 to 79 characters and its text.
struct PngTextChunk {
    std::string key;
    std::string value;
};

// Pixels as red, green, blue bytes, top row first, rows of 3 * width bytes without padding.
struct RgbImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb;
};

class IPicture : public IUnknown {
  public:
    virtual HRESULT get_Handle(OLE_HANDLE* handle) = 0;
    virtual HRESULT get_hPal(OLE_HANDLE* palette) = 0;
    virtual HRESULT get_Type(SHORT* type) = 0;
    virtual HRESULT get_Width(OLE_XSIZE_HIMETRIC* width) = 0;
    virtual HRESULT get_Height(OLE_YSIZE_HIMETRIC* height) = 0;
    virtual HRESULT get_Attributes(DWORD* attributes) = 0;

    // The bitmap as a BMP file of its own depth (see BitmapFiles.h); never overwrites a file.
    virtual Status SaveAsBmp(const char* path) = 0;
    // The bitmap as an 8-bit RGB PNG with the given text chunks; never overwrites a file.
    virtual Status SaveAsPng(const char* path, std::span<const PngTextChunk> text) = 0;
    // The bitmap's pixels; 2020 for an empty picture.
    virtual Status ReadRgbRows(RgbImage* out) = 0;

  protected:
    ~IPicture() override = default;
};

// desc null: an empty picture, of type PICTYPE_UNINITIALIZED without a handle, as Windows makes it.
// Otherwise cbSizeofstruct must be sizeof(PICTDESC) and picType PICTYPE_BITMAP with a live bitmap.
// With `own` the picture deletes the bitmap on its final Release (if it has not been deleted by
// then). *out receives the interface asked for (IUnknown, IPicture, IDispatch or IPictureDisp)
// with one reference, or null on failure.
HRESULT OleCreatePictureIndirect(PICTDESC* desc, REFIID iid, BOOL own, void** out);

}  // namespace aldra
