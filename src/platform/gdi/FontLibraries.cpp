#include "platform/gdi/FontLibraries.h"

#include <mutex>

#include "base/LoadedLibrary.h"

namespace aldra::gdi {
namespace {

bool TakeFreeType(void* l, FontCalls* c) {
    return TakeEntry(l, "FT_Init_FreeType", &c->FT_Init_FreeType) &&
           TakeEntry(l, "FT_New_Face", &c->FT_New_Face) && TakeEntry(l, "FT_Done_Face", &c->FT_Done_Face) &&
           TakeEntry(l, "FT_New_Size", &c->FT_New_Size) && TakeEntry(l, "FT_Done_Size", &c->FT_Done_Size) &&
           TakeEntry(l, "FT_Activate_Size", &c->FT_Activate_Size) &&
           TakeEntry(l, "FT_Set_Pixel_Sizes", &c->FT_Set_Pixel_Sizes) &&
           TakeEntry(l, "FT_Select_Charmap", &c->FT_Select_Charmap) &&
           TakeEntry(l, "FT_Load_Char", &c->FT_Load_Char) &&
           TakeEntry(l, "FT_Get_Sfnt_Table", &c->FT_Get_Sfnt_Table);
}

bool TakeFontconfig(void* l, FontCalls* c) {
    return TakeEntry(l, "FcGetVersion", &c->FcGetVersion) &&
           TakeEntry(l, "FcInitLoadConfigAndFonts", &c->FcInitLoadConfigAndFonts) &&
           TakeEntry(l, "FcConfigDestroy", &c->FcConfigDestroy) &&
           TakeEntry(l, "FcConfigGetConfigFiles", &c->FcConfigGetConfigFiles) &&
           TakeEntry(l, "FcConfigGetConfigDirs", &c->FcConfigGetConfigDirs) &&
           TakeEntry(l, "FcConfigGetFontDirs", &c->FcConfigGetFontDirs) &&
           TakeEntry(l, "FcStrListNext", &c->FcStrListNext) &&
           TakeEntry(l, "FcStrListDone", &c->FcStrListDone) &&
           TakeEntry(l, "FcPatternCreate", &c->FcPatternCreate) &&
           TakeEntry(l, "FcPatternDestroy", &c->FcPatternDestroy) &&
           TakeEntry(l, "FcPatternAddString", &c->FcPatternAddString) &&
           TakeEntry(l, "FcPatternAddInteger", &c->FcPatternAddInteger) &&
           TakeEntry(l, "FcPatternAddBool", &c->FcPatternAddBool) &&
           TakeEntry(l, "FcPatternGetString", &c->FcPatternGetString) &&
           TakeEntry(l, "FcPatternGetInteger", &c->FcPatternGetInteger) &&
           TakeEntry(l, "FcConfigSubstitute", &c->FcConfigSubstitute) &&
           TakeEntry(l, "FcDefaultSubstitute", &c->FcDefaultSubstitute) &&
           TakeEntry(l, "FcFontMatch", &c->FcFontMatch);
}

}  // namespace

bool LoadFontCalls(const char* freetypeFile, const char* fontconfigFile, FontCalls* calls) {
    void* freetype = dlopen(freetypeFile, RTLD_NOW | RTLD_LOCAL);
    void* fontconfig = freetype != nullptr ? dlopen(fontconfigFile, RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (fontconfig != nullptr && TakeFreeType(freetype, calls) && TakeFontconfig(fontconfig, calls))
        return true;
    if (fontconfig != nullptr) dlclose(fontconfig);
    if (freetype != nullptr) dlclose(freetype);
    *calls = FontCalls{};
    return false;
}

const FontCalls* FontLibraries() {
    static FontCalls calls{};
    static const FontCalls* loaded = nullptr;
    static std::once_flag tried;
    std::call_once(tried, [] {
        if (LoadFontCalls(kFreeTypeFile, kFontconfigFile, &calls)) loaded = &calls;
    });
    return loaded;
}

}  // namespace aldra::gdi
