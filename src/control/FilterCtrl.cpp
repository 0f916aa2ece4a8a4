#include "control/FilterCtrl.h"

#include "aldra/Guids.h"
#include "aldra/Refusals.h"
#include "control/FilterFormats.h"
#include "control/Module.h"
#include "control/QuickTest.h"
#include "control/UiHooks.h"
#include "eps/AnpaTable.h"
#include "mac/QuickTimeBinding.h"
#include "platform/com/Guarded.h"
#include "platform/resources/Resources.h"
#include "preview/ColourTables.h"
#include "preview/TextResources.h"

namespace aldra {

namespace {
constexpr uint32_t kSetupCaptionResource = 102;

bool ValidFormatIndex(int32_t index) {
    return index >= 0 && index < kFilterFormatCount;
}

HRESULT PutText(const std::string& ansi, BSTR* out) {
    BSTR text = AnsiToBstr(ansi);
    if (text == nullptr) return E_OUTOFMEMORY;
    *out = text;
    return S_OK;
}
}  // namespace

UiHooks& CurrentUiHooks() {
    static UiHooks hooks;
    return hooks;
}

CFilterCtrl::CFilterCtrl() : settings_(DefaultSettings()) {
    ModuleLock::Add();
}

CFilterCtrl::~CFilterCtrl() {
    if (windowCreated_) DestroyWindow();
    LetGoOfColourTables();
    ForgetAttachedComments();
    // Balances the start made by the first attach that managed it.
    if (quickTimeReady_) StopQuickTime();
    ModuleLock::Remove();
}

HRESULT CFilterCtrl::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__DAldraFilter) {
        *out = static_cast<IDispatch*>(this);
    } else if (iid == IID_IAldraFilterInfo) {
        *out = static_cast<IAldraFilterInfo*>(&info_);
    } else if (iid == IID_IAldraControlWindow) {
        *out = static_cast<IAldraControlWindow*>(&window_);
    } else if (iid == IID_IAldraFilterFacts || iid == IID_IAldraFilterRecord) {
        *out = static_cast<IAldraFilterRecord*>(&factsInterface_);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CFilterCtrl::AddRef() {
    return ++refCount_;
}

ULONG CFilterCtrl::Release() {
    ULONG left = --refCount_;
    if (left == 0) delete this;
    return left;
}

// Names are served by GetIDsOfNames from the compiled-in table; there is no type information to
// hand out, so none is announced.
HRESULT CFilterCtrl::GetTypeInfoCount(uint32_t* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CFilterCtrl::GetTypeInfo(uint32_t, LCID, void** info) {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
}

int CFilterCtrl::CreateWindow() {
    if (windowCreated_) return 0;
    HoldColourTables();
    // Loaded afresh even when a call before the window loaded them: this is the moment settings
    // saved by another control are taken up.
    settingsLoaded_ = false;
    if (LoadedSettings().anpa == nullptr) {
        LetGoOfColourTables();
        return -1;
    }
    windowCreated_ = true;
    return 0;
}

void CFilterCtrl::DestroyWindow() {
    settings_.anpa.reset();
    settingsLoaded_ = false;
    LetGoOfColourTables();
    windowCreated_ = false;
}

const FilterSettings& CFilterCtrl::LoadedSettings() {
    if (!settingsLoaded_) {
        LoadSettings(&settings_);
        settingsLoaded_ = true;
    }
    return settings_;
}

// The colour tables are read from the module's resources when a CMYK or Lab picture first needs
// them; holding them keeps them for every later picture.
void CFilterCtrl::HoldColourTables() {
    if (colourTablesHeld_) return;
    SetResourceModule(OwnResourceModule());
    AcquireColourTables();
    colourTablesHeld_ = true;
}

void CFilterCtrl::LetGoOfColourTables() {
    if (!colourTablesHeld_) return;
    ReleaseColourTables();
    colourTablesHeld_ = false;
}

void CFilterCtrl::RaiseFilterMessage(const std::string& text) {
    throw DispatchException{DISP_E_EXCEPTION, kFilterMessageCode, u"", AnsiToUtf16(text)};
}

// The host reads an unreadable file from the exception's code, as the public header names it.
static_assert(CodeOf(kErrFormat) == kUnreadableFileCode);

void CFilterCtrl::RaiseFilterError(Status status) {
    // Every code fits the exception's 16-bit code field.
    throw DispatchException{DISP_E_EXCEPTION, static_cast<uint16_t>(CodeOf(status)), u"", u""};
}

std::string CFilterCtrl::QuickTest(const std::string& filename, const VARIANT* buffer) {
    isIllustrator_ = false;
    isDosEpsBinary_ = false;
    const VARIANT* v = buffer;
    if (v != nullptr && v->vt == (VT_BYREF | VT_VARIANT)) v = v->pvarVal;
    if (v == nullptr || (v->vt != (VT_ARRAY | VT_UI1) && v->vt != (VT_ARRAY | VT_UI1 | VT_BYREF))) return "";
    SAFEARRAY* array = (v->vt & VT_BYREF) ? *reinterpret_cast<SAFEARRAY**>(v->byref) : v->parray;
    if (array == nullptr || SafeArrayGetDim(array) != 1) return "";
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return "";
    size_t size = static_cast<size_t>(array->rgsabound[0].cElements) * SafeArrayGetElemsize(array);
    QuickTestResult result = QuickTestFile(filename, static_cast<const uint8_t*>(data), size);
    SafeArrayUnaccessData(array);
    isDosEpsBinary_ = result.isDosEpsBinary;
    isIllustrator_ = result.isIllustrator;
    if (result.formatRow == kNoFormat) return "";
    return ResourceText(kFilterFormats[result.formatRow].nameResource);
}

std::string CFilterCtrl::GetDefaultExtension() {
    return kFilterFormats[isIllustrator_ ? kIllustratorFormatRow : kEpsFormatRow].extension;
}

// The filter has settings to set up, whether or not the sheet can be shown at this moment; Setup
// answers a sheet that cannot be shown as one the user cancelled.
bool CFilterCtrl::HasSetup() {
    return true;
}

// TRUE whether the user confirmed or cancelled; a sheet that could not be shown, or a copy that
// could not be made, changes nothing and writes nothing.
bool CFilterCtrl::Setup() {
    LoadUiModule();
    UiHooks& hooks = CurrentUiHooks();
    if (hooks.runSetupSheet == nullptr) return true;
    FilterSettings edited;
    if (LoadedSettings().Clone(&edited) != kOk) return true;
    if (hooks.runSetupSheet(ResourceText(kSetupCaptionResource), &edited)) {
        settings_ = std::move(edited);
        SaveSettings(settings_);
    }
    return true;
}

// The pages live in the dialogs module; without it the property frame cannot be shown, which is
// the frame's failure.
bool CFilterCtrl::ShowProperties() {
    LoadUiModule();
    UiHooks& hooks = CurrentUiHooks();
    if (hooks.showPropertyFrame == nullptr) return false;
    return SUCCEEDED(hooks.showPropertyFrame(this));
}

void CFilterCtrl::AboutBox() {
    if (CurrentUiHooks().showAboutBox != nullptr) CurrentUiHooks().showAboutBox();
}

// IAldraFilterInfo: a bad index gives E_FAIL and leaves the output as it was.

HRESULT CFilterCtrl::FilterInfo::GetFilterName(BSTR* pbsFilterName) {
    return Guarded([&] {
        if (pbsFilterName == nullptr) return E_POINTER;
        return PutText("Aldra EPS Filter", pbsFilterName);
    });
}

HRESULT CFilterCtrl::FilterInfo::GetFilterVersion(int32_t* plVersion) {
    return Guarded([&] {
        if (plVersion == nullptr) return E_POINTER;
        *plVersion = static_cast<int32_t>(kFilterVersion);
        return S_OK;
    });
}

HRESULT CFilterCtrl::FilterInfo::CountFormats(int32_t* plNumEntries) {
    return Guarded([&] {
        if (plNumEntries == nullptr) return E_POINTER;
        *plNumEntries = kFilterFormatCount;
        return S_OK;
    });
}

HRESULT CFilterCtrl::FilterInfo::GetIndExtension(int32_t lIndex, BSTR* pbsExtension) {
    return Guarded([&] {
        if (!ValidFormatIndex(lIndex)) return E_FAIL;
        if (pbsExtension == nullptr) return E_POINTER;
        return PutText(kFilterFormats[lIndex].extension, pbsExtension);
    });
}

HRESULT CFilterCtrl::FilterInfo::GetIndFormat(int32_t lIndex, BSTR* pbsFormat) {
    return Guarded([&] {
        if (!ValidFormatIndex(lIndex)) return E_FAIL;
        if (pbsFormat == nullptr) return E_POINTER;
        return PutText(ResourceText(kFilterFormats[lIndex].nameResource), pbsFormat);
    });
}

HRESULT CFilterCtrl::FilterInfo::GetIndNeedsExtension(int32_t lIndex, VARIANT_BOOL* pbNeedsExtension) {
    return Guarded([&] {
        if (!ValidFormatIndex(lIndex)) return E_FAIL;
        if (pbNeedsExtension == nullptr) return E_POINTER;
        *pbNeedsExtension = kFilterFormats[lIndex].needsExtension ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT CFilterCtrl::FilterInfo::GetIndDefaultBitmap(int32_t lIndex, BSTR* pbsPathName) {
    return Guarded([&] {
        if (!ValidFormatIndex(lIndex)) return E_FAIL;
        if (pbsPathName == nullptr) return E_POINTER;
        return PutText(kFilterFormats[lIndex].defaultBitmap, pbsPathName);
    });
}

HRESULT CFilterCtrl::FilterInfo::GetIndDefaultMacType(int32_t lIndex, BSTR* pbsFileType) {
    return Guarded([&] {
        if (!ValidFormatIndex(lIndex)) return E_FAIL;
        if (pbsFileType == nullptr) return E_POINTER;
        return PutText(kFilterFormats[lIndex].defaultMacType, pbsFileType);
    });
}

HRESULT CFilterCtrl::FilterInfo::GetIndDefaultMacSignature(int32_t lIndex, BSTR* pbsSignature) {
    return Guarded([&] {
        if (!ValidFormatIndex(lIndex)) return E_FAIL;
        if (pbsSignature == nullptr) return E_POINTER;
        return PutText(kFilterFormats[lIndex].defaultMacSignature, pbsSignature);
    });
}

}  // namespace aldra
