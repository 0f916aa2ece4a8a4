// The user's settings: how Helios and Color Central files are catalogued, how notes are composed and at
// which resolution pictures are converted. Kept under HKEY_CURRENT_USER, loaded when the control's
// window is created (or at the first call that needs them, for hosts that never create it), saved
// when the user confirms the setup sheet.
#pragma once
#include <cstdint>
#include <string>

#include "aldra/Settings.h"
#include "base/TextBuffer.h"

namespace aldra {

// Owns its IPTC data-set table, so it moves but does not copy: a copy is made with Clone, which can
// run out of memory.
struct FilterSettings {
    FilterSettings() = default;
    FilterSettings(FilterSettings&&) = default;
    FilterSettings& operator=(FilterSettings&&) = default;
    FilterSettings(const FilterSettings&) = delete;
    FilterSettings& operator=(const FilterSettings&) = delete;

    // Every field, the table duplicated; *copy is untouched on failure.
    [[nodiscard]] Status Clone(FilterSettings* copy) const;

    uint32_t previewResolution = 0;  // pixels per inch for conversions; 0 = the screen's
    bool heliosAware = true;
    std::string heliosLayoutExtension = ".lay";
    bool heliosLayoutsOnly = false;
    bool ccAware = true;
    bool ccNotesFromHiRes = true;
    bool ccKeywordsFromHiRes = true;
    bool addCcCategory = true;
    // A sample may name a high-resolution file anywhere; off, only one in its own folder or below counts.
    bool ccHiResAnywhere = false;
    std::string ccCategory;  // default: string resource 101
    BufferPtr anpa;          // the IPTC data-set table; absent until the settings are loaded
    bool addText = false;
    uint32_t maxText = 16000;
};

// The defaults, with the category text from the resources in force.
FilterSettings DefaultSettings();
// Missing values take their defaults; false only when the key can be neither opened nor created. The
// table is made when the settings have none; it stays absent only when memory runs out.
bool LoadSettings(FilterSettings* settings);
bool SaveSettings(const FilterSettings& settings);

}  // namespace aldra
