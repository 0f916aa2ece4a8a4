// Lists that the control hands over as one text (fonts, colours, placed files) shown in a list box.
#pragma once
#include <QString>

#include "platform/oleui/ListBox.h"

namespace aldra {

// Adds every non-empty piece of the text, cut at line feeds, carriage returns and tabs.
void AddListPieces(ListBox* list, const QString& text);

}  // namespace aldra
