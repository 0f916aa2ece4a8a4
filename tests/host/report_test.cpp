// The host's own encodings, where a slip would corrupt every line it prints or every record it passes.
#include <gtest/gtest.h>

#include "host/FilterRecordText.h"
#include "host/Report.h"
#include "host/Thumbnails.h"
#include "host/Wire.h"

namespace aldra::host {
namespace {

TEST(Encodings, JsonStringsNumbersAndFileUris) {
    const std::pair<std::string, std::string> cases[] = {
        {JsonString("a\"b\\c"), "\"a\\\"b\\\\c\""},
        {JsonString("\r\n\t\x01\x1F\x7F"), "\"\\r\\n\\t\\u0001\\u001f\\u007f\""},
        {JsonString("\xE2\x82\xAC \xF0\x9F\x98\x80"), "\"\xE2\x82\xAC \xF0\x9F\x98\x80\""},
        {JsonString(std::string("a\0b", 3)), "\"a\\u0000b\""},
        {JsonString("\xE9t\xC0\xAF"), "\"\\\\xe9t\\\\xc0\\\\xaf\""},  // Latin-1, an overlong '/'
        {JsonString("\xED\xA0\x80\xE2\x82"),
         "\"\\\\xed\\\\xa0\\\\x80\\\\xe2\\\\x82\""},  // surrogate, cut short
        {JsonNumber(static_cast<float>(0.1)), "0.1"},
        {JsonNumber(1.0 / 3.0), "0.3333333333333333"},
        {JsonNumber(std::numeric_limits<double>::quiet_NaN()), "0"},
        {FileUri("/a b/c%d/\xC3\xA9~_-.eps"), "file:///a%20b/c%25d/%C3%A9~_-.eps"},
    };
    for (const auto& [actual, expected] : cases) EXPECT_EQ(actual, expected);
}

TEST(Wire, RecordsSurviveTheTripAndBrokenOnesAreRefused) {
    FileRecord record;
    record.facts.path = std::string("/a\0b", 4);
    record.facts.status = FileStatus::Refused;
    record.facts.errorCode = 2;
    record.facts.width = 1.5;
    record.facts.notes = "x\ry";
    record.size = 1234567890123;
    record.mtimeNs = -5;
    record.thumbnail = std::string(3000, '\xFF');
    record.facts.documentFacts = {{"Title", "Caf\xC3\xA9"}, {"Pages", ""}};
    std::string bytes = EncodeRecord(record);
    FileRecord back;
    ASSERT_TRUE(DecodeRecord(bytes, &back));
    EXPECT_EQ(EncodeRecord(back), bytes);
    EXPECT_EQ(back.facts.path + back.facts.notes + back.thumbnail,
              record.facts.path + "x\ry" + record.thumbnail);
    EXPECT_EQ(back.facts.documentFacts, record.facts.documentFacts);
    for (size_t cut : {size_t{0}, size_t{1}, bytes.size() / 2, bytes.size() - 1})
        EXPECT_FALSE(DecodeRecord(bytes.substr(0, cut), &back)) << cut;
    EXPECT_FALSE(DecodeRecord(bytes + "x", &back));
}

// A filter's record is read to its end whatever its form: a lone backslash, a line without a
// value and a last line without its end change nothing around them.
TEST(FilterRecordText, EscapesAreUndoneAndBrokenLinesPassedOver) {
    struct Row {
        std::string record, user;
    } rows[] = {
        {"InfoGetUser\ta\\tb\\\\n\\r\n", "a\tb\\n\r"},
        {"InfoGetUser\tends in \\", "ends in \\"},
        {"no value here\nInfoGetUser\tu\n", "u"},
        {"Fact:Title\tt\nInfoGetWidth\t2.5\nEPSFType\t3\nInfoGetUser\tlast", "last"},
    };
    for (const Row& row : rows) {
        FileFacts facts;
        TakeRecord(row.record, &facts);
        EXPECT_EQ(facts.user, row.user) << row.record;
    }
}

}  // namespace
}  // namespace aldra::host
