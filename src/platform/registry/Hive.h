// One hive in memory and its REGEDIT4 text form. Keys are kept as full paths below the root, in the
// order they were created; every ancestor of a key is itself a key of the hive.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace aldra {

struct HiveValue {
    std::string name;  // "" is the default value
    uint32_t type;
    std::string data;  // REG_SZ without its terminating zero; REG_DWORD as 4 little-endian bytes
};

struct HiveKey {
    std::string path;  // "" is the root; otherwise names joined by "\\"
    std::vector<HiveValue> values;
};

struct Hive {
    std::vector<HiveKey> keys;  // keys[0] is always the root
    Hive() : keys(1) {}
};

// Windows keeps a registry tree to 512 levels; a deeper key is never created or read, so that no
// hive file can make the key code recurse without end.
inline constexpr size_t kMaxKeyDepth = 512;

// Names joined by single backslashes, none empty; "" (the root) too.
bool ValidKeyPath(std::string_view path);
// ASCII case-insensitive equality, the registry's rule for key and value names.
bool NamesEqual(std::string_view a, std::string_view b);

HiveKey* FindKey(Hive* hive, std::string_view path);
const HiveKey* FindKey(const Hive* hive, std::string_view path);
// The value of that name, or null.
HiveValue* FindValue(HiveKey* key, std::string_view name);
const HiveValue* FindValue(const HiveKey* key, std::string_view name);
// The names of the key's direct subkeys, in creation order.
std::vector<std::string> ChildNames(const Hive& hive, std::string_view path);
// Adds the key and every missing ancestor; returns the key and, when created is not null, whether
// it was new. Null, and the hive unchanged, for a path of more than kMaxKeyDepth names.
HiveKey* CreateKey(Hive* hive, std::string_view path, bool* created);
// Removes the key and everything below it (only below it when keepKey is set).
void RemoveTree(Hive* hive, std::string_view path, bool keepKey);

// False when the text is not a REGEDIT4 file of this root whose every line is understood, or when a
// key is deeper than kMaxKeyDepth.
bool ParseHive(std::string_view text, std::string_view rootName, Hive* hive);
std::string FormatHive(const Hive& hive, std::string_view rootName);

}  // namespace aldra
