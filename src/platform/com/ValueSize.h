// Storage size of one value of a base VARTYPE, as an array element or behind a VT_BYREF pointer.
// Shared by the VARIANT and SAFEARRAY code; 0 means the type holds no value of its own.
#pragma once
#include <cstdint>

#include "platform/com/Variant.h"

namespace aldra {

inline uint32_t ValueSize(VARTYPE base) {
    switch (base) {
        case VT_I1:
        case VT_UI1:
            return 1;
        case VT_I2:
        case VT_UI2:
        case VT_BOOL:
            return 2;
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
        case VT_ERROR:
        case VT_R4:
            return 4;
        case VT_R8:
            return 8;
        case VT_BSTR:
            return sizeof(BSTR);
        case VT_UNKNOWN:
        case VT_DISPATCH:
            return sizeof(IUnknown*);
        case VT_VARIANT:
            return sizeof(VARIANT);
        default:
            return 0;
    }
}

}  // namespace aldra
