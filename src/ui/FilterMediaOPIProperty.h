// The OPI page of a file's properties: the OPI system the file belongs to and the high-resolution file
// its OPI comment names. The page changes nothing.
#pragma once
#include "platform/oleui/PropertyPage.h"

namespace aldra {

class CFilterMediaOPIProperty : public PropertyPage {
  public:
    CFilterMediaOPIProperty();
    static PropertyPage* Create() { return new CFilterMediaOPIProperty(); }

  protected:
    void DoDataExchange(DataExchange& dx) override;

  private:
    QString hiResFileName_;
    int32_t opiSystem_ = 1;
};

// The OPI system's name; "Unknown" for codes without one.
QString OpiSystemName(int32_t code);

}  // namespace aldra
