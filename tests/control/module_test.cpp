// The filter module as a host meets it: loaded by path, registered, found by its marker key and
// created through its class factory.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "aldra/FilterInterfaces.h"
#include "aldra/Guids.h"
#include "fixtures/ArtworkFile.h"
#include "fixtures/DispatchHost.h"
#include "fixtures/Eps.h"
#include "fixtures/Picture.h"
#include "fixtures/Tiff.h"
#include "platform/registry/Registry.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;

struct Module {
    void* handle = nullptr;
    HRESULT (*registerServer)() = nullptr;
    HRESULT (*unregisterServer)() = nullptr;
    HRESULT (*getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT (*canUnloadNow)() = nullptr;

    template <class F>
    void Find(F* entry, const char* name) {
        *entry = reinterpret_cast<F>(dlsym(handle, name));
    }
    Module() : handle(dlopen(ALDRA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL)) {
        if (handle == nullptr) return;
        Find(&registerServer, "DllRegisterServer"), Find(&unregisterServer, "DllUnregisterServer");
        Find(&getClassObject, "DllGetClassObject"), Find(&canUnloadNow, "DllCanUnloadNow");
    }
    ~Module() {
        if (handle != nullptr) dlclose(handle);
    }
};

class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override { setenv("ALDRA_REGISTRY_DIR", registry.path().c_str(), 1); }
    void TearDown() override { unsetenv("ALDRA_REGISTRY_DIR"); }
    std::string Hive() const { return ReadFile(registry.File("classes.reg")); }
    TempDir registry;
};

bool Mapped(const char* name) {
    return ReadFile("/proc/self/maps").find(name) != std::string::npos;
}

std::string DefaultOf(const std::string& path) {
    HKEY key = nullptr;
    std::string value = "<missing>";
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    RegGetString(key, nullptr, &value);
    RegCloseKey(key);
    return value;
}

TEST_F(ModuleTest, RegistrationWritesEveryKeyAndUnregistrationRemovesThem) {
    Module module;
    ASSERT_NE(module.handle, nullptr) << dlerror();
    ASSERT_TRUE(module.unregisterServer && module.getClassObject && module.canUnloadNow);
    EXPECT_EQ(dlsym(module.handle, "_ZN5aldra15StartFilterModuleEv"), nullptr);  // nothing else exported
    ASSERT_EQ(module.registerServer(), S_OK);
    std::string clsid = FormatGuid(CLSID_AldraFilter);
    HKEY marker = nullptr;  // present, and holding nothing
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid + "\\IsAldraFilter").c_str(), 0, KEY_READ,
                           &marker),
              ERROR_SUCCESS);
    char name[64];
    DWORD type = 0;
    EXPECT_EQ(RegEnumValue(marker, 0, name, sizeof name, &type), ERROR_NO_MORE_ITEMS);
    RegCloseKey(marker);
    char resolved[4096];
    ASSERT_NE(realpath(ALDRA_MODULE_PATH, resolved), nullptr);
    EXPECT_EQ(DefaultOf("CLSID\\" + clsid + "\\InprocServer32"), resolved);
    EXPECT_EQ(DefaultOf("Aldra.AldraFilter.EPS.1\\CLSID"), clsid);
    EXPECT_NE(DefaultOf("TypeLib\\" + FormatGuid(LIBID_FILTERLib) + "\\1.0"), "<missing>");
    EXPECT_EQ(DefaultOf("Interface\\" + FormatGuid(IID_IAldraFilter)), "IAldraFilter");
    EXPECT_EQ(DefaultOf("Interface\\" + FormatGuid(IID_IAldraFilterInfo)), "IAldraFilterInfo");
    for (auto [page, progId] : {std::pair{CLSID_FilterMediaProperty, "Aldra.AldraFilterProperty.EPS.1"},
                                {CLSID_FilterMediaOPIProperty, "Filter.CFilterMediaOPIProperty"},
                                {CLSID_FilterMediaLinksProperties, "Filter.CFilterMediaLinksProperties"}}) {
        EXPECT_EQ(DefaultOf(std::string(progId) + "\\CLSID"), FormatGuid(page));
        EXPECT_EQ(DefaultOf("CLSID\\" + FormatGuid(page) + "\\ProgID"), progId);
    }
    std::string once = Hive();  // registering twice changes nothing
    ASSERT_EQ(module.registerServer(), S_OK);
    EXPECT_EQ(Hive(), once);

    ASSERT_EQ(module.unregisterServer(), S_OK);
    // Only the shared parents (CLSID, TypeLib, Interface) stay; nothing of the filter's own.
    EXPECT_EQ(Hive().find('{'), std::string::npos) << Hive();
    EXPECT_EQ(Hive().find("Filter"), std::string::npos) << Hive();
    EXPECT_EQ(module.unregisterServer(), S_OK);
}

// The localisation library is chosen once, when the module loads, so this runs in a process of its
// own.
TEST_F(ModuleTest, ALocalisationModuleRenamesTheFormats) {
    auto formatName = [] {
        Module module;
        if (module.handle == nullptr) _exit(3);
        IDispatch* control = CreateFilterControl(module.handle);
        IClassFactory* unknown = nullptr;  // a class the module does not serve
        if (module.getClassObject(GUID{1, 2, 3, {4}}, IID_IClassFactory,
                                  reinterpret_cast<void**>(&unknown)) != CLASS_E_CLASSNOTAVAILABLE ||
            module.canUnloadNow() != S_FALSE)
            _exit(4);
        IAldraFilterInfo* info = nullptr;
        control->QueryInterface(IID_IAldraFilterInfo, reinterpret_cast<void**>(&info));
        BSTR format = nullptr;
        info->GetIndFormat(1, &format);
        std::string name = BstrToAnsi(format);
        SysFreeString(format);
        info->Release();
        control->Release();
        return name;
    };
    EXPECT_EXIT(
        {
            setenv("ALDRA_LOCAL_MODULE", ALDRA_LOCAL_PATH, 1);
            _exit(formatName() == "Adobe Illustrator (lokal)" ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// The libraries only text and faxed previews need stay out of a process that never meets them.
TEST_F(ModuleTest, FontAndFaxLibrariesComeInOnlyWithTheFirstPictureThatNeedsThem) {
    // Never closed, as a host keeps the module: the fonts' state lives until the process ends.
    void* module = dlopen(ALDRA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    IDispatch* control = CreateFilterControl(module);
    ASSERT_NE(control, nullptr);
    TempDir files;
    const auto thumbnail = [&](const char* name, const std::string& bytes) {
        const std::string path = files.Write(name, bytes);
        Invoke(control, "QuickTest", {Str(path), ByteArray(bytes.substr(0, 4096))});
        EXPECT_TRUE(Invoke(control, "AttachFile", {Str(path)}).Bool()) << name;
        Invoke(control, "GetThumbnail", {MakeI4(64), MakeI4(64), MakeBool(true)});
    };
    const char* const kLater[] = {"libfreetype", "libfontconfig", "libtiff"};

    thumbnail(
        "stored.eps",
        DosEpsFile(EpsText("%%BoundingBox: 0 0 72 72"),
                   MakeTiff(MakePicture(8, 8, 8, 1, [](uint32_t x, uint32_t, uint32_t) { return x * 30; }))));
    for (const char* library : kLater) EXPECT_FALSE(Mapped(library)) << library;

    thumbnail("text.ai", ArtworkBuilder().PointText(10, 40, "Helvetica", 36, "Hello").Text());
    EXPECT_TRUE(Mapped("libfreetype") && Mapped("libfontconfig")) << "the drawing's text was never measured";
    EXPECT_FALSE(Mapped("libtiff"));
    control->Release();
}

}  // namespace
}  // namespace aldra
