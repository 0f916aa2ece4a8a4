// A stand-in for the maker's localisation library: it answers with a string table of its own, in
// which the format names differ from the filter's.
#include "platform/resources/Resources.h"

namespace {

constexpr aldra::ResourceString kStrings[] = {
    {1000, "Encapsulated PostScript (lokal)"},
    {1001, "Adobe Illustrator (lokal)"},
};

constexpr aldra::ResourceModule kModule = {"test localisation", kStrings,
                                           sizeof kStrings / sizeof kStrings[0], nullptr, 0};

}  // namespace

extern "C" __attribute__((visibility("default"))) const aldra::ResourceModule* AldraLocal_1(
    void* instance, int one, int zero, const char* location) {
    // The filter must call with its own base address, 1, 0 and its manager's registry location.
    if (instance == nullptr || one != 1 || zero != 0 || location == nullptr) return nullptr;
    return &kModule;
}
