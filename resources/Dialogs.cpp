// The dialog templates of the property pages and the setup pages, positions and sizes in dialog units.
#include "ui/DialogResources.h"

namespace aldra {

namespace {

using K = ControlKind;

// The file's header facts: versions, type, fonts and colours.
constexpr ControlTemplate kGeneralControls[] = {
    {K::Label, kStaticId, "&PostScript Version:", 7, 9, 62, 8},
    {K::Edit, 201, "", 71, 7, 45, 14, kReadOnly},
    {K::Label, kStaticId, "&EPSF Version:", 130, 10, 60, 8},
    {K::Edit, 202, "", 193, 7, 45, 14, kReadOnly},
    {K::Label, kStaticId, "EPS Type:", 129, 26, 60, 8},
    {K::Edit, 205, "", 193, 24, 45, 14, kReadOnly},
    {K::Label, kStaticId, "&Fonts:", 7, 38, 110, 8},
    {K::ListBox, 203, "", 7, 49, 110, 51, kSorted | kVerticalScroll},
    {K::Label, kStaticId, "&Colors:", 130, 38, 110, 8},
    {K::ListBox, 204, "", 130, 49, 110, 51, kSorted | kVerticalScroll},
};

constexpr ControlTemplate kOpiControls[] = {
    {K::Label, kStaticId, "OPI System:", 7, 8, 45, 8},
    {K::Edit, 206, "", 54, 7, 184, 14, kReadOnly},
    {K::Label, kStaticId, "HiRes File:", 7, 26, 45, 8},
    {K::MultiLineEdit, 207, "", 54, 25, 184, 28, kReadOnly},
};

constexpr ControlTemplate kLinksControls[] = {
    {K::ListBox, 205, "", 7, 7, 236, 96, kSorted | kVerticalScroll},
};

constexpr const char* kResolutions[] = {"Screen",  "36 dpi",  "72 dpi",  "96 dpi",
                                        "120 dpi", "240 dpi", "300 dpi", "600 dpi"};

constexpr ControlTemplate kPreviewControls[] = {
    {K::Label, kStaticId, "&Resolution:", 7, 9, 40, 8},
    {K::DropDownCombo, 218, "", 49, 7, 87, 80, kVerticalScroll, kResolutions},
};

constexpr ControlTemplate kSetupOpiControls[] = {
    {K::GroupBox, kStaticId, "", 7, 7, 141, 55},
    {K::CheckBox, 212, "Helios EtherShare &OPI aware", 12, 7, 120, 9, kGroupTitle},
    {K::Label, kStaticId, "Layout File Name &Extension:", 14, 22, 94, 8},
    {K::Edit, 222, "", 110, 20, 32, 13},
    {K::RadioButton, 223, "Catalog &High Resolution Files Only", 14, 36, 130, 10, kGroupStart},
    {K::RadioButton, 224, "Catalog &Layout Files Only", 14, 48, 130, 10},
    {K::GroupBox, kStaticId, "", 7, 67, 141, 68},
    {K::CheckBox, 232, "Luminous Color Central aware", 12, 67, 120, 9, kGroupTitle},
    {K::CheckBox, 230, "Include &Notes from HiRes File", 14, 80, 130, 10},
    {K::CheckBox, 231, "Include &Categories from HiRes File", 14, 92, 130, 10},
    {K::CheckBox, 220, "Add Category for &Sample Files:", 14, 104, 130, 10},
    {K::Edit, 221, "", 24, 116, 118, 13},
};

constexpr ControlTemplate kAnpaControls[] = {
    {K::Label, kStaticId, "IPTC Data Sets Added to the Notes Field", 7, 7, 181, 8},
    {K::ListView, 228, "", 7, 18, 181, 107},
    {K::PushButton, 229, "&Activate", 7, 133, 50, 14},
    {K::PushButton, 230, "&Deactivate", 64, 133, 50, 14},
};

constexpr ControlTemplate kIllustratorControls[] = {
    {K::CheckBox, 225, "Add &Text to the Notes Field", 7, 7, 130, 10},
    {K::Label, kStaticId, "Ma&ximum Characters", 19, 20, 78, 8},
    {K::Edit, 226, "", 99, 18, 37, 13},
};

constexpr DialogTemplate kDialogs[] = {
    {203, 250, 110, kGeneralControls},     {202, 250, 110, kOpiControls},
    {205, 250, 110, kLinksControls},       {106, 210, 154, kPreviewControls},
    {102, 210, 154, kSetupOpiControls},    {207, 210, 154, kAnpaControls},
    {206, 210, 154, kIllustratorControls},
};

constexpr DialogTemplate kNoDialog{0, 0, 0, {}};

}  // namespace

const DialogTemplate& DialogResource(int id) {
    for (const DialogTemplate& dialog : kDialogs)
        if (dialog.id == id) return dialog;
    return kNoDialog;
}

}  // namespace aldra
