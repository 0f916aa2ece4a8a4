#include "ui/FilterMediaOPIProperty.h"

#include "ui/DialogResources.h"

namespace aldra {

namespace {
constexpr int kDialog = 202;
constexpr uint32_t kCaption = 3;
constexpr uint32_t kNoneName = 200;
constexpr uint32_t kUnknownName = 201;
}  // namespace

// Code 1 is no OPI system; codes 3 to 8 name the systems in string order; code 2 is an OPI comment of
// an unknown system.
QString OpiSystemName(int32_t code) {
    if (code == 1) return ResourceString(kNoneName);
    if (code >= 3 && code <= 8) return ResourceString(kNoneName + static_cast<uint32_t>(code - 1));
    return ResourceString(kUnknownName);
}

CFilterMediaOPIProperty::CFilterMediaOPIProperty()
    : PropertyPage(DialogResource(kDialog), ResourceString(kCaption)) {}

void CFilterMediaOPIProperty::DoDataExchange(DataExchange& dx) {
    if (!dx.Saving()) hiResFileName_ = PropertyText(u"OPIHiResFileName");
    ExchangeText(dx, 207, hiResFileName_);
    if (dx.Saving()) return;
    opiSystem_ = PropertyLong(u"OPISystem");
    QString name = OpiSystemName(opiSystem_);
    ExchangeText(dx, 206, name);
}

}  // namespace aldra
