#include "eps/XmpPacket.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "base/Block.h"
#include "base/Bytes.h"
#include "base/File.h"
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

// Photoshop keeps its image samples, often most of the file, in a block whose length a
// "%%BeginBinary: N" or "%%BeginData: N [type] [Bytes]" line declares; the packet comes before it
// and is never inside, so the search steps over such a block instead of reading it.
constexpr std::string_view kBinaryBlock = "%%BeginBinary:";
constexpr std::string_view kDataBlock = "%%BeginData:";

// Both markers and both openings begin alike, so that one pass over a chunk finds either: a chunk
// is mostly samples and code, and is searched on every attach that takes the facts.
constexpr std::string_view kMarkerStart = "%%Begin";
constexpr std::string_view kOpeningStart = "<x:x";

size_t FirstBlockMarker(std::string_view chunk) {
    for (size_t at = chunk.find(kMarkerStart); at != std::string_view::npos;
         at = chunk.find(kMarkerStart, at + 1)) {
        const bool lineStart = at == 0 || chunk[at - 1] == '\n' || chunk[at - 1] == '\r';
        const std::string_view rest = chunk.substr(at);
        if (lineStart && (rest.starts_with(kBinaryBlock) || rest.starts_with(kDataBlock))) return at;
    }
    return std::string_view::npos;
}

size_t FirstOpening(std::string_view chunk) {
    for (size_t at = chunk.find(kOpeningStart); at != std::string_view::npos;
         at = chunk.find(kOpeningStart, at + 1)) {
        const std::string_view rest = chunk.substr(at, kOpen.size());
        if (rest == kOpen || rest == kOldOpen) return at;
    }
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
    // Only an opening before the marker comes first; one behind it counts when the marker decides nothing.
    const size_t blockAt = FirstBlockMarker(chunk);
    size_t hit = FirstOpening(chunk.substr(0, blockAt));
    const uint64_t got = chunk.size();
    if (hit == std::string_view::npos && blockAt != std::string_view::npos) {
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
        const size_t later = FirstOpening(chunk.substr(blockAt));
        hit = later == std::string_view::npos ? later : blockAt + later;
    }
    if (hit != std::string_view::npos)
        return {Step::Found, at + hit, chunk.substr(hit, kOpen.size()) == kOpen ? kOpen : kOldOpen};
    if (!whole) return {};
    if (at + got >= end || got < kOpen.size()) return StopStep();
    // Chunks overlap by the opening's length less one, so that one split between two is seen.
    return NextStep(at + got - (kOpen.size() - 1));
}

// Where the search takes the file's bytes from: those the reader holds from its read position on,
// then the last chunk it read itself, then positioned reads, which leave the reader as it is. A
// packet in the reader's window, or a short tail behind a samples block, then costs no reading of
// a whole window. Positioned reads stop, with 1000, before they would read more than `budget` bytes
// in all.
struct ByteSource {
    EpsReader* eps = nullptr;
    uint64_t budget = 0;
    BlockPtr chunk;
    uint64_t chunkAt = 0;
    uint64_t chunkSize = 0;
};

// The bytes the reader holds from `at` on, which then becomes its read position; none when `at` lies
// before the read position or behind what it holds.
std::string_view HeldAt(EpsReader* eps, uint64_t at) {
    const uint64_t here = EpsTell(eps);
    const uint8_t* bytes = nullptr;
    uint32_t count = 0;
    if (at < here || EpsBufferedBytes(eps, &bytes, &count) != kOk || at - here >= count) return {};
    const auto skip = static_cast<uint32_t>(at - here);
    EpsSkipBuffered(eps, skip);
    return {reinterpret_cast<const char*>(bytes + skip), count - skip};
}

// Copies [at, at + count) of the file, as far as the file reaches, to `out`; *got is what it had.
// `count` is at most a chunk.
Status ReadSpan(ByteSource* source, uint64_t at, uint64_t count, uint8_t* out, uint64_t* got) {
    const uint64_t size = EpsFileSize(source->eps);
    count = at < size ? std::min(count, size - at) : 0;
    *got = count;
    // `out` may be the kept chunk itself, for a step that stays within it.
    if (source->chunk != nullptr && at >= source->chunkAt &&
        at + count <= source->chunkAt + source->chunkSize) {
        MoveBytes(source->chunk.get() + (at - source->chunkAt), out, static_cast<int64_t>(count));
        return kOk;
    }
    const std::string_view held = HeldAt(source->eps, at);
    const uint64_t fromHeld = std::min<uint64_t>(held.size(), count);
    MoveBytes(held.data(), out, static_cast<int64_t>(fromHeld));
    const uint64_t rest = count - fromHeld;
    if (rest == 0) return kOk;
    if (rest > source->budget) return kErrMemory;
    source->budget -= rest;
    uint32_t read = 0;
    Status status = FileReadAt(source->eps->reader.file, at + fromHeld, static_cast<uint32_t>(rest),
                               out + fromHeld, &read);
    *got = fromHeld + read;
    return status;
}

// The chunk at `at` judged from the bytes the reader holds there when they decide it: most files
// hold the opening or the marker of their samples in the first window, which an earlier reading
// handed over, and need not read the rest of the chunk.
Step StepFromHeldBytes(EpsReader* eps, uint64_t at, uint64_t want, uint64_t end) {
    const std::string_view held = HeldAt(eps, at);
    if (held.empty()) return {};
    const bool whole = held.size() >= want || at + held.size() >= EpsFileSize(eps);
    return DecideChunk(held.substr(0, static_cast<size_t>(std::min<uint64_t>(held.size(), want))), at, end,
                       whole);
}

// The step of the whole chunk at `at`, which the source keeps.
Status StepFromChunk(ByteSource* source, uint64_t at, uint64_t want, uint64_t end, Step* step) {
    if (source->chunk == nullptr && AllocBlockForOverwrite(kChunk, &source->chunk) != kOk) return kErrMemory;
    uint64_t got = 0;
    Status status = ReadSpan(source, at, want, source->chunk.get(), &got);
    source->chunkAt = at;
    source->chunkSize = status == kOk ? got : 0;
    if (status != kOk) return status;
    *step =
        DecideChunk(std::string_view(reinterpret_cast<const char*>(source->chunk.get()), got), at, end, true);
    return kOk;
}

// The offset of the packet's first byte within [start, end).
Status FindPacketStart(ByteSource* source, uint64_t start, uint64_t end, uint64_t* found,
                       std::string_view* opening) {
    for (uint64_t at = start; at < end;) {
        const uint64_t want = end - at < kChunk ? end - at : kChunk;
        Step step = StepFromHeldBytes(source->eps, at, want, end);
        if (step.kind == Step::Undecided) {
            Status status = StepFromChunk(source, at, want, end, &step);
            if (status != kOk) return status;
        }
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

// Whether the text read so far holds the end tag; the text then ends with it. `had` bytes of it were
// searched before.
bool EndsAtClose(std::string* text, size_t had, std::string_view closing) {
    const size_t from = had > closing.size() ? had - closing.size() : 0;
    const size_t close = std::string_view(*text).find(closing, from);
    if (close == std::string_view::npos) return false;
    text->resize(close + closing.size());
    return true;
}

// Reads on from the packet's first byte until its end tag: the bytes the reader holds first, then a
// chunk at a time, so that a small packet early in a large file costs what it holds.
Status ReadUpToClose(ByteSource* source, uint64_t first, uint64_t most, std::string_view closing,
                     std::string* text) {
    const std::string_view held = HeldAt(source->eps, first);
    text->assign(held.substr(0, static_cast<size_t>(std::min<uint64_t>(held.size(), most))));
    if (EndsAtClose(text, 0, closing)) return kOk;
    for (uint64_t at = first + text->size(); text->size() < most;) {
        const uint64_t want = std::min<uint64_t>(kChunk, most - text->size());
        const size_t had = text->size();
        text->resize(had + static_cast<size_t>(want));
        uint64_t got = 0;
        Status status = ReadSpan(source, at, want, reinterpret_cast<uint8_t*>(text->data() + had), &got);
        if (status != kOk) return status;
        text->resize(had + static_cast<size_t>(got));
        if (EndsAtClose(text, had, closing)) return kOk;
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

Status ReadXmpPacket(EpsReader* eps, std::string* packet, uint64_t mostRead) {
    packet->clear();
    const uint64_t size = PostScriptEnd(eps);
    Status status = RewindToPostScript(eps);
    if (status != kOk) return status;
    const uint64_t start = EpsTell(eps);
    if (start >= size) return kErrFormat;
    const uint64_t end =
        size - start > kMostEmbeddedXmpSearchBytes ? start + kMostEmbeddedXmpSearchBytes : size;
    ByteSource source;
    source.eps = eps;
    source.budget = mostRead;
    uint64_t first = 0;
    std::string_view opening;
    status = FindPacketStart(&source, start, end, &first, &opening);
    if (status != kOk) return status;
    const uint64_t most = std::min<uint64_t>(size - first, kMostEmbeddedXmpBytes);
    status = ReadUpToClose(&source, first, most, opening == kOpen ? kClose : kOldClose, packet);
    if (status != kOk) packet->clear();
    return status;
}

}  // namespace aldra
