#include "platform/oleui/ListView.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>

namespace aldra {

class ListViewModel : public QAbstractTableModel {
  public:
    explicit ListViewModel(ListView* view) : view_(view) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(images_.size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(headings_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::DisplayRole && view_->onGetItemText)
            return view_->onGetItemText(index.row(), index.column());
        if (role == Qt::DecorationRole && index.column() == 0 && images != nullptr) {
            QPixmap image = images->Image(images_[static_cast<size_t>(index.row())]);
            if (!image.isNull()) return image;
        }
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        if (section < 0 || section >= columnCount({})) return {};
        return headings_[static_cast<size_t>(section)];
    }

    int InsertColumn(int column, const QString& heading) {
        column = std::clamp(column, 0, columnCount({}));
        beginInsertColumns({}, column, column);
        headings_.insert(headings_.begin() + column, heading);
        endInsertColumns();
        return column;
    }
    int InsertItem(int row, int image) {
        row = std::clamp(row, 0, rowCount({}));
        beginInsertRows({}, row, row);
        images_.insert(images_.begin() + row, image);
        endInsertRows();
        return row;
    }
    bool SetImage(int row, int image) {
        if (row < 0 || row >= rowCount({})) return false;
        images_[static_cast<size_t>(row)] = image;
        emit dataChanged(index(row, 0), index(row, 0), {Qt::DecorationRole});
        return true;
    }
    int Image(int row) const {
        return row >= 0 && row < rowCount({}) ? images_[static_cast<size_t>(row)] : -1;
    }

    const ImageList* images = nullptr;

  private:
    ListView* view_;
    std::vector<QString> headings_;
    std::vector<int> images_;
};

ListView::ListView(QWidget* parent) : QTreeView(parent), model_(std::make_unique<ListViewModel>(this)) {
    setModel(model_.get());
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                if (!onItemChanged) return;
                for (const QModelIndex& index : selected.indexes())
                    if (index.column() == 0) onItemChanged(index.row());
                for (const QModelIndex& index : deselected.indexes())
                    if (index.column() == 0) onItemChanged(index.row());
            });
}

ListView::~ListView() {
    setModel(nullptr);
}

void ListView::SetSmallImageList(const ImageList* images) {
    model_->images = images;
    if (images != nullptr) setIconSize(images->ImageSize());
    viewport()->update();
}

int ListView::InsertColumn(int column, const QString& heading, int width) {
    column = model_->InsertColumn(column, heading);
    setColumnWidth(column, width);
    return column;
}

int ListView::GetColumnWidth(int column) const {
    return columnWidth(column);
}

void ListView::SetColumnWidth(int column, int width) {
    setColumnWidth(column, width);
}

int ListView::InsertItem(int index, int image) {
    return model_->InsertItem(index, image);
}

int ListView::GetItemCount() const {
    return model_->rowCount({});
}

void ListView::SetItemImage(int item, int image) {
    if (model_->SetImage(item, image) && onItemChanged) onItemChanged(item);
}

int ListView::GetItemImage(int item) const {
    return model_->Image(item);
}

void ListView::SetItemFocus(int item) {
    if (item >= 0 && item < GetItemCount())
        selectionModel()->setCurrentIndex(model_->index(item, 0), QItemSelectionModel::NoUpdate);
}

bool ListView::IsItemSelected(int item) const {
    return selectionModel()->isRowSelected(item, {});
}

void ListView::SetItemSelected(int item, bool selected) {
    if (item < 0 || item >= GetItemCount()) return;
    selectionModel()->select(
        model_->index(item, 0),
        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows);
}

int ListView::GetNextSelectedItem(int after) const {
    for (int item = std::max(after + 1, 0); item < GetItemCount(); ++item)
        if (IsItemSelected(item)) return item;
    return -1;
}

int ListView::GetSelectedCount() const {
    return static_cast<int>(selectionModel()->selectedRows().size());
}

int ListView::GetStringWidth(const QString& text) const {
    return fontMetrics().horizontalAdvance(text);
}

// The owner hears of every key first. The space bar belongs to the owner, who switches the
// selected items with it; the list does not also change its selection.
void ListView::keyPressEvent(QKeyEvent* event) {
    if (onKeyDown) onKeyDown(event->key());
    if (event->key() == Qt::Key_Space) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

}  // namespace aldra
