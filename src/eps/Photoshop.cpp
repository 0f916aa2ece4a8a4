#include "eps/Photoshop.h"

#include <cstring>
#include <utility>

#include "base/Bytes.h"
#include "eps/CommentParser.h"
#include "eps/Iptc.h"
#include "eps/LeadingComments.h"

namespace aldra {

namespace {

constexpr uint8_t kSignature[4] = {'8', 'B', 'I', 'M'};
constexpr uint32_t kResolutionBytes = 16;
constexpr uint32_t kVerticalResolutionOffset = 8;

// Resource 1028 of a decoded block; the record points into the block.
Status FindIptcRecord(const TextBuffer* block, const uint8_t** record, uint32_t* size) {
    return FindImageResource(BufferData(block), GetBufferSize(block), kIptcResource, record, size);
}

}  // namespace

Status ReadPhotoshopData(EpsReader* eps, BufferPtr* block) {
    LeadingComments comments;
    WalkLeadingComments(eps, kWantPhotoshop, &comments);
    *block = std::move(comments.photoshop);
    return comments.photoshopStatus;
}

Status FindImageResource(const uint8_t* block, uint32_t size, uint16_t id, const uint8_t** data,
                         uint32_t* dataSize) {
    // 64-bit offsets: a size field near 4 GB must not wrap the sums below.
    uint64_t offset = 0;
    while (offset < size) {
        uint64_t left = size - offset;
        const uint8_t* resource = block + offset;
        if (left < 7 || std::memcmp(resource, kSignature, sizeof kSignature) != 0) return kErrFormat;
        uint64_t nameBytes = (uint64_t{resource[6]} + 2) & ~uint64_t{1};
        uint64_t headerBytes = 6 + nameBytes + 4;
        if (left < headerBytes) return kErrFormat;
        uint32_t length = LoadBe32(resource + 6 + nameBytes);
        if (length > left - headerBytes) return kErrFormat;
        uint16_t resourceId = LoadBe16(resource + 4);
        if (resourceId == id) {
            *data = resource + headerBytes;
            *dataSize = length;
            return kOk;
        }
        offset += headerBytes + length + (length & 1);
    }
    return kErrFormat;
}

Status ReadPhotoshopResolution(const uint8_t* block, uint32_t size, int32_t* hResolution,
                               int32_t* vResolution) {
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    Status status = FindImageResource(block, size, kResolutionResource, &data, &length);
    if (status != kOk) return status;
    if (length != kResolutionBytes) return kErrFormat;
    *hResolution = static_cast<int32_t>(LoadBe32(data));
    *vResolution = static_cast<int32_t>(LoadBe32(data + kVerticalResolutionOffset));
    return kOk;
}

Status IptcKeywordsOfBlock(const TextBuffer* block, StringListPtr* keywords, uint32_t* count) {
    keywords->reset();
    *count = 0;
    const uint8_t* record = nullptr;
    uint32_t size = 0;
    Status status = FindIptcRecord(block, &record, &size);
    if (status != kOk) return status;
    StringListPtr list;
    status = NewBuffer(0, &list);
    if (status == kOk) status = CollectIptcKeywords(record, size, list.get(), count);
    if (status == kOk && *count == 0) status = kErrFormat;
    if (status != kOk) {
        *count = 0;
        return status;
    }
    *keywords = std::move(list);
    return kOk;
}

Status IptcNotesOfBlock(const TextBuffer* block, const TextBuffer* anpaTable, const uint8_t* separator,
                        BufferPtr* notes) {
    notes->reset();
    const uint8_t* record = nullptr;
    uint32_t size = 0;
    Status status = FindIptcRecord(block, &record, &size);
    if (status != kOk) return status;
    BufferPtr text;
    status = NewBuffer(0, &text);
    if (status == kOk) status = ComposeIptcNotes(record, size, anpaTable, separator, text.get());
    if (status == kOk && GetBufferSize(text.get()) == 0) status = kErrFormat;
    if (status != kOk) return status;
    *notes = std::move(text);
    return kOk;
}

}  // namespace aldra
