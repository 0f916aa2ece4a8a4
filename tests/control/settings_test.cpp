// Settings as the setup sheet saves them and a new window loads them, in the test's own registry.
#include "control/ControlFixture.h"
#include "eps/AnpaTable.h"
#include "platform/registry/Registry.h"

namespace aldra {
namespace {

using SettingsTest = testing::ControlTest;

TEST_F(SettingsTest, EveryFieldSurvivesASaveAndLoadAndAClone) {
    FilterSettings s;
    ASSERT_TRUE(LoadSettings(&s));
    EXPECT_EQ(AnpaEntryCount(s.anpa.get()), 21);  // a fresh user gets the default table
    EXPECT_EQ(s.ccCategory, "Color Central Sample File");
    s.previewResolution = 300;
    s.heliosLayoutExtension = ".opi";
    s.heliosAware = s.ccAware = s.ccNotesFromHiRes = s.ccKeywordsFromHiRes = s.addCcCategory = false;
    s.heliosLayoutsOnly = s.addText = true;
    s.ccCategory = "Caf\xE9 \"quoted\" \\ back";
    ASSERT_TRUE(ParseAnpaSettings(s.anpa.get(), "2,105,0,1,Headline\n2,120,0,0,Caption"));
    s.maxText = 123;
    FilterSettings cloned;
    ASSERT_EQ(s.Clone(&cloned), kOk);
    ASSERT_TRUE(SaveSettings(cloned));

    FilterSettings t;
    ASSERT_TRUE(LoadSettings(&t));
    EXPECT_EQ(t.previewResolution, 300u);
    EXPECT_EQ(t.heliosLayoutExtension, ".opi");
    EXPECT_FALSE(t.heliosAware || t.ccAware || t.ccNotesFromHiRes || t.ccKeywordsFromHiRes ||
                 t.addCcCategory);
    EXPECT_TRUE(t.heliosLayoutsOnly && t.addText);
    EXPECT_EQ(t.ccCategory, s.ccCategory);
    EXPECT_EQ(FormatAnpaSettings(t.anpa.get()), "2,105,0,1,Headline\n2,120,0,0,Caption");
    EXPECT_EQ(t.maxText, 123u);
    EXPECT_NE(cloned.anpa.get(), s.anpa.get());  // the clone owns a table of its own
}

TEST_F(SettingsTest, MissingOrMistypedValuesTakeTheirDefaults) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
              ERROR_SUCCESS);
    RegSetDword(key, "MaxText", 77);
    RegSetString(key, "HeliosAware", "not a number");
    RegCloseKey(key);
    FilterSettings loaded;
    ASSERT_TRUE(LoadSettings(&loaded));
    EXPECT_EQ(loaded.maxText, 77u);
    EXPECT_TRUE(loaded.heliosAware);
    EXPECT_EQ(loaded.heliosLayoutExtension, ".lay");
}

}  // namespace
}  // namespace aldra
