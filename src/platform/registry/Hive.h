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

// ASCII case-insensitive equality, the registry's rule for key and value names.
bool NamesEqual(std::string_view a, std::string_view b);

HiveKey* FindKey(Hive* hive, std::string_view path);
// The value of that name, or null.
HiveValue* FindValue(HiveKey* key, std::string_view name);
// The names of the key's direct subkeys, in creation order.
std::vector<std::string> ChildNames(const Hive& hive, std::string_view path);
// Adds the key and every missing ancestor; returns the key and, when created is not null, whether
// it was new.
HiveKey* CreateKey(Hive* hive, std::string_view path, bool* created);
// Removes the key and everything below it (only below it when keepKey is set).
void RemoveTree(Hive* hive, std::string_view path, bool keepKey);

// False when the text is not a REGEDIT4 file of this root whose every line is understood.
bool ParseHive(std::string_view text, std::string_view rootName, Hive* hive);
std::string FormatHive(const Hive& hive, std::string_view rootName);

}  // namespace aldra
