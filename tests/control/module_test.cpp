// The filter module as a host meets it: loaded by path, registered, found by its marker key, created
// through its class factory and driven by names only.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "aldra/FilterInterfaces.h"
#include "aldra/Guids.h"
#include "platform/registry/Registry.h"
#include "support/DispatchHost.h"
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

    Module() {
        handle = dlopen(ALDRA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) return;
        registerServer = reinterpret_cast<HRESULT (*)()>(dlsym(handle, "DllRegisterServer"));
        unregisterServer = reinterpret_cast<HRESULT (*)()>(dlsym(handle, "DllUnregisterServer"));
        getClassObject =
            reinterpret_cast<HRESULT (*)(REFCLSID, REFIID, void**)>(dlsym(handle, "DllGetClassObject"));
        canUnloadNow = reinterpret_cast<HRESULT (*)()>(dlsym(handle, "DllCanUnloadNow"));
    }
    ~Module() {
        if (handle != nullptr) dlclose(handle);
    }

    IDispatch* CreateControl() {
        IClassFactory* factory = nullptr;
        if (FAILED(getClassObject(CLSID_AldraFilter, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
            return nullptr;
        IDispatch* control = nullptr;
        factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&control));
        factory->Release();
        return control;
    }
};

class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override { setenv("ALDRA_REGISTRY_DIR", registry.path().c_str(), 1); }
    void TearDown() override { unsetenv("ALDRA_REGISTRY_DIR"); }
    std::string Hive() const {
        std::ifstream in(registry.File("classes.reg"), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    TempDir registry;
};

bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Only the four entry points are visible.
TEST_F(ModuleTest, ExportsOnlyTheFourEntryPoints) {
    Module module;
    ASSERT_NE(module.handle, nullptr) << dlerror();
    EXPECT_NE(module.registerServer, nullptr);
    EXPECT_NE(module.unregisterServer, nullptr);
    EXPECT_NE(module.getClassObject, nullptr);
    EXPECT_NE(module.canUnloadNow, nullptr);
    EXPECT_EQ(dlsym(module.handle, "_ZN5aldra15StartFilterModuleEv"), nullptr);
}

TEST_F(ModuleTest, RegistrationLeavesTheMarkerAndUnregistrationLeavesNothing) {
    Module module;
    ASSERT_NE(module.handle, nullptr) << dlerror();
    ASSERT_EQ(module.registerServer(), S_OK);
    std::string clsid = FormatGuid(CLSID_AldraFilter);
    ASSERT_TRUE(KeyExists("CLSID\\" + clsid + "\\IsAldraFilter"));
    HKEY marker = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid + "\\IsAldraFilter").c_str(), 0, KEY_READ,
                           &marker),
              ERROR_SUCCESS);
    char name[64];
    DWORD type = 0;
    EXPECT_EQ(RegEnumValue(marker, 0, name, sizeof name, &type), ERROR_NO_MORE_ITEMS);
    RegCloseKey(marker);

    HKEY server = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid + "\\InprocServer32").c_str(), 0, KEY_READ,
                           &server),
              ERROR_SUCCESS);
    std::string path, threading;
    RegGetString(server, nullptr, &path);
    RegGetString(server, "ThreadingModel", &threading);
    RegCloseKey(server);
    EXPECT_EQ(threading, "Apartment");
    char resolved[4096];
    ASSERT_NE(realpath(ALDRA_MODULE_PATH, resolved), nullptr);
    EXPECT_EQ(path, resolved);

    HKEY progId = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "Aldra.AldraFilter.EPS.1\\CLSID", 0, KEY_READ, &progId),
              ERROR_SUCCESS);
    std::string back;
    RegGetString(progId, nullptr, &back);
    RegCloseKey(progId);
    EXPECT_EQ(back, clsid);
    EXPECT_TRUE(KeyExists("TypeLib\\" + FormatGuid(LIBID_FILTERLib) + "\\1.0"));
    EXPECT_TRUE(KeyExists("CLSID\\" + FormatGuid(CLSID_FilterMediaOPIProperty)));
    EXPECT_EQ(Hive().rfind("REGEDIT4", 0), 0u);
    // Registering twice changes nothing.
    std::string once = Hive();
    ASSERT_EQ(module.registerServer(), S_OK);
    EXPECT_EQ(Hive(), once);

    ASSERT_EQ(module.unregisterServer(), S_OK);
    // Only the shared parents (CLSID, TypeLib, Interface) stay; nothing of the filter's own.
    EXPECT_EQ(Hive().find('{'), std::string::npos) << Hive();
    EXPECT_EQ(Hive().find("Aldra"), std::string::npos) << Hive();
    EXPECT_EQ(module.unregisterServer(), S_OK);
}

TEST_F(ModuleTest, AHostDrivesTheControlByNamesOnly) {
    Module module;
    ASSERT_NE(module.handle, nullptr) << dlerror();
    IDispatch* control = module.CreateControl();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(module.canUnloadNow(), S_FALSE);
    IAldraControlWindow* window = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IAldraControlWindow, reinterpret_cast<void**>(&window)), S_OK);
    ASSERT_EQ(window->CreateControlWindow(), S_OK);

    IAldraFilterInfo* info = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IAldraFilterInfo, reinterpret_cast<void**>(&info)), S_OK);
    int32_t count = 0;
    info->CountFormats(&count);
    EXPECT_EQ(count, 2);
    BSTR format = nullptr;
    ASSERT_EQ(info->GetIndFormat(0, &format), S_OK);
    std::string epsFormat = BstrToAnsi(format);
    SysFreeString(format);
    info->Release();

    TempDir files;
    std::string text = "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: test\n%%BoundingBox: 0 0 72 144\n";
    for (int i = 0; i < 25; ++i) text += "gsave grestore\n";
    std::string path = files.Write("one.eps", text);
    EXPECT_EQ(Invoke(control, "QuickTest", {Str(path), ByteArray(text)}).Text(), epsFormat);
    EXPECT_TRUE(Invoke(control, "AttachFile", {Str(path)}).Bool());
    EXPECT_EQ(Invoke(control, "InfoGetHeight").Float(), 2.0f);
    EXPECT_EQ(Invoke(control, "InfoGetCreatingSoftware").Text(), "test");
    Answer refused = Invoke(control, "AttachFile", {Str(files.File("none.eps"))});
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.code, 2020);

    window->DestroyControlWindow();
    window->Release();
    control->Release();
    EXPECT_EQ(module.canUnloadNow(), S_OK);
    IClassFactory* page = nullptr;
    EXPECT_EQ(module.getClassObject(GUID{1, 2, 3, {4}}, IID_IClassFactory, reinterpret_cast<void**>(&page)),
              CLASS_E_CLASSNOTAVAILABLE);
}

// The localisation library is chosen once, when the module loads, so each case runs in a process of
// its own.
TEST_F(ModuleTest, ALocalisationModuleRenamesTheFormats) {
    auto formatName = [] {
        Module module;
        if (module.handle == nullptr) _exit(3);
        IDispatch* control = module.CreateControl();
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
    EXPECT_EXIT(
        {
            setenv("ALDRA_LOCAL_MODULE", "/nonexistent/local.so", 1);
            _exit(formatName().find("lokal") == std::string::npos && !formatName().empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace aldra
