// The REGEDIT4 text form: what the parser accepts and refuses, that formatting and parsing give
// back the same hive, and hives no tool writes but a damaged or forged file may hold.
#include <gtest/gtest.h>

#include "platform/registry/Hive.h"

namespace aldra {
namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

TEST(HiveText, ValuesOfEveryKindSurviveFormatAndParse) {
    Hive hive;
    HiveKey* key = CreateKey(&hive, "Software\\Aldra", nullptr);
    key->values = {{"", 1, "default"},
                   {"Quotes", 1, "say \"hi\" C:\\dir\\"},
                   {"Ansi", 1, "caf\xE9 \x80 \x9F"},
                   {"Control", 1, std::string("line1\r\nline2\ttab\0", 17)},
                   {"Number", 4, std::string("\x78\x56\x34\x12", 4)},
                   {"Blob", 3, std::string(100, '\xAB')},  // long enough to need continuation lines
                   {"Expand", 2, "%PATH%"},
                   {"Qword", 11, std::string("\1\0\0\0\0\0\0\0", 8)},  // types above 9 in hex(b)
                   {"Odd", 0x19, "2,"},
                   {"Empty", 1, ""}};
    const std::string text = FormatHive(hive, kRoot);
    Hive back;
    ASSERT_TRUE(ParseHive(text, kRoot, &back)) << text;
    EXPECT_EQ(FormatHive(back, kRoot), text);
    HiveKey* again = FindKey(&back, "software\\ALDRA");
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->values.size(), key->values.size());
    for (size_t i = 0; i < key->values.size(); ++i)  // names and types are in the text compared above
        EXPECT_EQ(again->values[i].data, key->values[i].data) << key->values[i].name;
    EXPECT_NE(text.find("\"Qword\"=hex(b):01,00"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Odd\"=hex(19):32,2c"), std::string::npos) << text;
}

TEST(HiveText, ReadsWhatRegeditWrites) {
    // CRLF, a key whose parent has no section of its own, a wrapped hex list, hex(2) with its
    // terminating zero, spaces between bytes, a later value of the same name, no final line end.
    const std::string text =
        "REGEDIT4\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Vendor\\App]\r\n"
        "@=\"Main\"\r\n"
        "\"Count\"=dword:0000002a\r\n"
        "\"Path\"=hex(2):25,00\r\n"
        "\"Data\"=hex: 01 ,\t02,\\\r\n"
        "  03,04\r\n"
        "\"COUNT\"=dword:0000002b\r\n"
        "[HKEY_CURRENT_USER\\Software\\Vendor\\App\\Sub]";
    Hive hive;
    ASSERT_TRUE(ParseHive(text, kRoot, &hive));
    EXPECT_EQ(ChildNames(hive, ""), std::vector<std::string>{"Software"});
    HiveKey* app = FindKey(&hive, "Software\\Vendor\\App");
    ASSERT_NE(app, nullptr);
    ASSERT_EQ(app->values.size(), 4u);
    EXPECT_EQ(FindValue(app, "")->data, "Main");
    EXPECT_EQ(FindValue(app, "count")->data, std::string("\x2b\0\0\0", 4));  // replaced in place
    EXPECT_EQ(app->values[1].name, "COUNT");
    EXPECT_EQ(FindValue(app, "Path")->data, "%");
    EXPECT_EQ(FindValue(app, "Data")->data, "\x01\x02\x03\x04");
    EXPECT_EQ(ChildNames(hive, "software\\vendor\\app"), std::vector<std::string>{"Sub"});
    EXPECT_TRUE(ParseHive("\n\n", kRoot, &hive));  // an empty file is an empty hive
    EXPECT_EQ(hive.keys.size(), 1u);
}

std::string DeepPath(size_t levels) {
    std::string path = "k";
    for (size_t i = 1; i < levels; ++i) path += "\\k";
    return path;
}

TEST(HiveText, RefusesAnythingItDoesNotUnderstand) {
    const std::string bad[] = {
        "Windows Registry Editor Version 5.00\n",                     // the UTF-16 format, not ours
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\CLSID]\n",                     // another hive's root
        "REGEDIT4\n[HKEY_CURRENT_USER\\A\n",                          // unclosed section
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\nloose text\n",             // not a value line
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:123456789\n",  // too many digits
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:0g\n",           // bad hex digit
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"unterminated\n",   // open quote
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,\\\n",        // continuation into nothing
        "REGEDIT4\n\"x\"=\"value outside any key\"\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\A\\\\B]\n",  // empty key name
        // One level deeper than a registry tree goes; thirty thousand used to overflow the stack.
        "REGEDIT4\n[HKEY_CURRENT_USER\\" + DeepPath(kMaxKeyDepth + 1) + "]\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\" + DeepPath(30000) + "]\n",
    };
    for (const std::string& text : bad) {
        Hive hive;
        EXPECT_FALSE(ParseHive(text, kRoot, &hive)) << text.substr(0, 80);
    }
    Hive hive;
    EXPECT_TRUE(ParseHive("REGEDIT4\n[HKEY_CURRENT_USER\\" + DeepPath(kMaxKeyDepth) + "]\n", kRoot, &hive));
    EXPECT_EQ(CreateKey(&hive, DeepPath(kMaxKeyDepth + 1), nullptr), nullptr);
    EXPECT_EQ(hive.keys.size(), kMaxKeyDepth + 1);
}

TEST(HiveText, HivesOfManyKeysOrValuesParseInOnePass) {
    // 32,000 keys 400 deep, each of which was once looked for among all the keys before it, and a
    // key of 100,000 values, each once looked for among the values before it.
    std::string text = "REGEDIT4\n";
    int sections = 0;
    for (; text.size() < 65000; ++sections)
        text += "[HKEY_CURRENT_USER\\s" + std::to_string(sections) + "\\" + DeepPath(399) + "]\n";
    text += "[HKEY_CURRENT_USER\\V]\n";
    for (int i = 0; i < 100000; ++i) text += "\"v" + std::to_string(i) + "\"=dword:00000001\n";
    Hive hive;
    ASSERT_TRUE(ParseHive(text, kRoot, &hive));
    EXPECT_EQ(hive.keys.size(), static_cast<size_t>(sections) * 400 + 2);
    EXPECT_EQ(hive.keys[400].path, "s0\\" + DeepPath(399));  // creation order: each key after its parent
    EXPECT_EQ(FindKey(&hive, "V")->values.size(), 100000u);
}

}  // namespace
}  // namespace aldra
