#include "platform/oleui/PropertySheet.h"

namespace aldra {

CPropertySheet::CPropertySheet(const QString& caption, QWidget* parent, int selectPage)
    : PageDialog(caption, parent, QDialogButtonBox::Ok | QDialogButtonBox::Cancel), selectPage_(selectPage) {
    setObjectName(QStringLiteral("propertySheet"));
}

int CPropertySheet::DoModal() {
    return Run(selectPage_) == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool CPropertySheet::FinishWithOk() {
    PropertyPage* active = ActivePage();
    if (active != nullptr && !active->OnKillActive()) return false;
    for (int i = 0; i < PageCount(); ++i)
        if (Page(i)->IsCreated()) Page(i)->OnOK();
    return true;
}

}  // namespace aldra
