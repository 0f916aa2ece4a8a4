#include "platform/oleui/PageDialog.h"

#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace aldra {

PageDialog::PageDialog(const QString& caption, QWidget* parent, QDialogButtonBox::StandardButtons buttons)
    : QDialog(parent), tabs_(new QTabWidget(this)), buttons_(new QDialogButtonBox(buttons, this)) {
    setWindowTitle(caption);
    setFont(DialogFont());
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    tabs_->setUsesScrollButtons(false);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { OnTabChosen(index); });
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (QPushButton* ok = buttons_->button(QDialogButtonBox::Ok)) {
        ok->setObjectName(QStringLiteral("ok"));
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, [this] {
            if (FinishWithOk()) accept();
        });
    }
    if (QPushButton* cancel = buttons_->button(QDialogButtonBox::Cancel)) cancel->setObjectName("cancel");
    // The system's sheets have plain text buttons, whatever the desktop's theme gives them.
    for (QAbstractButton* button : buttons_->buttons()) button->setIcon(QIcon());
}

void PageDialog::AddPage(PropertyPage* page) {
    pages_.push_back(page);
    // The tab's own margin stays out of the page, which keeps its template size.
    QSignalBlocker quiet(tabs_);
    tabs_->addTab(page, page->Caption());
}

PropertyPage* PageDialog::ActivePage() const {
    int index = tabs_->currentIndex();
    return index < 0 ? nullptr : pages_[static_cast<size_t>(index)];
}

bool PageDialog::SetActivePage(int index) {
    if (index < 0 || index >= PageCount()) return false;
    tabs_->setCurrentIndex(index);
    return tabs_->currentIndex() == index;
}

int PageDialog::Run(int index) {
    if (PageCount() == 0) return QDialog::Rejected;
    index = std::clamp(index, 0, PageCount() - 1);
    {
        QSignalBlocker quiet(tabs_);
        tabs_->setCurrentIndex(index);
    }
    shownIndex_ = index;
    pages_[static_cast<size_t>(index)]->Activate();
    return exec();
}

void PageDialog::DetachPages() {
    tabs_->blockSignals(true);
    for (PropertyPage* page : pages_) page->setParent(nullptr);
    pages_.clear();
}

void PageDialog::OnTabChosen(int index) {
    if (index == shownIndex_ || index < 0) return;
    if (shownIndex_ >= 0 && !pages_[static_cast<size_t>(shownIndex_)]->OnKillActive()) {
        QSignalBlocker quiet(tabs_);
        tabs_->setCurrentIndex(shownIndex_);
        return;
    }
    shownIndex_ = index;
    pages_[static_cast<size_t>(index)]->Activate();
}

}  // namespace aldra
