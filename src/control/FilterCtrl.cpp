#include "control/FilterCtrl.h"

#include "aldra/Guids.h"
#include "aldra/Refusals.h"
#include "control/FilterFormats.h"
#include "control/Module.h"
#include "control/QuickTest.h"
#include "control/UiHooks.h"
#include "eps/AnpaTable.h"
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
    *out = AnsiToBstr(ansi);
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
    ForgetAttachedComments();
    // QuickTime is started by the first successful attach; its stop is balanced here once the
    // resource-fork reader exists.
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

HRESULT CFilterCtrl::GetTypeInfoCount(uint32_t* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT CFilterCtrl::GetTypeInfo(uint32_t, LCID, void** info) {
    // Names are served by GetIDsOfNames from the compiled-in table; there is no type-info object.
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}

int CFilterCtrl::CreateWindow() {
    if (windowCreated_) return 0;
    SetResourceModule(OwnResourceModule());
    AcquireColourTables();
    if (settings_.anpa == nullptr && NewBuffer(2, &settings_.anpa) != kOk) {
        ReleaseColourTables();
        return -1;
    }
    LoadSettings(&settings_);
    windowCreated_ = true;
    return 0;
}

void CFilterCtrl::DestroyWindow() {
    DisposeBuffer(settings_.anpa);
    settings_.anpa = nullptr;
    ReleaseColourTables();
    windowCreated_ = false;
}

void CFilterCtrl::RaiseFilterMessage(const std::string& text) {
    throw DispatchException{DISP_E_EXCEPTION, kFilterMessageCode, u"", AnsiToUtf16(text)};
}

void CFilterCtrl::RaiseFilterError(uint32_t status) {
    throw DispatchException{DISP_E_EXCEPTION, static_cast<uint16_t>(status & 0xFFFF), u"", u""};
}

std::string CFilterCtrl::QuickTest(const std::string&, const VARIANT* buffer) {
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
    QuickTestResult result = QuickTestBytes(static_cast<const uint8_t*>(data), size);
    SafeArrayUnaccessData(array);
    isDosEpsBinary_ = result.isDosEpsBinary;
    isIllustrator_ = result.isIllustrator;
    if (result.formatRow == kNoFormat) return "";
    return ResourceText(kFilterFormats[result.formatRow].nameResource);
}

std::string CFilterCtrl::GetDefaultExtension() {
    return kFilterFormats[isIllustrator_ ? kIllustratorFormatRow : kEpsFormatRow].extension;
}

bool CFilterCtrl::HasSetup() {
    return true;
}

bool CFilterCtrl::Setup() {
    UiHooks& hooks = CurrentUiHooks();
    if (hooks.runSetupSheet == nullptr) return true;
    FilterSettings edited = settings_;
    edited.anpa = nullptr;
    if (settings_.anpa != nullptr && DuplicateBuffer(settings_.anpa, &edited.anpa) != kOk) return true;
    if (hooks.runSetupSheet(ResourceText(kSetupCaptionResource), &edited)) {
        DisposeBuffer(settings_.anpa);
        settings_ = edited;
        SaveSettings(settings_);
    } else {
        DisposeBuffer(edited.anpa);
    }
    return true;
}

bool CFilterCtrl::ShowProperties() {
    UiHooks& hooks = CurrentUiHooks();
    if (hooks.showPropertyFrame == nullptr) return true;
    return SUCCEEDED(hooks.showPropertyFrame(this));
}

void CFilterCtrl::AboutBox() {
    if (CurrentUiHooks().showAboutBox != nullptr) CurrentUiHooks().showAboutBox();
}

// IAldraFilterInfo: a bad index gives E_FAIL and leaves the output as it was.

HRESULT CFilterCtrl::FilterInfo::GetFilterName(BSTR* pbsFilterName) {
    if (pbsFilterName == nullptr) return E_POINTER;
    return PutText("Aldra EPS Filter", pbsFilterName);
}

HRESULT CFilterCtrl::FilterInfo::GetFilterVersion(int32_t* plVersion) {
    if (plVersion == nullptr) return E_POINTER;
    *plVersion = static_cast<int32_t>(kFilterVersion);
    return S_OK;
}

HRESULT CFilterCtrl::FilterInfo::CountFormats(int32_t* plNumEntries) {
    if (plNumEntries == nullptr) return E_POINTER;
    *plNumEntries = kFilterFormatCount;
    return S_OK;
}

HRESULT CFilterCtrl::FilterInfo::GetIndExtension(int32_t lIndex, BSTR* pbsExtension) {
    if (!ValidFormatIndex(lIndex)) return E_FAIL;
    if (pbsExtension == nullptr) return E_POINTER;
    return PutText(kFilterFormats[lIndex].extension, pbsExtension);
}

HRESULT CFilterCtrl::FilterInfo::GetIndFormat(int32_t lIndex, BSTR* pbsFormat) {
    if (!ValidFormatIndex(lIndex)) return E_FAIL;
    if (pbsFormat == nullptr) return E_POINTER;
    return PutText(ResourceText(kFilterFormats[lIndex].nameResource), pbsFormat);
}

HRESULT CFilterCtrl::FilterInfo::GetIndNeedsExtension(int32_t lIndex, VARIANT_BOOL* pbNeedsExtension) {
    if (!ValidFormatIndex(lIndex)) return E_FAIL;
    if (pbNeedsExtension == nullptr) return E_POINTER;
    *pbNeedsExtension = kFilterFormats[lIndex].needsExtension ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CFilterCtrl::FilterInfo::GetIndDefaultBitmap(int32_t lIndex, BSTR* pbsPathName) {
    if (!ValidFormatIndex(lIndex)) return E_FAIL;
    if (pbsPathName == nullptr) return E_POINTER;
    return PutText(kFilterFormats[lIndex].defaultBitmap, pbsPathName);
}

HRESULT CFilterCtrl::FilterInfo::GetIndDefaultMacType(int32_t lIndex, BSTR* pbsFileType) {
    if (!ValidFormatIndex(lIndex)) return E_FAIL;
    if (pbsFileType == nullptr) return E_POINTER;
    return PutText(kFilterFormats[lIndex].defaultMacType, pbsFileType);
}

HRESULT CFilterCtrl::FilterInfo::GetIndDefaultMacSignature(int32_t lIndex, BSTR* pbsSignature) {
    if (!ValidFormatIndex(lIndex)) return E_FAIL;
    if (pbsSignature == nullptr) return E_POINTER;
    return PutText(kFilterFormats[lIndex].defaultMacSignature, pbsSignature);
}

}  // namespace aldra
