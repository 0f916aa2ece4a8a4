// The information interface: the attached file's further facts by name, as UTF-8 text, while the
// catalogue getters keep their answers; the same through the vtable interface.
#include <filesystem>
#include <functional>

#include "control/ControlFixture.h"
#include "fixtures/Eps.h"
#include "fixtures/Tiff.h"
#include "support/FileBytes.h"

namespace aldra {
namespace {

using namespace testing;

const std::string kCorpus = std::string(ALDRA_SOURCE_DIR) + "/../shared/corpus";

// Enough code that the header scan ends before the trailer, as it does in any real file.
std::string CodeLines() {
    std::string lines;
    for (int i = 0; i < 30; ++i) lines += "gsave grestore\n";
    return lines;
}

class FactsTest : public ControlTest {
  protected:
    std::string Names() { return BstrToUtf8(Call("FactNames").value.bstrVal); }
};

TEST_F(FactsTest, DeferredListsXmpAndIptcTextComeAsUtf8) {
    const std::string iptc = IptcDataSetBytes(1, 90, "\x1b%G") + IptcDataSetBytes(2, 5, "Caf\xc3\xa9") +
                             IptcDataSetBytes(2, 80, "Ren\xc3\xa9");
    const std::string text =
        "%!PS-Adobe-3.0 EPSF-3.0\n%%Title: Caf\xe9\n%%For: Ann\n%%LanguageLevel: 2\n"
        "%%BoundingBox: (atend)\n%%DocumentFonts: (atend)\n" +
        PhotoshopBlock(ImageResource(1028, iptc)) +
        "\n%%EndComments\n"
        "<x:xmpmeta><dc:title><rdf:Alt><rdf:li>Poster</rdf:li></rdf:Alt></dc:title>"
        "<xmp:Rating>3</xmp:Rating></x:xmpmeta>\n" +
        CodeLines() + "%%Trailer\n%%BoundingBox: 0 0 72 144\n%%DocumentFonts: Helvetica\n%%+ Symbol\n%%EOF\n";
    const std::string path = files.Write("facts.eps", text);
    ASSERT_EQ(TestAndAttach(path, text).hr, S_OK);
    EXPECT_EQ(Names(),
              "Title\nFor\nLanguageLevel\nBoundingBox\nTrailerFonts\nXmpTitle\nXmpRating\nIptcObjectName\n"
              "IptcByline");
    EXPECT_EQ(Fact("Title"), "Caf\xc3\xa9");
    EXPECT_EQ(Fact("BoundingBox"), "0 0 72 144");
    EXPECT_EQ(Fact("TrailerFonts"), "Helvetica\nSymbol");
    EXPECT_EQ(Fact("XmpTitle"), "Poster");
    EXPECT_EQ(Fact("IptcObjectName"), "Caf\xc3\xa9");
    EXPECT_EQ(Fact("IptcByline"), "Ren\xc3\xa9");
    EXPECT_EQ(Fact("NoSuchFact"), "");
    // The catalogue answers stay as they were.
    EXPECT_EQ(Property("Fonts"), "atend");
    EXPECT_FLOAT_EQ(Call("InfoGetWidth").Float(), 0);

    // The next attach forgets the last file's facts.
    const std::string plain = EpsText("%%Title: second");
    ASSERT_EQ(TestAndAttach(files.Write("plain.eps", plain), plain).hr, S_OK);
    EXPECT_EQ(Names(), "Title");
    // A file changed after the attach is read again for its facts, not answered from the attach's reading.
    ASSERT_EQ(TestAndAttach(files.Write("plain.eps", plain), plain).hr, S_OK);
    files.Write("plain.eps", EpsText("%%Title: changed since"));
    EXPECT_EQ(Fact("Title"), "changed since");
    // So is a DOS EPS file whose PostScript section the attach read whole, however large its preview,
    // a file whose samples the attach stepped over to a short tail, and a file whose text goes on
    // past the attach's first read, which the facts read again.
    const std::string preview(100000, 't');
    const std::string samples = "%%BeginBinary: 100000\n" + std::string(100000, 's') + "\n%%EndBinary\n";
    const std::function<std::string(const std::string&)> makers[] = {
        [&](const std::string& title) { return DosEpsFile(EpsText(title), preview); },
        [&](const std::string& title) { return EpsText(title) + samples; },
        [&](const std::string& title) { return EpsText(title) + std::string(100000, '\n'); },
    };
    for (const auto& make : makers) {
        for (const std::string changed : {"", "a title changed since"}) {
            const std::string first = make("%%Title: first");
            ASSERT_EQ(TestAndAttach(files.Write("large.eps", first), first).hr, S_OK);
            if (!changed.empty()) files.Write("large.eps", make("%%Title: " + changed));
            EXPECT_EQ(Fact("Title"), changed.empty() ? "first" : changed);
        }
    }
    // A header that defers a value to the trailer has it, however short the tail behind the samples.
    const std::string deferring = EpsText("%%Pages: (atend)") + samples + "%%Trailer\n%%Pages: 2\n";
    ASSERT_EQ(TestAndAttach(files.Write("deferring.eps", deferring), deferring).hr, S_OK);
    EXPECT_EQ(Fact("Pages"), "2");
}

TEST_F(FactsTest, CorpusFiles) {
    if (!std::filesystem::is_directory(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
    // ExifTool's sample carries a full IPTC record but no resolution resource 1005: it is attached
    // (the resolution is what its %ImageData line gives), and its keywords and caption are read.
    const std::string exiftool = kCorpus + "/exiftool/PostScript.eps";
    ASSERT_EQ(TestAndAttach(exiftool, ReadFile(exiftool)).hr, S_OK);
    EXPECT_EQ(Call("InfoGetCategories").Text(), "ExifTool\rTest\rXMP");
    EXPECT_EQ(Call("InfoGetNotes").Text(), "Caption: A witty caption");
    EXPECT_EQ(Fact("Title"), "c.eps");
    EXPECT_EQ(Fact("CreationDate"), "7/18/05 2:33 PM");
    EXPECT_EQ(Fact("IptcObjectName"), "Test IPTC picture");
    EXPECT_EQ(Fact("IptcByline"), "Phil Harvey");
    EXPECT_EQ(Fact("XmpTitle"), "Test IPTC picture");
    EXPECT_EQ(Fact("XmpDescription"), "A witty caption");
}

// The answer as UTF-8, or the failing HRESULT in angle brackets.
std::string Text(HRESULT hr, BSTR value) {
    const std::string text = hr == S_OK ? BstrToUtf8(value) : "<" + std::to_string(hr) + ">";
    SysFreeString(value);
    return text;
}

// The same facts through the vtable interface a C++ host queries for them, reached from the
// control's other interfaces.
TEST_F(FactsTest, FactsInterfaceAnswersAsTheDispatchMethodsDo) {
    IAldraFilterInfo* info = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IAldraFilterInfo, reinterpret_cast<void**>(&info)), S_OK);
    IAldraFilterFacts* facts = nullptr;
    ASSERT_EQ(info->QueryInterface(IID_IAldraFilterFacts, reinterpret_cast<void**>(&facts)), S_OK);
    info->Release();
    auto names = [&] {
        BSTR value = nullptr;
        const HRESULT hr = facts->FactNames(&value);
        return Text(hr, value);
    };
    auto get = [&](const std::string& name) {
        BSTR wide = Utf8ToBstr(name), value = nullptr;
        const HRESULT hr = facts->GetFact(wide, &value);
        const std::string text = Text(hr, value);
        SysFreeString(wide);
        return text;
    };
    EXPECT_EQ(names(), "");  // no file yet
    const std::string text = EpsText("%%Title: Caf\xe9 \xe0 Paris\n%%For: (Ren\xc3\xa9)\n%%Pages: 1");
    ASSERT_EQ(TestAndAttach(files.Write("facts.eps", text), text).hr, S_OK);
    EXPECT_EQ(names(), "Title\nFor\nPages");
    EXPECT_EQ(get("Title"), "Caf\xc3\xa9 \xc3\xa0 Paris");
    EXPECT_EQ(get("For"), Fact("For"));
    EXPECT_EQ(get("NoSuchFact"), "");
    EXPECT_EQ(facts->GetFact(nullptr, nullptr), E_POINTER);
    facts->Release();
    IAldraFilterRecord* record = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IAldraFilterRecord, reinterpret_cast<void**>(&record)), S_OK);
    BSTR value = nullptr;
    const HRESULT hr = record->GetRecord(VARIANT_TRUE, &value);
    EXPECT_EQ(Text(hr, value), BstrToUtf8(Call("GetRecord", {MakeBool(true)}).value.bstrVal));
    EXPECT_EQ(record->GetRecord(VARIANT_TRUE, nullptr), E_POINTER);
    record->Release();
}

}  // namespace
}  // namespace aldra
