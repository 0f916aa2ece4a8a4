// The registry calls over hive files: values, keys, handles, what a refused change or a damaged file
// leaves, and writers in several processes. Every check reads back through a fresh handle, that is
// from the file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/registry/Hive.h"
#include "platform/registry/Registry.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { setenv("ALDRA_REGISTRY_DIR", dir.path().c_str(), 1); }
    void TearDown() override { unsetenv("ALDRA_REGISTRY_DIR"); }

    auto CreateResult(const std::string& path, HKEY* key, DWORD* disposition = nullptr) {
        return RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key,
                              disposition);
    }
    HKEY Create(const std::string& path, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(CreateResult(path, &key, disposition), ERROR_SUCCESS);
        return key;
    }
    HKEY Open(const std::string& path, DWORD sam = KEY_READ) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, sam, &key), ERROR_SUCCESS) << path;
        return key;
    }
    ino_t Inode() const {
        struct stat file {};
        ::stat(dir.File("user.reg").c_str(), &file);
        return file.st_ino;
    }
    std::string UserHive() const { return testing::ReadFile(dir.File("user.reg")); }
    // Only the hive and its lock file: no temporary file is left behind.
    void ExpectOnlyTheHive() {
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "user.reg" || name == "user.reg.lock") << name;
        }
    }

    testing::TempDir dir;
};

// Plain strings and numbers are shown with the settings that live in the hive; here what they do not.
TEST_F(RegistryTest, ValuesComeBackAsTheyWentIn) {
    HKEY key = Create("Software\\Aldra\\Test");
    EXPECT_EQ(RegSetString(key, nullptr, "the default"), ERROR_SUCCESS);
    for (DWORD i = 0; i < 3; ++i) EXPECT_EQ(RegSetDword(key, "Number", 0xDEADBEED + i), ERROR_SUCCESS);
    RegCloseKey(key);
    HKEY again = Open("SOFTWARE\\aldra\\TEST");
    std::string text;
    EXPECT_EQ(RegGetString(again, "", &text), ERROR_SUCCESS);
    EXPECT_EQ(text, "the default");
    DWORD number = 0;
    EXPECT_EQ(RegGetDword(again, "NUMBER", &number), ERROR_SUCCESS);
    EXPECT_EQ(number, 0xDEADBEEFu);
    // A short buffer learns the size it needs, the terminating zero counted.
    DWORD type = 0, size = 3;
    uint8_t small[3] = {};
    EXPECT_EQ(RegQueryValueEx(again, "", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(std::pair(type, size), std::pair(REG_SZ, DWORD{12}));
    RegCloseKey(again);
    EXPECT_NE(UserHive().find("\"Number\"=dword:deadbeef"), std::string::npos);
    ExpectOnlyTheHive();
    EXPECT_EQ(HiveFilePath(HKEY_LOCAL_MACHINE), dir.File("machine.reg"));
}

// Creating keys with their ancestors and deleting whole trees are shown by the filter's registration.
TEST_F(RegistryTest, KeysAreListedInCreationOrderAndDeletedAloneWithWhatIsBelowThem) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Nowhere", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(dir.File("user.reg")));  // reading never creates the hive
    for (const char* child : {"Zeta\\Deep", "alpha", "ZETA", "Middle"})
        RegCloseKey(Create(std::string("List\\") + child));
    EXPECT_EQ(CreateResult("A\\\\B", &key), ERROR_INVALID_PARAMETER);
    HKEY list = Open("List");
    char name[32];
    std::vector<std::string> keys;
    for (DWORD i = 0; RegEnumKey(list, i, name, sizeof name) == ERROR_SUCCESS; ++i) keys.push_back(name);
    EXPECT_EQ(keys, (std::vector<std::string>{"Zeta", "alpha", "Middle"}));
    EXPECT_EQ(RegEnumKey(list, 0, name, 4), ERROR_MORE_DATA);  // "Zeta" needs five with its zero
    key = Create("List\\Zeta");
    RegCloseKey(Create("List\\ZetaTop"));  // shares a prefix but is not below it
    EXPECT_EQ(RegDeleteTree(list, "zeta"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTree(list, "Zeta"), ERROR_FILE_NOT_FOUND);
    keys.clear();
    for (DWORD i = 0; RegEnumKey(list, i, name, sizeof name) == ERROR_SUCCESS; ++i) keys.push_back(name);
    EXPECT_EQ(keys, (std::vector<std::string>{"alpha", "Middle", "ZetaTop"}));
    EXPECT_EQ(RegSetDword(key, "Late", 1), ERROR_KEY_DELETED);  // not written into nothing
    RegCloseKey(key);
    RegCloseKey(list);
}

TEST_F(RegistryTest, RefusedChangesLeaveTheFileAsItWas) {
    RegCloseKey(Create("Software\\Kept"));
    const std::string kept = UserHive();
    std::string deep = "k";
    for (size_t i = 0; i < kMaxKeyDepth; ++i) deep += "\\k";
    HKEY key = nullptr;
    EXPECT_EQ(CreateResult(deep, &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(UserHive(), kept);
    // A file that does not parse is neither read nor replaced: the user may still mend it.
    dir.Write("user.reg", kept + "\"half a value\n");
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Kept", 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_EQ(CreateResult("Software\\New", &key), ERROR_BADDB);
    EXPECT_EQ(UserHive(), kept + "\"half a value\n");
    dir.Write("user.reg", kept);
    // A change that changes nothing does not rewrite the file (a rewrite replaces its inode).
    const ino_t first = Inode();
    HKEY same = Create("Software\\Kept");
    EXPECT_EQ(RegSetDword(same, "N", 1), ERROR_SUCCESS);
    const ino_t second = Inode();
    RegCloseKey(Create("Software\\Kept"));
    EXPECT_EQ(RegSetDword(same, "N", 1), ERROR_SUCCESS);
    EXPECT_EQ(std::pair(first != second, Inode()), std::pair(true, second));
    RegCloseKey(same);
    // A folder that is not there yet is made with its parents.
    setenv("ALDRA_REGISTRY_DIR", dir.File("new/aldra").c_str(), 1);
    RegCloseKey(Create("Software"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("new/aldra/user.reg")));
    // A folder below a plain file, which even root cannot create folders in.
    setenv("ALDRA_REGISTRY_DIR", (dir.Write("blocker", "x") + "/aldra").c_str(), 1);
    EXPECT_NE(CreateResult("Software", &key), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

// Another program's rewrite of the same size shows at the next call, whether it lands in the same
// tick of the file clock as the read before it or later, in place or by rename.
TEST_F(RegistryTest, ACallSeesEveryRewriteOfTheHive) {
    auto hive = [](char digit) {
        return std::string("REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"V\"=dword:0000000") + digit + "\n";
    };
    for (bool pause : {false, true}) {
        for (bool byRename : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "pause " << pause << ", by rename " << byRename);
            dir.Write("user.reg", hive('1'));
            if (pause) std::this_thread::sleep_for(std::chrono::milliseconds(30));
            HKEY key = Open("K");
            DWORD value = 0;
            EXPECT_EQ(RegGetDword(key, "V", &value), ERROR_SUCCESS);
            EXPECT_EQ(value, 1u);
            if (byRename) {
                std::filesystem::rename(dir.Write("new.reg", hive('2')), dir.File("user.reg"));
            } else {
                dir.Write("user.reg", hive('2'));
            }
            EXPECT_EQ(RegGetDword(key, "V", &value), ERROR_SUCCESS);
            EXPECT_EQ(value, 2u);
            RegCloseKey(key);
        }
    }
}

// Each process rewrites the whole file; the lock keeps one from writing over another's change.
TEST_F(RegistryTest, ProcessesWritingAtOnceLoseNothing) {
    std::vector<pid_t> children;
    for (int w = 0; w < 4; ++w) {
        if (children.emplace_back(fork()) != 0) continue;
        HKEY key = nullptr;
        if (CreateResult("W" + std::to_string(w), &key) != ERROR_SUCCESS) _exit(1);
        for (DWORD i = 0; i < 20; ++i)
            if (RegSetDword(key, ("K" + std::to_string(i)).c_str(), i) != ERROR_SUCCESS) _exit(2);
        _exit(0);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < 4; ++w) {
        HKEY key = Open("W" + std::to_string(w));
        for (DWORD i = 0, value = 99; i < 20; ++i) {
            EXPECT_EQ(RegGetDword(key, ("K" + std::to_string(i)).c_str(), &value), ERROR_SUCCESS);
            EXPECT_EQ(value, i) << w;
        }
        RegCloseKey(key);
    }
}

// The hive is written only where it belongs: never through a link planted at its temporary file's
// name, never over a hive the user made read-only, and through a hive that is a link, into its target.
using Overwrite = RegistryTest;

TEST_F(Overwrite, TheHiveIsWrittenOnlyWhereItBelongs) {
    HKEY key = Create("Software\\Kept");
    const std::string victim = dir.Write("victim", "mine"),
                      planted = "user.reg.tmp." + std::to_string(getpid());
    for (const std::string& name : {planted, planted + ".0"}) symlink(victim.c_str(), dir.File(name).c_str());
    EXPECT_EQ(RegSetDword(key, "Planted", 1), ERROR_SUCCESS);
    EXPECT_EQ(std::filesystem::file_size(victim), 4u);  // still "mine"
    for (const std::string& name : {planted, planted + ".0"}) std::filesystem::remove(dir.File(name));
    const std::string kept = UserHive();
    chmod(dir.File("user.reg").c_str(), 0444);
    EXPECT_EQ(RegSetDword(key, "ReadOnly", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(std::filesystem::status(dir.File("user.reg")).permissions(), std::filesystem::perms(0444));
    EXPECT_EQ(UserHive(), kept);
    std::filesystem::rename(dir.File("user.reg"), dir.File("target.reg"));
    ASSERT_EQ(symlink("target.reg", dir.File("user.reg").c_str()), 0);
    EXPECT_EQ(RegSetDword(key, "Linked", 1), ERROR_ACCESS_DENIED);  // its target is still read-only
    chmod(dir.File("target.reg").c_str(), 0640);
    EXPECT_EQ(RegSetDword(key, "Linked", 1), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("user.reg")));
    EXPECT_NE(UserHive().find("\"Linked\"=dword:00000001"), std::string::npos);
    EXPECT_EQ(std::filesystem::status(dir.File("user.reg")).permissions(), std::filesystem::perms(0640));
    RegCloseKey(key);
}

}  // namespace
}  // namespace aldra
