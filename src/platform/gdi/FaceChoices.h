// Inside the GDI layer: the faces fontconfig chose for font requests, remembered on disk between
// processes. Loading fontconfig's configuration costs more than drawing a small picture, and its
// answer changes only when its configuration, the font folders or the environment steering it
// change. So the answers are kept with the modification times of those files and folders and a
// signature of that environment, and are trusted only while all of them are unchanged. Not for use
// outside src/platform/gdi.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/FontLibraries.h"

namespace aldra::gdi {

// What a font asks fontconfig for.
struct FaceRequest {
    std::string family;
    bool bold = false;
    bool italic = false;

    std::string Key() const { return family + (bold ? "\x01" : "\x02") + (italic ? "\x01" : "\x02"); }
};

// The face fontconfig chose for a request.
struct FaceChoice {
    std::string file;
    int index = 0;
    std::string family;
    int weight = 400;
    bool italic = false;
};

// A file or folder as it was when the answers were found.
struct WatchedPath {
    std::string path;
    bool exists = false;
    int64_t seconds = 0;
    int64_t nanoseconds = 0;

    bool operator==(const WatchedPath&) const = default;
};

WatchedPath Observe(const std::string& path);

// What a configuration's answers depend on: its files and folders, its font folders, and the
// user's configuration files it would read if they were there.
std::vector<WatchedPath> ObserveConfiguration(const FontCalls& fc, FcConfig* config);

struct StoredChoice {
    FaceRequest request;
    FaceChoice choice;
};

struct StoredChoices {
    uint64_t signature = 0;
    std::vector<WatchedPath> watched;
    std::vector<StoredChoice> choices;
};

// At most this many answers are written; a file with more is not one of ours.
inline constexpr size_t kMaxStoredChoices = 256;

// A hash of what steers fontconfig besides its files: its version (FcGetVersion's), its environment
// variables, the locale that picks the default language and the program's name.
uint64_t EnvironmentSignature(int fontconfigVersion);

// The file of the answers for an environment, under $XDG_CACHE_HOME/aldra (else ~/.cache/aldra);
// empty when there is no such folder to use.
std::string ChoicesPath(uint64_t signature);

// The answers of the file when it is whole, carries `signature` and every path it watches is as it
// was. False (and `out` empty) otherwise: a missing, stale or damaged file is no answer.
bool ReadChoices(const std::string& path, uint64_t signature, StoredChoices* out);

// Replaces the file in one step (a new file renamed over it), creating its folder; answers whose
// names a line cannot hold are left out. False when nothing could be written.
bool WriteChoices(const std::string& path, const StoredChoices& choices);

}  // namespace aldra::gdi
