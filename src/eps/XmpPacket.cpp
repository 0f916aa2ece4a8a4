#include "eps/XmpPacket.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "base/Block.h"
#include "eps/DosEpsHeader.h"

namespace aldra {

namespace {

// Programs before 2004 wrote the packet's element under its first name, x:xapmeta.
constexpr std::string_view kOpen = "<x:xmpmeta";
constexpr std::string_view kClose = "</x:xmpmeta>";
constexpr std::string_view kOldOpen = "<x:xapmeta";
constexpr std::string_view kOldClose = "</x:xapmeta>";
static_assert(kOpen.size() == kOldOpen.size());
constexpr uint32_t kChunk = 64 * 1024;

// Reads [at, at + count) of the file into the block; *got is what the file had.
Status ReadAt(EpsReader* eps, uint64_t at, uint64_t count, uint8_t* block, uint64_t* got) {
    Status status = EpsSeek(eps, at);
    if (status == kOk) status = EpsReadBytes(eps, block, count, got);
    return status;
}

// Photoshop keeps its image samples, often most of the file, in a block whose length a
// "%%BeginBinary: N" or "%%BeginData: N [type] [Bytes]" line declares; the packet comes before it
// and is never inside, so the search steps over such a block instead of reading it.
constexpr std::string_view kBinaryBlock = "%%BeginBinary:";
constexpr std::string_view kDataBlock = "%%BeginData:";

size_t FindAtLineStart(std::string_view chunk, std::string_view marker) {
    for (size_t at = chunk.find(marker); at != std::string_view::npos; at = chunk.find(marker, at + 1))
        if (at == 0 || chunk[at - 1] == '\n' || chunk[at - 1] == '\r') return at;
    return std::string_view::npos;
}

// The block's declared length and where its data begins (after the marker's line end), when the
// whole line lies in the chunk and declares a length in bytes.
bool DeclaredBlock(std::string_view chunk, size_t marker, uint64_t* length, size_t* data) {
    const size_t eol = chunk.find_first_of("\r\n", marker);
    if (eol == std::string_view::npos) return false;
    const bool isData = chunk.substr(marker, kDataBlock.size()) == kDataBlock;
    std::string_view rest =
        chunk.substr(marker + (isData ? kDataBlock.size() : kBinaryBlock.size()), eol - marker);
    rest = rest.substr(0, rest.find_first_of("\r\n"));
    const size_t digits = rest.find_first_not_of(" \t");
    if (digits == std::string_view::npos) return false;
    uint64_t value = 0;
    size_t i = digits;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
        if (value > (UINT64_MAX - 9) / 10) return false;
        value = value * 10 + static_cast<uint64_t>(rest[i] - '0');
    }
    if (i == digits) return false;
    // %%BeginData may count lines instead; those cannot be stepped over without reading them.
    if (isData && rest.find("Lines", i) != std::string_view::npos) return false;
    *length = value;
    *data = eol + (chunk[eol] == '\r' && eol + 1 < chunk.size() && chunk[eol + 1] == '\n' ? 2 : 1);
    return true;
}

// What the search makes of one chunk: the packet found, a step to where it goes on, the end of the
// search, or, for bytes that are only the start of the chunk, no decision yet.
struct Step {
    enum Kind { Found, Next, Stop, Undecided } kind = Undecided;
    uint64_t at = 0;
    std::string_view opening;
};

Step StopStep() {
    return {Step::Stop, 0, {}};
}
Step NextStep(uint64_t at) {
    return {Step::Next, at, {}};
}

// `chunk` holds the file's bytes from `at`: the whole chunk when `whole`, else only its start. An
// opening or a block marker wholly inside the start is found at the same place in the whole chunk,
// and neither can straddle the other, so a start that holds one (and the marker's whole line) decides
// as the whole chunk would.
Step DecideChunk(std::string_view chunk, uint64_t at, uint64_t end, bool whole) {
    const size_t hit = std::min(chunk.find(kOpen), chunk.find(kOldOpen));
    const size_t blockAt = std::min(FindAtLineStart(chunk, kBinaryBlock), FindAtLineStart(chunk, kDataBlock));
    const uint64_t got = chunk.size();
    if (blockAt < hit) {
        uint64_t length = 0;
        size_t data = 0;
        // The byte after a CR decides where the data begins, so a start must hold it too.
        if (DeclaredBlock(chunk, blockAt, &length, &data) && (whole || data < got)) {
            if (length >= end - (at + data)) return StopStep();
            return NextStep(at + data + length);
        }
        if (!whole) return {};
        // A marker line cut by the chunk's end is read again from its start.
        if (blockAt > 0 && chunk.find_first_of("\r\n", blockAt) == std::string_view::npos && at + got < end)
            return NextStep(at + blockAt);
    }
    if (hit != std::string_view::npos)
        return {Step::Found, at + hit, chunk.substr(hit, kOpen.size()) == kOpen ? kOpen : kOldOpen};
    if (!whole) return {};
    if (at + got >= end || got < kOpen.size()) return StopStep();
    // Chunks overlap by the opening's length less one, so that one split between two is seen.
    return NextStep(at + got - (kOpen.size() - 1));
}

// The chunk at `at` judged from the bytes the reader holds there when they decide it: most files
// hold the opening or the marker of their samples in the first window, which an earlier reading
// handed over, and need not read the rest of the chunk.
Status StepFromHeldBytes(EpsReader* eps, uint64_t at, uint64_t want, uint64_t end, Step* step) {
    *step = {};
    Status status = EpsSeek(eps, at);
    const uint8_t* bytes = nullptr;
    uint32_t count = 0;
    if (status == kOk) status = EpsBufferedBytes(eps, &bytes, &count);
    if (status == kErrEof) return kOk;
    if (status != kOk) return status;
    const bool whole = count >= want || EpsTell(eps) + count >= EpsFileSize(eps);
    const auto held = static_cast<size_t>(std::min<uint64_t>(count, want));
    *step = DecideChunk(std::string_view(reinterpret_cast<const char*>(bytes), held), at, end, whole);
    return kOk;
}

// The step of the whole chunk at `at`, read into `block`.
Status StepFromChunk(EpsReader* eps, uint64_t at, uint64_t want, uint64_t end, BlockPtr* block, Step* step) {
    if (*block == nullptr && AllocBlockForOverwrite(kChunk, block) != kOk) return kErrMemory;
    uint64_t got = 0;
    Status status = ReadAt(eps, at, want, block->get(), &got);
    if (status != kOk) return status;
    *step = DecideChunk(std::string_view(reinterpret_cast<const char*>(block->get()), got), at, end, true);
    return kOk;
}

// The offset of the packet's first byte within [start, end).
Status FindPacketStart(EpsReader* eps, uint64_t start, uint64_t end, uint64_t* found,
                       std::string_view* opening) {
    BlockPtr block;
    for (uint64_t at = start; at < end;) {
        const uint64_t want = end - at < kChunk ? end - at : kChunk;
        Step step;
        Status status = StepFromHeldBytes(eps, at, want, end, &step);
        if (status == kOk && step.kind == Step::Undecided)
            status = StepFromChunk(eps, at, want, end, &block, &step);
        if (status != kOk) return status;
        if (step.kind == Step::Found) {
            *found = step.at;
            *opening = step.opening;
            return kOk;
        }
        if (step.kind != Step::Next) break;
        at = step.at;
    }
    return kErrFormat;
}

// Reads on from the packet's first byte until its end tag, a chunk at a time, so that a small packet
// early in a large file costs what it holds.
Status ReadUpToClose(EpsReader* eps, uint64_t first, uint64_t most, std::string_view closing,
                     std::string* text) {
    text->clear();
    for (uint64_t at = first; text->size() < most;) {
        const uint64_t want = std::min<uint64_t>(kChunk, most - text->size());
        const size_t had = text->size();
        text->resize(had + static_cast<size_t>(want));
        uint64_t got = 0;
        Status status = ReadAt(eps, at, want, reinterpret_cast<uint8_t*>(text->data() + had), &got);
        if (status != kOk) return status;
        text->resize(had + static_cast<size_t>(got));
        const size_t from = had > closing.size() ? had - closing.size() : 0;
        const size_t close = std::string_view(*text).find(closing, from);
        if (close != std::string_view::npos) {
            text->resize(close + closing.size());
            return kOk;
        }
        if (got < want) break;
        at += got;
    }
    return kErrFormat;
}

// Where the PostScript text ends: a DOS EPS file's previews follow its PostScript section, and the
// packet is in the text.
uint64_t PostScriptEnd(EpsReader* eps) {
    const uint64_t size = EpsFileSize(eps);
    DosEpsHeader header;
    if (ReadDosEpsHeader(eps, &header) != kOk || header.postScriptLength == 0) return size;
    return std::min<uint64_t>(size, uint64_t{header.postScriptOffset} + header.postScriptLength);
}

}  // namespace

Status ReadXmpPacket(EpsReader* eps, std::string* packet) {
    packet->clear();
    const uint64_t size = PostScriptEnd(eps);
    Status status = RewindToPostScript(eps);
    if (status != kOk) return status;
    const uint64_t start = EpsTell(eps);
    if (start >= size) return kErrFormat;
    const uint64_t end =
        size - start > kMostEmbeddedXmpSearchBytes ? start + kMostEmbeddedXmpSearchBytes : size;
    uint64_t first = 0;
    std::string_view opening;
    status = FindPacketStart(eps, start, end, &first, &opening);
    if (status != kOk) return status;
    const uint64_t most = std::min<uint64_t>(size - first, kMostEmbeddedXmpBytes);
    status = ReadUpToClose(eps, first, most, opening == kOpen ? kClose : kOldClose, packet);
    if (status != kOk) packet->clear();
    return status;
}

}  // namespace aldra
