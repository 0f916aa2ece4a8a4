#include "host/Settings.h"

#include <strings.h>

#include <charconv>
#include <cstring>

#include "aldra/Settings.h"
#include "platform/registry/Registry.h"

namespace aldra::host {

namespace {

// The filter reads ordinary text values into 256 bytes with their terminating zero.
constexpr size_t kMaxTextBytes = 255;

std::string RegistryError(const char* what, LSTATUS status) {
    return std::string(what) + " the settings key (registry error " + std::to_string(status) + ")" +
           (status == ERROR_BADDB ? ": the hive file " + HiveFilePath(HKEY_CURRENT_USER) + " does not parse"
            : status == ERROR_ACCESS_DENIED
                ? ": the hive file " + HiveFilePath(HKEY_CURRENT_USER) + " is read-only and stays as it is"
                : "");
}

bool ParseFlag(const std::string& text, uint32_t* value) {
    for (const char* yes : {"1", "true", "yes", "on"}) {
        if (strcasecmp(text.c_str(), yes) == 0) return *value = 1, true;
    }
    for (const char* no : {"0", "false", "no", "off"}) {
        if (strcasecmp(text.c_str(), no) == 0) return *value = 0, true;
    }
    return false;
}

}  // namespace

const std::vector<SettingInfo>& AllSettings() {
    static const std::vector<SettingInfo> settings = {
        {"PreviewResolution", SettingType::Number, "0", "pixels per inch for conversions; 0 = the screen's"},
        {"HeliosAware", SettingType::Flag, "1", "recognise Helios EtherShare OPI layouts"},
        {"HeliosLayoutExtension", SettingType::Text, ".lay", "file name extension of Helios layout files"},
        {"HeliosLayoutsOnly", SettingType::Flag, "0", "catalogue only the layout of a Helios pair"},
        {"CCAware", SettingType::Flag, "1", "recognise Luminous Color Central files"},
        {"CCNotesFromHiRes", SettingType::Flag, "1",
         "take notes from the Color Central high-resolution file"},
        {"CCKWfromHiRes", SettingType::Flag, "1",
         "take keywords from the Color Central high-resolution file"},
        {"AddCCCategory", SettingType::Flag, "1", "add a category to Color Central files"},
        {"CCHiResAnywhere", SettingType::Flag, "0",
         "read a Color Central high-resolution file outside the sample's folder"},
        {"CCCategory", SettingType::Text, nullptr, "the category added to Color Central files"},
        {"ANPA_SETTINGS", SettingType::Text, nullptr, "the IPTC data-set table, in its serialised form"},
        {"AddText", SettingType::Flag, "0", "add Illustrator text to the notes"},
        {"MaxText", SettingType::Number, "16000", "at most this many characters of Illustrator text"},
    };
    return settings;
}

const SettingInfo* FindSetting(const std::string& name) {
    for (const SettingInfo& s : AllSettings()) {
        if (strcasecmp(s.name, name.c_str()) == 0) return &s;
    }
    return nullptr;
}

HostError ReadSetting(const SettingInfo& setting, std::string* text, bool* stored) {
    text->clear();
    *stored = false;
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND) return {};
    if (status != ERROR_SUCCESS) return {RegistryError("cannot open", status)};
    DWORD type = 0, size = 0;
    status = RegQueryValueEx(key, setting.name, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        std::string bytes(size, '\0');
        status = RegQueryValueEx(key, setting.name, nullptr, &type, reinterpret_cast<uint8_t*>(bytes.data()),
                                 &size);
        bytes.resize(size);
        if (status == ERROR_SUCCESS) {
            if (setting.type == SettingType::Text) {
                size_t zero = bytes.find('\0');
                if (zero != std::string::npos) bytes.resize(zero);
                *text = AnsiToUtf8(bytes);
                *stored = true;
            } else if (bytes.size() == 4) {
                uint32_t value = 0;
                std::memcpy(&value, bytes.data(), 4);
                *text = setting.type == SettingType::Flag ? std::string(value ? "1" : "0")
                                                          : std::to_string(value);
                *stored = true;
            }
        }
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return {RegistryError("cannot read", status)};
    return {};
}

HostError WriteSetting(const SettingInfo& setting, const std::string& text) {
    std::string bytes;
    DWORD type = REG_SZ;
    if (setting.type == SettingType::Text) {
        bytes = Utf8ToAnsi(text);
        if (bytes.find('?') != std::string::npos && text.find('?') == std::string::npos)
            return {std::string(setting.name) + ": the value has characters outside Windows-1252"};
        // The data-set table is read at its own size; every other text must fit the filter's buffer.
        if (std::strcmp(setting.name, "ANPA_SETTINGS") != 0 && bytes.size() > kMaxTextBytes)
            return {std::string(setting.name) + ": at most 255 characters"};
    } else {
        uint32_t value = 0;
        if (setting.type == SettingType::Flag) {
            if (!ParseFlag(text, &value))
                return {std::string(setting.name) + ": expected 0 or 1, got '" + text + "'"};
        } else {
            auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (text.empty() || ec != std::errc() || end != text.data() + text.size())
                return {std::string(setting.name) + ": expected a number from 0 to 4294967295, got '" + text +
                        "'"};
        }
        bytes.assign(4, '\0');
        std::memcpy(bytes.data(), &value, 4);
        type = REG_DWORD;
    }
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyEx(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return {RegistryError("cannot create", status)};
    status = RegSetValueEx(key, setting.name, 0, type, reinterpret_cast<const uint8_t*>(bytes.data()),
                           static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return {RegistryError("cannot write", status)};
    return {};
}

}  // namespace aldra::host
