#include "platform/oleui/ListBox.h"

namespace aldra {

ListBox::ListBox(QWidget* parent, bool sorted) : QListWidget(parent), sorted_(sorted) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

int ListBox::AddString(const QString& text) {
    int index = count();
    if (sorted_) {
        index = 0;
        while (index < count() && QString::compare(item(index)->text(), text, Qt::CaseInsensitive) <= 0)
            ++index;
    }
    insertItem(index, text);
    return index;
}

QString ListBox::GetText(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry ? entry->text() : QString();
}

}  // namespace aldra
