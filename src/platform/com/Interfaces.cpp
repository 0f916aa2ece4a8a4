#include "platform/com/Interfaces.h"

#include "platform/com/Bstr.h"

namespace aldra {

void ClearExcepInfo(EXCEPINFO* info) {
    if (info == nullptr) return;
    SysFreeString(info->bstrSource);
    SysFreeString(info->bstrDescription);
    SysFreeString(info->bstrHelpFile);
    *info = EXCEPINFO{};
}

}  // namespace aldra
