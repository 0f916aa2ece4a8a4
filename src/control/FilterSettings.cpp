#include "control/FilterSettings.h"

#include <cstring>
#include <utility>

#include "eps/AnpaTable.h"
#include "platform/registry/Registry.h"
#include "platform/resources/Resources.h"

namespace aldra {

namespace {

constexpr uint32_t kCategoryResource = 101;
constexpr uint32_t kDefaultAnpaResource = 252;
constexpr DWORD kStringReadCapacity = 256;

bool ReadDword(HKEY key, const char* name, uint32_t* value) {
    uint8_t bytes[4];
    DWORD size = sizeof bytes;
    DWORD type = 0;
    if (RegQueryValueEx(key, name, nullptr, &type, bytes, &size) != ERROR_SUCCESS || size != sizeof bytes)
        return false;
    std::memcpy(value, bytes, sizeof bytes);
    return true;
}

void LoadDword(HKEY key, const char* name, uint32_t* field) {
    uint32_t value;
    if (ReadDword(key, name, &value)) *field = value;
}

void LoadBool(HKEY key, const char* name, bool* field) {
    uint32_t value;
    if (ReadDword(key, name, &value)) *field = value != 0;
}

// Takes exactly the bytes the registry returns, up to a terminating zero if there is one.
bool ReadString(HKEY key, const char* name, std::string* value) {
    uint8_t bytes[kStringReadCapacity];
    DWORD size = sizeof bytes;
    DWORD type = 0;
    if (RegQueryValueEx(key, name, nullptr, &type, bytes, &size) != ERROR_SUCCESS) return false;
    const void* zero = std::memchr(bytes, 0, size);
    size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes) : size;
    value->assign(reinterpret_cast<const char*>(bytes), length);
    return true;
}

// The data-set table is longer than an ordinary string value, so it is read at its own size.
bool ReadLongString(HKEY key, const char* name, std::string* value) {
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    std::string bytes(size, '\0');
    if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<uint8_t*>(bytes.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    bytes.resize(size);
    size_t zero = bytes.find('\0');
    if (zero != std::string::npos) bytes.resize(zero);
    *value = std::move(bytes);
    return true;
}

void WriteDword(HKEY key, const char* name, uint32_t value) {
    uint8_t bytes[4];
    std::memcpy(bytes, &value, sizeof bytes);
    RegSetValueEx(key, name, 0, REG_DWORD, bytes, sizeof bytes);
}

void WriteString(HKEY key, const char* name, const std::string& value) {
    RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const uint8_t*>(value.data()),
                  static_cast<DWORD>(value.size()));
}

HKEY OpenSettingsKey() {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                       KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &key,
                       nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

}  // namespace

Status FilterSettings::Clone(FilterSettings* copy) const {
    FilterSettings made;
    if (anpa != nullptr) {
        Status status = DuplicateBuffer(anpa.get(), &made.anpa);
        if (status != kOk) return status;
    }
    made.previewResolution = previewResolution;
    made.heliosAware = heliosAware;
    made.heliosLayoutExtension = heliosLayoutExtension;
    made.heliosLayoutsOnly = heliosLayoutsOnly;
    made.ccAware = ccAware;
    made.ccNotesFromHiRes = ccNotesFromHiRes;
    made.ccKeywordsFromHiRes = ccKeywordsFromHiRes;
    made.addCcCategory = addCcCategory;
    made.ccHiResAnywhere = ccHiResAnywhere;
    made.ccCategory = ccCategory;
    made.addText = addText;
    made.maxText = maxText;
    *copy = std::move(made);
    return kOk;
}

FilterSettings DefaultSettings() {
    FilterSettings settings;
    settings.ccCategory = ResourceText(kCategoryResource);
    return settings;
}

// Every field starts from its default, so a missing or unreadable key still leaves usable settings.
bool LoadSettings(FilterSettings* settings) {
    BufferPtr anpa = std::move(settings->anpa);
    // Out of memory, the settings stay without a table, as the header says.
    if (anpa == nullptr) (void)NewBuffer(kAnpaCountBytes, &anpa);
    *settings = DefaultSettings();
    if (anpa != nullptr) ParseAnpaSettings(anpa.get(), ResourceText(kDefaultAnpaResource));
    settings->anpa = std::move(anpa);
    HKEY key = OpenSettingsKey();
    if (key == nullptr) return false;
    LoadDword(key, "PreviewResolution", &settings->previewResolution);
    LoadBool(key, "HeliosAware", &settings->heliosAware);
    ReadString(key, "HeliosLayoutExtension", &settings->heliosLayoutExtension);
    LoadBool(key, "HeliosLayoutsOnly", &settings->heliosLayoutsOnly);
    LoadBool(key, "CCAware", &settings->ccAware);
    LoadBool(key, "CCNotesFromHiRes", &settings->ccNotesFromHiRes);
    LoadBool(key, "CCKWfromHiRes", &settings->ccKeywordsFromHiRes);
    LoadBool(key, "AddCCCategory", &settings->addCcCategory);
    LoadBool(key, "CCHiResAnywhere", &settings->ccHiResAnywhere);
    ReadString(key, "CCCategory", &settings->ccCategory);
    std::string table;
    if (settings->anpa != nullptr && ReadLongString(key, "ANPA_SETTINGS", &table))
        ParseAnpaSettings(settings->anpa.get(), table);
    LoadBool(key, "AddText", &settings->addText);
    LoadDword(key, "MaxText", &settings->maxText);
    RegCloseKey(key);
    return true;
}

bool SaveSettings(const FilterSettings& settings) {
    HKEY key = OpenSettingsKey();
    if (key == nullptr) return false;
    WriteDword(key, "PreviewResolution", settings.previewResolution);
    WriteDword(key, "HeliosAware", settings.heliosAware);
    WriteString(key, "HeliosLayoutExtension", settings.heliosLayoutExtension);
    WriteDword(key, "HeliosLayoutsOnly", settings.heliosLayoutsOnly);
    WriteDword(key, "CCAware", settings.ccAware);
    WriteDword(key, "CCNotesFromHiRes", settings.ccNotesFromHiRes);
    WriteDword(key, "CCKWfromHiRes", settings.ccKeywordsFromHiRes);
    WriteDword(key, "AddCCCategory", settings.addCcCategory);
    WriteDword(key, "CCHiResAnywhere", settings.ccHiResAnywhere);
    WriteString(key, "CCCategory", settings.ccCategory);
    if (settings.anpa != nullptr) WriteString(key, "ANPA_SETTINGS", FormatAnpaSettings(settings.anpa.get()));
    WriteDword(key, "AddText", settings.addText);
    WriteDword(key, "MaxText", settings.maxText);
    RegCloseKey(key);
    return true;
}

}  // namespace aldra
