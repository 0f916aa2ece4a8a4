// The placed-files page of a file's properties: the documents the file places, read from the control's
// Links property. The page changes nothing.
#pragma once
#include "platform/oleui/ListBox.h"
#include "platform/oleui/PropertyPage.h"

namespace aldra {

class CFilterMediaLinksProperties : public PropertyPage {
  public:
    CFilterMediaLinksProperties();
    static PropertyPage* Create() { return new CFilterMediaLinksProperties(); }

  protected:
    void DoDataExchange(DataExchange& dx) override;

  private:
    ListBox* links_ = nullptr;
};

}  // namespace aldra
