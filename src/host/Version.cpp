#include "host/Version.h"

#include <cstdio>

#include "aldra/Guids.h"
#include "host/FilterHost.h"
#include "host/Libsqlite.h"

// After <cstdio>: the JPEG header uses FILE without including it.
#include <jpeglib.h>
#include <png.h>

#ifndef ALDRA_HOST_VERSION
#define ALDRA_HOST_VERSION "0"
#endif

namespace aldra::host {

namespace {

#define ALDRA_TEXT_OF(x) #x
#define ALDRA_TEXT(x) ALDRA_TEXT_OF(x)

std::string FilterLine(const FilterModule& module) {
    HostError error;
    std::unique_ptr<FilterControl> control = FilterControl::Create(module, CLSID_AldraFilter, &error);
    IAldraFilterInfo* info = control ? control->info() : nullptr;
    if (info == nullptr) return "filter: (does not describe itself) " + module.path();
    BSTR name = nullptr;
    std::string text = SUCCEEDED(info->GetFilterName(&name)) ? BstrToUtf8(name) : std::string("?");
    SysFreeString(name);
    int32_t version = 0;
    info->GetFilterVersion(&version);
    return "filter: " + text + " " + std::to_string(version >> 16) + "." + std::to_string(version & 0xFFFF) +
           ", " + module.path();
}

// The libpng the module runs with, which may be newer than the one it was built against.
std::string PngVersion(const FilterModule* module) {
    using VersionCall = png_uint_32 (*)();
    auto call = module ? reinterpret_cast<VersionCall>(module->Symbol("png_access_version_number")) : nullptr;
    if (call == nullptr) return PNG_LIBPNG_VER_STRING " (built with)";
    png_uint_32 v = call();
    return std::to_string(v / 10000) + "." + std::to_string(v / 100 % 100) + "." + std::to_string(v % 100);
}

}  // namespace

std::string VersionText(const std::string& modulePath) {
    std::string text = "aldra-eps " ALDRA_HOST_VERSION "\n";
    HostError error;
    std::unique_ptr<FilterModule> module = FilterModule::Load(modulePath, &error);
    text += (module ? FilterLine(*module) : "filter: " + error.message) + "\n";
#ifdef LIBJPEG_TURBO_VERSION
    text += "libjpeg-turbo " ALDRA_TEXT(LIBJPEG_TURBO_VERSION) " (built with; JPEG library version " +
            std::to_string(JPEG_LIB_VERSION) + ")\n";
#else
    text += "libjpeg " + std::to_string(JPEG_LIB_VERSION) + " (built with)\n";
#endif
    text += "libpng " + PngVersion(module.get()) + "\n";
    const SqliteCalls* sqlite = LoadSqlite();
    text +=
        std::string("SQLite ") + (sqlite != nullptr ? sqlite->sqlite3_libversion() : "not installed") + "\n";
    return text;
}

}  // namespace aldra::host
