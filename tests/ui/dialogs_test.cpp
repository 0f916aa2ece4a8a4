// The property frame of an attached file: three pages that read the control's properties by name.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "fixtures/Eps.h"
#include "platform/oleui/ListBox.h"
#include "ui/DialogTest.h"

namespace aldra::testing {
namespace {

struct Pages {
    QStringList general;  // 201, 202, 205
    QStringList fonts, colours, links;
    QString opiSystem, hiResFile;
};

QStringList Items(QWidget* dialog, int id) {
    QStringList items;
    auto* list = Find<ListBox>(dialog, id);
    for (int i = 0; i < list->GetCount(); ++i) items << list->GetText(i);
    return items;
}

// Shows the frame, opens every tab as a click would, reads what each page shows and cancels.
Pages ShowFrame(CFilterCtrl* control, const std::string& pictures = "") {
    Pages seen;
    WhenShown("propertyFrame", [&](QWidget* frame) {
        auto* tabs = frame->findChild<QTabWidget*>();
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            if (!pictures.empty()) SavePicture(frame, pictures + "-" + std::to_string(tab));
        }
        QWidget* general = tabs->widget(0);
        for (int id : {201, 202, 205}) seen.general << Find<QLineEdit>(general, id)->text();
        seen.fonts = Items(general, 203);
        seen.colours = Items(general, 204);
        seen.opiSystem = Find<QLineEdit>(tabs->widget(1), 206)->text();
        seen.hiResFile = Find<QPlainTextEdit>(tabs->widget(1), 207)->toPlainText();
        seen.links = Items(tabs->widget(2), 205);
        Click(frame, "cancel");
    });
    EXPECT_TRUE(Invoke(control, "ShowProperties").Bool());
    return seen;
}

using PropertyFrameTest = DialogTest;

TEST_F(PropertyFrameTest, PagesShowTheAttachedFilesFactsWithListsSorted) {
    std::string text = EpsText(
        "%%DocumentFonts: Times-Roman\n%%+ Helvetica\n%%+ Courier\n%%DocumentCustomColors: Pantone 185\n"
        "%%+ Black\n%%DocumentFiles: zebra.tif\n%%+ Alpha.eps\n%%CompFileName: Server:Images:harbour.tif");
    std::string path = files.Write("placed.eps", text);
    ASSERT_TRUE(TestAndAttach(path, text).Bool());
    Pages seen = ShowFrame(control, "property-frame");
    EXPECT_EQ(seen.general, QStringList({"3.0", "3.0", "EPS"}));
    EXPECT_EQ(seen.fonts, QStringList({"Courier", "Helvetica", "Times-Roman"}));
    EXPECT_EQ(seen.colours, QStringList({"Black", "Pantone 185"}));
    EXPECT_EQ(seen.links, QStringList({"Alpha.eps", "zebra.tif"}));
    EXPECT_EQ(seen.opiSystem, "Luminous Color Central");
    EXPECT_EQ(seen.hiResFile, "Server:Images:harbour.tif");
}

// The pages show whatever the properties hold when they open, a file attached or not.
TEST_F(PropertyFrameTest, NamesOfTypesAndOpiSystemsAndSplitLists) {
    struct Row {
        int32_t type, opi;
        const char *colors, *links;
        QString typeName, opiName;
        QStringList colours, linked;
    } rows[] = {
        {0, 0, "", "", "", "Unknown", {}, {}},
        {1, 1, "Cyan\n\nBlack", "b.eps\na.eps", "EPS", "None", {"Black", "Cyan"}, {"a.eps", "b.eps"}},
        {2, 2, "Red\r\tGreen", "", "DCS", "Unknown", {"Green", "Red"}, {}},
        {3, 3, "", "", "ICS", "Helios EtherShare OPI", {}, {}},
        {4, 5, "", "", "", "4-Sight OPi", {}, {}},
        {0, 9, "", "", "", "Unknown", {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.opi);
        control->epsfType = row.type;
        control->opiSystem = row.opi;
        control->colors = row.colors;
        control->links = row.links;
        Pages seen = ShowFrame(control);
        EXPECT_EQ(seen.general[2], row.typeName);
        EXPECT_EQ(seen.opiSystem, row.opiName);
        EXPECT_EQ(seen.colours, row.colours);
        EXPECT_EQ(seen.links, row.linked);
    }
}

}  // namespace
}  // namespace aldra::testing
