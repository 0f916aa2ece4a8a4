// The picture object GetThumbnail answers, as a host uses it: an IPictureDisp (query it for
// IPicture) over a bitmap the picture owns. The Windows members come first, in their Windows
// order; the additions a host on Linux needs to keep or show the picture follow them.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/com/Interfaces.h"

namespace aldra {

using OLE_HANDLE = uint32_t;
using OLE_XSIZE_HIMETRIC = int32_t;
using OLE_YSIZE_HIMETRIC = int32_t;
using SHORT = int16_t;

inline constexpr SHORT PICTYPE_UNINITIALIZED = -1;
inline constexpr SHORT PICTYPE_NONE = 0;
inline constexpr SHORT PICTYPE_BITMAP = 1;
inline constexpr SHORT PICTYPE_METAFILE = 2;
inline constexpr SHORT PICTYPE_ICON = 3;
inline constexpr SHORT PICTYPE_ENHMETAFILE = 4;

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

// The additions answer 0 on success, otherwise one of the filter's result codes (2020: an empty
// picture; 2011: the file exists; the file-system codes of a failed write).
class IPicture : public IUnknown {
  public:
    virtual HRESULT get_Handle(OLE_HANDLE* handle) = 0;
    virtual HRESULT get_hPal(OLE_HANDLE* palette) = 0;
    virtual HRESULT get_Type(SHORT* type) = 0;
    virtual HRESULT get_Width(OLE_XSIZE_HIMETRIC* width) = 0;
    virtual HRESULT get_Height(OLE_YSIZE_HIMETRIC* height) = 0;
    virtual HRESULT get_Attributes(uint32_t* attributes) = 0;

    // The bitmap as a BMP file of its own depth; never overwrites a file.
    virtual uint32_t SaveAsBmp(const char* path) = 0;
    // The bitmap as an 8-bit RGB PNG with the given text chunks; never overwrites a file.
    virtual uint32_t SaveAsPng(const char* path, std::span<const PngTextChunk> text) = 0;
    // The bitmap's pixels.
    virtual uint32_t ReadRgbRows(RgbImage* out) = 0;

  protected:
    ~IPicture() override = default;
};

}  // namespace aldra
