// The facts through the vtable interface a C++ host queries for them: the dispatch methods' answers
// as wide text, reached from the control's other interfaces and declared by the type library.
#include <fstream>
#include <sstream>

#include "control/ControlFixture.h"
#include "fixtures/Eps.h"
#include "platform/com/Ansi.h"
#include "platform/com/Guid.h"

namespace aldra::testing {
namespace {

// The answer as UTF-8, or the failing HRESULT in angle brackets.
std::string Text(HRESULT hr, BSTR value) {
    const std::string text = hr == S_OK ? BstrToUtf8(value) : "<" + std::to_string(hr) + ">";
    SysFreeString(value);
    return text;
}

TEST_F(ControlTest, FactsInterfaceAnswersAsTheDispatchMethodsDo) {
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
    EXPECT_EQ(get("For"), BstrToUtf8(Call("GetFact", {Str("For")}).value.bstrVal));
    EXPECT_EQ(get("NoSuchFact"), "");
    EXPECT_EQ(facts->GetFact(nullptr, nullptr), E_POINTER);
    facts->Release();

    std::ifstream in(std::string(ALDRA_SOURCE_DIR) + "/resources/filter.idl");
    std::stringstream idl;
    idl << in.rdbuf();
    EXPECT_NE(idl.str().find("uuid(" + FormatGuid(IID_IAldraFilterFacts).substr(1, 36) + ")"),
              std::string::npos);
}

}  // namespace
}  // namespace aldra::testing
