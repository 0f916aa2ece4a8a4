#include "ui/PropertyFrameEntry.h"

#include "aldra/Guids.h"
#include "control/FilterCtrl.h"
#include "platform/com/Ansi.h"
#include "platform/oleui/PropertyFrame.h"
#include "platform/resources/Resources.h"
#include "ui/FilterMediaLinksProperties.h"
#include "ui/FilterMediaOPIProperty.h"
#include "ui/FilterMediaProperty.h"

namespace aldra {

namespace {
constexpr uint32_t kControlName = 1;
}  // namespace

void RegisterFilterPropertyPages() {
    RegisterPropertyPageClass(CLSID_FilterMediaProperty, &CFilterMediaProperty::Create);
    RegisterPropertyPageClass(CLSID_FilterMediaOPIProperty, &CFilterMediaOPIProperty::Create);
    RegisterPropertyPageClass(CLSID_FilterMediaLinksProperties, &CFilterMediaLinksProperties::Create);
}

HRESULT ShowFilterPropertyFrame(CFilterCtrl* control) {
    if (control == nullptr) return E_POINTER;
    const CLSID pages[] = {CLSID_FilterMediaProperty, CLSID_FilterMediaOPIProperty,
                           CLSID_FilterMediaLinksProperties};
    IUnknown* objects[] = {static_cast<IDispatch*>(control)};
    std::u16string caption = AnsiToUtf16(ResourceText(kControlName));
    return OleCreatePropertyFrame(nullptr, 0, 0, caption.c_str(), 1, objects, 3, pages, 0);
}

}  // namespace aldra
