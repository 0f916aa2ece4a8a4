#include <fstream>
#include <regex>
#include <sstream>

#include "control/ControlFixture.h"

namespace aldra {
namespace {

using namespace testing;

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The published type library and the compiled-in table must never drift apart: a host that reads
// the library would call the wrong member.
TEST_F(ControlTest, EveryNameOfTheTypeLibraryGivesItsDispatchIdentifier) {
    std::string idl = ReadText(std::string(ALDRA_SOURCE_DIR) + "/resources/filter.idl");
    std::regex member(R"(\[id\((-?\w+)\)\]\s+[\w*]+\s+(\w+))");
    int checked = 0;
    for (std::sregex_iterator it(idl.begin(), idl.end(), member), end; it != end; ++it) {
        std::string id = (*it)[1];
        DISPID expected = id == "DISPID_ABOUTBOX" ? -552 : std::stoi(id);
        std::string name = (*it)[2];
        EXPECT_EQ(DispIdOf(control, name), expected) << name;
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(DispIdOf(control, lower), expected) << lower;
        ++checked;
    }
    EXPECT_EQ(checked, 31);
    EXPECT_EQ(DispIdOf(control, "InfoGetWidthX"), DISPID_UNKNOWN);
    EXPECT_NE(idl.find("uuid(" + FormatGuid(CLSID_AldraFilter).substr(1, 36) + ")"), std::string::npos);
    EXPECT_NE(idl.find("uuid(" + FormatGuid(IID_IAldraFilterInfo).substr(1, 36) + ")"), std::string::npos);
    EXPECT_NE(idl.find("uuid(" + FormatGuid(LIBID_FILTERLib).substr(1, 36) + ")"), std::string::npos);
}

TEST_F(ControlTest, PropertiesAreReadAndWrittenByName) {
    EXPECT_EQ(Invoke(control, "Fonts", {}, DISPATCH_PROPERTYGET).Text(), "");
    EXPECT_EQ(Invoke(control, "Fonts", {Str("Times-Roman\nCourier")}, DISPATCH_PROPERTYPUT).hr, S_OK);
    EXPECT_EQ(Invoke(control, "fonts", {}, DISPATCH_PROPERTYGET).Text(), "Times-Roman\nCourier");
    EXPECT_EQ(Invoke(control, "OPISystem", {Str("4")}, DISPATCH_PROPERTYPUT).hr, S_OK);
    EXPECT_EQ(Invoke(control, "OPISystem", {}, DISPATCH_PROPERTYGET).Long(), 4);
    EXPECT_EQ(Invoke(control, "EPSFType", {Str("many")}, DISPATCH_PROPERTYPUT).hr, DISP_E_TYPEMISMATCH);
    // Windows-1252 text survives the trip through UTF-16 strings.
    EXPECT_EQ(Invoke(control, "OPIHiResFileName", {Str("Caf\xE9 \x80.tif")}, DISPATCH_PROPERTYPUT).hr, S_OK);
    EXPECT_EQ(Invoke(control, "OPIHiResFileName", {}, DISPATCH_PROPERTYGET).Text(), "Caf\xE9 \x80.tif");
}

TEST_F(ControlTest, MethodsCheckTheirArgumentCountAndTypes) {
    EXPECT_EQ(Call("AttachFile").hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call("InfoGetWidth", {MakeI4(1)}).hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call("GetThumbnail", {MakeI4(1), Str("x"), MakeBool(true)}).hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(control->Invoke(4711, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    Answer width = Call("InfoGetWidth");
    EXPECT_EQ(width.hr, S_OK);
    EXPECT_EQ(width.value.vt, VT_R4);
    EXPECT_EQ(Call("HasSetup").Bool(), true);
    EXPECT_EQ(Call("InfoGetImageName").Text(), "");
    EXPECT_EQ(Call("DetachFile").hr, S_OK);
}

TEST_F(ControlTest, RefusalsReachTheHostAsExceptions) {
    Answer missing = Attach(files.File("absent.eps"));
    EXPECT_EQ(missing.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(missing.code, 2020);
    EXPECT_EQ(missing.description, "");
    Answer text = Attach(files.Write("notes.txt", std::string(600, 'x')));
    EXPECT_EQ(text.code, 2020);
    // A DCS plate whose main file lies beside it.
    files.Write("sep.eps", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n%%CyanPlate: sep.C\n");
    std::string plate = files.Write("sep.C", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n");
    Answer refused = Attach(plate);
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.code, 2);
    EXPECT_EQ(refused.description,
              "This is a DCS color separation file. Only the DCS main file can be cataloged.");
    EXPECT_EQ(refused.value.vt, VT_EMPTY);
    // Asking for a picture never raises: without one the host gets a null dispatch pointer.
    Answer thumbnail = Call("GetThumbnail", {MakeI4(64), MakeI4(64), MakeBool(true)});
    EXPECT_EQ(thumbnail.hr, S_OK);
    EXPECT_EQ(thumbnail.value.vt, VT_DISPATCH);
    EXPECT_EQ(thumbnail.value.pdispVal, nullptr);
}

TEST_F(ControlTest, FilterInfoAnswersForBothRowsAndRefusesOtherIndexes) {
    IAldraFilterInfo* info = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IAldraFilterInfo, reinterpret_cast<void**>(&info)), S_OK);
    auto text = [](BSTR b) {
        std::string s = BstrToAnsi(b);
        SysFreeString(b);
        return s;
    };
    BSTR out = nullptr;
    ASSERT_EQ(info->GetFilterName(&out), S_OK);
    EXPECT_EQ(text(out), "Aldra EPS Filter");
    int32_t number = 0;
    info->GetFilterVersion(&number);
    EXPECT_EQ(number, 0x00010000);
    info->CountFormats(&number);
    EXPECT_EQ(number, 2);
    const char* extensions[] = {"eps", "ai"};
    const char* types[] = {"EPSP", "TEXT"};
    const char* signatures[] = {"8BIM", "ART5"};
    for (int32_t i = 0; i < 2; ++i) {
        info->GetIndExtension(i, &out);
        EXPECT_EQ(text(out), extensions[i]);
        info->GetIndDefaultMacType(i, &out);
        EXPECT_EQ(text(out), types[i]);
        info->GetIndDefaultMacSignature(i, &out);
        EXPECT_EQ(text(out), signatures[i]);
        info->GetIndDefaultBitmap(i, &out);
        EXPECT_EQ(text(out), "EPS.bmp");
        info->GetIndFormat(i, &out);
        EXPECT_FALSE(text(out).empty());
        // Exactly 16 bits are written.
        uint8_t guard[4] = {0xAA, 0xAA, 0xAA, 0xAA};
        ASSERT_EQ(info->GetIndNeedsExtension(i, reinterpret_cast<VARIANT_BOOL*>(guard)), S_OK);
        EXPECT_EQ(guard[0], 0);
        EXPECT_EQ(guard[1], 0);
        EXPECT_EQ(guard[2], 0xAA);
    }
    for (int32_t bad : {-1, 2, 0x7FFFFFFF}) {
        BSTR untouched = reinterpret_cast<BSTR>(&number);
        EXPECT_EQ(info->GetIndFormat(bad, &untouched), E_FAIL);
        EXPECT_EQ(untouched, reinterpret_cast<BSTR>(&number));
        VARIANT_BOOL flag = 7;
        EXPECT_EQ(info->GetIndNeedsExtension(bad, &flag), E_FAIL);
        EXPECT_EQ(flag, 7);
    }
    info->Release();
}

TEST_F(ControlTest, QuickTestSetsTheMacTypeAndTheDefaultExtension) {
    std::string dos = std::string("\xC5\xD0\xD3\xC6", 4) + std::string(26, '\0') + "%!PS-Adobe-3.0\n";
    struct Case {
        std::string bytes;
        const char* format;
        const char* type;
        const char* signature;
        const char* extension;
    } cases[] = {
        {"%!PS-Adobe-3.0 EPSF-3.0\n", "eps", "EPSF", "8BIM", "eps"},
        {dos, "eps", "EPSP", "8BIM", "eps"},
        {"%!PS-Adobe-3.0\n%%Creator: Adobe Illustrator(R) 8.0\n", "ai", "TEXT", "ART5", "ai"},
        {"GIF89a", "", "EPSF", "8BIM", "eps"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        std::string format = Call("QuickTest", {Str("f"), ByteArray(c.bytes)}).Text();
        EXPECT_EQ(format.empty(), std::string(c.format).empty());
        EXPECT_EQ(Call("InfoGetMacType").Text(), c.type);
        EXPECT_EQ(Call("InfoGetMacSignature").Text(), c.signature);
        EXPECT_EQ(Call("GetDefaultExtension").Text(), c.extension);
    }
    EXPECT_EQ(Call("QuickTest", {Str("f"), MakeI4(5)}).Text(), "");
}

}  // namespace
}  // namespace aldra
