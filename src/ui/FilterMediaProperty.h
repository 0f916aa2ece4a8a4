// The first page of a file's properties: PostScript and EPSF versions, the EPS type, fonts and colours,
// read from the control's properties. The page changes nothing.
#pragma once
#include "platform/oleui/ListBox.h"
#include "platform/oleui/PropertyPage.h"

namespace aldra {

class CFilterMediaProperty : public PropertyPage {
  public:
    CFilterMediaProperty();
    static PropertyPage* Create() { return new CFilterMediaProperty(); }

  protected:
    void DoDataExchange(DataExchange& dx) override;

  private:
    ListBox* colours_ = nullptr;
    ListBox* fonts_ = nullptr;
    QString epsfVersion_;
    QString postScriptVersion_;
    QString epsType_;
    int32_t epsTypeCode_ = 0;
};

// The name of an EPS type code; empty for a code that has none.
QString EpsTypeName(int32_t code);

}  // namespace aldra
