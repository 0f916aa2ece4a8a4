// The Preview page of the setup sheet: the resolution pictures are converted at, chosen from a list
// of common ones or typed ("150 dpi"); "Screen" is 0, the screen's own resolution.
#pragma once
#include <cstdint>

#include "platform/oleui/PropertyPage.h"

namespace aldra {

class CSetupPreviewPropPage : public PropertyPage {
  public:
    CSetupPreviewPropPage();

    uint32_t resolution = 0;

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

  private:
    QString resolutionText_;
};

// The number at the start of the text ("300 dpi" gives 300); 0 when it does not start with a digit.
uint32_t ResolutionOfText(const QString& text);

}  // namespace aldra
