// A modal property sheet with OK and Cancel, as the framework's property sheet: its owner adds the
// pages, runs it, and on OK reads the values back from the pages' members.
#pragma once
#include "platform/oleui/PageDialog.h"

namespace aldra {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class CPropertySheet : public PageDialog {
  public:
    CPropertySheet(const QString& caption, QWidget* parent, int selectPage);
    // Sheets that own their pages as members call DetachPages in their own destructors.
    // IDOK or IDCANCEL.
    int DoModal();

  protected:
    bool FinishWithOk() override;

  private:
    int selectPage_;
};

}  // namespace aldra
