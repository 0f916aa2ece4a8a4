#include "eps/DosEpsHeader.h"

#include "base/Bytes.h"
#include "base/FileReader.h"
#include "eps/EpsReader.h"

namespace aldra {

namespace {
constexpr uint8_t kMagic[4] = {0xC5, 0xD0, 0xD3, 0xC6};
}  // namespace

bool HasDosEpsMagic(const uint8_t* bytes, size_t size) {
    if (bytes == nullptr || size < sizeof kMagic) return false;
    for (size_t i = 0; i < sizeof kMagic; ++i) {
        if (bytes[i] != kMagic[i]) return false;
    }
    return true;
}

Status ParseDosEpsHeader(const uint8_t* bytes, size_t size, DosEpsHeader* header) {
    if (size < kDosEpsHeaderUsedBytes || !HasDosEpsMagic(bytes, size)) return kErrFormat;
    header->postScriptOffset = LoadLe32(bytes + 4);
    header->postScriptLength = LoadLe32(bytes + 8);
    header->metafileOffset = LoadLe32(bytes + 12);
    header->metafileLength = LoadLe32(bytes + 16);
    header->tiffOffset = LoadLe32(bytes + 20);
    header->tiffLength = LoadLe32(bytes + 24);
    return kOk;
}

Status ReadDosEpsHeader(EpsReader* eps, DosEpsHeader* header) {
    FileReader* r = &eps->reader;
    Status status = ReaderSeek(0, &r->cursor, r);
    if (status != kOk) return status;
    uint8_t bytes[kDosEpsHeaderUsedBytes] = {};
    uint32_t size = r->fileSize < sizeof bytes ? static_cast<uint32_t>(r->fileSize) : sizeof bytes;
    status = ReaderRead(&r->cursor, r, bytes, size);
    if (status != kOk) return status;
    return ParseDosEpsHeader(bytes, size, header);
}

bool PostScriptInFirstWindow(const EpsReader& eps) {
    const FileReader& r = eps.reader;
    if (r.windowSize == r.fileSize) return true;
    DosEpsHeader header;
    if (ParseDosEpsHeader(r.window.get(), r.held, &header) != kOk || header.postScriptLength == 0)
        return false;
    // A text past the first piece still lies in the window: reading it costs a read, not an opening.
    return uint64_t{header.postScriptOffset} + header.postScriptLength <= r.windowSize;
}

}  // namespace aldra
