#include "aldra/Refusals.h"
#include "base/File.h"
#include "control/ControlFixture.h"
#include "control/DispatchTable.h"
#include "control/PicturePixels.h"
#include "fixtures/Eps.h"
#include "fixtures/Tiff.h"

namespace aldra {
namespace {

using namespace testing;

std::string IptcBlock(const std::vector<std::string>& keywords, const std::string& caption) {
    std::string record;
    for (const std::string& k : keywords) record += IptcDataSetBytes(2, 25, k);
    if (!caption.empty()) record += IptcDataSetBytes(2, 120, caption);
    return PhotoshopBlock(ImageResource(1005, ResolutionInfo(72u << 16, 72u << 16)) +
                          ImageResource(1028, record));
}

TEST_F(ControlTest, AttachTakesTheHeaderFacts) {
    std::string text = EpsText(
        "%%Creator: Adobe Photoshop Version 7.0\n%%BoundingBox: 0 0 144 36\n"
        "%%DocumentFonts: Times-Roman\n%%+ Helvetica\n%%+ Courier\n"
        "%%DocumentCustomColors: (PANTONE 185 CVC)\n%%+ (Gold)\n"
        "%ImageData: 300 75 8 3 0 1 2 \"beginimage\"");
    ASSERT_TRUE(TestAndAttach(files.Write("photo.eps", text), text).Bool());
    for (auto [getter, value] : {std::pair{"InfoGetWidth", 2.0f},
                                 {"InfoGetHeight", 0.5f},
                                 {"InfoGetHResolution", 150.0f},
                                 {"InfoGetVResolution", 150.0f}})
        EXPECT_EQ(Call(getter).Float(), value) << getter;
    EXPECT_EQ(Call("InfoGetKind").Long(), 2);
    EXPECT_EQ(Call("InfoGetCreatingSoftware").Text(), "Adobe Photoshop Version 7.0");
    EXPECT_EQ(Property("PostScriptVersion") + Property("EPSFVersion"), "3.03.0");
    EXPECT_EQ(Invoke(control, "EPSFType", {}, DISPATCH_PROPERTYGET).Long(), 1);
    EXPECT_EQ(Property("Fonts"), "Times-Roman\nHelvetica\nCourier");
    EXPECT_EQ(Property("Colors"), "PANTONE 185 CVC\nGold");
    EXPECT_EQ(Property("Links"), "");
    EXPECT_EQ(Invoke(control, "OPISystem", {}, DISPATCH_PROPERTYGET).Long(), 1);
}

TEST_F(ControlTest, AFailedAttachKeepsThePreviousTextsButNotTheMeasures) {
    std::string good = files.Write("good.eps", EpsText("%%BoundingBox: 0 0 72 72\n%%DocumentFonts: Symbol"));
    ASSERT_EQ(Attach(good).hr, S_OK);
    EXPECT_EQ(Attach(files.Write("junk.eps", "GIF89a" + std::string(600, 'x'))).code, kUnreadableFileCode);
    EXPECT_EQ(Call("InfoGetWidth").Float(), 0.0f);
    EXPECT_EQ(Property("Fonts"), "Symbol");
    ASSERT_EQ(Attach(good).hr, S_OK);
    Call("DetachFile");  // changes nothing the getters say
    EXPECT_EQ(Call("InfoGetWidth").Float(), 1.0f);
}

TEST_F(ControlTest, CategoriesAndNotesFollowTheFileAndItsHighResolutionFile) {
    std::string path = files.Write("press.eps", EpsText(IptcBlock({"harbour", "boats"}, "Boats at dawn")));
    ASSERT_EQ(Attach(path).hr, S_OK);
    {  // an unchanged file is answered from the attach, without waiting for another opener's lock
        FileHandle held;
        ASSERT_EQ(FileOpen(path.c_str(), kFileRead, &held), kOk);
        EXPECT_EQ(Call("InfoGetCategories").Text(), "harbour\rboats");
        EXPECT_EQ(Call("InfoGetNotes").Text(), "Caption: Boats at dawn");
        EXPECT_EQ(EntryOf(Record(), "InfoGetCategories"), "harbour\rboats");
        EXPECT_EQ(FileClose(held), kOk);
    }
    files.Write("press.eps", EpsText("%%BoundingBox: 0 0 10 10"));  // a changed one is read again
    EXPECT_EQ(Call("InfoGetCategories").Text() + Call("InfoGetNotes").Text(), "");
    files.Write("press.eps", EpsText(IptcBlock({"quay"}, "Moored")));  // by the record too
    const auto record = Record();
    EXPECT_EQ(EntryOf(record, "InfoGetCategories") + "|" + EntryOf(record, "InfoGetNotes"),
              "quay|Caption: Moored");

    files.Write("hires.eps", EpsText(IptcBlock({"original"}, "Hi-res caption")));
    std::string sample = files.Write("sample.eps", EpsText("%%CompFileName: D:\\scans\\hires.eps \n" +
                                                           IptcBlock({"sample"}, "Sample caption")));
    ASSERT_EQ(Attach(sample).hr, S_OK);
    EXPECT_EQ(Call("InfoGetCategories").Text(), "sample\roriginal\rColor Central Sample File");
    EXPECT_EQ(Call("InfoGetNotes").Text(), "Caption: Sample captionCaption: Hi-res caption");
    files.Write("hires.eps", EpsText(IptcBlock({"retouched", "final"}, "")));
    EXPECT_EQ(Call("InfoGetCategories").Text(), "sample\rretouched\rfinal\rColor Central Sample File");
    ChangeSettings([](FilterSettings& s) { s.ccAware = false; });
    EXPECT_EQ(Call("InfoGetCategories").Text(), "sample");
}

// The record gives what every getter, property and fact gives on its own, whatever the texts hold.
TEST_F(ControlTest, RecordAnswersAsTheSeparateCallsDo) {
    files.Write("hires.eps", EpsText(IptcBlock({"original"}, "Hi-res caption")));
    TiffPicture grey = MakePicture(12, 6, 8, 1, [](uint32_t x, uint32_t, uint32_t) { return x * 20; });
    const std::string texts[] = {
        EpsText(IptcBlock({"harbour", "boats"}, "Boats\tat\r\ndawn \\ \xE9")),
        EpsText("%%CompFileName: D:\\scans\\hires.eps \n" + IptcBlock({"sample"}, "Sample caption")),
        EpsText("%%Creator: Caf\xE9 \x80\n%%DocumentFonts: Times-Roman\n%%+ Symbol\n%%EndComments\n"
                "<x:xmpmeta><dc:title><rdf:Alt><rdf:li>a&#9;b&#13;&#10;c\\n \xE6\xBC\xA2 \xF0\x9F\x98\x80"
                "</rdf:li></rdf:Alt></dc:title></x:xmpmeta>"),
        DosEpsFile(EpsText("%%BoundingBox: 0 0 33 17"), MakeTiff(grey)),
    };
    for (const std::string& text : texts) {
        const std::string path = files.Write("record.eps", text);
        ASSERT_EQ(TestAndAttach(path, text).hr, S_OK);
        Call("GetThumbnail", {MakeI4(40), MakeI4(40), MakeBool(true)});  // the preview's facts join in
        Invoke(control, "Links", {Str("one\ttwo\\\r\nthree")}, DISPATCH_PROPERTYPUT);
        const auto record = Record();
        size_t getters = 0;
        for (const DispatchRow& row : FilterDispatchTable()) {
            if (row.ArgumentCount() != 0 || (row.result != DispType::kText && row.result != DispType::kLong &&
                                             row.result != DispType::kFloat))
                continue;
            SCOPED_TRACE(row.name);
            ++getters;
            Answer answer =
                Invoke(control, row.name, {}, row.property ? DISPATCH_PROPERTYGET : DISPATCH_METHOD);
            const std::string entry = EntryOf(record, row.name);
            if (row.result == DispType::kFloat) {
                EXPECT_EQ(std::strtof(entry.c_str(), nullptr), answer.Float());
            } else {
                EXPECT_EQ(entry, row.result == DispType::kLong ? std::to_string(answer.Long())
                                                               : BstrToUtf8(answer.value.bstrVal));
            }
        }
        std::vector<std::pair<std::string, std::string>> facts;
        const std::string names = BstrToUtf8(Call("FactNames").value.bstrVal) + "\n";
        for (size_t pos = 0, end; (end = names.find('\n', pos)) != std::string::npos; pos = end + 1) {
            if (end > pos)
                facts.emplace_back("Fact:" + names.substr(pos, end - pos),
                                   Fact(names.substr(pos, end - pos)));
        }
        EXPECT_EQ(std::vector(record.begin() + getters, record.end()), facts);
        EXPECT_EQ(Record(false).size(), getters);
    }
}

// Layout "pic.eps.lay" beside its high-resolution file "pic.eps"; 0 is attached, 501 and 502 the
// refusal texts.
TEST_F(ControlTest, HeliosLayoutsAndHighResolutionFilesFollowTheSettings) {
    std::string hiRes = files.Write("pic.eps", EpsText("%%BoundingBox: 0 0 10 10"));
    std::string layout = files.Write("pic.eps.lay", EpsText("%%BoundingBox: 0 0 10 10\n%%HeliosRefID: 1"));
    const char *kLayoutRefused = "Helios OPI layout files are disabled.",
               *kHiResRefused = "Helios OPI high resolution files are disabled.";
    struct Case {
        bool aware, layoutsOnly;
        const char *layoutAnswer, *hiResAnswer;
    } cases[] = {{true, false, kLayoutRefused, ""}, {true, true, "", kHiResRefused}, {false, true, "", ""}};
    for (const Case& c : cases) {
        ChangeSettings([&](FilterSettings& s) {
            s.heliosAware = c.aware;
            s.heliosLayoutsOnly = c.layoutsOnly;
        });
        for (auto [path, answer] : {std::pair{layout, c.layoutAnswer}, {hiRes, c.hiResAnswer}}) {
            Answer attached = Attach(path);
            EXPECT_EQ(attached.hr, *answer ? DISP_E_EXCEPTION : S_OK) << path;
            EXPECT_EQ(attached.description, answer);
        }
    }
}

// Hosts on Linux name files in UTF-16 that the file system holds as UTF-8.
TEST_F(ControlTest, FilesAreNamedInUtf16AndFoundInUtf8) {
    auto wide = [](const std::u16string& text) {
        return MakeBstr(SysAllocStringLen(text.data(), text.size()));
    };
    for (const char* name :
         {"Caf\xC3\xA9", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80", "\xE4\xBE\x8B\xE3\x81\x88"}) {
        SCOPED_TRACE(name);
        std::string path = files.Write(std::string(name) + ".eps", EpsText("%%BoundingBox: 0 0 72 72"));
        ASSERT_TRUE(Call("AttachFile", {wide(Utf8ToUtf16(path))}).Bool());
        EXPECT_EQ(control->filePath(), path);
    }
    // An unpaired surrogate spells no name; nor does UTF-16 spell a name that is not UTF-8 on disk.
    std::u16string lone = Utf8ToUtf16(files.File("x")) + u'\xD800' + u".eps";
    EXPECT_EQ(Call("AttachFile", {wide(lone)}).code, kUnreadableFileCode);
    std::string latin1 = files.Write("Caf\xE9.eps", EpsText("%%BoundingBox: 0 0 72 72"));
    EXPECT_EQ(Call("AttachFile", {wide(Utf8ToUtf16(latin1))}).code, kUnreadableFileCode);
    // Its bytes escaped as the lone surrogates U+DC80 to U+DCFF spell it exactly.
    ASSERT_TRUE(Call("AttachFile", {MakeBstr(Utf8PathToBstr(latin1))}).Bool());
    EXPECT_EQ(control->filePath(), latin1);
    EXPECT_FALSE(Call("ConvertToSize", {wide(lone), Str("BMP"), MakeI4(10), MakeI4(10)}).Bool());
}

// Most hosts on Linux (a catalogue daemon, a thumbnailer) never create the control's window.
class WindowlessTest : public ControlTest {
  protected:
    WindowlessTest() { withWindow = false; }
};

TEST_F(WindowlessTest, GivesTheSameAnswersAsWithTheWindow) {
    TiffOptions cmyk;
    cmyk.photometric = 5;
    std::string tiff = MakeTiff(
        MakePicture(8, 4, 8, 4, [](uint32_t, uint32_t, uint32_t s) { return s == 0 ? 255 : 0; }), cmyk);
    std::string path = files.Write(
        "cmyk.eps", DosEpsFile(EpsText("%%BoundingBox: 0 0 144 72\n%%DocumentProcessColors: Cyan\n" +
                                       IptcBlock({}, "Boats at dawn")),
                               tiff));
    ASSERT_EQ(Attach(path).hr, S_OK);
    EXPECT_EQ(Call("InfoGetNotes").Text(), "Caption: Boats at dawn");
    Pixels cyan = ThumbnailPixels(Call("GetThumbnail", {MakeI4(64), MakeI4(64), MakeBool(true)}));
    ASSERT_TRUE(cyan.present);
    EXPECT_LT(cyan.At(32, 16) >> 16, 0x80u);  // little red in cyan ink, much blue
    EXPECT_GT(cyan.At(32, 16) & 0xFF, 0x60u);
}

}  // namespace
}  // namespace aldra
