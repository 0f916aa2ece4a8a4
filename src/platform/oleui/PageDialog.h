// The modal dialog that holds property pages as tabs, shared by the property sheet and the property
// frame. A page is opened when its tab is first chosen; leaving a page whose values do not pass keeps
// its tab chosen.
#pragma once
#include <QDialog>
#include <QDialogButtonBox>
#include <QTabWidget>
#include <vector>

#include "platform/oleui/PropertyPage.h"

namespace aldra {

class PageDialog : public QDialog {
  public:
    PageDialog(const QString& caption, QWidget* parent, QDialogButtonBox::StandardButtons buttons);

    // The dialog does not own its pages.
    void AddPage(PropertyPage* page);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    PropertyPage* Page(int index) const { return pages_[static_cast<size_t>(index)]; }
    PropertyPage* ActivePage() const;
    int ActiveIndex() const { return tabs_->currentIndex(); }
    // Chooses a tab as a click would: false when the current page keeps the user.
    bool SetActivePage(int index);

    // Runs modally with `index` chosen: QDialog::Accepted for OK, Rejected for Cancel or closing.
    int Run(int index);

  protected:
    // OK: the active page is left first; false keeps the dialog open.
    virtual bool FinishWithOk() = 0;
    QDialogButtonBox* Buttons() const { return buttons_; }
    // Takes the pages out before they go, so that no page hears of the tabs closing; the dialogs that
    // own pages call this first in their destructors.
    void DetachPages();

  private:
    void OnTabChosen(int index);

    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    std::vector<PropertyPage*> pages_;
    int shownIndex_ = -1;
};

}  // namespace aldra
