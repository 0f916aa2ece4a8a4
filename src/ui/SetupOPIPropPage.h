// The OPI page of the setup sheet: how Helios EtherShare OPI and Luminous Color Central files are
// catalogued. Fields that a switched-off system does not use are disabled.
#pragma once
#include "platform/oleui/PropertyPage.h"

namespace aldra {

class CSetupOPIPropPage : public PropertyPage {
  public:
    CSetupOPIPropPage();

    bool heliosAware = true;
    QString heliosLayoutExtension;
    int heliosLayoutsOnly = 0;  // radio index: 0 high-resolution files only, 1 layout files only
    bool ccAware = true;
    bool ccNotesFromHiRes = true;
    bool ccKeywordsFromHiRes = true;
    bool addCcCategory = true;
    QString ccCategory;

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

  private:
    void OnSwitchClicked();
    void EnableFields();
};

}  // namespace aldra
