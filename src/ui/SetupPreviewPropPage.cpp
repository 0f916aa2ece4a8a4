#include "ui/SetupPreviewPropPage.h"

#include <QComboBox>

#include "ui/DialogResources.h"

namespace aldra {

namespace {
constexpr int kDialog = 106;
constexpr int kResolutionCombo = 218;
}  // namespace

uint32_t ResolutionOfText(const QString& text) {
    uint64_t value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') break;
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c.unicode() - u'0'), UINT32_MAX);
    }
    return static_cast<uint32_t>(value);
}

CSetupPreviewPropPage::CSetupPreviewPropPage()
    : PropertyPage(DialogResource(kDialog), QStringLiteral("Preview")) {}

// A stored resolution selects the first item that starts with its number and a space, so that 7 does
// not choose "72 dpi". One that matches no item (typed earlier) is shown as typed.
bool CSetupPreviewPropPage::OnInitDialog() {
    bool opened = PropertyPage::OnInitDialog();
    auto* combo = ItemAs<QComboBox>(kResolutionCombo);
    if (combo == nullptr) return opened;
    if (resolution == 0) {
        resolutionText_ = combo->itemText(0);
        combo->setCurrentIndex(0);
        return opened;
    }
    QString prefix = QString::number(resolution) + u' ';
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).startsWith(prefix)) {
            combo->setCurrentIndex(i);
            return opened;
        }
    }
    combo->setCurrentIndex(-1);
    combo->setEditText(prefix + QStringLiteral("dpi"));
    return opened;
}

void CSetupPreviewPropPage::DoDataExchange(DataExchange& dx) {
    ExchangeComboText(dx, kResolutionCombo, resolutionText_);
    if (dx.Saving()) resolution = ResolutionOfText(resolutionText_);
}

}  // namespace aldra
