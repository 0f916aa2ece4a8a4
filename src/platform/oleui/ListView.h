// A list view in report view: columns with headings, one row per item with a small image, and texts
// the owner supplies when the view asks for them, as the system's list views do for items whose text
// is left to a callback. Several items may be selected; the selection stays visible without focus.
#pragma once
#include <QTreeView>
#include <functional>
#include <memory>
#include <vector>

#include "platform/oleui/ImageList.h"

namespace aldra {

class ListViewModel;

class ListView : public QTreeView {
  public:
    explicit ListView(QWidget* parent);
    ~ListView() override;

    // What the owner answers: an item's text on request, the news that an item changed (its
    // selection or image) and a key pressed in the list, before the list acts on it.
    std::function<QString(int item, int column)> onGetItemText;
    std::function<void(int item)> onItemChanged;
    std::function<void(int key)> onKeyDown;

    void SetSmallImageList(const ImageList* images);
    int InsertColumn(int column, const QString& heading, int width);
    int GetColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    // Items take their text from the owner; the index of the new item.
    int InsertItem(int index, int image);
    int GetItemCount() const;
    void SetItemImage(int item, int image);
    int GetItemImage(int item) const;
    void SetItemFocus(int item);
    bool IsItemSelected(int item) const;
    void SetItemSelected(int item, bool selected);
    // The first selected item after `after` (-1: from the start), -1 when there is none.
    int GetNextSelectedItem(int after) const;
    int GetSelectedCount() const;
    // The width of a text in the list's font.
    int GetStringWidth(const QString& text) const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::unique_ptr<ListViewModel> model_;
};

}  // namespace aldra
