// The setup sheet: the filter's settings on four pages (Preview, OPI, IPTC, Adobe Illustrator). Values
// go to the pages before the sheet is shown and come back only when the user leaves it with OK.
#pragma once
#include "control/FilterSettings.h"
#include "platform/oleui/PropertySheet.h"
#include "ui/SetupANPAPropPage.h"
#include "ui/SetupIllustratorPropPage.h"
#include "ui/SetupOPIPropPage.h"
#include "ui/SetupPreviewPropPage.h"

namespace aldra {

class CSetupPropertySheet : public CPropertySheet {
  public:
    explicit CSetupPropertySheet(const QString& caption);
    ~CSetupPropertySheet() override { DetachPages(); }

    void SetData(const FilterSettings& settings);
    // The pages' values, in the settings' order; the data-set table is copied into the settings' own.
    // Without memory for the table the settings keep their table and take the other values.
    [[nodiscard]] Status GetData(FilterSettings* settings) const;

    CSetupPreviewPropPage previewPage;
    CSetupOPIPropPage opiPage;
    CSetupANPAPropPage anpaPage;
    CSetupIllustratorPropPage illustratorPage;
};

// Runs the sheet on `edited`; true when the user left it with OK (the values are then in `edited`).
// False, with nothing changed, when no dialog can be shown.
bool RunSetupSheet(const std::string& caption, FilterSettings* edited);

}  // namespace aldra
