// The dialogs' resources: templates by dialog id, bitmaps as "BITMAP" data resources, and the texts
// of the resource module in force.
#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

#include "platform/oleui/DialogTemplate.h"
#include "platform/resources/Resources.h"

namespace aldra {

// An empty template for an id there is no dialog for.
const DialogTemplate& DialogResource(int id);
const ResourceModule* DialogBitmaps();
// The bitmap file of a bitmap resource; empty when there is none.
QByteArray BitmapResource(uint32_t id);
// A string resource of the module in force, as the user reads it.
QString ResourceString(uint32_t id);

}  // namespace aldra
