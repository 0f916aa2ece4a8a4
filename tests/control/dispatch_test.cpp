#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "aldra/Refusals.h"
#include "control/ControlFixture.h"
#include "control/DispatchTable.h"
#include "control/UiHooks.h"
#include "support/FileBytes.h"

namespace aldra {
namespace {

using namespace testing;

VARIANT ArgumentOf(DispType type) {
    return type == DispType::kLong ? MakeI4(1) : type == DispType::kBool ? MakeBool(false) : Str("x");
}

// The published type library and the table must never drift apart: a host that reads the library
// would call the wrong member.
TEST_F(ControlTest, EveryMemberOfTheTypeLibraryIsARowOfTheTable) {
    std::ifstream in(std::string(ALDRA_SOURCE_DIR) + "/resources/filter.idl");
    std::stringstream idl;
    idl << in.rdbuf();
    std::string text = idl.str();
    std::regex member(R"(\[id\((-?\w+)\)\]\s+[\w*]+\s+(\w+))");
    size_t checked = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), member), end; it != end; ++it, ++checked) {
        std::string name = (*it)[2], lower = name;
        DISPID expected = (*it)[1] == "DISPID_ABOUTBOX" ? -552 : std::stoi((*it)[1]);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(DispIdOf(control, name), expected) << name;
        EXPECT_EQ(DispIdOf(control, lower), expected) << lower;
    }
    EXPECT_EQ(checked, FilterDispatchTable().size());
    EXPECT_EQ(DispIdOf(control, "InfoGetWidthX"), DISPID_UNKNOWN);
    for (const GUID& id : {CLSID_AldraFilter, IID_IAldraFilterInfo, IID_IAldraFilterFacts,
                           IID_IAldraFilterRecord, LIBID_FILTERLib})
        EXPECT_NE(text.find("uuid(" + FormatGuid(id).substr(1, 36) + ")"), std::string::npos);
}

// Every method takes exactly its row's arguments and answers with its row's type.
TEST_F(ControlTest, MethodsTakeTheirRowsArgumentsAndAnswerTheirRowsType) {
    const VARTYPE answers[] = {VT_EMPTY, VT_I4,    VT_BOOL,     VT_R4,  VT_BSTR,
                               VT_BSTR,  VT_EMPTY, VT_DISPATCH, VT_BSTR};
    for (const DispatchRow& row : FilterDispatchTable()) {
        if (row.property || row.id == 1013 || row.id == 1015 || row.id == 1020) continue;  // file commands
        SCOPED_TRACE(row.name);
        std::vector<VARIANT> args;
        for (uint32_t i = 0; i < row.ArgumentCount(); ++i) args.push_back(ArgumentOf(row.args[i]));
        Answer answer = Call(row.name, std::move(args));
        EXPECT_TRUE(answer.hr == S_OK && answer.value.vt == answers[static_cast<int>(row.result)]);
        EXPECT_EQ(Call(row.name, std::vector<VARIANT>(row.ArgumentCount() + 1, MakeI4(1))).hr,
                  DISP_E_BADPARAMCOUNT);
    }
    EXPECT_EQ(Call("GetThumbnail", {MakeI4(1), Str("x"), MakeBool(true)}).hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(control->Invoke(4711, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    uint32_t count = 1;
    EXPECT_EQ(control->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);  // no type information is announced that GetTypeInfo could not give
}

TEST_F(ControlTest, PropertiesAreReadAndWrittenByName) {
    EXPECT_EQ(Invoke(control, "OPISystem", {Str("4")}, DISPATCH_PROPERTYPUT).hr, S_OK);
    EXPECT_EQ(Invoke(control, "OPISystem", {}, DISPATCH_PROPERTYGET).Long(), 4);
    EXPECT_EQ(Invoke(control, "EPSFType", {Str("many")}, DISPATCH_PROPERTYPUT).hr, DISP_E_TYPEMISMATCH);
    // Texts are Windows-1252 and survive the trip through UTF-16.
    EXPECT_EQ(Invoke(control, "OPIHiResFileName", {Str("Caf\xE9 \x80.tif")}, DISPATCH_PROPERTYPUT).hr, S_OK);
    EXPECT_EQ(Property("OPIHiResFileName"), "Caf\xE9 \x80.tif");
}

// Only a refusal becomes an exception record; anything else a method throws stops at Invoke.
TEST_F(ControlTest, NoOtherExceptionLeavesInvoke) {
    UiHooks saved = CurrentUiHooks();
    CurrentUiHooks().showAboutBox = [] { throw std::bad_alloc(); };
    EXPECT_EQ(Call("AboutBox").hr, E_OUTOFMEMORY);
    CurrentUiHooks().showAboutBox = [] { throw std::runtime_error("dialog module broke"); };
    EXPECT_EQ(Call("AboutBox").hr, E_UNEXPECTED);
    CurrentUiHooks() = saved;
    Answer refused = Attach(files.File("absent.eps"));
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.code, kUnreadableFileCode);
    EXPECT_EQ(refused.description, "");
    EXPECT_EQ(refused.value.vt, VT_EMPTY);
    files.Write("sep.eps", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n%%CyanPlate: sep.C\n");
    EXPECT_EQ(Attach(files.Write("sep.C", "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n")).code, 2);
}

// Without the dialogs module no sheet can be shown: the frame fails, Setup is a cancelled sheet.
TEST_F(ControlTest, DialogsThatCannotBeShownChangeNothing) {
    EXPECT_FALSE(Call("ShowProperties").Bool());
    EXPECT_TRUE(Call("HasSetup").Bool());
    std::string hive = ReadFile(registry.File("user.reg"));
    EXPECT_TRUE(Call("Setup").Bool());
    EXPECT_EQ(ReadFile(registry.File("user.reg")), hive);
}

// A host walks the format rows by index; one past either end must not be read.
TEST_F(ControlTest, FilterInfoRefusesIndexesOutsideItsRows) {
    IAldraFilterInfo* info = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IAldraFilterInfo, reinterpret_cast<void**>(&info)), S_OK);
    uint8_t guard[4] = {0xAA, 0xAA, 0xAA, 0xAA};  // a VARIANT_BOOL is 16 bits, no more
    ASSERT_EQ(info->GetIndNeedsExtension(1, reinterpret_cast<VARIANT_BOOL*>(guard)), S_OK);
    EXPECT_EQ(guard[0] | guard[1] << 8 | guard[2] << 16, 0xAA0000);
    for (int32_t bad : {-1, 2, 0x7FFFFFFF}) {
        BSTR untouched = reinterpret_cast<BSTR>(guard);
        EXPECT_EQ(info->GetIndFormat(bad, &untouched), E_FAIL);
        EXPECT_EQ(untouched, reinterpret_cast<BSTR>(guard));
    }
    info->Release();
}

// The first bytes decide the format, and with it the Mac type, signature and extension.
TEST_F(ControlTest, QuickTestSetsTheMacTypeAndTheDefaultExtension) {
    const std::string dos("\xC5\xD0\xD3\xC6", 4), ps = "%!PS-Adobe-3.0\n",
                                                  creator = "%%Creator: Adobe Illustrator 8";
    auto at = [&](size_t offset) { return (ps + std::string(100, ' ')).substr(0, offset) + creator; };
    struct Case {
        std::string bytes;
        const char *format, *type;
    } cases[] = {
        {ps, "Encapsulated PostScript Image", "EPSF"},
        {dos, "Encapsulated PostScript Image", "EPSP"},                          // the magic alone
        {dos.substr(0, 3), "", "EPSF"},                                          // cut short
        {dos + std::string(26, '\0') + creator, "Illustrator Drawing", "TEXT"},  // searched behind it too
        {at(10), "Illustrator Drawing", "TEXT"},
        {at(99), "Illustrator Drawing", "TEXT"},
        {at(100), "Encapsulated PostScript Image", "EPSF"},
        {at(60).substr(0, 60 + 26), "Encapsulated PostScript Image", "EPSF"},  // creator cut by the end
        {"%!ps-adobe-3.0\n", "", "EPSF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 20));
        EXPECT_EQ(Call("QuickTest", {Str("f"), ByteArray(c.bytes)}).Text(), c.format);
        bool ai = std::string(c.type) == "TEXT";
        EXPECT_EQ(Call("InfoGetMacType").Text(), c.type);
        EXPECT_EQ(Call("InfoGetMacSignature").Text(), ai ? "ART5" : "8BIM");
        EXPECT_EQ(Call("GetDefaultExtension").Text(), ai ? "ai" : "eps");
    }
    EXPECT_EQ(Call("QuickTest", {Str("f"), MakeI4(5)}).Text(), "");
}

}  // namespace
}  // namespace aldra
