// Registry text that no tool writes but a damaged or forged file may hold: types above 9, keys
// deeper than a registry tree, thousands of keys or values. Each parses in one pass or is refused,
// and a refused change leaves the file as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/registry/Hive.h"
#include "platform/registry/Registry.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

TEST(HiveFixes, TypesAboveNineAreWrittenInHexAndKeepTheirType) {
    // A REG_QWORD (11) and a type regedit shows as hex(19): both must survive the rewrite that any
    // change to the hive makes.
    Hive hive;
    ASSERT_TRUE(
        ParseHive("REGEDIT4\n\n[HKEY_CURRENT_USER\\S]\n\"q\"=hex(b):01,00,00,00,00,00,00,00\n"
                  "\"t\"=hex(19):32,2c\n",
                  kRoot, &hive));
    const std::string written = FormatHive(hive, kRoot);
    EXPECT_NE(written.find("\"q\"=hex(b):01,00"), std::string::npos) << written;
    EXPECT_NE(written.find("\"t\"=hex(19):32,2c"), std::string::npos) << written;
    Hive again;
    ASSERT_TRUE(ParseHive(written, kRoot, &again));
    HiveKey* key = FindKey(&again, "S");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(FindValue(key, "q")->type, 11u);
    EXPECT_EQ(FindValue(key, "t")->type, 0x19u);
}

std::string DeepPath(size_t levels) {
    std::string path = "k";
    for (size_t i = 1; i < levels; ++i) path += "\\k";
    return path;
}

TEST(HiveFixes, KeysDeeperThanARegistryTreeAreRefused) {
    Hive hive;
    EXPECT_TRUE(ParseHive("REGEDIT4\n[HKEY_CURRENT_USER\\" + DeepPath(kMaxKeyDepth) + "]\n", kRoot, &hive));
    EXPECT_EQ(hive.keys.size(), kMaxKeyDepth + 1);
    // One level more is a hive no Windows tool writes; thirty thousand used to overflow the stack.
    EXPECT_FALSE(
        ParseHive("REGEDIT4\n[HKEY_CURRENT_USER\\" + DeepPath(kMaxKeyDepth + 1) + "]\n", kRoot, &hive));
    EXPECT_FALSE(ParseHive("REGEDIT4\n[HKEY_CURRENT_USER\\" + DeepPath(30000) + "]\n", kRoot, &hive));
    Hive fresh;
    EXPECT_EQ(CreateKey(&fresh, DeepPath(kMaxKeyDepth + 1), nullptr), nullptr);
    EXPECT_EQ(fresh.keys.size(), 1u);
    EXPECT_NE(CreateKey(&fresh, DeepPath(kMaxKeyDepth), nullptr), nullptr);
}

TEST(HiveFixes, AHiveOfManyDeepKeysParsesInOnePass) {
    // 64 KB of sections, each 400 levels deep under its own first name: 32,000 keys, each of which
    // CreateKey used to look for among all the keys before it.
    std::string text = "REGEDIT4\n";
    int sections = 0;
    for (; text.size() < 65000; ++sections)
        text += "[HKEY_CURRENT_USER\\s" + std::to_string(sections) + "\\" + DeepPath(399) + "]\n";
    Hive hive;
    ASSERT_TRUE(ParseHive(text, kRoot, &hive));
    EXPECT_EQ(hive.keys.size(), static_cast<size_t>(sections) * 400 + 1);
    EXPECT_EQ(hive.keys[400].path, "s0\\" + DeepPath(399));  // creation order: each key after its parent
    EXPECT_EQ(hive.keys[401].path, "s1");
}

TEST(HiveFixes, AKeyOfManyValuesParsesInOnePassAndTheLastOfANameWins) {
    std::string text = "REGEDIT4\n[HKEY_CURRENT_USER\\S]\n";
    for (int i = 0; i < 100000; ++i) text += "\"v" + std::to_string(i) + "\"=dword:00000001\n";
    text += "\"V7\"=dword:00000002\n";
    Hive hive;
    ASSERT_TRUE(ParseHive(text, kRoot, &hive));
    HiveKey* key = FindKey(&hive, "S");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.size(), 100000u);
    EXPECT_EQ(key->values[7].name, "V7");  // replaced in place, names compared without case
    EXPECT_EQ(key->values[7].data, std::string("\x02\0\0\0", 4));
}

TEST(HiveFixes, RegCreateKeyExRefusesATooDeepKeyAndLeavesTheFile) {
    TempDir folder;
    setenv("ALDRA_REGISTRY_DIR", folder.path().c_str(), 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Kept", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string hivePath = HiveFilePath(HKEY_CURRENT_USER);
    std::ifstream before(hivePath);
    std::stringstream kept;
    kept << before.rdbuf();
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, DeepPath(kMaxKeyDepth + 1).c_str(), 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key, nullptr);
    std::ifstream after(hivePath);
    std::stringstream now;
    now << after.rdbuf();
    EXPECT_EQ(now.str(), kept.str());
    unsetenv("ALDRA_REGISTRY_DIR");
}

}  // namespace
}  // namespace aldra
