// The information interface of the attached file: its DSC facts with the trailer's values for what
// the header defers, its XMP packet's and its IPTC record's texts. A PDF-based file takes its facts
// at the attach, from the packet it reads anyway; an EPS file too when the attach's reading holds
// them but for a short read, and else at the first call, since finding a packet can mean searching
// megabytes that the catalogue record never needs.
#include "base/FileReader.h"
#include "control/FilterCtrl.h"
#include "eps/DscFacts.h"
#include "eps/EpsReader.h"
#include "eps/IptcText.h"
#include "eps/Photoshop.h"
#include "eps/XmpFacts.h"
#include "eps/XmpPacket.h"
#include "platform/com/Ansi.h"
#include "platform/com/Guarded.h"

namespace aldra {

namespace {

HRESULT PutUtf8(const std::string& utf8, BSTR* out) {
    BSTR text = Utf8ToBstr(utf8);
    if (text == nullptr) return E_OUTOFMEMORY;
    *out = text;
    return S_OK;
}

// Photoshop keeps its XMP packet as an image resource of its own instead of in the PostScript text.
constexpr uint16_t kXmpResource = 1060;

// The bytes of one resource of the Photoshop block among the leading comments; false without one.
bool FindResource(const LeadingComments& comments, uint16_t id, const uint8_t** data, uint32_t* size) {
    if (comments.photoshopStatus != kOk || comments.photoshop == nullptr) return false;
    const TextBuffer* block = comments.photoshop.get();
    return FindImageResource(BufferData(block), GetBufferSize(block), id, data, size) == kOk;
}

IptcText IptcTextOf(const LeadingComments& comments) {
    const uint8_t* record = nullptr;
    uint32_t size = 0;
    return FindResource(comments, kIptcResource, &record, &size) ? ReadIptcText(record, size) : IptcText{};
}

// The one in the Photoshop block, for a file without a packet in its PostScript text.
XmpFacts ResourceXmpFacts(const LeadingComments& comments) {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!FindResource(comments, kXmpResource, &data, &size)) return {};
    return ReadXmpFacts(std::string_view(reinterpret_cast<const char*>(data), size));
}

constexpr uint64_t kReadWhatItTakes = UINT64_MAX;

// The facts, reading no more than `mostRead` bytes beyond those the reader holds; 1000 without
// them when they would need more.
Status ReadFacts(EpsReader* eps, const LeadingComments& comments, uint64_t mostRead, FactList* facts) {
    const bool bounded = mostRead != kReadWhatItTakes;
    DscFacts dsc;
    Status status = ReadDscFacts(eps, &dsc, !bounded);
    if (bounded && status == kErrMemory) return status;
    // A file that fails either read has none of that read's facts, and still the others.
    if (status != kOk) dsc = DscFacts{};
    std::string packet;
    status = ReadXmpPacket(eps, &packet, mostRead);
    if (bounded && status == kErrMemory) return status;
    const XmpFacts xmp = status == kOk ? ReadXmpFacts(packet) : ResourceXmpFacts(comments);
    *facts = ComposeFacts(dsc, xmp, IptcTextOf(comments));
    return kOk;
}

// A Photoshop file's packet is in its resources, and the search of its text steps over the samples
// to the few hundred bytes behind them; reading those at the attach costs less than opening the file
// again for them. Past this, the facts wait for a host that asks for them.
constexpr uint64_t kMostFactBytesAtAttach = 4096;

bool WindowHoldsFirstBytes(const FileReader& reader) {
    return reader.window != nullptr && ReaderTell(reader.window.get(), &reader) == 0;
}

}  // namespace

// A PostScript text within the attach's first read costs nothing more to search, and a host that
// asks for its facts would otherwise open and read the file a second time; so does a text whose
// search the first read decides but for a short tail. Only the text is searched, so a DOS EPS
// file's previews behind it do not count. Any other file keeps the first bytes for the reading that
// takes its facts when a host asks.
void CFilterCtrl::TakeFactsAtAttach(EpsReader* eps, bool textInFirstRead) {
    const bool cheap = comments_.ownStamp.regular && (textInFirstRead || WindowHoldsFirstBytes(eps->reader));
    const uint64_t mostRead = textInFirstRead ? kReadWhatItTakes : kMostFactBytesAtAttach;
    if (cheap && ReadFacts(eps, comments_.own, mostRead, &firstReadFacts_) == kOk) {
        firstReadFactsTaken_ = true;
        return;
    }
    firstReadFacts_.clear();
    ReaderKeepFirstWindow(&eps->reader, &firstWindow_);
}

const FactList& CFilterCtrl::DocumentFacts(const FileStamp* now) {
    if (factsTaken_) return facts_;
    factsTaken_ = true;
    const bool stillHold =
        firstReadFactsTaken_ &&
        (now != nullptr ? *now == comments_.ownStamp : StillStamped(filePath_.c_str(), comments_.ownStamp));
    if (stillHold) {
        facts_ = std::move(firstReadFacts_);
        firstReadFactsTaken_ = false;
        return facts_;
    }
    EpsReader eps;
    if (OpenEps(filePath_.c_str(), &eps, &firstWindow_) != kOk) return facts_;
    // Unbounded, it always has them.
    (void)ReadFacts(&eps, OwnCommentsOf(eps.reader.stamp), kReadWhatItTakes, &facts_);
    CloseEps(&eps);
    return facts_;
}

// The preview's own size joins the document's facts once a thumbnail has been drawn from it: a host
// that asked for a larger box than the preview has learns it and may ask again at the preview's size.
FactList CFilterCtrl::PreviewFacts() const {
    if (previewPixelWidth_ == 0 || previewPixelHeight_ == 0) return {};
    return {{kFactPreviewPixelWidth, std::to_string(previewPixelWidth_)},
            {kFactPreviewPixelHeight, std::to_string(previewPixelHeight_)}};
}

// The preview's facts follow the document's. A host asks for every fact by name, so neither answer
// copies the list.
std::string CFilterCtrl::FactNames() {
    std::string names = FactNamesOf(DocumentFacts());
    for (const auto& [name, value] : PreviewFacts()) names += (names.empty() ? "" : "\n") + name;
    return names;
}

std::string CFilterCtrl::GetFact(const std::string& name) {
    // A thumbnail host asks for the preview's size after every picture; that answer needs no second
    // reading of the file for the document's facts.
    if (name == kFactPreviewPixelWidth || name == kFactPreviewPixelHeight)
        return FactValueOf(PreviewFacts(), name);
    return FactValueOf(DocumentFacts(), name);
}

HRESULT CFilterCtrl::FilterFacts::FactNames(BSTR* pbsNames) {
    return Guarded([&] {
        if (pbsNames == nullptr) return E_POINTER;
        return PutUtf8(outer_->FactNames(), pbsNames);
    });
}

HRESULT CFilterCtrl::FilterFacts::GetFact(BSTR bsName, BSTR* pbsValue) {
    return Guarded([&] {
        if (pbsValue == nullptr) return E_POINTER;
        return PutUtf8(outer_->GetFact(BstrToUtf8(bsName)), pbsValue);
    });
}

}  // namespace aldra
