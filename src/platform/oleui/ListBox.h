// A list box. A sorted one keeps its items in the order the system's list boxes use: compared without
// regard to case, a new item going behind its equals.
#pragma once
#include <QListWidget>

namespace aldra {

class ListBox : public QListWidget {
  public:
    ListBox(QWidget* parent, bool sorted);
    // The item's index.
    int AddString(const QString& text);
    void ResetContent() { clear(); }
    int GetCount() const { return count(); }
    QString GetText(int index) const;

  private:
    bool sorted_;
};

}  // namespace aldra
