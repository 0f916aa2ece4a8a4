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

class FactsInterfaceTest : public ControlTest {
  protected:
    void SetUp() override {
        ControlTest::SetUp();
        ASSERT_EQ(control->QueryInterface(IID_IAldraFilterFacts, reinterpret_cast<void**>(&facts)), S_OK);
    }
    void TearDown() override {
        if (facts != nullptr) facts->Release();
        ControlTest::TearDown();
    }
    // The answer as UTF-8, or "<hr>" when the call failed.
    std::string Get(const std::string& name) {
        BSTR wide = Utf8ToBstr(name);
        BSTR value = nullptr;
        const HRESULT hr = facts->GetFact(wide, &value);
        SysFreeString(wide);
        const std::string text = hr == S_OK ? BstrToUtf8(value) : "<" + std::to_string(hr) + ">";
        SysFreeString(value);
        return text;
    }
    std::string Names() {
        BSTR value = nullptr;
        const HRESULT hr = facts->FactNames(&value);
        const std::string text = hr == S_OK ? BstrToUtf8(value) : "<" + std::to_string(hr) + ">";
        SysFreeString(value);
        return text;
    }
    IAldraFilterFacts* facts = nullptr;
};

TEST_F(FactsInterfaceTest, AnswersAsTheDispatchMethodsDo) {
    EXPECT_EQ(Names(), "");  // no file yet
    EXPECT_EQ(Get("Title"), "");
    const std::string text = EpsText("%%Title: Caf\xe9 \xe0 Paris\n%%For: (Ren\xc3\xa9)\n%%Pages: 1");
    ASSERT_EQ(TestAndAttach(files.Write("facts.eps", text), text).hr, S_OK);
    EXPECT_EQ(Names(), "Title\nFor\nPages");
    EXPECT_EQ(Names(), BstrToUtf8(Call("FactNames").value.bstrVal));
    EXPECT_EQ(Get("Title"), "Caf\xc3\xa9 \xc3\xa0 Paris");
    EXPECT_EQ(Get("For"), "Ren\xc3\xa9");
    EXPECT_EQ(Get("For"), BstrToUtf8(Call("GetFact", {Str("For")}).value.bstrVal));
    EXPECT_EQ(Get("NoSuchFact"), "");
    EXPECT_EQ(facts->FactNames(nullptr), E_POINTER);
    EXPECT_EQ(facts->GetFact(nullptr, nullptr), E_POINTER);
}

TEST_F(FactsInterfaceTest, IsOneOfTheControlsInterfaces) {
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(facts->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    EXPECT_EQ(dispatch, static_cast<IDispatch*>(control));
    IAldraFilterInfo* info = nullptr;
    ASSERT_EQ(dispatch->QueryInterface(IID_IAldraFilterInfo, reinterpret_cast<void**>(&info)), S_OK);
    IAldraFilterFacts* again = nullptr;
    ASSERT_EQ(info->QueryInterface(IID_IAldraFilterFacts, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(again, facts);
    again->Release();
    info->Release();
    dispatch->Release();

    std::ifstream in(std::string(ALDRA_SOURCE_DIR) + "/resources/filter.idl");
    std::stringstream idl;
    idl << in.rdbuf();
    EXPECT_NE(idl.str().find("uuid(" + FormatGuid(IID_IAldraFilterFacts).substr(1, 36) + ")"),
              std::string::npos);
}

}  // namespace
}  // namespace aldra::testing
