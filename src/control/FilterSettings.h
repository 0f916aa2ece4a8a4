// The user's settings: how Helios and Color Central files are catalogued, how notes are composed and at
// which resolution pictures are converted. Kept under HKEY_CURRENT_USER, loaded when the control's
// window is created, saved when the user confirms the setup sheet.
#pragma once
#include <cstdint>
#include <string>

#include "aldra/Settings.h"
#include "base/TextBuffer.h"

namespace aldra {

struct FilterSettings {
    uint32_t previewResolution = 0;  // pixels per inch for conversions; 0 = the screen's
    bool heliosAware = true;
    std::string heliosLayoutExtension = ".lay";
    bool heliosLayoutsOnly = false;
    bool ccAware = true;
    bool ccNotesFromHiRes = true;
    bool ccKeywordsFromHiRes = true;
    bool addCcCategory = true;
    std::string ccCategory;      // default: string resource 101
    TextBuffer* anpa = nullptr;  // the IPTC data-set table, owned; absent until the window exists
    bool addText = false;
    uint32_t maxText = 16000;
};

// The defaults, with the category text from the resources in force.
FilterSettings DefaultSettings();
// Missing values take their defaults; false only when the key can be neither opened nor created.
bool LoadSettings(FilterSettings* settings);
bool SaveSettings(const FilterSettings& settings);

}  // namespace aldra
