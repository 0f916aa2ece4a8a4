#include "host/RegistrationRecord.h"

#include "platform/registry/Registry.h"

namespace aldra::host {

namespace {

constexpr const char* kHostKey = "Software\\Aldra\\FilterManager\\aldra-eps";
constexpr const char* kMadeValue = "RegistrationMade";

}  // namespace

bool RegistrationEverMade() {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kHostKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD made = 0;
    bool found = RegGetDword(key, kMadeValue, &made) == ERROR_SUCCESS && made != 0;
    RegCloseKey(key);
    return found;
}

void RecordRegistration() {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, kHostKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                       nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetDword(key, kMadeValue, 1);
    RegCloseKey(key);
}

}  // namespace aldra::host
