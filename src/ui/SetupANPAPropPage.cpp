#include "ui/SetupANPAPropPage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QStyle>
#include <cstdio>

#include "eps/AnpaTable.h"
#include "platform/com/Ansi.h"
#include "ui/DialogResources.h"

namespace aldra {

namespace {
constexpr int kDialog = 207;
constexpr int kList = 228;
constexpr int kActivate = 229;
constexpr int kDeactivate = 230;
constexpr uint32_t kNumberHeading = 250;
constexpr uint32_t kLabelHeading = 251;
constexpr uint32_t kActiveMask = 209;
constexpr uint32_t kActiveBitmap = 210;
constexpr uint32_t kInactiveBitmap = 211;
constexpr uint32_t kInactiveMask = 212;
constexpr int kImageSide = 16;
constexpr int kImageRoom = 3;
constexpr int kNumberColumnPadding = 12;
constexpr int kLabelPadding = 14;
constexpr uint32_t kFlagOffset = 3;  // of the active flag within an entry

// Where entry `index`'s active flag lies in the table; 0 when the table does not reach it.
uint32_t FlagOffset(const TextBuffer* table, int index) {
    AnpaCursor cursor;
    AnpaEntry entry;
    uint32_t offset = cursor.offset;
    while (NextAnpaEntry(table, &cursor, &entry)) {
        if (static_cast<int>(cursor.index) - 1 == index) return offset + kFlagOffset;
        offset = cursor.offset;
    }
    return 0;
}

QString LabelText(const AnpaEntry& entry) {
    std::string label(reinterpret_cast<const char*>(entry.label + 1), entry.label[0]);
    return QString::fromStdString(AnsiToUtf8(label));
}

}  // namespace

QString DataSetNumberText(uint8_t record, uint8_t dataSet) {
    char text[16];
    std::snprintf(text, sizeof text, "%3ld:%3ld", static_cast<long>(record), static_cast<long>(dataSet));
    return QString::fromLatin1(text);
}

CSetupANPAPropPage::CSetupANPAPropPage() : PropertyPage(DialogResource(kDialog), QStringLiteral("IPTC")) {}

CSetupANPAPropPage::~CSetupANPAPropPage() {
    if (table_ != nullptr) LockBuffer(table_.get(), false);
}

void CSetupANPAPropPage::SetData(const TextBuffer* table) {
    BufferPtr copy;
    if (table == nullptr || DuplicateBuffer(table, &copy) != kOk) return;
    LockBuffer(copy.get(), true);
    if (table_ != nullptr) LockBuffer(table_.get(), false);
    table_ = std::move(copy);
}

Status CSetupANPAPropPage::GetData(TextBuffer* table) const {
    if (table_ == nullptr || table == nullptr) return kOk;
    return CopyBuffer(table_.get(), table);
}

bool CSetupANPAPropPage::OnInitDialog() {
    bool opened = PropertyPage::OnInitDialog();
    deactivate_ = Item(kDeactivate);
    list_ = ItemAs<ListView>(kList);
    activate_ = Item(kActivate);
    if (list_ == nullptr) return opened;
    MakeImages();
    list_->onGetItemText = [this](int item, int column) { return ItemText(item, column); };
    list_->onItemChanged = [this](int) { UpdateButtons(); };
    list_->onKeyDown = [this](int key) { OnKeyDown(key); };
    MakeColumns();
    InsertItems();
    if (auto* button = qobject_cast<QAbstractButton*>(activate_))
        connect(button, &QAbstractButton::clicked, this, [this] { SetSelectedFlags(true); });
    if (auto* button = qobject_cast<QAbstractButton*>(deactivate_))
        connect(button, &QAbstractButton::clicked, this, [this] { SetSelectedFlags(false); });
    UpdateButtons();
    return opened;
}

void CSetupANPAPropPage::MakeImages() {
    images_ = std::make_unique<ImageList>(kImageSide, kImageSide, kImageRoom);
    activeImage_ = images_->Add(BitmapResource(kActiveBitmap), BitmapResource(kActiveMask));
    inactiveImage_ = images_->Add(BitmapResource(kInactiveBitmap), BitmapResource(kInactiveMask));
    list_->SetSmallImageList(images_.get());
}

// The number column fits its heading or the widest number; the label column takes the rest of the
// list's width.
void CSetupANPAPropPage::MakeColumns() {
    QString numberHeading = ResourceString(kNumberHeading);
    int numberWidth =
        std::max(list_->GetStringWidth(numberHeading), list_->GetStringWidth(QStringLiteral("999 :999 "))) +
        kNumberColumnPadding;
    // The image stands in the first column too.
    numberWidth += kImageSide + list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) * 2;
    list_->InsertColumn(0, numberHeading, numberWidth);
    int scrollBar = list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    int edge = list_->frameWidth();
    list_->InsertColumn(1, ResourceString(kLabelHeading),
                        list_->width() - scrollBar - numberWidth - 2 * edge);
}

void CSetupANPAPropPage::InsertItems() {
    if (table_ == nullptr) return;
    AnpaCursor cursor;
    AnpaEntry entry;
    int widest = list_->GetColumnWidth(1);
    while (NextAnpaEntry(table_.get(), &cursor, &entry)) {
        list_->InsertItem(list_->GetItemCount(), entry.addToNotes ? activeImage_ : inactiveImage_);
        widest = std::max(widest, list_->GetStringWidth(LabelText(entry)) + kLabelPadding);
    }
    list_->SetColumnWidth(1, widest);
    list_->SetItemFocus(0);
}

QString CSetupANPAPropPage::ItemText(int item, int column) const {
    AnpaEntry entry;
    if (table_ == nullptr || item < 0 || item > UINT16_MAX ||
        !GetAnpaEntry(table_.get(), static_cast<uint16_t>(item), &entry))
        return QString();
    return column == 0 ? DataSetNumberText(entry.record, entry.dataSet) : LabelText(entry);
}

void CSetupANPAPropPage::UpdateButtons() {
    bool anySelected = list_ != nullptr && list_->GetSelectedCount() > 0;
    if (activate_ != nullptr) activate_->setEnabled(anySelected);
    if (deactivate_ != nullptr) deactivate_->setEnabled(anySelected);
}

void CSetupANPAPropPage::SetSelectedFlags(bool active) {
    if (table_ == nullptr || list_ == nullptr) return;
    uint8_t* bytes = BufferData(table_.get());
    for (int item = list_->GetNextSelectedItem(-1); item >= 0; item = list_->GetNextSelectedItem(item)) {
        uint32_t offset = FlagOffset(table_.get(), item);
        if (offset == 0) continue;
        bytes[offset] = active ? 1 : 0;
        list_->SetItemImage(item, active ? activeImage_ : inactiveImage_);
    }
}

void CSetupANPAPropPage::OnKeyDown(int key) {
    if (key != Qt::Key_Space || table_ == nullptr || list_ == nullptr) return;
    int first = list_->GetNextSelectedItem(-1);
    uint32_t offset = first < 0 ? 0 : FlagOffset(table_.get(), first);
    if (offset == 0) return;
    SetSelectedFlags(BufferData(table_.get())[offset] == 0);
}

}  // namespace aldra
