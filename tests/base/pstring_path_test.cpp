// Length-prefixed strings: every operation cuts at its capacity and clamps its ranges; paths split
// on either separator.
#include <gtest/gtest.h>

#include <string>

#include "base/PString.h"
#include "base/Path.h"

namespace aldra {
namespace {

struct P {
    PString s;
    explicit P(const std::string& text) { PStrFromView(text, s, sizeof s); }
    std::string str() const { return PStrToString(s); }
};

TEST(PString, OperationsCutAtTheirCapacityAndClampTheirRanges) {
    P ten("0123456789"), base(std::string(250, 'b')), word("abc"), x("x"), y("y");
    uint8_t tiny[6];
    PStrCopy(P("hello world").s, tiny, sizeof tiny);
    PStrAppend(ten.s, base.s, sizeof base.s);
    PString joined, sub1, sub2, sub3;
    PStrConcat(joined, 3, x.s, y.s, x.s, static_cast<const uint8_t*>(nullptr));
    P text("Process Cyan");
    PStrSub(text.s, 9, 100, sub1, sizeof sub1);
    PStrSub(text.s, -5, 3, sub2, sizeof sub2);
    PStrSub(text.s, 40, 3, sub3, sizeof sub3);
    P d1("abc"), d2("abc"), d3("");
    PStrDelete(d1.s, 1, 1);
    PStrDelete(d2.s, 3, 10);
    PStrDelete(d3.s, 1, 1);
    char c[4], path[256], empty[256];
    PStrToC(ten.s, c, sizeof c);
    PStrToCDropLast(P("E:\\x.eps!").s, path);
    PStrToCDropLast(P("a").s, empty);
    std::string dos, bare, mixed;
    PString dosName, bareName;
    SplitPath("E:\\dir\\file.eps", &dos, dosName, sizeof dosName);
    SplitPath("file.eps", &bare, bareName, sizeof bareName);
    SplitPath("/home/a\\b/c.ai", &mixed, nullptr, 0);
    const std::pair<std::string, std::string> cases[] = {
        {P(std::string(300, 'a')).str(), std::string(255, 'a')},
        {PStrToString(tiny), "hello"},
        {base.str(), std::string(250, 'b') + "01234"},
        {std::to_string(PStrCompare(P("ab").s, P("abc").s)) +
             std::to_string(PStrCompare(P("\xe9").s, P("z").s)),
         "-11"},  // bytes compare unsigned
        {std::to_string(PStrFindNoCase(P("cyan").s, P("Process Cyan").s)) +
             std::to_string(PStrFindNoCase(P("\xe9").s, P("\xc9").s)) +
             std::to_string(PStrFind(P("").s, word.s)) + std::to_string(PStrFind(P("abcd").s, word.s)),
         "9010"},  // only a-z fold
        {PStrToString(joined), "xy"},
        {PStrToString(sub1) + "|" + PStrToString(sub2) + "|" + PStrToString(sub3), "Cyan|Pro|"},
        {d1.str() + "|" + d2.str() + "|" + d3.str(), "bc|ab|"},
        {std::string(c) + "|" + path + "|" + empty, "012|E:\\x.eps|"},
        {dos + "|" + PStrToString(dosName) + "|" + bare + "|" + PStrToString(bareName) + "|" + mixed,
         "E:\\dir|file.eps||file.eps|/home/a\\b"},  // either separator
    };
    for (const auto& [got, expected] : cases) EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace aldra
