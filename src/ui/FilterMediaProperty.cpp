#include "ui/FilterMediaProperty.h"

#include "ui/DialogResources.h"
#include "ui/ListText.h"

namespace aldra {

namespace {
constexpr int kDialog = 203;
constexpr uint32_t kCaption = 2;
constexpr uint32_t kFirstTypeName = 300;  // EPS, DCS, ICS for codes 1 to 3
}  // namespace

QString EpsTypeName(int32_t code) {
    if (code < 1 || code > 3) return QString();
    return ResourceString(kFirstTypeName + static_cast<uint32_t>(code - 1));
}

CFilterMediaProperty::CFilterMediaProperty()
    : PropertyPage(DialogResource(kDialog), ResourceString(kCaption)) {}

void CFilterMediaProperty::DoDataExchange(DataExchange& dx) {
    colours_ = ItemAs<ListBox>(204);
    fonts_ = ItemAs<ListBox>(203);
    if (!dx.Saving()) {
        epsfVersion_ = PropertyText(u"EPSFVersion");
        postScriptVersion_ = PropertyText(u"PostScriptVersion");
    }
    ExchangeText(dx, 202, epsfVersion_);
    ExchangeText(dx, 201, postScriptVersion_);
    if (dx.Saving()) return;
    QString fonts = PropertyText(u"Fonts");
    QString colours = PropertyText(u"Colors");
    epsTypeCode_ = PropertyLong(u"EPSFType");
    if (colours_ != nullptr) colours_->ResetContent();
    AddListPieces(colours_, colours);
    if (fonts_ != nullptr) fonts_->ResetContent();
    AddListPieces(fonts_, fonts);
    // A code without a name leaves the text as it was.
    QString name = EpsTypeName(epsTypeCode_);
    if (!name.isEmpty()) epsType_ = name;
    ExchangeText(dx, 205, epsType_);
}

}  // namespace aldra
