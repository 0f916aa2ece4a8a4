#include "eps/EpsReader.h"

#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "eps/DosEpsHeader.h"

namespace aldra {

namespace {

// Copies the n bytes at p into the line up to the first CR or LF and returns that one's index (n
// when there is none). This loop is the line reader's whole cost, so it handles sixteen bytes at a
// time where SSE2 is there (every x86-64), eight elsewhere. Whole blocks are stored into the line
// before they are looked at: bytes behind the line's length are undefined anyway, and a block is
// only taken while it lies inside the n <= 255 bytes, so it also fits the line.
uint32_t CopyUpToLineEnd(const uint8_t* p, uint32_t n, uint8_t* chars) {
    uint32_t i = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= n; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(chars + i), v);
        int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (hits != 0) return i + static_cast<uint32_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        constexpr uint64_t kOnes = 0x0101010101010101ull;
        constexpr uint64_t kHighs = 0x8080808080808080ull;
        for (; i + 8 <= n; i += 8) {
            uint64_t v;
            std::memcpy(&v, p + i, 8);
            std::memcpy(chars + i, &v, 8);
            uint64_t crs = v ^ (kOnes * '\r');
            uint64_t lfs = v ^ (kOnes * '\n');
            // The lowest flagged byte is exactly the first zero byte of crs or lfs.
            uint64_t hits = ((crs - kOnes) & ~crs & kHighs) | ((lfs - kOnes) & ~lfs & kHighs);
            if (hits != 0) return i + static_cast<uint32_t>(__builtin_ctzll(hits) / 8);
        }
    }
    for (; i < n; ++i) {
        if (p[i] == '\r' || p[i] == '\n') return i;
        chars[i] = p[i];
    }
    return n;
}

uint64_t Remaining(const EpsReader* eps) {
    const FileReader& r = eps->reader;
    int64_t behindCursor = r.beyondWindow + (r.window.get() + r.windowSize - r.cursor);
    return behindCursor > 0 ? static_cast<uint64_t>(behindCursor) : 0;
}
}  // namespace

Status OpenEps(const char* path, EpsReader* eps, KeptWindow* kept) {
    uint8_t* cursor = nullptr;
    Status status = kept ? ReaderOpenKept(path, &eps->reader, &cursor, kStandardWindow, kept)
                         : ReaderOpen(path, &eps->reader, &cursor, kStandardWindow);
    eps->path = status == kOk ? path : "";
    return status;
}

void CloseEps(EpsReader* eps) {
    ReaderClose(&eps->reader);
    eps->path.clear();
}

uint64_t EpsTell(const EpsReader* eps) {
    return ReaderTell(eps->reader.cursor, &eps->reader);
}

uint64_t EpsFileSize(const EpsReader* eps) {
    return eps->reader.fileSize;
}

Status EpsSeek(EpsReader* eps, uint64_t offset) {
    return ReaderSeek(offset, &eps->reader.cursor, &eps->reader);
}

bool AtEndOfFile(const EpsReader* eps) {
    return EpsTell(eps) >= eps->reader.fileSize;
}

Status RewindToPostScript(EpsReader* eps) {
    FileReader* r = &eps->reader;
    if (r->fileSize < kDosEpsHeaderUsedBytes) return kErrShortFile;
    Status status = ReaderSeek(0, &r->cursor, r);
    if (status != kOk) return status;
    status = ReaderEnsure(&r->cursor, kDosEpsHeaderUsedBytes, r);
    if (status != kOk) return status;
    DosEpsHeader header;
    if (ParseDosEpsHeader(r->cursor, kDosEpsHeaderUsedBytes, &header) != kOk) return kOk;  // plain text
    if (header.postScriptOffset == 0) return kErrFormat;
    return ReaderSeek(header.postScriptOffset, &r->cursor, r);
}

Status ReadLine(EpsReader* eps, uint8_t* line) {
    FileReader* r = &eps->reader;
    uint64_t remaining = Remaining(eps);
    if (remaining == 0) return kErrEof;
    uint32_t n = remaining < kMaxLine ? static_cast<uint32_t>(remaining) : kMaxLine;
    // One byte more than the line when the file has it, to see the second half of a CR LF pair.
    uint32_t look = remaining > n ? n + 1 : n;
    Status status = kOk;
    if (ReaderHeldAhead(r->cursor, r) < look) {
        status = ReaderEnsure(&r->cursor, look, r);
        if (status != kOk) {
            look = n;
            status = ReaderEnsure(&r->cursor, n, r);
        }
    }
    const uint8_t* p = r->cursor;
    uint32_t end = CopyUpToLineEnd(p, n, line + 1);
    line[0] = static_cast<uint8_t>(end);
    if (end == n) {
        r->cursor += n;
        return status;
    }
    uint32_t advance = end + 1;
    if (advance < look && (p[advance] == '\r' || p[advance] == '\n') && p[advance] != p[end]) ++advance;
    r->cursor += advance;
    return status;
}

Status EpsReadBytes(EpsReader* eps, void* destination, uint64_t count, uint64_t* got) {
    uint64_t remaining = Remaining(eps);
    uint64_t take = count < remaining ? count : remaining;
    if (got) *got = take;
    return ReaderRead(&eps->reader.cursor, &eps->reader, destination, take);
}

Status EpsBufferedBytes(EpsReader* eps, const uint8_t** bytes, uint32_t* count) {
    *bytes = nullptr;
    *count = 0;
    uint64_t remaining = Remaining(eps);
    if (remaining == 0) return kErrEof;
    FileReader* r = &eps->reader;
    Status status = ReaderEnsure(&r->cursor, 1, r);
    if (status != kOk) return status;
    // Window bytes behind the end of the file are stale (see FileReader.h).
    const uint32_t inWindow = ReaderHeldAhead(r->cursor, r);
    *bytes = r->cursor;
    *count = remaining < inWindow ? static_cast<uint32_t>(remaining) : inWindow;
    return kOk;
}

void EpsSkipBuffered(EpsReader* eps, uint32_t n) {
    FileReader* r = &eps->reader;
    const uint32_t inWindow = ReaderHeldAhead(r->cursor, r);
    r->cursor += n < inWindow ? n : inWindow;
}

}  // namespace aldra
