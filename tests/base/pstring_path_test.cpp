#include <gtest/gtest.h>

#include <string>

#include "base/PString.h"
#include "base/Path.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

struct P {
    PString s;
    explicit P(const char* text) { PStrFromC(text, s, sizeof s); }
    std::string str() const { return PStrToString(s); }
};

TEST(PString, CapacityCutsOffSilently) {
    std::string longText(300, 'a');
    PString s;
    PStrFromC(longText.c_str(), s, sizeof s);
    EXPECT_EQ(PStrLength(s), 255);

    P small("hello world");
    uint8_t tiny[6];
    PStrCopy(small.s, tiny, sizeof tiny);
    EXPECT_EQ(PStrToString(tiny), "hello");

    P base(std::string(250, 'b').c_str());
    P ten("0123456789");
    PStrAppend(ten.s, base.s, sizeof base.s);
    EXPECT_EQ(PStrLength(base.s), 255);
    EXPECT_EQ(base.str().substr(250), "01234");

    char c[4];
    PStrToC(ten.s, c, sizeof c);
    EXPECT_STREQ(c, "012");

    P word("abc");
    PStrInsert(ten.s, word.s, 2, 8);  // a + 0123456789 + bc cut at 7 characters
    EXPECT_EQ(word.str(), "a012345");

    P x("x"), y("y");
    PString joined;
    PStrConcat(joined, 3, x.s, y.s, x.s, static_cast<const uint8_t*>(nullptr));
    EXPECT_EQ(PStrToString(joined), "xy");
}

TEST(PString, DeleteSubAndDropLastClampTheirRanges) {
    P s("abc");
    PStrDelete(s.s, 1, 1);
    EXPECT_EQ(s.str(), "bc");
    P t("abc");
    PStrDelete(t.s, 3, 10);
    EXPECT_EQ(t.str(), "ab");
    P e("");
    PStrDelete(e.s, 1, 1);
    EXPECT_EQ(e.str(), "");

    P text("Process Cyan");
    PString sub;
    PStrSub(text.s, 9, 100, sub, sizeof sub);
    EXPECT_EQ(PStrToString(sub), "Cyan");
    PStrSub(text.s, -5, 3, sub, sizeof sub);
    EXPECT_EQ(PStrToString(sub), "Pro");
    PStrSub(text.s, 40, 3, sub, sizeof sub);
    EXPECT_EQ(PStrToString(sub), "");

    char path[256];
    P bang("E:\\x.eps!");
    PStrToCDropLast(bang.s, path);
    EXPECT_STREQ(path, "E:\\x.eps");
    P one("a");
    PStrToCDropLast(one.s, path);
    EXPECT_STREQ(path, "");
}

TEST(PString, CompareAndFind) {
    EXPECT_EQ(PStrCompare(P("ab").s, P("abc").s), -1);
    EXPECT_EQ(PStrCompare(P("b").s, P("abc").s), 1);
    EXPECT_EQ(PStrCompare(P("abc").s, P("abc").s), 0);
    EXPECT_EQ(PStrCompare(P("\xe9").s, P("z").s), 1);  // bytes compare unsigned

    EXPECT_EQ(PStrFindNoCase(P("cyan").s, P("Process Cyan").s), 9);
    EXPECT_EQ(PStrFind(P("cyan").s, P("Process Cyan").s), 0);
    EXPECT_EQ(PStrFind(P("").s, P("abc").s), 1);
    EXPECT_EQ(PStrFind(P("abcd").s, P("abc").s), 0);
    EXPECT_EQ(PStrFindNoCase(P("\xe9").s, P("\xc9").s), 0);  // only a-z fold
}

TEST(Path, SplitsOnEitherSeparatorAndJoinsWithSlash) {
    std::string dir;
    PString name;
    SplitPath("E:\\dir\\file.eps", &dir, name, sizeof name);
    EXPECT_EQ(dir, "E:\\dir");
    EXPECT_EQ(PStrToString(name), "file.eps");
    SplitPath("file.eps", &dir, name, sizeof name);
    EXPECT_EQ(dir, "");
    EXPECT_EQ(PStrToString(name), "file.eps");
    SplitPath("/home/a\\b/c.ai", &dir, nullptr, 0);
    EXPECT_EQ(dir, "/home/a\\b");
    uint8_t shortName[4];
    SplitPath("/x/long.eps", nullptr, shortName, sizeof shortName);
    EXPECT_EQ(PStrToString(shortName), "lon");

    testing::TempDir tmp;
    tmp.Write("here.eps", "x");
    std::string full;
    EXPECT_TRUE(FileExistsIn(tmp.path(), P("here.eps").s, &full));
    EXPECT_EQ(full, tmp.path() + "/here.eps");
    EXPECT_FALSE(FileExistsIn(tmp.path(), P("gone.eps").s, &full));
    EXPECT_EQ(full, tmp.path() + "/gone.eps");
}

}  // namespace
}  // namespace aldra
