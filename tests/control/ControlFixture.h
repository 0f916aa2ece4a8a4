// A control as a host holds it, with its window created (unless a test says otherwise) and the
// registry in a folder of the test's own, so that settings never touch the user's hives.
#pragma once
#include <gtest/gtest.h>

#include <functional>

#include "aldra/Guids.h"
#include "control/FilterCtrl.h"
#include "control/FilterSettings.h"
#include "fixtures/DispatchHost.h"
#include "platform/com/Ansi.h"
#include "support/TempDir.h"

namespace aldra::testing {

class ControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("ALDRA_REGISTRY_DIR", registry.path().c_str(), 1);
        control = new CFilterCtrl();
        if (withWindow) {
            ASSERT_EQ(control->CreateWindow(), 0);
        }
    }
    void TearDown() override {
        if (control == nullptr) return;  // skipped before this SetUp
        control->DestroyWindow();
        control->Release();
        unsetenv("ALDRA_REGISTRY_DIR");
    }

    Answer Call(const std::string& name, std::vector<VARIANT> args = {}) {
        return Invoke(control, name, std::move(args));
    }
    std::string Property(const char* name) { return Invoke(control, name, {}, DISPATCH_PROPERTYGET).Text(); }
    Answer Attach(const std::string& path) { return Call("AttachFile", {Str(path)}); }
    // A further fact of the attached file as UTF-8.
    std::string Fact(const std::string& name) {
        Answer answer = Call("GetFact", {Str(name)});
        return answer.value.vt == VT_BSTR ? BstrToUtf8(answer.value.bstrVal) : "<not text>";
    }
    // GetRecord's entries in order, their values unescaped.
    std::vector<std::pair<std::string, std::string>> Record(bool withFacts = true) {
        std::vector<std::pair<std::string, std::string>> entries;
        Answer answer = Call("GetRecord", {MakeBool(withFacts)});
        std::string text = answer.value.vt == VT_BSTR ? BstrToUtf8(answer.value.bstrVal) : "";
        for (size_t pos = 0, end; (end = text.find('\n', pos)) != std::string::npos; pos = end + 1) {
            const size_t tab = text.find('\t', pos);
            std::string value;
            for (size_t i = tab + 1; i < end; ++i) {
                char c = text[i];
                constexpr std::string_view kEscapes =
                    "\\\\t\tr\rn\n";  // each escape's letter, then its character
                if (c == '\\') c = kEscapes[kEscapes.find(text[++i]) + 1];
                value += c;
            }
            entries.emplace_back(text.substr(pos, tab - pos), value);
        }
        return entries;
    }
    static std::string EntryOf(const std::vector<std::pair<std::string, std::string>>& record,
                               const std::string& name) {
        for (const auto& [known, value] : record) {
            if (known == name) return value;
        }
        return "<none>";
    }
    // The host's sequence: quick test over the first bytes, then attach.
    Answer TestAndAttach(const std::string& path, const std::string& firstBytes) {
        Call("QuickTest", {Str(path), ByteArray(firstBytes.substr(0, 512))});
        return Attach(path);
    }
    // Saves changed settings as the setup sheet would, and takes them up as a new window does.
    void ChangeSettings(const std::function<void(FilterSettings&)>& change) {
        FilterSettings settings;
        LoadSettings(&settings);
        change(settings);
        ASSERT_TRUE(SaveSettings(settings));
        control->DestroyWindow();
        if (withWindow) {
            ASSERT_EQ(control->CreateWindow(), 0);
        }
    }

    bool withWindow = true;
    TempDir registry;
    TempDir files;
    CFilterCtrl* control = nullptr;
};

}  // namespace aldra::testing
