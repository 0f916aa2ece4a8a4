// Thumbnails and conversions of the attached file. The preview chains answer here; a file for which
// no source can draw a picture is refused with 2020.
#include "control/FilterCtrl.h"

namespace aldra {

namespace {
constexpr uint32_t kNoPicture = 2020;
}  // namespace

IDispatch* CFilterCtrl::GetThumbnail(int32_t, int32_t, bool) {
    RaiseFilterError(kNoPicture);
}

bool CFilterCtrl::ConvertTo(const std::string&, const std::string&) {
    RaiseFilterError(kNoPicture);
}

bool CFilterCtrl::ConvertToSize(const std::string&, const std::string&, int32_t, int32_t) {
    RaiseFilterError(kNoPicture);
}

}  // namespace aldra
