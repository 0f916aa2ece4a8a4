// The setup sheet driven as a user would: what OK saves reaches the settings and the hive, and a
// cancelled sheet writes nothing.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <QTest>

#include "eps/AnpaTable.h"
#include "platform/oleui/ListView.h"
#include "support/FileBytes.h"
#include "ui/DialogTest.h"

namespace aldra::testing {
namespace {

class SetupSheetTest : public DialogTest {
  protected:
    std::string Hive() { return ReadFile(registry.File("user.reg")); }
    std::vector<int> Flags() {
        std::vector<int> flags;
        AnpaEntry entry;
        for (uint16_t i = 0; GetAnpaEntry(control->settings().anpa.get(), i, &entry); ++i)
            flags.push_back(entry.addToNotes);
        return flags;
    }
};

QTabWidget* Tabs(QWidget* sheet) {
    return sheet->findChild<QTabWidget*>();
}

void Type(QWidget* dialog, int id, const QString& text) {
    QLineEdit* edit =
        Find<QComboBox>(dialog, id) ? Find<QComboBox>(dialog, id)->lineEdit() : Find<QLineEdit>(dialog, id);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

bool Enabled(QWidget* dialog, int id) {
    return Find<QWidget>(dialog, id)->isEnabled();
}

// Presses OK (or moves to another tab) with a value that does not pass, answers the message and
// returns its text; the sheet must stay up on the Adobe Illustrator page.
QString RefusedMessage(QWidget* sheet, bool byTab) {
    QString message;
    WhenShown("validation", [&](QWidget* box) {
        message = static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->accept();
    });
    if (byTab)
        Tabs(sheet)->setCurrentIndex(0);
    else
        Click(sheet, "ok");
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(Tabs(sheet)->currentIndex(), 3);
    return message;
}

// Every page changed on the way: a typed resolution, the OPI switches and their enabling, IPTC rows
// activated, deactivated and switched by the space bar, and a text limit refused before one is taken.
void EditEveryPage(QWidget* sheet) {
    QTabWidget* tabs = Tabs(sheet);
    SavePicture(sheet, "setup-0-preview");
    Type(sheet, 218, "150 dpi");

    tabs->setCurrentIndex(1);
    SavePicture(sheet, "setup-1-opi");
    Find<QAbstractButton>(sheet, 224)->click();
    Find<QAbstractButton>(sheet, 212)->click();  // Helios off
    for (int id : {222, 223, 224}) EXPECT_FALSE(Enabled(sheet, id)) << id;
    Find<QAbstractButton>(sheet, 220)->click();  // no sample category
    Find<QAbstractButton>(sheet, 232)->click();  // Color Central off
    for (int id : {230, 231, 220, 221}) EXPECT_FALSE(Enabled(sheet, id)) << id;
    Find<QAbstractButton>(sheet, 232)->click();  // and on again
    for (int id : {230, 231, 220}) EXPECT_TRUE(Enabled(sheet, id)) << id;
    EXPECT_FALSE(Enabled(sheet, 221));

    tabs->setCurrentIndex(2);
    auto* list = Find<ListView>(sheet, 228);
    EXPECT_EQ(list->model()->index(3, 0).data().toString(), "  2:  5");
    EXPECT_FALSE(Enabled(sheet, 229) || Enabled(sheet, 230));
    for (int item : {0, 2, 4}) list->SetItemSelected(item, true);
    EXPECT_TRUE(Enabled(sheet, 229) && Enabled(sheet, 230));
    Find<QAbstractButton>(sheet, 229)->click();
    SavePicture(sheet, "setup-2-iptc");
    list->clearSelection();
    list->SetItemSelected(4, true);
    list->SetItemSelected(5, true);
    Find<QAbstractButton>(sheet, 230)->click();
    list->clearSelection();
    list->SetItemSelected(19, true);  // Caption, active
    list->SetItemSelected(20, true);
    QTest::keyClick(list, Qt::Key_Space);

    tabs->setCurrentIndex(3);
    EXPECT_FALSE(Enabled(sheet, 226));
    Find<QAbstractButton>(sheet, 225)->click();
    EXPECT_TRUE(Enabled(sheet, 226));
    Type(sheet, 226, "40000");
    SavePicture(sheet, "setup-3-illustrator");
    EXPECT_EQ(RefusedMessage(sheet, false), "Please enter an integer between 0 and 32000.");
    Type(sheet, 226, "500");
}

TEST_F(SetupSheetTest, OkSavesWhatTheUserChangedOnEveryPage) {
    WhenShown("propertySheet", [](QWidget* sheet) {
        EditEveryPage(sheet);
        Click(sheet, "ok");
    });
    EXPECT_TRUE(Call("Setup").Bool());
    const FilterSettings& saved = control->settings();
    EXPECT_EQ(saved.previewResolution, 150u);
    EXPECT_FALSE(saved.heliosAware);
    EXPECT_TRUE(saved.heliosLayoutsOnly);
    EXPECT_TRUE(saved.ccAware);
    EXPECT_FALSE(saved.addCcCategory);
    EXPECT_TRUE(saved.addText);
    EXPECT_EQ(saved.maxText, 500u);
    std::vector<int> flags(21, 0);
    flags[0] = flags[2] = 1;
    EXPECT_EQ(Flags(), flags);
    std::string hive = Hive();
    for (const char* value : {"\"PreviewResolution\"=dword:00000096", "\"HeliosAware\"=dword:00000000",
                              "\"HeliosLayoutsOnly\"=dword:00000001", "\"MaxText\"=dword:000001f4"})
        EXPECT_NE(hive.find(value), std::string::npos) << value;
    FilterSettings stored;
    ASSERT_TRUE(LoadSettings(&stored));
    std::string table = FormatAnpaSettings(stored.anpa.get());
    EXPECT_EQ(table.substr(0, table.find('\n')), "1,30,0,1,Service Identifier");
    EXPECT_NE(table.find("\n2,120,0,0,Caption\n"), std::string::npos);
}

TEST_F(SetupSheetTest, CancelWritesNothing) {
    std::string before = Hive();
    WhenShown("propertySheet", [](QWidget* sheet) {
        EditEveryPage(sheet);
        Click(sheet, "cancel");
    });
    EXPECT_TRUE(Call("Setup").Bool());
    EXPECT_EQ(Hive(), before);
    EXPECT_EQ(control->settings().previewResolution, 0u);
    EXPECT_TRUE(control->settings().heliosAware);
    EXPECT_EQ(Flags()[19], 1);
}

TEST_F(SetupSheetTest, ResolutionOpensOnItsItemAndIsReadFromTheTypedText) {
    struct Row {
        uint32_t stored;
        QString shown;
        int item;
        QString typed;  // empty: OK as shown
        uint32_t saved;
    } rows[] = {
        {300, "300 dpi", 6, "", 300}, {0, "Screen", 0, "", 0},        {72, "72 dpi", 2, "", 72},
        {7, "7 dpi", -1, "", 7},      {150, "150 dpi", -1, "", 150},  {300, "300 dpi", 6, "dpi", 0},
        {0, "Screen", 0, "150", 150}, {72, "72 dpi", 2, "Screen", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        ChangeSettings([&](FilterSettings& s) { s.previewResolution = row.stored; });
        WhenShown("propertySheet", [&](QWidget* sheet) {
            EXPECT_EQ(Find<QComboBox>(sheet, 218)->currentText(), row.shown);
            EXPECT_EQ(Find<QComboBox>(sheet, 218)->currentIndex(), row.item);
            if (!row.typed.isEmpty()) Type(sheet, 218, row.typed);
            Click(sheet, "ok");
        });
        EXPECT_TRUE(Call("Setup").Bool());
        EXPECT_EQ(control->settings().previewResolution, row.saved);
    }
}

TEST_F(SetupSheetTest, TextLimitOutsideItsRangeKeepsTheUserOnThePage) {
    struct Row {
        QString typed, message;
    } rows[] = {
        {"32001", "Please enter an integer between 0 and 32000."},
        {"-1", "Please enter a positive integer."},
        {"12a", "Please enter a positive integer."},
        {"", "Please enter a positive integer."},
    };
    WhenShown("propertySheet", [&](QWidget* sheet) {
        Tabs(sheet)->setCurrentIndex(3);
        Find<QAbstractButton>(sheet, 225)->click();
        for (const Row& row : rows) {
            Type(sheet, 226, row.typed);
            EXPECT_EQ(RefusedMessage(sheet, true), row.message) << row.typed.toStdString();
        }
        Type(sheet, 226, "32000");
        Tabs(sheet)->setCurrentIndex(0);
        EXPECT_EQ(Tabs(sheet)->currentIndex(), 0);
        Click(sheet, "ok");
    });
    EXPECT_TRUE(Call("Setup").Bool());
    EXPECT_EQ(control->settings().maxText, 32000u);
}

}  // namespace
}  // namespace aldra::testing
