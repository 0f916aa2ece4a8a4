// A control as a host holds it, with its window created and the registry in a folder of the test's
// own, so that settings never touch the user's hives.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>

#include "control/FilterCtrl.h"
#include "aldra/Guids.h"
#include "support/DispatchHost.h"
#include "support/TempDir.h"

namespace aldra::testing {

class ControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("ALDRA_REGISTRY_DIR", registry.path().c_str(), 1);
        control = new CFilterCtrl();
        ASSERT_EQ(control->CreateWindow(), 0);
    }
    void TearDown() override {
        // A test that skipped before its SetUp reached this fixture's has nothing to close.
        if (control == nullptr) return;
        control->DestroyWindow();
        control->Release();
        unsetenv("ALDRA_REGISTRY_DIR");
    }

    Answer Call(const std::string& name, std::vector<VARIANT> args = {}) {
        return Invoke(control, name, std::move(args));
    }
    Answer Attach(const std::string& path) { return Call("AttachFile", {Str(path)}); }
    // The host's sequence for one file: quick test over its first bytes, then attach.
    Answer TestAndAttach(const std::string& path, const std::string& firstBytes) {
        Call("QuickTest", {Str(path), ByteArray(firstBytes.substr(0, 512))});
        return Attach(path);
    }

    TempDir registry;
    TempDir files;
    CFilterCtrl* control = nullptr;
};

}  // namespace aldra::testing
