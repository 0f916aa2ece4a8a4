// The filter module as a host loads it: the dialogs module, and the toolkit with it, come in only
// when a dialog is asked for; without a display the dialogs answer as a sheet that was not shown.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "fixtures/DispatchHost.h"
#include "fixtures/Eps.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

namespace aldra::testing {
namespace {

bool Mapped(const char* name) {
    return ReadFile("/proc/self/maps").find(name) != std::string::npos;
}

TEST(DialogsModule, ComesInOnlyForADialogAndWithoutADisplayShowsNothing) {
    TempDir registry, files;
    setenv("ALDRA_REGISTRY_DIR", registry.path().c_str(), 1);
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "ALDRA_UI_MODULE"})
        unsetenv(name);
    void* module = dlopen(ALDRA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    IDispatch* control = CreateFilterControl(module);
    ASSERT_NE(control, nullptr);

    std::string text = EpsText("%%DocumentFonts: Courier\n%%BoundingBox: 0 0 72 72");
    std::string path = files.Write("a.eps", text);
    Invoke(control, "QuickTest", {Str(path), ByteArray(text)});
    EXPECT_TRUE(Invoke(control, "AttachFile", {Str(path)}).Bool());
    Invoke(control, "GetThumbnail", {MakeI4(64), MakeI4(64), MakeI4(1)});
    Invoke(control, "InfoGetNotes");
    EXPECT_FALSE(Mapped("libQt6")) << "the toolkit came in without a dialog";
    EXPECT_FALSE(Mapped("libaldra-eps-ui"));

    // The toolkit would end the process on a display it cannot open.
    std::string hive = ReadFile(registry.File("user.reg"));
    const char* unusable[][2] = {{nullptr, nullptr}, {"DISPLAY", ":987"}, {"QT_QPA_PLATFORM", "bogus"}};
    for (const auto& [name, value] : unusable) {
        SCOPED_TRACE(value != nullptr ? value : "none");
        if (name != nullptr) setenv(name, value, 1);
        EXPECT_TRUE(Invoke(control, "Setup").Bool());
        EXPECT_EQ(ReadFile(registry.File("user.reg")), hive);
        EXPECT_FALSE(Invoke(control, "ShowProperties").Bool());
        if (name != nullptr) unsetenv(name);
    }
    EXPECT_TRUE(Mapped("libaldra-eps-ui"));

    control->Release();
    unsetenv("ALDRA_REGISTRY_DIR");
}

}  // namespace
}  // namespace aldra::testing
