// Where the filter keeps the user's settings, under HKEY_CURRENT_USER. Hosts may show or edit the
// values there; the filter reads them when a control first needs them.
#pragma once

namespace aldra {

// "Settings" and the ProgID run together: that is the key name hosts and older versions use.
inline constexpr const char* kSettingsKey = "Software\\Aldra\\FilterManager\\SettingsAldra.AldraFilter.EPS.1";

}  // namespace aldra
