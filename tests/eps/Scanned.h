// The header scan of a test's file and the facts it hands over.
#pragma once
#include <string>

#include "base/PString.h"
#include "base/StringList.h"
#include "eps/DscScan.h"
#include "fixtures/Eps.h"

namespace aldra::testing {

struct Scanned {
    Status status = kErrSystem;
    EpsInfo info;
};

inline void ScanFile(const std::string& path, Scanned* out, LeadingComments* leading = nullptr) {
    EpsReader eps;
    out->status = OpenEps(path.c_str(), &eps);
    if (out->status != kOk) return;
    out->status = ParseEpsHeader(&eps, path.c_str(), &out->info, leading);
    CloseEps(&eps);
}

// The entries joined by "|", so that empty entries show.
inline std::string Entries(const StringList* list) {
    std::string joined;
    bool first = true;
    ForEachEntry(list, [&](const uint8_t* entry) {
        joined += (first ? "" : "|") + PStrToString(entry);
        first = false;
        return true;
    });
    return joined;
}

// A Photoshop block's hex lines without the "%EndPhotoshop" line behind them.
inline std::string HexLines(const std::string& resources, const char* prefix = "% ") {
    return "%BeginPhotoshop: " + std::to_string(resources.size()) + "\n" + HexCommentLines(resources, prefix);
}

inline std::string BufferText(const TextBuffer* buffer) {
    return std::string(reinterpret_cast<const char*>(BufferData(buffer)), GetBufferSize(buffer));
}

}  // namespace aldra::testing
