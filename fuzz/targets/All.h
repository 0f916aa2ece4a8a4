// Every fuzz target by the name of its fuzzer (fuzz_<name>) and of its folder of regression inputs
// (tests/regressions/<name>). The decoders that are not in the tree yet are left out, as the build
// leaves out their fuzzers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/targets/AnpaSettings.h"
#include "fuzz/targets/Companions.h"
#include "fuzz/targets/DosEps.h"
#include "fuzz/targets/DrawPicture.h"
#include "fuzz/targets/DscScan.h"
#include "fuzz/targets/Filter.h"
#include "fuzz/targets/Hive.h"
#include "fuzz/targets/Photoshop.h"
#include "fuzz/targets/ResourceFork.h"
#include "fuzz/targets/Tiff.h"
#if __has_include("preview/JpegDecoder.h")
#include "fuzz/targets/Jpeg.h"
#define ALDRA_FUZZ_HAS_JPEG 1
#endif
#if __has_include("preview/ImageData.h")
#include "fuzz/targets/ImageData.h"
#define ALDRA_FUZZ_HAS_IMAGE_DATA 1
#endif
#if __has_include("preview/Ai7Thumbnail.h")
#include "fuzz/targets/Ai7Thumbnail.h"
#define ALDRA_FUZZ_HAS_AI7_THUMBNAIL 1
#endif
#if __has_include("preview/XmpThumbnail.h")
#include "fuzz/targets/Ascii85ImageData.h"
#include "fuzz/targets/Epsi.h"
#include "fuzz/targets/PhotoshopRgbThumbnail.h"
#include "fuzz/targets/XmpThumbnail.h"
#define ALDRA_FUZZ_HAS_LATER_PREVIEWS 1
#endif
#if __has_include("illustrator/Illustrator.h")
#include "fuzz/targets/ArtRender.h"
#include "fuzz/targets/ArtText.h"
#define ALDRA_FUZZ_HAS_ARTWORK 1
#endif
#if __has_include("pdf/IllustratorPdf.h")
#include "fuzz/targets/DocumentFacts.h"
#include "fuzz/targets/IllustratorPdf.h"
#define ALDRA_FUZZ_HAS_PDF 1
#endif

namespace aldra::fuzz {

struct Target {
    const char* name;
    int (*entry)(const uint8_t* data, size_t size);
};

inline const std::vector<Target>& AllTargets() {
    static const std::vector<Target> targets = {
        {"dsc_scan", FuzzDscScan},
        {"dos_eps", FuzzDosEps},
        {"photoshop", FuzzPhotoshop},
        {"companions", FuzzCompanions},
        {"tiff", FuzzTiff},
        {"anpa_settings", FuzzAnpaSettings},
        {"hive", FuzzHive},
        {"filter", FuzzFilter},
        {"resource_fork", FuzzResourceFork},
        {"draw_picture", FuzzDrawPicture},
#ifdef ALDRA_FUZZ_HAS_JPEG
        {"jpeg", FuzzJpeg},
#endif
#ifdef ALDRA_FUZZ_HAS_IMAGE_DATA
        {"image_data", FuzzImageData},
#endif
#ifdef ALDRA_FUZZ_HAS_AI7_THUMBNAIL
        {"ai7_thumbnail", FuzzAi7Thumbnail},
#endif
#ifdef ALDRA_FUZZ_HAS_LATER_PREVIEWS
        {"epsi", FuzzEpsi},
        {"ascii85_image_data", FuzzAscii85ImageData},
        {"photoshop_rgb_thumbnail", FuzzPhotoshopRgbThumbnail},
        {"xmp_thumbnail", FuzzXmpThumbnail},
#endif
#ifdef ALDRA_FUZZ_HAS_ARTWORK
        {"art_render", FuzzArtRender},
        {"art_text", FuzzArtText},
#endif
#ifdef ALDRA_FUZZ_HAS_PDF
        {"illustrator_pdf", FuzzIllustratorPdf},
        {"document_facts", FuzzDocumentFacts},
#endif
    };
    return targets;
}

}  // namespace aldra::fuzz
