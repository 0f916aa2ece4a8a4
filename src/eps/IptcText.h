// The IPTC record's texts as UTF-8, decoded by the character set its envelope declares (data set
// 1:90): "ESC % G" declares UTF-8; without it the texts are Windows-1252, except that creators
// written in valid UTF-8 are taken as such, as current programs write them without declaring it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace aldra {

struct IptcText {
    std::string objectName;             // 2:05
    std::string headline;               // 2:105
    std::string caption;                // 2:120
    std::vector<std::string> creators;  // 2:80
    std::vector<std::string> keywords;  // 2:25
};

inline constexpr size_t kMostIptcEntries = 4096;

IptcText ReadIptcText(const uint8_t* record, uint32_t size);

}  // namespace aldra
