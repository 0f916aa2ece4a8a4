#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "control/FilterSettings.h"
#include "eps/AnpaTable.h"
#include "platform/registry/Registry.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using testing::TempDir;

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { setenv("ALDRA_REGISTRY_DIR", dir.path().c_str(), 1); }
    void TearDown() override { unsetenv("ALDRA_REGISTRY_DIR"); }
    std::string Hive() const {
        std::ifstream in(dir.File("user.reg"), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    TempDir dir;
};

struct Loaded {
    FilterSettings settings = DefaultSettings();
    Loaded() { NewBuffer(2, &settings.anpa); }
    ~Loaded() { DisposeBuffer(settings.anpa); }
};

TEST_F(SettingsTest, EveryFieldSurvivesASaveAndLoad) {
    Loaded original;
    ASSERT_TRUE(LoadSettings(&original.settings));
    EXPECT_EQ(AnpaEntryCount(original.settings.anpa), 21);
    EXPECT_EQ(original.settings.ccCategory, "Color Central Sample File");
    FilterSettings& s = original.settings;
    s.previewResolution = 300;
    s.heliosAware = false;
    s.heliosLayoutExtension = ".opi";
    s.heliosLayoutsOnly = true;
    s.ccAware = false;
    s.ccNotesFromHiRes = false;
    s.ccKeywordsFromHiRes = false;
    s.addCcCategory = false;
    s.ccCategory = "Caf\xE9 \"quoted\" \\ back";
    ASSERT_TRUE(ParseAnpaSettings(s.anpa, "2,105,0,1,Headline\n2,120,0,0,Caption"));
    s.addText = true;
    s.maxText = 123;
    ASSERT_TRUE(SaveSettings(s));

    Loaded again;
    ASSERT_TRUE(LoadSettings(&again.settings));
    const FilterSettings& t = again.settings;
    EXPECT_EQ(t.previewResolution, 300u);
    EXPECT_FALSE(t.heliosAware);
    EXPECT_EQ(t.heliosLayoutExtension, ".opi");
    EXPECT_TRUE(t.heliosLayoutsOnly);
    EXPECT_FALSE(t.ccAware);
    EXPECT_FALSE(t.ccNotesFromHiRes);
    EXPECT_FALSE(t.ccKeywordsFromHiRes);
    EXPECT_FALSE(t.addCcCategory);
    EXPECT_EQ(t.ccCategory, s.ccCategory);
    EXPECT_EQ(FormatAnpaSettings(t.anpa), "2,105,0,1,Headline\n2,120,0,0,Caption");
    EXPECT_TRUE(t.addText);
    EXPECT_EQ(t.maxText, 123u);
    // A person can read and mend the hive.
    std::string hive = Hive();
    EXPECT_EQ(hive.rfind("REGEDIT4", 0), 0u);
    EXPECT_NE(
        hive.find("[HKEY_CURRENT_USER\\Software\\Aldra\\FilterManager\\SettingsAldra.AldraFilter.EPS.1]"),
        std::string::npos);
    EXPECT_NE(hive.find("\"MaxText\"=dword:0000007b"), std::string::npos);
}

TEST_F(SettingsTest, MissingValuesTakeTheirDefaults) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
              ERROR_SUCCESS);
    RegSetDword(key, "MaxText", 77);
    RegSetString(key, "HeliosAware", "not a number");
    RegCloseKey(key);
    Loaded loaded;
    ASSERT_TRUE(LoadSettings(&loaded.settings));
    EXPECT_EQ(loaded.settings.maxText, 77u);
    EXPECT_TRUE(loaded.settings.heliosAware);
    EXPECT_EQ(loaded.settings.heliosLayoutExtension, ".lay");
    EXPECT_EQ(AnpaEntryCount(loaded.settings.anpa), 21);
}

TEST_F(SettingsTest, TwoProcessesSavingInALoopLoseNoValue) {
    // Each process saves the settings and its own counter; whatever interleaving, every key of
    // both must be there at the end.
    auto worker = [&](const char* counterName) {
        for (uint32_t i = 1; i <= 15; ++i) {
            Loaded loaded;
            LoadSettings(&loaded.settings);
            loaded.settings.maxText = i;
            if (!SaveSettings(loaded.settings)) _exit(1);
            HKEY key = nullptr;
            if (RegCreateKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                               nullptr) != ERROR_SUCCESS)
                _exit(2);
            std::string name = std::string(counterName) + std::to_string(i);
            if (RegSetDword(key, name.c_str(), i) != ERROR_SUCCESS) _exit(3);
            RegCloseKey(key);
        }
        _exit(0);
    };
    pid_t first = fork();
    if (first == 0) worker("A");
    pid_t second = fork();
    if (second == 0) worker("B");
    for (pid_t child : {first, second}) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    for (const char* prefix : {"A", "B"}) {
        for (int i = 1; i <= 15; ++i) {
            DWORD value = 0;
            std::string name = prefix + std::to_string(i);
            EXPECT_EQ(RegGetDword(key, name.c_str(), &value), ERROR_SUCCESS) << name;
        }
    }
    DWORD maxText = 0;
    EXPECT_EQ(RegGetDword(key, "MaxText", &maxText), ERROR_SUCCESS);
    EXPECT_EQ(maxText, 15u);
    RegCloseKey(key);
}

TEST_F(SettingsTest, ACorruptHiveIsReportedAndLeftAsItWas) {
    const std::string damaged = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\nthis is not a value line\n";
    {
        std::ofstream out(dir.File("user.reg"), std::ios::binary);
        out << damaged;
    }
    Loaded loaded;
    EXPECT_FALSE(LoadSettings(&loaded.settings));
    EXPECT_FALSE(SaveSettings(loaded.settings));
    EXPECT_EQ(Hive(), damaged);
}

}  // namespace
}  // namespace aldra
