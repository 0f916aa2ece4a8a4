#include "platform/quicktime/PictOpcodes.h"

#include "platform/quicktime/PictPixels.h"

namespace aldra::qt {

namespace {

constexpr int64_t kUnknown = -1;
constexpr int64_t kRegion = -2;    // a region: its size word counts itself
constexpr int64_t kPolygon = -3;   // a polygon: likewise
constexpr int64_t kWordData = -4;  // a 16-bit count, then that many bytes
constexpr int64_t kLongData = -5;  // a 32-bit count, then that many bytes
constexpr int64_t kText = -6;      // a count byte after a position
constexpr int64_t kPixPat = -7;
constexpr int64_t kLongComment = -8;

// The data length of an opcode that has been since version 1, or kUnknown.
int64_t CommonLength(uint32_t op) {
    static const int8_t kFirst[0x24] = {
        0,        kRegion,  8,        2,        1,        2,        4,        4,
        2,        8,        8,        4,        4,        2,        4,        4,  // 0x00 - 0x0F
        8,        1,        kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown,
        kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown,  // 0x10 - 0x1F
        8,        4,        6,        2,                                                 // 0x20 - 0x23
    };
    if (op < 0x24) return kFirst[op];
    if (op >= 0x28 && op <= 0x2B) return kText;
    if (op >= 0x30 && op <= 0x6F) {
        static const int8_t kShapes[8] = {8, 0, 8, 0, 8, 0, 12, 4};  // rect, rrect, oval, arc; then "same"
        return kShapes[(op - 0x30) >> 3];
    }
    if (op >= 0x70 && op <= 0x77) return kPolygon;
    if (op >= 0x78 && op <= 0x7F) return 0;
    if (op >= 0x80 && op <= 0x87) return kRegion;
    if (op >= 0x88 && op <= 0x8F) return 0;
    if (op == 0xA0) return 2;
    if (op == 0xA1) return kLongComment;
    return kUnknown;
}

int64_t Version2Length(uint32_t op) {
    if (op == kOpVersion) return 2;
    if (op >= 0x12 && op <= 0x14) return kPixPat;
    if (op == 0x15 || op == 0x16) return 2;
    if (op >= 0x17 && op <= 0x19) return 0;
    if (op == 0x1A || op == 0x1B || op == 0x1D || op == 0x1F) return 6;
    if (op == 0x1C || op == 0x1E) return 0;
    if ((op >= 0x24 && op <= 0x27) || (op >= 0x2C && op <= 0x2F)) return kWordData;
    if ((op >= 0x92 && op <= 0x97) || (op >= 0x9C && op <= 0x9F) || (op >= 0xA2 && op <= 0xAF))
        return kWordData;
    if (op >= 0xB0 && op <= 0xCF) return 0;
    if (op >= 0xD0 && op <= 0xFE) return kLongData;
    if (op >= 0x0100 && op <= 0x7FFF) return 2 * (op >> 8);
    if (op >= 0x8000 && op <= 0x80FF) return 0;
    if (op >= 0x8100) return kLongData;
    return CommonLength(op);
}

bool SkipText(PictStream* s, uint32_t op) {
    const uint32_t position = op == 0x28 ? 4 : op == 0x2B ? 2 : 1;
    uint32_t count;
    return s->Skip(position) && s->U8(&count) && s->Skip(count);
}

bool SkipCounted(PictStream* s, bool longCount) {
    uint32_t n;
    return (longCount ? s->U32(&n) : s->U16(&n)) && s->Skip(n);
}

bool SkipShapeWithSize(PictStream* s) {
    uint32_t size;
    return s->U16(&size) && size >= 2 && s->Skip(size - 2);
}

}  // namespace

bool SkipOpcode(PictStream* s, uint32_t op, int version) {
    const int64_t length = version == 1 ? CommonLength(op) : Version2Length(op);
    if (length >= 0) return s->Skip(static_cast<uint64_t>(length));
    switch (length) {
        case kRegion:
        case kPolygon:
            return SkipShapeWithSize(s);
        case kWordData:
            return SkipCounted(s, false);
        case kLongData:
            return SkipCounted(s, true);
        case kText:
            return SkipText(s, op);
        case kPixPat:
            return SkipPixPat(s);
        case kLongComment:
            return s->Skip(2) && SkipCounted(s, false);
        default:
            return false;
    }
}

}  // namespace aldra::qt
