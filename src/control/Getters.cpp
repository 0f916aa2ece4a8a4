// The host's catalogue record of the attached file. Categories and notes read the file (and a Color
// Central sample's high-resolution file) again at every call; the rest answer from the members.
#include "base/PString.h"
#include "base/StringList.h"
#include "control/FilterCtrl.h"
#include "eps/Companions.h"
#include "eps/EpsReader.h"
#include "eps/Photoshop.h"
#include "platform/resources/Resources.h"

namespace aldra {

namespace {

constexpr uint32_t kSeparatorResource = 253;
constexpr uint32_t kTextCapacity = 260;

// A file that cannot be opened or has no IPTC keywords adds nothing.
void AppendCategoriesOf(const std::string& path, StringList* categories) {
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return;
    StringList* keywords = nullptr;
    uint32_t count = 0;
    if (ReadIptcKeywords(&eps, &keywords, &count) == kOk) {
        AppendBuffer(keywords, categories);
        DisposeBuffer(keywords);
    }
    CloseEps(&eps);
}

void AppendNotesOf(const std::string& path, const TextBuffer* table, TextBuffer* notes) {
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return;
    PString separator;
    PStrFromC(ResourceText(kSeparatorResource).c_str(), separator, sizeof separator);
    TextBuffer* found = nullptr;
    if (ReadIptcNotes(&eps, table, separator, &found) == kOk) {
        AppendBuffer(found, notes);
        DisposeBuffer(found);
    }
    CloseEps(&eps);
}

std::string JoinWithCarriageReturns(StringList* list) {
    std::string joined;
    bool wasLocked = LockBuffer(list, true);
    ForEachEntry(list, [&](const uint8_t* entry) {
        char text[kTextCapacity];
        PStrToC(entry, text, sizeof text);
        if (!joined.empty()) joined += '\r';
        joined += text;
        return true;
    });
    LockBuffer(list, wasLocked);
    return joined;
}

}  // namespace

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
    StringList* categories = nullptr;
    if (NewBuffer(0, &categories) != kOk) return {};
    AppendCategoriesOf(filePath_, categories);
    if (settings_.ccAware) {
        std::string hiRes;
        if (settings_.ccKeywordsFromHiRes && FindCompanionFile(filePath_.c_str(), &hiRes))
            AppendCategoriesOf(hiRes, categories);
        if (settings_.addCcCategory && IsColorCentralSample(filePath_.c_str())) {
            PString category;
            PStrFromC(settings_.ccCategory.c_str(), category, sizeof category);
            AppendEntry(category, categories);
        }
    }
    std::string answer = JoinWithCarriageReturns(categories);
    DisposeBuffer(categories);
    return answer;
}

std::string CFilterCtrl::InfoGetNotes() {
    TextBuffer* notes = nullptr;
    if (NewBuffer(0, &notes) != kOk) return {};
    // The drawing's own text leads the notes of an Illustrator file once the artwork reader can
    // collect it (settings_.addText, settings_.maxText).
    bool wasLocked = settings_.anpa != nullptr && LockBuffer(settings_.anpa, true);
    AppendNotesOf(filePath_, settings_.anpa, notes);
    std::string hiRes;
    if (settings_.ccAware && settings_.ccNotesFromHiRes && FindCompanionFile(filePath_.c_str(), &hiRes))
        AppendNotesOf(hiRes, settings_.anpa, notes);
    if (settings_.anpa != nullptr) LockBuffer(settings_.anpa, wasLocked);
    std::string answer;
    const uint8_t zero = 0;
    if (GetBufferSize(notes) > 0 && AppendBytes(&zero, 1, notes) == kOk)
        answer = reinterpret_cast<const char*>(BufferData(notes));
    DisposeBuffer(notes);
    return answer;
}

}  // namespace aldra
