// The pages as built from their templates, and the IPTC page's list on its own.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include "eps/AnpaTable.h"
#include "platform/oleui/ListView.h"
#include "ui/DialogResources.h"
#include "ui/DialogTest.h"
#include "ui/SetupANPAPropPage.h"

namespace aldra::testing {
namespace {

class TemplatePage : public PropertyPage {
  public:
    explicit TemplatePage(int id) : PropertyPage(DialogResource(id), "page") {}
    void DoDataExchange(DataExchange&) override {}
};

// Every control stands where its template puts it, in dialog units of the dialog font, named by its
// identifier and with its text and mnemonic; a label's mnemonic leads to the control after it.
TEST(DialogTemplates, ControlsArePlacedNamedAndLabelledFromTheirTemplates) {
    EnsureOffscreenApplication();
    DialogBaseUnits units = BaseUnitsOf(DialogFont());
    ASSERT_GT(units.width, 3);
    for (int id : {203, 202, 205, 106, 102, 207, 206}) {
        SCOPED_TRACE(id);
        TemplatePage page(id);
        const DialogTemplate& dialog = DialogResource(id);
        EXPECT_EQ(page.size(), QSize(dialog.width * units.width / 4, dialog.height * units.height / 8));
        ASSERT_TRUE(page.Activate());
        for (const ControlTemplate& control : dialog.controls) {
            if (control.id == kStaticId) {
                continue;
            }
            QWidget* widget = page.Item(control.id);
            ASSERT_NE(widget, nullptr) << control.id;
            QRect placed = DialogRect(units, control.x, control.y, control.width, control.height);
            EXPECT_EQ(widget->pos(), placed.topLeft()) << control.id;
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                EXPECT_EQ(button->text(), AnsiText(control.text)) << control.id;
            }
        }
        for (QLabel* label : page.findChildren<QLabel*>()) {
            if (label->text().contains(u'&')) {
                EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
            }
        }
        // In the font that stands in for the templates' own, no text is cut.
        for (QWidget* widget : page.findChildren<QWidget*>()) {
            bool text = qobject_cast<QLabel*>(widget) != nullptr ||
                        qobject_cast<QCheckBox*>(widget) != nullptr ||
                        qobject_cast<QRadioButton*>(widget) != nullptr;
            if (text) {
                EXPECT_LE(widget->sizeHint().width(), widget->width()) << widget->objectName().toStdString();
            }
        }
    }
}

BufferPtr Table(const std::string& text) {
    BufferPtr table;
    EXPECT_EQ(NewBuffer(2, &table), kOk);
    if (!text.empty()) {
        EXPECT_TRUE(ParseAnpaSettings(table.get(), text));
    }
    return table;
}

TEST(IptcPage, ListShowsTheTableWithImagesAndWidensForLongLabels) {
    EnsureOffscreenApplication();
    std::string longLabel(120, 'W');
    BufferPtr table = Table("2,5,0,1,Object Name\n2,120,0,0," + longLabel);
    CSetupANPAPropPage page;
    page.SetData(table.get());
    ASSERT_TRUE(page.Activate());
    auto* list = page.ItemAs<ListView>(228);
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), "  2:  5");
    EXPECT_EQ(list->model()->index(1, 1).data().toString().toStdString(), longLabel);
    EXPECT_EQ(list->GetColumnWidth(1), list->GetStringWidth(QString::fromStdString(longLabel)) + 14);
    // The drawn marks: active and inactive differ, and the masks leave the corners out.
    QImage active = list->model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
    QImage inactive = list->model()->index(1, 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
    ASSERT_EQ(active.size(), QSize(16, 16));
    EXPECT_NE(active, inactive);
    EXPECT_EQ(qAlpha(active.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(active.pixel(8, 8)), 255);
    EXPECT_FALSE(page.Item(229)->isEnabled() || page.Item(230)->isEnabled());
}

TEST(IptcPage, WithoutEntriesOrWithoutATableTheListIsEmpty) {
    EnsureOffscreenApplication();
    BufferPtr empty = Table("");
    for (TextBuffer* given : {empty.get(), static_cast<TextBuffer*>(nullptr)}) {
        BufferPtr settings = Table("1,30,0,0,Service Identifier");
        CSetupANPAPropPage page;
        page.SetData(given);
        ASSERT_TRUE(page.Activate());
        EXPECT_EQ(page.ItemAs<ListView>(228)->GetItemCount(), 0);
        EXPECT_FALSE(page.Item(229)->isEnabled() || page.Item(230)->isEnabled());
        EXPECT_EQ(page.GetData(settings.get()), kOk);
        EXPECT_EQ(AnpaEntryCount(settings.get()), given == nullptr ? 1 : 0);
    }
}

}  // namespace
}  // namespace aldra::testing
