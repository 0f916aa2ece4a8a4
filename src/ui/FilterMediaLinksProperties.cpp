#include "ui/FilterMediaLinksProperties.h"

#include "ui/DialogResources.h"
#include "ui/ListText.h"

namespace aldra {

namespace {
constexpr int kDialog = 205;
constexpr uint32_t kCaption = 4;
}  // namespace

CFilterMediaLinksProperties::CFilterMediaLinksProperties()
    : PropertyPage(DialogResource(kDialog), ResourceString(kCaption)) {}

// Emptied first, so that a second exchange does not list the files twice.
void CFilterMediaLinksProperties::DoDataExchange(DataExchange& dx) {
    if (dx.Saving()) return;
    QString links = PropertyText(u"Links");
    links_ = ItemAs<ListBox>(205);
    if (links_ != nullptr) links_->ResetContent();
    AddListPieces(links_, links);
}

}  // namespace aldra
