#include "ui/ListText.h"

namespace aldra {

void AddListPieces(ListBox* list, const QString& text) {
    if (list == nullptr) return;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\n' && text[i] != u'\r' && text[i] != u'\t') continue;
        if (i > start) list->AddString(text.mid(start, i - start));
        start = i + 1;
    }
}

}  // namespace aldra
