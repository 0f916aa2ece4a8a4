// Taking a file: refusals of files that must not be catalogued, the header scan, and the members the
// getters answer from.
#include "base/PString.h"
#include "base/StringList.h"
#include "control/FilterCtrl.h"
#include "eps/Companions.h"
#include "eps/DcsPlates.h"
#include "eps/DosEpsHeader.h"
#include "eps/DscScan.h"
#include "eps/EpsReader.h"
#include "mac/MacResources.h"
#include "mac/QuickTimeBinding.h"
#include "mac/QuickTimeRoutines.h"
#include "pdf/IllustratorPdf.h"
#include "platform/resources/Resources.h"

namespace aldra {

namespace {

constexpr uint32_t kTextCapacity = 260;

std::string PStringText(const uint8_t* s) {
    char text[kTextCapacity];
    PStrToC(s, text, sizeof text);
    return text;
}

// The entries one per line, with no line end behind the last; empty leading entries leave no trace.
std::string TakeJoined(StringListPtr* list) {
    std::string joined = *list == nullptr ? std::string() : JoinStringList(list->get(), '\n');
    list->reset();
    return joined;
}

}  // namespace

void CFilterCtrl::ClearAttachedFacts() {
    kind_ = 0;
    widthInches_ = heightInches_ = hResolution_ = vResolution_ = 0;
    previewPixelWidth_ = previewPixelHeight_ = 0;
    ForgetAttachedComments();
    // A file the attach refuses has no facts to read.
    facts_.clear();
    factsTaken_ = true;
    firstReadFacts_.clear();
    firstReadFactsTaken_ = false;
    firstWindow_ = KeptWindow{};
}

void CFilterCtrl::ForgetAttachedComments() {
    DisposeLeadingComments(&comments_.own);
    DisposeLeadingComments(&comments_.hiRes);
    comments_ = AttachedComments{};
}

void CFilterCtrl::RefuseUncataloguedFile() {
    const char* path = filePath_.c_str();
    if (IsDcsPlate(path)) RaiseFilterMessage(ResourceText(kRefuseDcsPlate));
    const FilterSettings& settings = LoadedSettings();
    if (!settings.heliosAware) return;
    PString extension;
    PStrFromC(settings.heliosLayoutExtension.c_str(), extension, sizeof extension);
    if (!settings.heliosLayoutsOnly && IsHeliosLayout(path, extension))
        RaiseFilterMessage(ResourceText(kRefuseHeliosLayout));
    if (settings.heliosLayoutsOnly && HasHeliosLayout(path, extension))
        RaiseFilterMessage(ResourceText(kRefuseHeliosHiRes));
}

void CFilterCtrl::TakeHeaderFacts(EpsInfo* info) {
    widthInches_ = info->widthInches;
    heightInches_ = info->heightInches;
    hResolution_ = info->hResolution;
    vResolution_ = info->vResolution;
    // A colour or greyscale answer from the resource fork is not lowered by the header.
    int32_t mode = static_cast<int32_t>(info->colorMode);
    if (kind_ == 0 || (kind_ == 1 && mode == 2)) kind_ = mode;
    creatingSoftware_ = PStringText(info->creator);
    postScriptVersion = PStringText(info->postScriptVersion);
    epsfVersion = PStringText(info->epsfVersion);
    epsfType = static_cast<int32_t>(info->dcsKind);
    opiSystem = static_cast<int32_t>(info->opiSystem);
    opiHiResFileName = PStringText(info->opiHiResFileName);
    fonts = TakeJoined(&info->fonts);
    colors = TakeJoined(&info->customColors);
    links = TakeJoined(&info->files);
}

// The resource fork's picture facts, which the header's measures replace when the header parses.
// `head` is the file as the attach read it, null when it could not be read.
void CFilterCtrl::TakeResourceForkFacts(const FileReader* head) {
    const bool plainFile = head != nullptr && !qt::CouldBeMacBinary(head->window.get(), head->fileSize);
    qt::FSSpec spec;
    // A bad spec opens no fork.
    (void)NativePathNameToFSSpec(filePath_.c_str(), &spec, plainFile ? qt::kSpecPlainFile : 0);
    OpenedFork fork(&spec);
    if (!fork.IsOpen()) return;
    const PictFacts facts{&kind_, &hResolution_, &vResolution_, &widthInches_, &heightInches_};
    PictInfo(kPreviewPictId, facts);
    // The thumbnail record's facts win over the picture's; without one the picture's stay.
    (void)ThumbInfo(facts);
}

bool CFilterCtrl::AttachFile(const std::string& path) {
    filePath_ = path;
    ClearAttachedFacts();
    // A name the host could not spell in UTF-16 names no file.
    if (filePath_.empty()) RaiseFilterError(kErrFormat);
    RefuseUncataloguedFile();
    // A start that failed is tried again at the next attach; one that worked lasts the control's life.
    if (!quickTimeReady_) quickTimeReady_ = StartQuickTime(0) == qt::noErr;
    // One opening tells a PDF-based file from an EPS file, reads the EPS file's head and shows
    // whether the file itself may carry its fork.
    EpsReader eps;
    const bool opened = OpenEps(filePath_.c_str(), &eps) == kOk;
    if (quickTimeReady_) TakeResourceForkFacts(opened ? &eps.reader : nullptr);
    if (!opened) RaiseFilterError(kErrFormat);
    const bool textInFirstRead = PostScriptInFirstWindow(eps);
    if (BeginsAsPdf(eps.reader)) {
        CloseEps(&eps);
        AttachPdfFile();
        return true;
    }
    EpsInfo info;
    // The getters' leading comments come from the same reads: the file's head is read once. The
    // reader's stamp is from before its first read, so that a change during the reads shows.
    comments_.ownStamp = eps.reader.stamp;
    Status status = ParseEpsHeader(&eps, filePath_.c_str(), &info, &comments_.own);
    if (status == kOk) TakeFactsAtAttach(&eps, textInFirstRead);
    CloseEps(&eps);
    if (status != kOk) RaiseFilterError(kErrFormat);
    comments_.ownTaken = comments_.ownStamp.regular;
    TakeHeaderFacts(&info);
    factsTaken_ = false;  // read at the first call that asks for them
    return true;
}

void CFilterCtrl::DetachFile() {
    // Nothing is held between calls; the members keep describing the last file until the next attach.
}

}  // namespace aldra
