// Dialog templates kept as data: each control with its kind, identifier, text (ANSI, with its "&"
// mnemonic), position and size in dialog units and style, built into child widgets of a page. Every
// control with an identifier carries it as its object name, so that code and tests find it by number.
#pragma once
#include <QString>
#include <QWidget>
#include <cstdint>
#include <span>

#include "platform/oleui/DialogUnits.h"

namespace aldra {

enum class ControlKind {
    Label,
    Edit,
    MultiLineEdit,
    ListBox,
    DropDownCombo,
    CheckBox,
    RadioButton,
    GroupBox,
    PushButton,
    ListView
};

inline constexpr int kStaticId = -1;

// Style bits.
inline constexpr uint32_t kReadOnly = 1;
inline constexpr uint32_t kSorted = 2;
inline constexpr uint32_t kVerticalScroll = 4;
inline constexpr uint32_t kGroupStart = 8;   // a radio button that starts a new group
inline constexpr uint32_t kGroupTitle = 16;  // a check box that stands in a group box's title

struct ControlTemplate {
    ControlKind kind;
    int id;
    const char* text;
    int x, y, width, height;
    uint32_t style = 0;
    std::span<const char* const> items = {};  // a combo box's initial list
};

struct DialogTemplate {
    int id;
    int width, height;
    std::span<const ControlTemplate> controls;
};

// The object name a control with this identifier carries.
QString ControlName(int id);
QString AnsiText(const char* ansi);

// The page's pixel size for the template in the page's font.
QSize DialogPixelSize(const DialogTemplate& dialog, const DialogBaseUnits& units);
// Creates the template's controls as children of `page`, in template order (which is the tab order).
void BuildDialogControls(QWidget* page, const DialogTemplate& dialog, const DialogBaseUnits& units);

}  // namespace aldra
