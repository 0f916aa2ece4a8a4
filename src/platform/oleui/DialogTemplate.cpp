#include "platform/oleui/DialogTemplate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/com/Ansi.h"
#include "platform/oleui/ListBox.h"
#include "platform/oleui/ListView.h"

namespace aldra {

namespace {

// Read-only fields show on the dialog's face colour, as the system draws them.
void ShowAsReadOnly(QWidget* field) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
}

QWidget* MakeEdit(const ControlTemplate& control, QWidget* page) {
    auto* edit = new QLineEdit(page);
    edit->setReadOnly(control.style & kReadOnly);
    if (control.style & kReadOnly) ShowAsReadOnly(edit);
    return edit;
}

QWidget* MakeMultiLineEdit(const ControlTemplate& control, QWidget* page) {
    auto* edit = new QPlainTextEdit(page);
    edit->setReadOnly(control.style & kReadOnly);
    edit->setTabChangesFocus(true);
    edit->setFrameShape(QFrame::StyledPanel);
    if (control.style & kReadOnly) ShowAsReadOnly(edit);
    return edit;
}

QWidget* MakeComboBox(const ControlTemplate& control, QWidget* page) {
    auto* combo = new QComboBox(page);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const char* item : control.items) combo->addItem(AnsiText(item));
    return combo;
}

QWidget* MakeCheckBox(const ControlTemplate& control, QWidget* page) {
    auto* box = new QCheckBox(AnsiText(control.text), page);
    // A title check box covers the group frame's line behind its text.
    if (control.style & kGroupTitle) box->setAutoFillBackground(true);
    return box;
}

QWidget* MakeControl(const ControlTemplate& control, QWidget* page) {
    QString text = AnsiText(control.text);
    switch (control.kind) {
        case ControlKind::Label:
            return new QLabel(text, page);
        case ControlKind::Edit:
            return MakeEdit(control, page);
        case ControlKind::MultiLineEdit:
            return MakeMultiLineEdit(control, page);
        case ControlKind::ListBox:
            return new ListBox(page, control.style & kSorted);
        case ControlKind::DropDownCombo:
            return MakeComboBox(control, page);
        case ControlKind::CheckBox:
            return MakeCheckBox(control, page);
        case ControlKind::RadioButton:
            return new QRadioButton(text, page);
        case ControlKind::GroupBox:
            return new QGroupBox(text, page);
        case ControlKind::PushButton:
            return new QPushButton(text, page);
        case ControlKind::ListView:
            return new ListView(page);
    }
    return nullptr;
}

bool ShowsText(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::CheckBox || kind == ControlKind::RadioButton;
}

// A group box's frame runs through the middle of its title line, as the system draws it; without a
// title the frame starts there. The templates were measured in another font: a text that comes out a
// pixel or two wider than its place takes them rather than lose its last letter, and a title check box
// covers the frame's line behind its text only.
QRect PlacedRect(const ControlTemplate& control, const DialogBaseUnits& units, QWidget* widget) {
    QRect rect = DialogRect(units, control.x, control.y, control.width, control.height);
    if (control.kind == ControlKind::GroupBox && control.text[0] == '\0')
        rect.setTop(rect.top() + units.height / 2);
    if (ShowsText(control.kind)) rect.setWidth(std::max(rect.width(), widget->sizeHint().width()));
    if (control.kind == ControlKind::CheckBox && (control.style & kGroupTitle))
        rect.setWidth(widget->sizeHint().width());
    if (control.kind == ControlKind::DropDownCombo) rect.setHeight(widget->sizeHint().height());
    return rect;
}

}  // namespace

QString ControlName(int id) {
    return id == kStaticId ? QStringLiteral("static") : QString::number(id);
}

QString AnsiText(const char* ansi) {
    return QString::fromStdString(AnsiToUtf8(ansi));
}

QSize DialogPixelSize(const DialogTemplate& dialog, const DialogBaseUnits& units) {
    return QSize(DialogX(units, dialog.width), DialogY(units, dialog.height));
}

void BuildDialogControls(QWidget* page, const DialogTemplate& dialog, const DialogBaseUnits& units) {
    QLabel* waitingLabel = nullptr;  // a label's mnemonic moves the focus to the next control
    for (const ControlTemplate& control : dialog.controls) {
        QWidget* widget = MakeControl(control, page);
        widget->setObjectName(ControlName(control.id));
        widget->setGeometry(PlacedRect(control, units, widget));
        widget->show();  // pages are built when first chosen, after they became visible
        if (control.kind == ControlKind::Label) {
            static_cast<QLabel*>(widget)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            waitingLabel = static_cast<QLabel*>(widget);
            continue;
        }
        if (control.kind == ControlKind::GroupBox) {
            widget->lower();  // the frame stays behind the controls drawn over it
            continue;
        }
        if (waitingLabel != nullptr) waitingLabel->setBuddy(widget);
        waitingLabel = nullptr;
    }
}

}  // namespace aldra
