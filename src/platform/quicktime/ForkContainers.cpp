#include "platform/quicktime/ForkContainers.h"

#include "base/Bytes.h"

namespace aldra::qt {

namespace {

constexpr uint32_t kAppleDoubleMagic = 0x00051607;
constexpr uint32_t kAppleDoubleVersion2 = 0x00020000;
constexpr uint32_t kAppleDoubleHeader = 26;
constexpr uint32_t kAppleDoubleEntry = 12;
constexpr uint32_t kResourceForkEntry = 2;

constexpr uint32_t kMacBinaryHeader = 128;
constexpr uint32_t kMacBinaryIIIMark = 0x6D42494E;  // "mBIN"

bool SpanFits(uint64_t offset, uint64_t length, uint64_t fileSize) {
    return length > 0 && offset <= fileSize && length <= fileSize - offset;
}

// The header bytes at `offset`, or null when the file is too short for them.
const uint8_t* BytesAt(FileReader* reader, uint8_t** cursor, uint64_t offset, uint32_t n) {
    if (offset > reader->fileSize || n > reader->fileSize - offset) return nullptr;
    if (ReaderSeek(offset, cursor, reader) != kOk) return nullptr;
    if (ReaderEnsure(cursor, n, reader) != kOk) return nullptr;
    return *cursor;
}

// CRC-16/XMODEM, as MacBinary II protects its header with it.
uint16_t HeaderCrc(const uint8_t* p, uint32_t n) {
    uint32_t crc = 0;
    for (uint32_t i = 0; i < n; ++i) {
        crc ^= uint32_t{p[i]} << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    }
    return static_cast<uint16_t>(crc);
}

bool AllZero(const uint8_t* p, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i)
        if (p[i] != 0) return false;
    return true;
}

uint64_t RoundUp128(uint64_t n) {
    return (n + 127) / 128 * 128;
}

bool LooksLikeMacBinary(const uint8_t* h) {
    if (h[0] != 0 || h[1] < 1 || h[1] > 63 || h[74] != 0 || h[82] != 0) return false;
    if (LoadBe32(h + 102) == kMacBinaryIIIMark) return true;
    if (HeaderCrc(h, 124) == LoadBe16(h + 124)) return true;
    // MacBinary I kept everything after the Finder flags zero.
    return AllZero(h + 99, 27);
}

}  // namespace

bool FindAppleDoubleFork(FileReader* reader, uint8_t** cursor, ForkSpan* span) {
    const uint8_t* h = BytesAt(reader, cursor, 0, kAppleDoubleHeader);
    if (h == nullptr || LoadBe32(h) != kAppleDoubleMagic || LoadBe32(h + 4) != kAppleDoubleVersion2)
        return false;
    const uint32_t entries = LoadBe16(h + 24);
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* e =
            BytesAt(reader, cursor, kAppleDoubleHeader + uint64_t{i} * kAppleDoubleEntry, kAppleDoubleEntry);
        if (e == nullptr) return false;
        if (LoadBe32(e) != kResourceForkEntry) continue;
        const uint32_t offset = LoadBe32(e + 4), length = LoadBe32(e + 8);
        if (!SpanFits(offset, length, reader->fileSize)) return false;
        *span = {offset, length};
        return true;
    }
    return false;
}

bool FindMacBinaryFork(FileReader* reader, uint8_t** cursor, ForkSpan* span) {
    const uint8_t* h = BytesAt(reader, cursor, 0, kMacBinaryHeader);
    if (h == nullptr || !LooksLikeMacBinary(h)) return false;
    const uint64_t dataLength = LoadBe32(h + 83);
    const uint32_t forkLength = LoadBe32(h + 87);
    const uint64_t secondaryHeader = LoadBe16(h + 120);
    const uint64_t offset = kMacBinaryHeader + RoundUp128(secondaryHeader) + RoundUp128(dataLength);
    if (!SpanFits(offset, forkLength, reader->fileSize)) return false;
    *span = {offset, forkLength};
    return true;
}

}  // namespace aldra::qt
