// The REGEDIT4 text of a hive file. A hive file that parses is rewritten whole by every change, so
// what FormatHive writes must parse back to the same keys and values, and format to the same text.
#pragma once
#include <string>
#include <string_view>
#include <unordered_set>

#include "fuzz/targets/Scratch.h"
#include "platform/registry/Hive.h"

namespace aldra::fuzz {

inline bool SameHive(const Hive& a, const Hive& b) {
    if (a.keys.size() != b.keys.size()) return false;
    for (size_t k = 0; k < a.keys.size(); ++k) {
        const HiveKey& x = a.keys[k];
        const HiveKey& y = b.keys[k];
        if (x.path != y.path || x.values.size() != y.values.size()) return false;
        for (size_t v = 0; v < x.values.size(); ++v) {
            const HiveValue& p = x.values[v];
            const HiveValue& q = y.values[v];
            if (p.name != q.name || p.type != q.type || p.data != q.data) return false;
        }
    }
    return true;
}

inline std::string Lower(std::string_view path) {
    std::string lower(path);
    for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return lower;
}

// Through a set rather than FindKey, so that the check stays linear on hives of many keys.
inline bool EveryParentIsAKey(const Hive& hive) {
    std::unordered_set<std::string> paths;
    for (const HiveKey& key : hive.keys) paths.insert(Lower(key.path));
    for (const HiveKey& key : hive.keys) {
        const size_t slash = key.path.rfind('\\');
        const std::string parent = slash == std::string::npos ? std::string() : key.path.substr(0, slash);
        if (!key.path.empty() && paths.count(Lower(parent)) == 0) return false;
    }
    return true;
}

inline int FuzzHive(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
    Hive hive;
    if (!ParseHive(text, kRoot, &hive)) return 0;
    ALDRA_FUZZ_CHECK(!hive.keys.empty() && hive.keys[0].path.empty());
    ALDRA_FUZZ_CHECK(EveryParentIsAKey(hive));
    for (size_t k = 0; k < hive.keys.size() && k < 16; ++k) ChildNames(hive, hive.keys[k].path);

    const std::string written = FormatHive(hive, kRoot);
    Hive again;
    ALDRA_FUZZ_CHECK(ParseHive(written, kRoot, &again));
    ALDRA_FUZZ_CHECK(SameHive(hive, again));
    ALDRA_FUZZ_CHECK(FormatHive(again, kRoot) == written);

    // Removing a tree leaves no key of it behind and every other key with its parent.
    if (hive.keys.size() > 1) {
        const std::string removed = hive.keys.back().path;
        RemoveTree(&again, removed, false);
        ALDRA_FUZZ_CHECK(FindKey(&again, removed) == nullptr);
        ALDRA_FUZZ_CHECK(EveryParentIsAKey(again));
    }
    return 0;
}

}  // namespace aldra::fuzz
