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
// - The additions (SaveAsBmp, SaveAsPng, ReadRgbRows, declared with the interface in
//   aldra/Picture.h) come after the Windows members; SaveAsBmp writes the format of BitmapFiles.h.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "aldra/Picture.h"
#include "base/Result.h"
#include "platform/com/Interfaces.h"
#include "platform/gdi/Gdi.h"

namespace aldra {

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

// desc null: an empty picture, of type PICTYPE_UNINITIALIZED without a handle, as Windows makes it.
// Otherwise cbSizeofstruct must be sizeof(PICTDESC) and picType PICTYPE_BITMAP with a live bitmap.
// With `own` the picture deletes the bitmap on its final Release (if it has not been deleted by
// then). *out receives the interface asked for (IUnknown, IPicture, IDispatch or IPictureDisp)
// with one reference, or null on failure.
HRESULT OleCreatePictureIndirect(PICTDESC* desc, REFIID iid, BOOL own, void** out);

}  // namespace aldra
