#include <filesystem>

#include "base/File.h"
#include "control/ControlFixture.h"
#include "control/FilterSettings.h"
#include "support/EpsFixtures.h"

namespace aldra {
namespace {

using namespace testing;

std::string IptcBlock(const std::vector<std::string>& keywords, const std::string& caption) {
    std::string record;
    for (const std::string& k : keywords) record += IptcDataSetBytes(2, 25, k);
    if (!caption.empty()) record += IptcDataSetBytes(2, 120, caption);
    // Photoshop always writes its resolution; a block without it ends the header scan as a failure.
    return PhotoshopBlock(ImageResource(1005, ResolutionInfo(72u << 16, 72u << 16)) +
                          ImageResource(1028, record));
}

TEST_F(ControlTest, AttachTakesTheHeaderFacts) {
    for (const char* eol : {"\n", "\r", "\r\n"}) {
        SCOPED_TRACE(::testing::PrintToString(eol));
        std::string text = EpsText(
            "%%Creator: Adobe Photoshop Version 7.0\n%%BoundingBox: 0 0 144 36\n"
            "%%DocumentFonts: Times-Roman\n%%+ Helvetica\n%%+ Courier\n"
            "%%DocumentCustomColors: (PANTONE 185 CVC)\n%%+ (Gold)\n"
            "%ImageData: 300 75 8 3 0 1 2 \"beginimage\"",
            eol);
        std::string path = files.Write("photo.eps", text);
        Answer attached = TestAndAttach(path, text);
        ASSERT_EQ(attached.hr, S_OK) << attached.code;
        EXPECT_TRUE(attached.Bool());
        EXPECT_EQ(Call("InfoGetWidth").Float(), 2.0f);
        EXPECT_EQ(Call("InfoGetHeight").Float(), 0.5f);
        EXPECT_EQ(Call("InfoGetHResolution").Float(), 150.0f);
        EXPECT_EQ(Call("InfoGetVResolution").Float(), 150.0f);
        EXPECT_EQ(Call("InfoGetKind").Long(), 2);
        EXPECT_EQ(Call("InfoGetCreatingSoftware").Text(), "Adobe Photoshop Version 7.0");
        EXPECT_EQ(Invoke(control, "PostScriptVersion", {}, DISPATCH_PROPERTYGET).Text(), "3.0");
        EXPECT_EQ(Invoke(control, "EPSFVersion", {}, DISPATCH_PROPERTYGET).Text(), "3.0");
        EXPECT_EQ(Invoke(control, "EPSFType", {}, DISPATCH_PROPERTYGET).Long(), 1);
        EXPECT_EQ(Invoke(control, "Fonts", {}, DISPATCH_PROPERTYGET).Text(),
                  "Times-Roman\nHelvetica\nCourier");
        EXPECT_EQ(Invoke(control, "Colors", {}, DISPATCH_PROPERTYGET).Text(), "PANTONE 185 CVC\nGold");
        EXPECT_EQ(Invoke(control, "Links", {}, DISPATCH_PROPERTYGET).Text(), "");
        EXPECT_EQ(Invoke(control, "OPISystem", {}, DISPATCH_PROPERTYGET).Long(), 1);
    }
}

TEST_F(ControlTest, AFailedAttachKeepsThePreviousTextsButNotTheMeasures) {
    std::string good = files.Write("good.eps", EpsText("%%BoundingBox: 0 0 72 72\n%%DocumentFonts: Symbol"));
    ASSERT_EQ(Attach(good).hr, S_OK);
    Answer refused = Attach(files.Write("junk.eps", "GIF89a" + std::string(600, 'x')));
    EXPECT_EQ(refused.code, 2020);
    EXPECT_EQ(Call("InfoGetWidth").Float(), 0.0f);
    EXPECT_EQ(Invoke(control, "Fonts", {}, DISPATCH_PROPERTYGET).Text(), "Symbol");
    ASSERT_EQ(Attach(good).hr, S_OK);
    Attach(files.File("vanished.eps"));
    EXPECT_EQ(Invoke(control, "Fonts", {}, DISPATCH_PROPERTYGET).Text(), "Symbol");
    // Detaching changes nothing the getters say.
    ASSERT_EQ(Attach(good).hr, S_OK);
    Call("DetachFile");
    EXPECT_EQ(Call("InfoGetWidth").Float(), 1.0f);
}

TEST_F(ControlTest, CategoriesAndNotesComeFromIptcData) {
    std::string path = files.Write("press.eps", EpsText("%%BoundingBox: 0 0 10 10\n" +
                                                        IptcBlock({"harbour", "boats"}, "Boats at dawn")));
    ASSERT_EQ(Attach(path).hr, S_OK);
    EXPECT_EQ(Call("InfoGetCategories").Text(), "harbour\rboats");
    EXPECT_EQ(Call("InfoGetNotes").Text(), "Caption: Boats at dawn");
    // The file is read again at every call.
    files.Write("press.eps", EpsText("%%BoundingBox: 0 0 10 10"));
    EXPECT_EQ(Call("InfoGetCategories").Text(), "");
    EXPECT_EQ(Call("InfoGetNotes").Text(), "");
}

TEST_F(ControlTest, ColorCentralSamplesAddTheirHighResolutionFile) {
    files.Write("hires.eps",
                EpsText("%%BoundingBox: 0 0 10 10\n" + IptcBlock({"original"}, "Hi-res caption")));
    std::string sample = files.Write(
        "sample.eps", EpsText("%%BoundingBox: 0 0 10 10\n%%CompFileName: D:\\scans\\hires.eps \n" +
                              IptcBlock({"sample"}, "Sample caption")));
    ASSERT_EQ(Attach(sample).hr, S_OK);
    EXPECT_EQ(Call("InfoGetCategories").Text(), "sample\roriginal\rColor Central Sample File");
    EXPECT_EQ(Call("InfoGetNotes").Text(), "Caption: Sample captionCaption: Hi-res caption");

    FilterSettings settings = control->settings();
    settings.ccAware = false;
    settings.anpa = nullptr;
    ASSERT_TRUE(SaveSettings(settings));
    control->DestroyWindow();
    ASSERT_EQ(control->CreateWindow(), 0);
    EXPECT_EQ(Call("InfoGetCategories").Text(), "sample");
    EXPECT_EQ(Call("InfoGetNotes").Text(), "Caption: Sample caption");
}

TEST_F(ControlTest, GettersTakeAnUnchangedFileFromTheAttachWithoutOpeningIt) {
    std::string path = files.Write("press.eps", EpsText(IptcBlock({"harbour"}, "Boats at dawn")));
    ASSERT_EQ(Attach(path).hr, S_OK);
    // Held by another opener: reading it again would wait for the lock and give up with nothing.
    FileHandle held;
    ASSERT_EQ(FileOpen(path.c_str(), kFileRead, &held), kOk);
    EXPECT_EQ(Call("InfoGetCategories").Text(), "harbour");
    EXPECT_EQ(Call("InfoGetNotes").Text(), "Caption: Boats at dawn");
    FileClose(held);
    // A getter without an attach behind it reads the file, and so does one after a failed attach.
    CFilterCtrl* fresh = new CFilterCtrl();
    ASSERT_EQ(fresh->CreateWindow(), 0);
    EXPECT_EQ(fresh->InfoGetCategories(), "");
    fresh->DestroyWindow();
    fresh->Release();
    // A block without the resolution resource fails the header scan, not the keywords.
    std::string broken = files.Write(
        "broken.eps", EpsText(PhotoshopBlock(ImageResource(1028, IptcDataSetBytes(2, 25, "kept")))));
    EXPECT_EQ(Attach(broken).code, 2020);
    EXPECT_EQ(Call("InfoGetCategories").Text(), "kept");
}

TEST_F(ControlTest, AChangedHighResolutionFileIsReadAgain) {
    std::string hiRes = files.Write("hires.eps", EpsText(IptcBlock({"original"}, "")));
    std::string sample =
        files.Write("sample.eps", EpsText("%%CompFileName: " + hiRes + " \n" + IptcBlock({"sample"}, "")));
    ASSERT_EQ(Attach(sample).hr, S_OK);
    EXPECT_EQ(Call("InfoGetCategories").Text(), "sample\roriginal\rColor Central Sample File");
    files.Write("hires.eps", EpsText(IptcBlock({"retouched", "final"}, "")));
    EXPECT_EQ(Call("InfoGetCategories").Text(), "sample\rretouched\rfinal\rColor Central Sample File");
    std::filesystem::remove(hiRes);
    EXPECT_EQ(Call("InfoGetCategories").Text(), "sample\rColor Central Sample File");
}

// Layout "pic.eps.lay" beside its high-resolution file "pic.eps".
TEST_F(ControlTest, HeliosLayoutsAndHighResolutionFilesFollowTheSettings) {
    std::string hiRes = files.Write("pic.eps", EpsText("%%BoundingBox: 0 0 10 10"));
    std::string layout = files.Write("pic.eps.lay", EpsText("%%BoundingBox: 0 0 10 10\n%%HeliosRefID: 1"));
    Answer refused = Attach(layout);
    EXPECT_EQ(refused.code, 2);
    EXPECT_EQ(refused.description, "Helios OPI layout files are disabled.");
    EXPECT_EQ(Attach(hiRes).hr, S_OK);

    auto reload = [&](bool aware, bool layoutsOnly) {
        FilterSettings settings = control->settings();
        settings.anpa = nullptr;
        settings.heliosAware = aware;
        settings.heliosLayoutsOnly = layoutsOnly;
        ASSERT_TRUE(SaveSettings(settings));
        control->DestroyWindow();
        ASSERT_EQ(control->CreateWindow(), 0);
    };
    reload(true, true);
    EXPECT_EQ(Attach(layout).hr, S_OK);
    Answer hiResRefused = Attach(hiRes);
    EXPECT_EQ(hiResRefused.code, 2);
    EXPECT_EQ(hiResRefused.description, "Helios OPI high resolution files are disabled.");
    reload(false, true);
    EXPECT_EQ(Attach(layout).hr, S_OK);
    EXPECT_EQ(Attach(hiRes).hr, S_OK);
}

}  // namespace
}  // namespace aldra
