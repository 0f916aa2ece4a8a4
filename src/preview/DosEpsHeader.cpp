#include "preview/DosEpsHeader.h"

#include "base/FileReader.h"

namespace aldra {

Status ParseDosEpsHeader(const BoundedBytes& bytes, DosEpsHeader* header) {
    BoundedBytes b = bytes;
    b.SetBigEndian(false);
    uint32_t magic = 0;
    DosEpsHeader h;
    if (!b.Get32(0, &magic) || magic != kDosEpsMagic) return kErrFormat;
    if (!b.Get32(4, &h.postScriptOffset) || !b.Get32(8, &h.postScriptLength) ||
        !b.Get32(12, &h.metafileOffset) || !b.Get32(16, &h.metafileLength) || !b.Get32(20, &h.tiffOffset) ||
        !b.Get32(24, &h.tiffLength)) {
        return kErrFormat;
    }
    *header = h;
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
    return ParseDosEpsHeader(BoundedBytes(bytes, size), header);
}

}  // namespace aldra
