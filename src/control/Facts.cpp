// The information interface of the attached file: its DSC facts with the trailer's values for what
// the header defers, its XMP packet's and its IPTC record's texts. A PDF-based file takes its facts
// at the attach, from the packet it reads anyway; an EPS file at the first call, since finding a
// packet can mean searching megabytes that the catalogue record never needs.
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

// The packet in the PostScript text, or else the one in the Photoshop block.
XmpFacts XmpFactsOf(EpsReader* eps, const LeadingComments& comments) {
    std::string packet;
    if (ReadXmpPacket(eps, &packet) == kOk) return ReadXmpFacts(packet);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!FindResource(comments, kXmpResource, &data, &size)) return {};
    return ReadXmpFacts(std::string_view(reinterpret_cast<const char*>(data), size));
}

FactList FactsOf(EpsReader* eps, const LeadingComments& comments) {
    DscFacts dsc;
    // A file that fails either read has none of that read's facts, and still the others.
    if (ReadDscFacts(eps, &dsc) != kOk) dsc = DscFacts{};
    const XmpFacts xmp = XmpFactsOf(eps, comments);
    return ComposeFacts(dsc, xmp, IptcTextOf(comments));
}

}  // namespace

// A PostScript text within the attach's first read costs nothing more to search, and a host that
// asks for its facts would otherwise open and read the file a second time. Only the text is
// searched, so a DOS EPS file's previews behind it do not count.
void CFilterCtrl::TakeFactsOfFirstRead(EpsReader* eps) {
    if (!comments_.ownStamp.regular) return;
    firstReadFacts_ = FactsOf(eps, comments_.own);
    firstReadFactsTaken_ = true;
}

const FactList& CFilterCtrl::DocumentFacts() {
    if (factsTaken_) return facts_;
    factsTaken_ = true;
    if (firstReadFactsTaken_ && StillStamped(filePath_.c_str(), comments_.ownStamp)) {
        facts_ = std::move(firstReadFacts_);
        firstReadFactsTaken_ = false;
        return facts_;
    }
    EpsReader eps;
    if (OpenEps(filePath_.c_str(), &eps, &firstWindow_) != kOk) return facts_;
    facts_ = FactsOf(&eps, OwnCommentsOf(eps.reader.stamp));
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
