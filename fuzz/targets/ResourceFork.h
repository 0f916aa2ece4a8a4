// The QuickTime module's resource forks: the input taken as an AppleDouble companion, as a MacBinary
// file and as a bare fork, each opened as the filter opens it, with every resource of the map read,
// detached or released.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/targets/Scratch.h"
#include "platform/quicktime/ForkLocator.h"
#include "platform/quicktime/ResourceFiles.h"
#include "platform/quicktime/ResourceMap.h"

namespace aldra::fuzz {

inline void CheckEntriesInside(const std::vector<qt::ResourceEntry>& entries, size_t size) {
    for (const qt::ResourceEntry& e : entries) ALDRA_FUZZ_CHECK(uint64_t{e.offset} + e.length <= size);
}

// Opens the fork found for path and walks its resources as the filter's callers do.
inline void WalkFork(const std::string& path) {
    qt::FSSpec spec{};
    path.copy(spec.path, sizeof spec.path - 1);
    const int16_t ref = qt::OpenResFile(&spec, qt::kReadPermission);
    if (ref < 0) {
        ALDRA_FUZZ_CHECK(qt::ResError() != qt::noErr);
        return;
    }
    for (qt::OSType type : {qt::kPictType, qt::kThumbType}) {
        for (int16_t i = 1; i <= 4; ++i) {
            qt::Handle h = qt::GetIndResource(type, i);
            if (h == nullptr) break;
            ALDRA_FUZZ_CHECK(qt::GetResource(type, 256) != nullptr || qt::ResError() == qt::resNotFound);
            if (i % 2) {
                qt::DetachResource(h);
                ALDRA_FUZZ_CHECK(qt::DisposeHandle(h) == qt::noErr);
            } else {
                qt::ReleaseResource(h);
            }
        }
    }
    qt::CloseResFile(ref);
    ALDRA_FUZZ_CHECK(qt::CurResFile() == 0);
}

inline int FuzzResourceFork(const uint8_t* data, size_t size) {
    std::vector<qt::ResourceEntry> entries;
    if (qt::ParseResourceMap(data, static_cast<uint32_t>(size), &entries) == kOk)
        CheckEntriesInside(entries, size);

    WriteScratch("forks/._double.eps", data, size);
    WalkFork(ScratchPath("forks/double.eps"));
    WriteScratch("forks/binary.eps", data, size);
    WalkFork(ScratchPath("forks/binary.eps"));
    BlockPtr fork;
    uint32_t forkSize = 0;
    if (qt::ReadResourceFork(ScratchPath("forks/binary.eps").c_str(), false, &fork, &forkSize) == kOk)
        ALDRA_FUZZ_CHECK(forkSize > 0 && forkSize <= size);
    return 0;
}

}  // namespace aldra::fuzz
