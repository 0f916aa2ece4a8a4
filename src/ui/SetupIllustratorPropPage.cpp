#include "ui/SetupIllustratorPropPage.h"

#include <QAbstractButton>

#include "ui/DialogResources.h"

namespace aldra {

namespace {
constexpr int kDialog = 206;
constexpr int kAddText = 225;
constexpr int kMaxText = 226;
}  // namespace

CSetupIllustratorPropPage::CSetupIllustratorPropPage()
    : PropertyPage(DialogResource(kDialog), QStringLiteral("Adobe Illustrator")) {}

bool CSetupIllustratorPropPage::OnInitDialog() {
    bool opened = PropertyPage::OnInitDialog();
    if (auto* box = ItemAs<QAbstractButton>(kAddText)) {
        connect(box, &QAbstractButton::clicked, this, [this] {
            UpdateData(true);
            EnableFields();
        });
    }
    EnableFields();
    return opened;
}

void CSetupIllustratorPropPage::DoDataExchange(DataExchange& dx) {
    ExchangeCheck(dx, kAddText, addText);
    ExchangeUnsigned(dx, kMaxText, maxText);
    ValidateUnsignedRange(dx, maxText, 0, kMaxTextLimit);
}

// Follows the check box itself: a refused number leaves the member behind the box.
void CSetupIllustratorPropPage::EnableFields() {
    auto* box = ItemAs<QAbstractButton>(kAddText);
    if (QWidget* field = Item(kMaxText)) field->setEnabled(box != nullptr && box->isChecked());
}

}  // namespace aldra
