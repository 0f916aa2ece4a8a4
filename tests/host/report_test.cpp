// The host's own encodings, where a slip would corrupt every line it prints or every record it passes.
#include <gtest/gtest.h>

#include "host/Report.h"
#include "host/Thumbnails.h"
#include "host/Wire.h"

namespace aldra::host {
namespace {

TEST(JsonString, EscapesWhatJsonForbidsAndKeepsUtf8) {
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString("\r\n\t\x01\x1F\x7F"), "\"\\r\\n\\t\\u0001\\u001f\\u007f\"");
    EXPECT_EQ(JsonString("\xE2\x82\xAC \xF0\x9F\x98\x80"), "\"\xE2\x82\xAC \xF0\x9F\x98\x80\"");
    EXPECT_EQ(JsonString(std::string("a\0b", 3)), "\"a\\u0000b\"");
}

TEST(JsonString, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(JsonString("\xE9t\xE9"), "\"\\ufffdt\\ufffd\"");           // Latin-1 bytes
    EXPECT_EQ(JsonString("\xC0\xAF"), "\"\\ufffd\\ufffd\"");             // overlong '/'
    EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");  // a surrogate
    EXPECT_EQ(JsonString("\xE2\x82"), "\"\\ufffd\\ufffd\"");             // cut short
}

TEST(JsonNumber, PrintsTheFloatTheFilterAnswered) {
    EXPECT_EQ(JsonNumber(static_cast<float>(0.1)), "0.1");
    EXPECT_EQ(JsonNumber(2.0), "2");
    EXPECT_EQ(JsonNumber(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(JsonNumber(std::numeric_limits<double>::quiet_NaN()), "0");
}

TEST(FileUri, PercentEncodesAllButUnreservedCharacters) {
    EXPECT_EQ(FileUri("/a b/c%d/\xC3\xA9.eps"), "file:///a%20b/c%25d/%C3%A9.eps");
    EXPECT_EQ(FileUri("/x~y_z-1.2"), "file:///x~y_z-1.2");
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
    std::string bytes = EncodeRecord(record);
    FileRecord back;
    ASSERT_TRUE(DecodeRecord(bytes, &back));
    EXPECT_EQ(back.facts.path, record.facts.path);
    EXPECT_EQ(back.facts.status, FileStatus::Refused);
    EXPECT_EQ(back.facts.errorCode, 2);
    EXPECT_EQ(back.facts.width, 1.5);
    EXPECT_EQ(back.facts.notes, "x\ry");
    EXPECT_EQ(back.size, record.size);
    EXPECT_EQ(back.mtimeNs, -5);
    EXPECT_EQ(back.thumbnail, record.thumbnail);
    for (size_t cut : {size_t{0}, size_t{1}, bytes.size() / 2, bytes.size() - 1})
        EXPECT_FALSE(DecodeRecord(bytes.substr(0, cut), &back)) << cut;
    EXPECT_FALSE(DecodeRecord(bytes + "x", &back));
}

}  // namespace
}  // namespace aldra::host
