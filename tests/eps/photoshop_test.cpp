#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/PString.h"
#include "base/StringList.h"
#include "base/TextBuffer.h"
#include "eps/AnpaTable.h"
#include "eps/Photoshop.h"
#include "platform/resources/Resources.h"
#include "support/EpsFixtures.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;

constexpr uint32_t kFixed72 = 72u << 16;

// An open reader on a file written into the test's folder.
class PhotoshopFile {
  public:
    PhotoshopFile(const TempDir& dir, const std::string& comments) {
        status_ = OpenEps(dir.Write("ps.eps", EpsText(comments)).c_str(), &eps_);
    }
    ~PhotoshopFile() {
        if (status_ == kOk) CloseEps(&eps_);
    }
    EpsReader* eps() { return &eps_; }
    Status status() const { return status_; }

  private:
    EpsReader eps_;
    Status status_;
};

struct Table {
    TextBuffer* buffer = nullptr;
    explicit Table(const std::string& text) {
        NewBuffer(0, &buffer);
        ParseAnpaSettings(buffer, text);
    }
    ~Table() { DisposeBuffer(buffer); }
};

std::vector<std::string> Keywords(EpsReader* eps, Status* status) {
    StringList* list = nullptr;
    uint32_t count = 0;
    *status = ReadIptcKeywords(eps, &list, &count);
    std::vector<std::string> out;
    if (*status != kOk) return out;
    ForEachEntry(list, [&](const uint8_t* entry) {
        out.push_back(PStrToString(entry));
        return true;
    });
    EXPECT_EQ(count, out.size());
    DisposeBuffer(list);
    return out;
}

std::string Notes(EpsReader* eps, const std::string& table, Status* status) {
    Table anpa(table);
    PString separator;
    PStrFromC(": ", separator, sizeof separator);
    TextBuffer* notes = nullptr;
    *status = ReadIptcNotes(eps, anpa.buffer, separator, &notes);
    if (*status != kOk) return {};
    std::string text(reinterpret_cast<const char*>(BufferData(notes)), GetBufferSize(notes));
    DisposeBuffer(notes);
    return text;
}

std::string DefaultTable() {
    return ResourceText(252);
}

TEST(PhotoshopBlock, KeywordsAndCaptionWithTheDefaultTable) {
    TempDir dir;
    std::string iptc = IptcDataSetBytes(2, 0, "\0\2") + IptcDataSetBytes(2, 25, "harbour") +
                       IptcDataSetBytes(2, 120, "Boats at dawn") + IptcDataSetBytes(2, 25, "boats");
    PhotoshopFile file(dir, "%%BoundingBox: 0 0 10 10\n" +
                                PhotoshopBlock(ImageResource(1005, ResolutionInfo(kFixed72, kFixed72)) +
                                               ImageResource(1028, iptc, "IPTC")));
    ASSERT_EQ(file.status(), kOk);
    Status status;
    EXPECT_EQ(Keywords(file.eps(), &status), (std::vector<std::string>{"harbour", "boats"}));
    EXPECT_EQ(status, kOk);
    EXPECT_EQ(Notes(file.eps(), DefaultTable(), &status), "Caption: Boats at dawn");
    EXPECT_EQ(status, kOk);
}

TEST(PhotoshopBlock, NotesFollowTheRecordOrderAndRepeatDataSets) {
    TempDir dir;
    std::string iptc = IptcDataSetBytes(2, 120, "cap") + IptcDataSetBytes(2, 105, "head") +
                       IptcDataSetBytes(2, 55, "20261206") + IptcDataSetBytes(2, 105, "again");
    PhotoshopFile file(dir, PhotoshopBlock(ImageResource(1028, iptc)));
    Status status;
    // Headline selected before Caption in the table; a type above 4 gives the label alone.
    std::string notes = Notes(file.eps(), "2,105,0,1,Headline\n2,120,0,1,Caption\n2,55,5,1,Date", &status);
    EXPECT_EQ(status, kOk);
    EXPECT_EQ(notes, "Caption: cap\rHeadline: head\rDate: \rHeadline: again");
    // Only the first selected row of a data set counts.
    notes = Notes(file.eps(), "2,120,0,0,Unused\n2,120,0,1,First\n2,120,0,1,Second", &status);
    EXPECT_EQ(notes, "First: cap");
    Notes(file.eps(), "2,105,0,0,Headline", &status);
    EXPECT_EQ(status, kErrFormat);
}

TEST(PhotoshopBlock, ExtendedLengthsAndLongKeywords) {
    TempDir dir;
    std::string caption(70000, 'c');
    std::string iptc =
        IptcDataSetBytes(2, 120, caption, true) + IptcDataSetBytes(2, 25, std::string(300, 'k'));
    PhotoshopFile file(dir, PhotoshopBlock(ImageResource(1028, iptc)));
    Status status;
    auto keywords = Keywords(file.eps(), &status);
    ASSERT_EQ(keywords.size(), 1u);
    EXPECT_EQ(keywords[0], std::string(255, 'k'));
    EXPECT_EQ(Notes(file.eps(), DefaultTable(), &status), "Caption: " + caption);
}

TEST(PhotoshopBlock, ShortOrMissingBlocksGiveNothing) {
    TempDir dir;
    std::string resources = ImageResource(1028, IptcDataSetBytes(2, 25, "kw"));
    struct Case {
        const char* name;
        std::string comments;
    } cases[] = {
        {"announced two bytes more", PhotoshopBlock(resources, static_cast<long>(resources.size()) + 2)},
        {"block behind the code", "gsave\n" + PhotoshopBlock(resources)},
        {"no block", "%%Creator: none"},
        {"no keywords", PhotoshopBlock(ImageResource(1028, IptcDataSetBytes(2, 120, "c")))},
        {"no IPTC resource", PhotoshopBlock(ImageResource(1005, ResolutionInfo(kFixed72, kFixed72)))},
        {"record not starting with the marker",
         PhotoshopBlock(ImageResource(1028, "x" + IptcDataSetBytes(2, 25, "k")))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PhotoshopFile file(dir, c.comments);
        Status status;
        EXPECT_TRUE(Keywords(file.eps(), &status).empty());
        EXPECT_EQ(status, kErrFormat);
    }
}

TEST(PhotoshopBlock, ExtraHexLinesBehindTheAnnouncedBytesAreIgnored) {
    TempDir dir;
    std::string resources = ImageResource(1028, IptcDataSetBytes(2, 25, "kw"));
    PhotoshopFile file(dir, PhotoshopBlock(resources) + "\n%ABCDEF");
    TextBuffer* block = nullptr;
    ASSERT_EQ(ReadPhotoshopData(file.eps(), &block), kOk);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(BufferData(block)), GetBufferSize(block)), resources);
    DisposeBuffer(block);
}

TEST(PhotoshopBlock, HexLinesWithOrWithoutTheBlankAfterThePercent) {
    TempDir dir;
    std::string resources = ImageResource(1028, IptcDataSetBytes(2, 25, "kw"));
    const std::string n = std::to_string(resources.size());
    for (const char* prefix : {"% ", "%", "%\t "}) {
        SCOPED_TRACE(::testing::PrintToString(prefix));
        PhotoshopFile file(dir, "%BeginPhotoshop: " + n + "\n" + HexCommentLines(resources, prefix));
        Status status;
        EXPECT_EQ(Keywords(file.eps(), &status), (std::vector<std::string>{"kw"}));
    }
    // A blank inside the digits still spoils its line, and with it the block.
    std::string hex = HexCommentLines(resources, "%");
    hex.insert(3, " ");
    PhotoshopFile broken(dir, "%BeginPhotoshop: " + n + "\n" + hex);
    Status status;
    EXPECT_TRUE(Keywords(broken.eps(), &status).empty());
    EXPECT_EQ(status, kErrFormat);
}

TEST(ImageResources, WalkChecksEveryClaimedLength) {
    std::string block =
        ImageResource(1000, "odd", "name") + ImageResource(1005, ResolutionInfo(72u << 16, 0x00960000, 2));
    const auto* bytes = reinterpret_cast<const uint8_t*>(block.data());
    int32_t h = 0, v = 0;
    // Units say pixels per centimetre; the values are still taken as they stand.
    ASSERT_EQ(ReadPhotoshopResolution(bytes, static_cast<uint32_t>(block.size()), &h, &v), kOk);
    EXPECT_EQ(h, 72 << 16);
    EXPECT_EQ(v, 150 << 16);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(FindImageResource(bytes, static_cast<uint32_t>(block.size()), 1000, &data, &size), kOk);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), "odd");
    // Every cut of the block leaves the resource behind the cut unreachable, never read past the end.
    for (uint32_t cut = 0; cut < block.size(); ++cut) {
        std::vector<uint8_t> head(bytes, bytes + cut);
        EXPECT_EQ(ReadPhotoshopResolution(head.data(), cut, &h, &v), kErrFormat) << cut;
    }
    // A resource claiming 4 GB, a bad signature and a 15-byte resolution.
    std::string huge = "8BIM" + BigEndian16(1005) + std::string(2, '\0') + BigEndian32(0xFFFFFFF0) + "x";
    std::string wrongSignature = "8BIN" + block.substr(4);
    std::string shortResolution = ImageResource(1005, ResolutionInfo(1, 1).substr(0, 15));
    for (const std::string& bad : {huge, wrongSignature, shortResolution}) {
        EXPECT_EQ(ReadPhotoshopResolution(reinterpret_cast<const uint8_t*>(bad.data()),
                                          static_cast<uint32_t>(bad.size()), &h, &v),
                  kErrFormat);
    }
}

TEST(IptcRecord, DataSetLookupStopsAtTheFirstBrokenDataSet) {
    std::string record = IptcDataSetBytes(2, 25, "one") + IptcDataSetBytes(4, 100, "thumb", true);
    const auto* bytes = reinterpret_cast<const uint8_t*>(record.data());
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(FindIptcDataSet(bytes, static_cast<uint32_t>(record.size()), 4, 100, &data, &length), kOk);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), length), "thumb");
    EXPECT_EQ(FindIptcDataSet(bytes, static_cast<uint32_t>(record.size()) - 1, 4, 100, &data, &length),
              kErrFormat);
    EXPECT_EQ(FindIptcDataSet(bytes, 8, 2, 25, &data, &length), kOk);
    EXPECT_EQ(FindIptcDataSet(bytes, 7, 2, 25, &data, &length), kErrFormat);
}

}  // namespace
}  // namespace aldra
