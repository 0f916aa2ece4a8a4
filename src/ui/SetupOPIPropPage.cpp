#include "ui/SetupOPIPropPage.h"

#include <QCheckBox>

#include "ui/DialogResources.h"

namespace aldra {

namespace {
constexpr int kDialog = 102;
constexpr int kHeliosAware = 212;
constexpr int kLayoutExtension = 222;
constexpr int kHiResOnly = 223;
constexpr int kLayoutsOnly = 224;
constexpr int kCcAware = 232;
constexpr int kNotesFromHiRes = 230;
constexpr int kKeywordsFromHiRes = 231;
constexpr int kAddCategory = 220;
constexpr int kCategory = 221;
}  // namespace

CSetupOPIPropPage::CSetupOPIPropPage() : PropertyPage(DialogResource(kDialog), QStringLiteral("OPI")) {}

bool CSetupOPIPropPage::OnInitDialog() {
    bool opened = PropertyPage::OnInitDialog();
    for (int id : {kHeliosAware, kCcAware, kAddCategory})
        if (auto* box = ItemAs<QCheckBox>(id))
            connect(box, &QCheckBox::clicked, this, [this] { OnSwitchClicked(); });
    EnableFields();
    return opened;
}

void CSetupOPIPropPage::DoDataExchange(DataExchange& dx) {
    ExchangeCheck(dx, kHeliosAware, heliosAware);
    ExchangeText(dx, kLayoutExtension, heliosLayoutExtension);
    ExchangeRadio(dx, {kHiResOnly, kLayoutsOnly}, heliosLayoutsOnly);
    ExchangeCheck(dx, kCcAware, ccAware);
    ExchangeCheck(dx, kNotesFromHiRes, ccNotesFromHiRes);
    ExchangeCheck(dx, kKeywordsFromHiRes, ccKeywordsFromHiRes);
    ExchangeCheck(dx, kAddCategory, addCcCategory);
    ExchangeText(dx, kCategory, ccCategory);
}

void CSetupOPIPropPage::OnSwitchClicked() {
    UpdateData(true);
    EnableFields();
}

void CSetupOPIPropPage::EnableFields() {
    for (int id : {kLayoutExtension, kHiResOnly, kLayoutsOnly})
        if (QWidget* field = Item(id)) field->setEnabled(heliosAware);
    for (int id : {kNotesFromHiRes, kKeywordsFromHiRes, kAddCategory})
        if (QWidget* field = Item(id)) field->setEnabled(ccAware);
    if (QWidget* field = Item(kCategory)) field->setEnabled(ccAware && addCcCategory);
}

}  // namespace aldra
