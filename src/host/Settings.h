// The filter's twelve settings as the host shows and edits them: the values under the filter's settings
// key in HKEY_CURRENT_USER, which the control loads whenever its window is created.
#pragma once
#include <string>
#include <vector>

#include "host/FilterHost.h"

namespace aldra::host {

enum class SettingType { Number, Flag, Text };

struct SettingInfo {
    const char* name;  // the registry value name
    SettingType type;
    const char* defaultText;  // what the filter uses when the value is missing; null: the filter's resources
    const char* help;
};

const std::vector<SettingInfo>& AllSettings();
const SettingInfo* FindSetting(const std::string& name);  // case-insensitive

// The stored value as text (UTF-8), or empty with *stored false when the value is missing.
HostError ReadSetting(const SettingInfo& setting, std::string* text, bool* stored);
// Parses and stores a value given as text (UTF-8; flags as 0/1/true/false/yes/no/on/off).
HostError WriteSetting(const SettingInfo& setting, const std::string& text);

}  // namespace aldra::host
