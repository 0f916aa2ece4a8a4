// Inside the GDI layer: FreeType and fontconfig, loaded when text is first measured or drawn. Linked
// into the filter they and the libraries behind them (expat, brotli) were mapped and bound by every
// process, although most pictures hold no text. Not for use outside src/platform/gdi.
#pragma once
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

namespace aldra::gdi {

// The calls the font code makes, as the libraries export them.
struct FontCalls {
    decltype(&::FT_Init_FreeType) FT_Init_FreeType;
    decltype(&::FT_New_Face) FT_New_Face;
    decltype(&::FT_Done_Face) FT_Done_Face;
    decltype(&::FT_New_Size) FT_New_Size;
    decltype(&::FT_Done_Size) FT_Done_Size;
    decltype(&::FT_Activate_Size) FT_Activate_Size;
    decltype(&::FT_Set_Pixel_Sizes) FT_Set_Pixel_Sizes;
    decltype(&::FT_Select_Charmap) FT_Select_Charmap;
    decltype(&::FT_Load_Char) FT_Load_Char;
    decltype(&::FT_Get_Sfnt_Table) FT_Get_Sfnt_Table;

    decltype(&::FcGetVersion) FcGetVersion;
    decltype(&::FcInitLoadConfigAndFonts) FcInitLoadConfigAndFonts;
    decltype(&::FcConfigDestroy) FcConfigDestroy;
    decltype(&::FcConfigGetConfigFiles) FcConfigGetConfigFiles;
    decltype(&::FcConfigGetConfigDirs) FcConfigGetConfigDirs;
    decltype(&::FcConfigGetFontDirs) FcConfigGetFontDirs;
    decltype(&::FcStrListNext) FcStrListNext;
    decltype(&::FcStrListDone) FcStrListDone;
    decltype(&::FcPatternCreate) FcPatternCreate;
    decltype(&::FcPatternDestroy) FcPatternDestroy;
    decltype(&::FcPatternAddString) FcPatternAddString;
    decltype(&::FcPatternAddInteger) FcPatternAddInteger;
    decltype(&::FcPatternAddBool) FcPatternAddBool;
    decltype(&::FcPatternGetString) FcPatternGetString;
    decltype(&::FcPatternGetInteger) FcPatternGetInteger;
    decltype(&::FcConfigSubstitute) FcConfigSubstitute;
    decltype(&::FcDefaultSubstitute) FcDefaultSubstitute;
    decltype(&::FcFontMatch) FcFontMatch;
};

// The sonames the libraries have had since FreeType 2.1 and fontconfig 2.0.
inline constexpr const char* kFreeTypeFile = "libfreetype.so.6";
inline constexpr const char* kFontconfigFile = "libfontconfig.so.1";

// Loads both libraries and takes every call; false (and both unloaded) when either is missing or
// lacks one of them.
bool LoadFontCalls(const char* freetypeFile, const char* fontconfigFile, FontCalls* calls);

// The process's calls, loaded on the first request and kept until the end (faces may be freed during
// exit); null when the libraries are not installed, and then no text is measured or drawn.
const FontCalls* FontLibraries();

}  // namespace aldra::gdi
