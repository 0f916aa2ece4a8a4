// The registry calls over hive files: values, keys, handles and their access, and what happens
// when several processes share a hive or a hive file is damaged.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/registry/Registry.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using testing::TempDir;

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { setenv("ALDRA_REGISTRY_DIR", dir.path().c_str(), 1); }
    void TearDown() override { unsetenv("ALDRA_REGISTRY_DIR"); }

    HKEY Create(const char* path, DWORD sam = KEY_ALL_ACCESS) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, 0, sam, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }
    std::string UserHive() const {
        std::ifstream in(dir.File("user.reg"), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TempDir dir;
};

TEST_F(RegistryTest, StringsAndNumbersComeBackAsTheyWentIn) {
    HKEY key = Create("Software\\Aldra\\Test");
    ASSERT_NE(key, nullptr);
    const std::string tricky = "a \"quoted\" C:\\path\\ caf\xE9 \x80\x9F\r\n end";
    EXPECT_EQ(RegSetString(key, "Tricky", tricky), ERROR_SUCCESS);
    EXPECT_EQ(RegSetString(key, nullptr, "the default"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetDword(key, "Number", 0xDEADBEEF), ERROR_SUCCESS);
    RegCloseKey(key);

    HKEY again = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\aldra\\TEST", 0, KEY_READ, &again), ERROR_SUCCESS);
    std::string text;
    EXPECT_EQ(RegGetString(again, "tricky", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, tricky);
    EXPECT_EQ(RegGetString(again, "", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, "the default");
    DWORD number = 0;
    EXPECT_EQ(RegGetDword(again, "NUMBER", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 0xDEADBEEFu);
    EXPECT_EQ(RegGetDword(again, "Tricky", &number), ERROR_UNSUPPORTED_TYPE);
    EXPECT_EQ(RegGetString(again, "Missing", &text), ERROR_FILE_NOT_FOUND);
    RegCloseKey(again);
    // The hive is plain text that a person can read.
    EXPECT_EQ(UserHive().rfind("REGEDIT4", 0), 0u);
    EXPECT_NE(UserHive().find("[HKEY_CURRENT_USER\\Software\\Aldra\\Test]"), std::string::npos);
    EXPECT_NE(UserHive().find("\"Number\"=dword:deadbeef"), std::string::npos);
}

TEST_F(RegistryTest, QueryReportsSizesAndShortBuffers) {
    HKEY key = Create("Software\\Sizes");
    const uint8_t text[] = "hello";
    ASSERT_EQ(RegSetValueEx(key, "Text", 0, REG_SZ, text, sizeof text), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 6u);  // with its terminating zero
    uint8_t small[3] = {};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(key, "Text", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    uint8_t exact[6] = {1, 1, 1, 1, 1, 1};
    size = sizeof exact;
    EXPECT_EQ(RegQueryValueEx(key, "Text", nullptr, &type, exact, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(exact)), "hello");
    const uint8_t three[3] = {1, 2, 3};
    EXPECT_EQ(RegSetValueEx(key, "Short", 0, REG_DWORD, three, 3), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryTest, HandlesEnforceTheirAccess) {
    RegCloseKey(Create("Software\\Locked"));
    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Locked", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
    EXPECT_EQ(RegSetDword(readOnly, "X", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(readOnly, "X"), ERROR_ACCESS_DENIED);
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyEx(readOnly, "Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
              ERROR_ACCESS_DENIED);
    RegCloseKey(readOnly);

    HKEY writeOnly = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Locked", 0, KEY_SET_VALUE, &writeOnly),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetDword(writeOnly, "X", 1), ERROR_SUCCESS);
    DWORD value = 0;
    EXPECT_EQ(RegGetDword(writeOnly, "X", &value), ERROR_ACCESS_DENIED);
    char name[16];
    EXPECT_EQ(RegEnumKey(writeOnly, 0, name, sizeof name), ERROR_ACCESS_DENIED);
    RegCloseKey(writeOnly);

    HKEY bogus = reinterpret_cast<HKEY>(&value);
    EXPECT_EQ(RegSetDword(bogus, "X", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, MissingKeysAndCreationDisposition) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Nowhere", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(dir.File("user.reg")));  // reading never creates the hive
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "A\\B\\C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                             &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    ASSERT_EQ(
        RegCreateKeyEx(HKEY_CURRENT_USER, "a\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
        ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);
    EXPECT_EQ(
        RegCreateKeyEx(HKEY_CURRENT_USER, "A\\\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, EnumerationInCreationOrderWithNameSizes) {
    HKEY key = Create("Software\\List");
    for (const char* child : {"Zeta", "Alpha", "Middle"})
        RegCloseKey(Create((std::string("Software\\List\\") + child).c_str()));
    RegSetDword(key, "second", 2);
    RegSetDword(key, "first", 1);
    char name[32];
    std::vector<std::string> keys;
    for (DWORD i = 0; RegEnumKey(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) keys.push_back(name);
    EXPECT_EQ(keys, (std::vector<std::string>{"Zeta", "Alpha", "Middle"}));
    EXPECT_EQ(RegEnumKey(key, 3, name, sizeof name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumKey(key, 0, name, 4), ERROR_MORE_DATA);  // "Zeta" needs five with its zero
    EXPECT_EQ(RegEnumKey(key, 0, name, 5), ERROR_SUCCESS);
    DWORD type = 0;
    ASSERT_EQ(RegEnumValue(key, 0, name, sizeof name, &type), ERROR_SUCCESS);
    EXPECT_STREQ(name, "second");
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(RegEnumValue(key, 2, name, sizeof name, &type), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(RegistryTest, DeletingKeysValuesAndTrees) {
    HKEY key = Create("Software\\Tree");
    RegCloseKey(Create("Software\\Tree\\Leaf\\Deeper"));
    EXPECT_EQ(RegDeleteKey(key, "Leaf"), ERROR_KEY_HAS_CHILDREN);
    EXPECT_EQ(RegDeleteKey(key, "Leaf\\Deeper"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(key, "Leaf"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(key, "Leaf"), ERROR_FILE_NOT_FOUND);

    RegSetDword(key, "V", 1);
    EXPECT_EQ(RegDeleteValue(key, "v"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, "v"), ERROR_FILE_NOT_FOUND);

    RegCloseKey(Create("Software\\Tree\\One\\Two"));
    RegSetDword(key, "Kept", 1);
    EXPECT_EQ(RegDeleteTree(key, nullptr), ERROR_SUCCESS);  // empties the key, keeps it
    char name[16];
    EXPECT_EQ(RegEnumKey(key, 0, name, sizeof name), ERROR_NO_MORE_ITEMS);
    DWORD type = 0;
    EXPECT_EQ(RegEnumValue(key, 0, name, sizeof name, &type), ERROR_NO_MORE_ITEMS);

    HKEY software = Create("Software");
    EXPECT_EQ(RegDeleteTree(software, "Tree"), ERROR_SUCCESS);
    // The handle on the deleted key says so instead of writing into nothing.
    EXPECT_EQ(RegSetDword(key, "Late", 1), ERROR_KEY_DELETED);
    RegCloseKey(key);
    RegCloseKey(software);
}

TEST_F(RegistryTest, HivesAreSeparateFiles) {
    HKEY cls = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, "CLSID\\{X}", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &cls,
                             nullptr),
              ERROR_SUCCESS);
    RegCloseKey(cls);
    EXPECT_EQ(HiveFilePath(HKEY_CLASSES_ROOT), dir.File("classes.reg"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("classes.reg")));
    HKEY user = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "CLSID", 0, KEY_READ, &user), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ADamagedHiveIsNeverRewritten) {
    const std::string damaged = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\"half a value\n";
    dir.Write("user.reg", damaged);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
              ERROR_BADDB);
    EXPECT_EQ(UserHive(), damaged);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "user.reg" || name == "user.reg.lock") << name;
    }
}

TEST_F(RegistryTest, ChangesLeaveNoTemporaryFiles) {
    HKEY key = Create("Software\\Clean");
    for (DWORD i = 0; i < 5; ++i) RegSetDword(key, "N", i);
    RegCloseKey(key);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "user.reg" || name == "user.reg.lock") << name;
    }
}

TEST_F(RegistryTest, AFolderThatCannotBeMadeFailsCleanly) {
    // The configured folder lies below a plain file, which even root cannot create folders in.
    std::string blocker = dir.Write("blocker", "x");
    setenv("ALDRA_REGISTRY_DIR", (blocker + "/aldra").c_str(), 1);
    HKEY key = nullptr;
    EXPECT_NE(
        RegCreateKeyEx(HKEY_CURRENT_USER, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ProcessesWritingAtOnceLoseNothing) {
    constexpr int kWorkers = 4, kWrites = 20;
    std::vector<pid_t> children;
    for (int w = 0; w < kWorkers; ++w) {
        pid_t child = fork();
        if (child == 0) {
            for (int i = 0; i < kWrites; ++i) {
                std::string path = "Software\\W" + std::to_string(w) + "\\K" + std::to_string(i);
                HKEY key = nullptr;
                if (RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                   &key, nullptr) != ERROR_SUCCESS)
                    _exit(1);
                if (RegSetDword(key, "I", static_cast<DWORD>(i)) != ERROR_SUCCESS) _exit(2);
                RegCloseKey(key);
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < kWorkers; ++w) {
        for (int i = 0; i < kWrites; ++i) {
            std::string path = "Software\\W" + std::to_string(w) + "\\K" + std::to_string(i);
            HKEY key = nullptr;
            ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS)
                << path;
            DWORD value = 99;
            EXPECT_EQ(RegGetDword(key, "I", &value), ERROR_SUCCESS);
            EXPECT_EQ(value, static_cast<DWORD>(i));
            RegCloseKey(key);
        }
    }
}

}  // namespace
}  // namespace aldra
