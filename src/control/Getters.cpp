// The host's catalogue record of the attached file. Categories and notes answer from the file as it
// is at the call: from the leading comments the attach scan took while the file is unchanged (and
// likewise a Color Central sample's high-resolution file), otherwise from reading it again; the
// rest answer from the members.
#include <algorithm>

#include "base/PString.h"
#include "base/StringList.h"
#include "control/FilterCtrl.h"
#include "control/FilterRecord.h"
#include "eps/Companions.h"
#include "eps/EpsReader.h"
#include "eps/Photoshop.h"
#include "illustrator/Illustrator.h"
#include "platform/com/Ansi.h"
#include "platform/com/Guarded.h"
#include "platform/resources/Resources.h"

namespace aldra {

namespace {

constexpr uint32_t kSeparatorResource = 253;

// The walk on a file of its own; a file that cannot be opened has none of the facts, and false
// comes back when what was read has no stamp to be checked against later.
bool ReadLeadingComments(const std::string& path, uint32_t wants, LeadingComments* comments,
                         FileStamp* stamp) {
    DisposeLeadingComments(comments);
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return false;
    *stamp = eps.reader.stamp;
    WalkLeadingComments(&eps, wants, comments);
    CloseEps(&eps);
    return stamp->regular;
}

// The high-resolution file a Color Central sample names; resolved at every call, since which of
// the written path's forms exists can change. Without `anywhere`, only a file in the sample's folder
// or below it counts: the name comes from a file that anyone may have sent.
bool HiResFileOf(const LeadingComments& sample, const std::string& samplePath, bool anywhere,
                 std::string* path) {
    if (!sample.namesCompanion) return false;
    *path = CompanionPathFromLine(sample.companionLine, samplePath.c_str(), anywhere);
    return !path->empty();
}

// Whether the facts taken from the file still describe it.
bool StillTheSame(const std::string& path, bool taken, const FileStamp& stamp) {
    return taken && StillStamped(path.c_str(), stamp);
}

// A file without IPTC keywords adds nothing.
void AppendCategoriesOf(const LeadingComments& comments, StringList* categories) {
    if (comments.photoshopStatus != kOk) return;
    StringListPtr keywords;
    uint32_t count = 0;
    if (IptcKeywordsOfBlock(comments.photoshop.get(), &keywords, &count) == kOk) {
        // Out of memory, the answer goes without these keywords.
        (void)AppendBuffer(keywords.get(), categories);
    }
}

void AppendNotesOf(const LeadingComments& comments, const TextBuffer* table, TextBuffer* notes) {
    if (comments.photoshopStatus != kOk) return;
    PString separator;
    PStrFromC(ResourceText(kSeparatorResource).c_str(), separator, sizeof separator);
    BufferPtr found;
    if (IptcNotesOfBlock(comments.photoshop.get(), table, separator, &found) == kOk) {
        // Out of memory, the answer goes without these notes.
        (void)AppendBuffer(found.get(), notes);
    }
}

// The text an Illustrator drawing shows, largest type first; a file that cannot be opened or turns
// out to hold no drawing adds nothing.
void AppendDrawingText(const std::string& path, uint32_t maxText, TextBuffer* notes) {
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return;
    (void)CollectIllustratorText(&eps, notes, static_cast<int32_t>(std::min<uint32_t>(maxText, INT32_MAX)));
    CloseEps(&eps);
}

}  // namespace

const LeadingComments& CFilterCtrl::OwnComments() {
    // Taken by the attach; read here when the attach failed or the file has changed since.
    if (!StillTheSame(filePath_, comments_.ownTaken, comments_.ownStamp))
        comments_.ownTaken =
            ReadLeadingComments(filePath_, kWantAllLeading, &comments_.own, &comments_.ownStamp);
    return comments_.own;
}

const LeadingComments& CFilterCtrl::OwnCommentsOf(const FileStamp& stamp) {
    if (comments_.ownTaken && stamp.regular && stamp == comments_.ownStamp) return comments_.own;
    return OwnComments();
}

const LeadingComments& CFilterCtrl::HiResComments(const std::string& path) {
    if (path != comments_.hiResPath || !StillTheSame(path, comments_.hiResTaken, comments_.hiResStamp)) {
        comments_.hiResPath = path;
        comments_.hiResTaken =
            ReadLeadingComments(path, kWantPhotoshop, &comments_.hiRes, &comments_.hiResStamp);
    }
    return comments_.hiRes;
}

float CFilterCtrl::InfoGetWidth() {
    return static_cast<float>(widthInches_);
}

float CFilterCtrl::InfoGetHeight() {
    return static_cast<float>(heightInches_);
}

float CFilterCtrl::InfoGetHResolution() {
    return static_cast<float>(hResolution_);
}

float CFilterCtrl::InfoGetVResolution() {
    return static_cast<float>(vResolution_);
}

int32_t CFilterCtrl::InfoGetKind() {
    return kind_;
}

std::string CFilterCtrl::InfoGetCreatingSoftware() {
    return creatingSoftware_;
}

std::string CFilterCtrl::InfoGetImageName() {
    return {};
}

std::string CFilterCtrl::InfoGetUser() {
    return {};
}

// Type and signature follow the last quick test, not the attached file.
std::string CFilterCtrl::InfoGetMacSignature() {
    return isIllustrator_ ? "ART5" : "8BIM";
}

std::string CFilterCtrl::InfoGetMacType() {
    if (isIllustrator_) return "TEXT";
    return isDosEpsBinary_ ? "EPSP" : "EPSF";
}

std::string CFilterCtrl::InfoGetCategories() {
    return CategoriesOf(OwnComments());
}

std::string CFilterCtrl::InfoGetNotes() {
    return NotesOf(OwnComments());
}

std::string CFilterCtrl::CategoriesOf(const LeadingComments& own) {
    StringListPtr categories;
    if (NewBuffer(0, &categories) != kOk) return {};
    const FilterSettings& settings = LoadedSettings();
    AppendCategoriesOf(own, categories.get());
    if (settings.ccAware) {
        std::string hiRes;
        if (settings.ccKeywordsFromHiRes && HiResFileOf(own, filePath_, settings.ccHiResAnywhere, &hiRes))
            AppendCategoriesOf(HiResComments(hiRes), categories.get());
        if (settings.addCcCategory && own.colorCentralSample) {
            PString category;
            PStrFromC(settings.ccCategory.c_str(), category, sizeof category);
            (void)AppendEntry(category, categories.get());  // out of memory, the answer goes without it
        }
    }
    return JoinStringList(categories.get(), '\r');
}

std::string CFilterCtrl::NotesOf(const LeadingComments& own) {
    BufferPtr notes;
    if (NewBuffer(0, &notes) != kOk) return {};
    const FilterSettings& settings = LoadedSettings();
    if (isIllustrator_ && settings.addText) AppendDrawingText(filePath_, settings.maxText, notes.get());
    TextBuffer* table = settings.anpa.get();
    bool wasLocked = table != nullptr && LockBuffer(table, true);
    AppendNotesOf(own, table, notes.get());
    std::string hiRes;
    if (settings.ccAware && settings.ccNotesFromHiRes &&
        HiResFileOf(own, filePath_, settings.ccHiResAnywhere, &hiRes))
        AppendNotesOf(HiResComments(hiRes), table, notes.get());
    if (table != nullptr) LockBuffer(table, wasLocked);
    std::string answer;
    const uint8_t zero = 0;
    if (GetBufferSize(notes.get()) > 0 && AppendBytes(&zero, 1, notes.get()) == kOk)
        answer = reinterpret_cast<const char*>(BufferData(notes.get()));
    return answer;
}

// One look at the file serves categories, notes and the facts taken at the attach alike: a host
// reading the whole record would otherwise have each of them ask whether the file changed. The facts
// keep their own rule otherwise, which reads them once per attach.
std::string CFilterCtrl::GetRecord(bool withFacts) {
    FileStamp now;
    (void)PathStamp(filePath_.c_str(), &now);  // a file that is gone has no stamp and is read as gone
    const LeadingComments& own = OwnCommentsOf(now);
    RecordWriter record;
    record.Ansi("GetDefaultExtension", GetDefaultExtension());
    record.Number("InfoGetWidth", InfoGetWidth());
    record.Number("InfoGetHeight", InfoGetHeight());
    record.Number("InfoGetHResolution", InfoGetHResolution());
    record.Number("InfoGetVResolution", InfoGetVResolution());
    record.Number("InfoGetKind", InfoGetKind());
    record.Ansi("InfoGetCreatingSoftware", InfoGetCreatingSoftware());
    record.Ansi("InfoGetMacType", InfoGetMacType());
    record.Ansi("InfoGetMacSignature", InfoGetMacSignature());
    record.Ansi("InfoGetImageName", InfoGetImageName());
    record.Ansi("InfoGetUser", InfoGetUser());
    record.Ansi("InfoGetCategories", CategoriesOf(own));
    record.Ansi("InfoGetNotes", NotesOf(own));
    record.Ansi("PostScriptVersion", postScriptVersion);
    record.Ansi("EPSFVersion", epsfVersion);
    record.Number("EPSFType", epsfType);
    record.Ansi("Fonts", fonts);
    record.Ansi("Colors", colors);
    record.Ansi("Links", links);
    record.Number("OPISystem", opiSystem);
    record.Ansi("OPIHiResFileName", opiHiResFileName);
    if (withFacts) {
        for (const auto& [name, value] : DocumentFacts(&now)) record.Fact(name, value);
        for (const auto& [name, value] : PreviewFacts()) record.Fact(name, value);
    }
    return record.text();
}

HRESULT CFilterCtrl::FilterFacts::GetRecord(VARIANT_BOOL bWithFacts, BSTR* pbsRecord) {
    return Guarded([&] {
        if (pbsRecord == nullptr) return E_POINTER;
        BSTR text = Utf8ToBstr(outer_->GetRecord(bWithFacts != VARIANT_FALSE));
        if (text == nullptr) return E_OUTOFMEMORY;
        *pbsRecord = text;
        return S_OK;
    });
}

}  // namespace aldra
