// The REGEDIT4 text form: what the parser accepts, what it refuses, and that formatting and parsing
// give back the same hive.
#include <gtest/gtest.h>

#include "platform/registry/Hive.h"

namespace aldra {
namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

Hive RoundTrip(const Hive& hive) {
    Hive back;
    EXPECT_TRUE(ParseHive(FormatHive(hive, kRoot), kRoot, &back)) << FormatHive(hive, kRoot);
    return back;
}

TEST(HiveText, ValuesOfEveryKindSurviveFormatAndParse) {
    Hive hive;
    HiveKey* key = CreateKey(&hive, "Software\\Aldra", nullptr);
    key->values.push_back({"", 1, "default"});
    key->values.push_back({"Quotes", 1, "say \"hi\" C:\\dir\\"});
    key->values.push_back({"Ansi", 1, "caf\xE9 \x80 \x9F"});
    key->values.push_back({"Control", 1, std::string("line1\r\nline2\ttab", 16)});
    key->values.push_back({"Number", 4, std::string("\x78\x56\x34\x12", 4)});
    key->values.push_back({"Blob", 3, std::string(100, '\xAB')});  // long enough to need continuation lines
    key->values.push_back({"Empty", 1, ""});

    Hive back = RoundTrip(hive);
    HiveKey* again = FindKey(&back, "software\\ALDRA");
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->values.size(), key->values.size());
    for (size_t i = 0; i < key->values.size(); ++i) {
        EXPECT_EQ(again->values[i].name, key->values[i].name);
        EXPECT_EQ(again->values[i].type, key->values[i].type) << key->values[i].name;
        EXPECT_EQ(again->values[i].data, key->values[i].data) << key->values[i].name;
    }
}

TEST(HiveText, KeysKeepCreationOrderAndTheirAncestors) {
    Hive hive;
    CreateKey(&hive, "Z\\Inner", nullptr);
    CreateKey(&hive, "A", nullptr);
    bool created = true;
    CreateKey(&hive, "z", &created);
    EXPECT_FALSE(created);  // names compare without case
    Hive back = RoundTrip(hive);
    EXPECT_EQ(ChildNames(back, ""), (std::vector<std::string>{"Z", "A"}));
    EXPECT_EQ(ChildNames(back, "z"), (std::vector<std::string>{"Inner"}));
}

TEST(HiveText, RemoveTreeTakesOnlyThatBranch) {
    Hive hive;
    CreateKey(&hive, "Soft\\A\\B", nullptr);
    CreateKey(&hive, "Soft\\AB", nullptr);  // shares a prefix with Soft\A but is not below it
    RemoveTree(&hive, "Soft\\A", false);
    EXPECT_EQ(FindKey(&hive, "Soft\\A"), nullptr);
    EXPECT_EQ(FindKey(&hive, "Soft\\A\\B"), nullptr);
    EXPECT_NE(FindKey(&hive, "Soft\\AB"), nullptr);
    CreateKey(&hive, "Soft\\AB\\C", nullptr);
    RemoveTree(&hive, "Soft\\AB", true);
    EXPECT_NE(FindKey(&hive, "Soft\\AB"), nullptr);
    EXPECT_EQ(FindKey(&hive, "Soft\\AB\\C"), nullptr);
}

TEST(HiveText, ReadsWhatRegeditWrites) {
    // CRLF, a section for a key whose parent has no section of its own, hex continuation lines,
    // a hex(2) value and a blank-line-free end.
    const std::string text =
        "REGEDIT4\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Vendor\\App]\r\n"
        "@=\"Main\"\r\n"
        "\"Count\"=dword:0000002a\r\n"
        "\"Path\"=hex(2):25,00\r\n"
        "\"Data\"=hex:01,02,\\\r\n"
        "  03,04\r\n"
        "[HKEY_CURRENT_USER\\Software\\Vendor\\App\\Sub]";
    Hive hive;
    ASSERT_TRUE(ParseHive(text, kRoot, &hive));
    EXPECT_NE(FindKey(&hive, "Software"), nullptr);
    HiveKey* app = FindKey(&hive, "Software\\Vendor\\App");
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(FindValue(app, "")->data, "Main");
    EXPECT_EQ(FindValue(app, "count")->data, std::string("\x2a\0\0\0", 4));
    EXPECT_EQ(FindValue(app, "Path")->type, 2u);
    EXPECT_EQ(FindValue(app, "Data")->data, "\x01\x02\x03\x04");
    EXPECT_NE(FindKey(&hive, "Software\\Vendor\\App\\Sub"), nullptr);
}

TEST(HiveText, AnEmptyFileIsAnEmptyHive) {
    Hive hive;
    ASSERT_TRUE(ParseHive("\n\n", kRoot, &hive));
    EXPECT_EQ(hive.keys.size(), 1u);
}

TEST(HiveText, RefusesAnythingItDoesNotUnderstand) {
    const char* bad[] = {
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
    };
    for (const char* text : bad) {
        Hive hive;
        EXPECT_FALSE(ParseHive(text, kRoot, &hive)) << text;
    }
}

}  // namespace
}  // namespace aldra
