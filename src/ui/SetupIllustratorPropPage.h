// The Adobe Illustrator page of the setup sheet: whether a drawing's text goes into the notes, and how
// much of it (0 to 32000 characters).
#pragma once
#include <cstdint>

#include "platform/oleui/PropertyPage.h"

namespace aldra {

inline constexpr uint32_t kMaxTextLimit = 32000;

class CSetupIllustratorPropPage : public PropertyPage {
  public:
    CSetupIllustratorPropPage();

    bool addText = false;
    uint32_t maxText = 16000;

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

  private:
    void EnableFields();
};

}  // namespace aldra
