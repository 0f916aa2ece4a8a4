#include "platform/gdi/FontLibraries.h"

#include <dlfcn.h>

#include <mutex>

namespace aldra::gdi {
namespace {

template <typename Call>
bool Take(void* library, const char* name, Call* call) {
    *call = reinterpret_cast<Call>(dlsym(library, name));
    return *call != nullptr;
}

bool TakeFreeType(void* l, FontCalls* c) {
    return Take(l, "FT_Init_FreeType", &c->FT_Init_FreeType) && Take(l, "FT_New_Face", &c->FT_New_Face) &&
           Take(l, "FT_Done_Face", &c->FT_Done_Face) && Take(l, "FT_New_Size", &c->FT_New_Size) &&
           Take(l, "FT_Done_Size", &c->FT_Done_Size) && Take(l, "FT_Activate_Size", &c->FT_Activate_Size) &&
           Take(l, "FT_Set_Pixel_Sizes", &c->FT_Set_Pixel_Sizes) &&
           Take(l, "FT_Select_Charmap", &c->FT_Select_Charmap) && Take(l, "FT_Load_Char", &c->FT_Load_Char) &&
           Take(l, "FT_Get_Sfnt_Table", &c->FT_Get_Sfnt_Table);
}

bool TakeFontconfig(void* l, FontCalls* c) {
    return Take(l, "FcGetVersion", &c->FcGetVersion) &&
           Take(l, "FcInitLoadConfigAndFonts", &c->FcInitLoadConfigAndFonts) &&
           Take(l, "FcConfigDestroy", &c->FcConfigDestroy) &&
           Take(l, "FcConfigGetConfigFiles", &c->FcConfigGetConfigFiles) &&
           Take(l, "FcConfigGetConfigDirs", &c->FcConfigGetConfigDirs) &&
           Take(l, "FcConfigGetFontDirs", &c->FcConfigGetFontDirs) &&
           Take(l, "FcStrListNext", &c->FcStrListNext) && Take(l, "FcStrListDone", &c->FcStrListDone) &&
           Take(l, "FcPatternCreate", &c->FcPatternCreate) &&
           Take(l, "FcPatternDestroy", &c->FcPatternDestroy) &&
           Take(l, "FcPatternAddString", &c->FcPatternAddString) &&
           Take(l, "FcPatternAddInteger", &c->FcPatternAddInteger) &&
           Take(l, "FcPatternAddBool", &c->FcPatternAddBool) &&
           Take(l, "FcPatternGetString", &c->FcPatternGetString) &&
           Take(l, "FcPatternGetInteger", &c->FcPatternGetInteger) &&
           Take(l, "FcConfigSubstitute", &c->FcConfigSubstitute) &&
           Take(l, "FcDefaultSubstitute", &c->FcDefaultSubstitute) && Take(l, "FcFontMatch", &c->FcFontMatch);
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
