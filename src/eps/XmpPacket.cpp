#include "eps/XmpPacket.h"

#include <algorithm>
#include <string_view>

#include "base/Block.h"

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

// The offset of the packet's first byte within [start, end).
Status FindPacketStart(EpsReader* eps, uint64_t start, uint64_t end, uint64_t* found,
                       std::string_view* opening) {
    BlockPtr block;
    if (AllocBlockForOverwrite(kChunk, &block) != kOk) return kErrMemory;
    for (uint64_t at = start; at < end;) {
        uint64_t got = 0;
        Status status = ReadAt(eps, at, end - at < kChunk ? end - at : kChunk, block.get(), &got);
        if (status != kOk) return status;
        const std::string_view chunk(reinterpret_cast<const char*>(block.get()), got);
        const size_t hit = std::min(chunk.find(kOpen), chunk.find(kOldOpen));
        if (hit != std::string_view::npos) {
            *found = at + hit;
            *opening = chunk.substr(hit, kOpen.size()) == kOpen ? kOpen : kOldOpen;
            return kOk;
        }
        // Chunks overlap by the opening's length less one, so that one split between two is seen.
        if (at + got >= end || got < kOpen.size()) break;
        at += got - (kOpen.size() - 1);
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

}  // namespace

Status ReadXmpPacket(EpsReader* eps, std::string* packet) {
    packet->clear();
    Status status = RewindToPostScript(eps);
    if (status != kOk) return status;
    const uint64_t start = EpsTell(eps);
    const uint64_t size = EpsFileSize(eps);
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
