// The IPTC page of the setup sheet: the data sets that can go into the notes, each switched on or off
// with Activate, Deactivate or the space bar. The page works on its own copy of the data-set table,
// which reaches the settings only when the sheet ends with OK.
#pragma once
#include <memory>

#include "base/TextBuffer.h"
#include "platform/oleui/ImageList.h"
#include "platform/oleui/ListView.h"
#include "platform/oleui/PropertyPage.h"

namespace aldra {

class CSetupANPAPropPage : public PropertyPage {
  public:
    CSetupANPAPropPage();
    ~CSetupANPAPropPage() override;

    // Takes a copy of the table; without memory for it the page shows an empty list.
    void SetData(const TextBuffer* table);
    // Copies the page's table into `table`; does nothing when the page has none. On failure `table`
    // keeps what it held.
    [[nodiscard]] Status GetData(TextBuffer* table) const;

  protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange&) override {}

  private:
    void MakeImages();
    void MakeColumns();
    void InsertItems();
    QString ItemText(int item, int column) const;
    void UpdateButtons();
    void SetSelectedFlags(bool active);
    void OnKeyDown(int key);

    QWidget* deactivate_ = nullptr;
    ListView* list_ = nullptr;
    QWidget* activate_ = nullptr;
    std::unique_ptr<ImageList> images_;
    int inactiveImage_ = -1;
    int activeImage_ = -1;
    BufferPtr table_;
};

// Column 0's text: record and data-set numbers, each right-aligned in three places ("  2:  5").
QString DataSetNumberText(uint8_t record, uint8_t dataSet);

}  // namespace aldra
