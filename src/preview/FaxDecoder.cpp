#include "preview/FaxDecoder.h"

#include <cstdarg>
#include <cstdio>

#include "preview/LibTiff.h"
#include "preview/TiffPreview.h"

namespace aldra {

namespace {

using SectionFile = FaxStrips::SectionFile;

tmsize_t ReadSection(thandle_t handle, void* buffer, tmsize_t size) {
    auto* f = static_cast<SectionFile*>(handle);
    if (size <= 0 || f->position >= f->section->size()) return 0;
    const uint64_t left = f->section->size() - f->position;
    const uint32_t n =
        static_cast<uint64_t>(size) < left ? static_cast<uint32_t>(size) : static_cast<uint32_t>(left);
    f->section->CopyTo(static_cast<uint32_t>(f->position), n, static_cast<uint8_t*>(buffer));
    f->position += n;
    return n;
}

tmsize_t WriteNothing(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t SeekSection(thandle_t handle, toff_t offset, int whence) {
    auto* f = static_cast<SectionFile*>(handle);
    const uint64_t base = whence == SEEK_CUR ? f->position : whence == SEEK_END ? f->section->size() : 0;
    // libtiff passes negative offsets as huge unsigned ones; anything past 4 GB is outside.
    if (offset > UINT32_MAX && whence == SEEK_SET) return static_cast<toff_t>(-1);
    f->position = base + offset;
    return f->position;
}

int CloseNothing(thandle_t) {
    return 0;
}

toff_t SectionSize(thandle_t handle) {
    return static_cast<SectionFile*>(handle)->section->size();
}

int MapNothing(thandle_t, void**, toff_t*) {
    return 0;
}

void UnmapNothing(thandle_t, void*, toff_t) {}

// Swallows the message and keeps it from libtiff's process-wide handlers.
int Silence(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

}  // namespace

FaxStrips::~FaxStrips() {
    if (tiff_ != nullptr) LibTiff()->TIFFClose(tiff_);
}

Status FaxStrips::Decode(uint32_t strip, uint8_t* out, uint32_t outSize) {
    if (file_.section == nullptr) return kErrFormat;
    const LibTiffCalls* t = LibTiff();
    if (t == nullptr) return kErrFormat;
    if (tiff_ == nullptr && !openFailed_) {
        TIFFOpenOptions* options = t->TIFFOpenOptionsAlloc();
        if (options == nullptr) return kErrMemory;
        t->TIFFOpenOptionsSetErrorHandlerExtR(options, Silence, nullptr);
        t->TIFFOpenOptionsSetWarningHandlerExtR(options, Silence, nullptr);
        // The same bound as every block of the decoder.
        t->TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxTiffPixelBytes);
        // "m": the section is read through the procedures above, never mapped.
        tiff_ = t->TIFFClientOpenExt("preview", "rm", &file_, ReadSection, WriteNothing, SeekSection,
                                     CloseNothing, SectionSize, MapNothing, UnmapNothing, options);
        t->TIFFOpenOptionsFree(options);
        openFailed_ = tiff_ == nullptr;
    }
    if (tiff_ == nullptr || strip >= t->TIFFNumberOfStrips(tiff_)) return kErrFormat;
    const tmsize_t got = t->TIFFReadEncodedStrip(tiff_, strip, out, outSize);
    return got == static_cast<tmsize_t>(outSize) ? kOk : kErrFormat;
}

}  // namespace aldra
