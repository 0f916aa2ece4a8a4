#include "control/Registration.h"

#include "aldra/Guids.h"
#include "platform/registry/Registry.h"
#include "platform/resources/Resources.h"

namespace aldra {

namespace {

constexpr uint32_t kControlTypeNameResource = 1;
constexpr uint32_t kGeneralPageTypeNameResource = 2;
constexpr uint32_t kOpiPageTypeNameResource = 3;
constexpr uint32_t kLinksPageTypeNameResource = 4;
constexpr const char* kTypeLibraryName = "FILTERLib";
constexpr const char* kTypeLibraryVersion = "1.0";
// Interfaces described by a type library are marshalled by the automation marshaller.
constexpr const char* kAutomationMarshaller = "{00020424-0000-0000-C000-000000000046}";
constexpr const char* kDispatchMarshaller = "{00020420-0000-0000-C000-000000000046}";

struct InterfaceEntry {
    const GUID* iid;
    const char* name;
    const char* marshaller;
};

constexpr InterfaceEntry kInterfaces[] = {
    {&DIID__DAldraFilter, "_DAldraFilter", kDispatchMarshaller},
    {&DIID__DAldraFilterEvents, "_DAldraFilterEvents", kDispatchMarshaller},
    {&IID_IAldraFilterInfo, "IAldraFilterInfo", kAutomationMarshaller},
    {&IID_IAldraFilter, "IAldraFilter", kAutomationMarshaller},
};

struct PageEntry {
    const GUID* clsid;
    const char* progId;
    uint32_t typeNameResource;
};

constexpr PageEntry kPages[] = {
    {&CLSID_FilterMediaProperty, kGeneralPageProgId, kGeneralPageTypeNameResource},
    {&CLSID_FilterMediaOPIProperty, kOpiPageProgId, kOpiPageTypeNameResource},
    {&CLSID_FilterMediaLinksProperties, kLinksPageProgId, kLinksPageTypeNameResource},
};

std::string ClassKey(const GUID& clsid) {
    return "CLSID\\" + FormatGuid(clsid);
}

// Creates the key (and any missing parents) and sets its default value unless text is null.
bool WriteKey(const std::string& path, const char* defaultText, const char* name = nullptr,
              const char* text = nullptr) {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                       nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    if (defaultText != nullptr) ok = RegSetString(key, nullptr, defaultText) == ERROR_SUCCESS;
    if (ok && name != nullptr) ok = RegSetString(key, name, text) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool RemoveTree(const std::string& path) {
    LSTATUS status = RegDeleteTree(HKEY_CLASSES_ROOT, path.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

std::string TypeLibraryKey() {
    return "TypeLib\\" + FormatGuid(LIBID_FILTERLib) + "\\" + kTypeLibraryVersion;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

bool RegisterTypeLibrary(const std::string& modulePath) {
    std::string library = TypeLibraryKey();
    std::string libid = FormatGuid(LIBID_FILTERLib);
    bool ok = WriteKey(library, kTypeLibraryName) && WriteKey(library + "\\0\\linux64", modulePath.c_str()) &&
              WriteKey(library + "\\FLAGS", "0") &&
              WriteKey(library + "\\HELPDIR", FolderOf(modulePath).c_str());
    for (const InterfaceEntry& entry : kInterfaces) {
        std::string key = "Interface\\" + FormatGuid(*entry.iid);
        ok = ok && WriteKey(key, entry.name) && WriteKey(key + "\\ProxyStubClsid32", entry.marshaller) &&
             WriteKey(key + "\\TypeLib", libid.c_str(), "Version", kTypeLibraryVersion);
    }
    return ok;
}

bool UnregisterTypeLibrary() {
    bool ok = RemoveTree("TypeLib\\" + FormatGuid(LIBID_FILTERLib));
    for (const InterfaceEntry& entry : kInterfaces)
        ok = RemoveTree("Interface\\" + FormatGuid(*entry.iid)) && ok;
    return ok;
}

// The marker must exist and hold nothing, not even an empty default value.
bool WriteMarker() {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CLASSES_ROOT, MarkerKeyPath().c_str(), 0, "REG_SZ", REG_OPTION_NON_VOLATILE,
                       KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LSTATUS status = RegDeleteValue(key, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool RegisterControl(const std::string& modulePath) {
    std::string key = ClassKey(CLSID_AldraFilter);
    std::string typeName = ResourceText(kControlTypeNameResource);
    std::string clsid = FormatGuid(CLSID_AldraFilter);
    std::string bitmap = modulePath + ", 1";
    std::string miscStatus = std::to_string(kOleMiscStatus);
    return WriteKey(key, typeName.c_str()) &&
           WriteKey(key + "\\InprocServer32", modulePath.c_str(), "ThreadingModel", "Apartment") &&
           WriteKey(key + "\\ProgID", kControlProgId) && WriteKey(key + "\\Control", "") &&
           WriteKey(key + "\\ToolboxBitmap32", bitmap.c_str()) && WriteKey(key + "\\MiscStatus", "0") &&
           WriteKey(key + "\\MiscStatus\\1", miscStatus.c_str()) &&
           WriteKey(key + "\\TypeLib", FormatGuid(LIBID_FILTERLib).c_str()) &&
           WriteKey(key + "\\Version", kTypeLibraryVersion) && WriteKey(kControlProgId, typeName.c_str()) &&
           WriteKey(std::string(kControlProgId) + "\\CLSID", clsid.c_str()) && WriteMarker();
}

// Each page is found by its class identifier, and by its ProgID both ways.
bool RegisterPages(const std::string& modulePath) {
    for (const PageEntry& page : kPages) {
        std::string key = ClassKey(*page.clsid);
        std::string typeName = ResourceText(page.typeNameResource);
        std::string clsid = FormatGuid(*page.clsid);
        if (!WriteKey(key, typeName.c_str()) ||
            !WriteKey(key + "\\InprocServer32", modulePath.c_str(), "ThreadingModel", "Apartment") ||
            !WriteKey(key + "\\ProgID", page.progId) || !WriteKey(page.progId, typeName.c_str()) ||
            !WriteKey(std::string(page.progId) + "\\CLSID", clsid.c_str()))
            return false;
    }
    return true;
}

bool UnregisterClasses() {
    bool ok = RemoveTree(ClassKey(CLSID_AldraFilter));
    ok = RemoveTree(kControlProgId) && ok;
    for (const PageEntry& page : kPages) {
        ok = RemoveTree(ClassKey(*page.clsid)) && ok;
        ok = RemoveTree(page.progId) && ok;
    }
    return ok;
}

}  // namespace

std::string MarkerKeyPath() {
    return ClassKey(CLSID_AldraFilter) + "\\IsAldraFilter";
}

HRESULT RegisterFilterModule(const std::string& modulePath) {
    if (modulePath.empty() || !RegisterTypeLibrary(modulePath)) return SELFREG_E_TYPELIB;
    if (!RegisterControl(modulePath) || !RegisterPages(modulePath)) return SELFREG_E_CLASS;
    return S_OK;
}

HRESULT UnregisterFilterModule() {
    if (!UnregisterTypeLibrary()) return SELFREG_E_TYPELIB;
    if (!UnregisterClasses()) return SELFREG_E_CLASS;
    return S_OK;
}

}  // namespace aldra
