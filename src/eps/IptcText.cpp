#include "eps/IptcText.h"

#include <string_view>

#include "eps/Iptc.h"
#include "eps/Utf8Text.h"

namespace aldra {

namespace {

constexpr uint8_t kEnvelopeRecord = 1;
constexpr uint8_t kCharacterSetDataSet = 90;
constexpr std::string_view kUtf8Designation = "\x1b%G";
constexpr uint8_t kObjectName = 5;
constexpr uint8_t kByline = 80;
constexpr uint8_t kHeadline = 105;
constexpr uint8_t kCaption = 120;

bool DeclaresUtf8(const uint8_t* record, uint32_t size) {
    uint32_t offset = 0;
    IptcDataSet dataSet;
    while (NextIptcDataSet(record, size, &offset, &dataSet)) {
        if (dataSet.record != kEnvelopeRecord || dataSet.dataSet != kCharacterSetDataSet) continue;
        return std::string_view(reinterpret_cast<const char*>(dataSet.data), dataSet.length) ==
               kUtf8Designation;
    }
    return false;
}

// Declared UTF-8 that is not valid falls back to the code page rather than to broken text.
std::string Decoded(const IptcDataSet& dataSet, bool utf8) {
    const std::string_view bytes(reinterpret_cast<const char*>(dataSet.data), dataSet.length);
    return utf8 ? Utf8OrWindows1252(bytes) : Windows1252ToUtf8(bytes);
}

void Append(std::string text, std::vector<std::string>* list) {
    if (list->size() < kMostIptcEntries) list->push_back(std::move(text));
}

}  // namespace

IptcText ReadIptcText(const uint8_t* record, uint32_t size) {
    IptcText text;
    const bool utf8 = DeclaresUtf8(record, size);
    uint32_t offset = 0;
    IptcDataSet dataSet;
    while (NextIptcDataSet(record, size, &offset, &dataSet)) {
        if (dataSet.record != kIptcApplicationRecord) continue;
        switch (dataSet.dataSet) {
            case kObjectName:
                text.objectName = Decoded(dataSet, utf8);
                break;
            case kHeadline:
                text.headline = Decoded(dataSet, utf8);
                break;
            case kCaption:
                text.caption = Decoded(dataSet, utf8);
                break;
            case kByline:
                Append(Decoded(dataSet, true), &text.creators);
                break;
            case kIptcKeywordsDataSet:
                Append(Decoded(dataSet, utf8), &text.keywords);
                break;
            default:
                break;
        }
    }
    return text;
}

}  // namespace aldra
