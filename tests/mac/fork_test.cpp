// The module's Resource Manager: where a fork is found, which forks are refused, and the handles it
// gives out.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "base/Bytes.h"
#include "fixtures/Bytes.h"
#include "mac/MacFiles.h"
#include "platform/quicktime/ResourceFiles.h"
#include "platform/quicktime/ResourceMap.h"
#include "support/FileBytes.h"

namespace aldra {
namespace {

using namespace testing;
using namespace qt;

const std::string kPict = std::string(40, 'p');

qt::FSSpec SpecOf(const std::string& path) {
    qt::FSSpec spec{};
    path.copy(spec.path, sizeof spec.path - 1);
    return spec;
}

std::string ForkWith(const std::string& pictData) {
    return MakeResourceFork({{"PICT", 256, pictData}, {"Thmb", 256, "t"}, {"PICT", 130, "second"}});
}

std::string Patched(std::string s, size_t offset, const std::string& bytes) {
    return s.replace(offset, bytes.size(), bytes);
}

// The data of 'PICT' 256 in the fork found for path, or "" when no fork opens.
std::string PictFoundFor(const std::string& path) {
    const qt::FSSpec spec = SpecOf(path);
    const int16_t ref = OpenResFile(&spec, kReadPermission);
    if (ref < 0) return "";
    EXPECT_EQ(CurResFile(), ref);
    qt::Handle h = GetResource(kPictType, 256);
    std::string data = h ? std::string(reinterpret_cast<char*>(*h), GetHandleSize(h)) : "";
    CloseResFile(ref);
    EXPECT_EQ(CurResFile(), 0);
    return data;
}

TEST(ResourceFork, IsFoundInEachPlaceFirstPlaceFirst) {
    auto companion = [](const char* data) { return MakeAppleDouble(ForkWith(data)); };
    const std::string noForkEntry = Be32(0x00051607) + Be32(0x00020000) + std::string(16, '\0') + Be16(0);
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files;
        std::string want;
        std::string file = "a.eps";
    } cases[] = {
        {"AppleDouble beside", {{"._a.eps", companion("beside")}}, "beside"},
        {"AppleDouble in __MACOSX", {{"__MACOSX/._a.eps", companion("archive")}}, "archive"},
        {"MacBinary", {{"a.eps", MakeMacBinary("a.eps", "%!PS", ForkWith("binary"))}}, "binary"},
        {"named fork", {{"a.eps/..namedfork/rsrc", ForkWith("named")}}, "named"},
        {"beside wins over the archive's",
         {{"__MACOSX/._a.eps", companion("archive")}, {"._a.eps", companion("beside")}},
         "beside"},
        {"in the archive's __MACOSX two folders up",
         {{"__MACOSX/art/eps/._a.eps", companion("nested")}},
         "nested",
         "art/eps/a.eps"},
        {"a plain file has none", {{"a.eps", "%!PS-Adobe-3.0\n"}}, ""},
        {"AppleDouble without a fork entry", {{"._a.eps", noForkEntry}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        for (const auto& [name, bytes] : c.files) dir.Write(name, bytes);
        EXPECT_EQ(PictFoundFor(dir.File(c.file)), c.want);
    }
}

// What the search remembers of folders hides no companion for long: one written beside the file is
// found at the next look, one in an archive folder unpacked later once a second has passed.
TEST(ResourceFork, CompanionsWrittenLaterAreFound) {
    TempDir dir;
    const std::string file = dir.Write("art/a.eps", "%!PS-Adobe-3.0\n");
    EXPECT_EQ(PictFoundFor(file), "");
    dir.Write("__MACOSX/art/._a.eps", MakeAppleDouble(ForkWith("archive")));
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(PictFoundFor(file), "archive");
    dir.Write("art/._a.eps", MakeAppleDouble(ForkWith("beside")));
    EXPECT_EQ(PictFoundFor(file), "beside");
}

TEST(ResourceFork, DamagedForksAreNoForks) {
    const std::string good = ForkWith(kPict);
    // The map: its offset, then the type list at 28 with an entry for 'PICT' and one for 'Thmb', then
    // the references.
    const size_t map = LoadBe32(reinterpret_cast<const uint8_t*>(good.data()) + 4);
    struct Case {
        const char* name;
        std::string fork;
    } cases[] = {
        {"cut short", good.substr(0, good.size() - 1)},
        {"data past the end", Patched(good, 8, Be32(0x7FFFFFFF))},
        {"map past the end", Patched(good, 4, Be32(static_cast<uint32_t>(good.size())))},
        {"map too short", Patched(good, 12, Be32(8))},
        {"type list past the map", Patched(good, map + 24, Be16(0xFFF0))},
        {"more types than the map holds", Patched(good, map + 28, Be16(0x7FFF))},
        {"more references than the map holds", Patched(good, map + 30 + 4, Be16(0x7FFF))},
        {"reference list past the map", Patched(good, map + 30 + 6, Be16(0xFFF0))},
        {"resource data past the data", Patched(good, map + 30 + 16 + 4, Be32(0x00FFFFF0))},
        {"resource length past the data", Patched(good, 256, Be32(0x10000000))},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ResourceEntry> entries;
        EXPECT_EQ(ParseResourceMap(reinterpret_cast<const uint8_t*>(c.fork.data()),
                                   static_cast<uint32_t>(c.fork.size()), &entries),
                  kErrFormat);
        TempDir dir;
        dir.Write("._a.eps", MakeAppleDouble(c.fork));
        EXPECT_EQ(PictFoundFor(dir.File("a.eps")), "");
        EXPECT_NE(ResError(), noErr);
    }
    TempDir dir;
    dir.Write("._a.eps", MakeAppleDouble(good).substr(0, 100));  // the entry reaches past the companion
    EXPECT_EQ(PictFoundFor(dir.File("a.eps")), "");
}

// A MacBinary file is one only when its header says so; its fork follows the data fork and any
// secondary header, each padded to 128 bytes.
TEST(ResourceFork, MacBinaryHeadersAreCheckedBeforeTheForkIsTaken) {
    const std::string fork = ForkWith("binary");
    const std::string good = MakeMacBinary("a.eps", std::string(300, 'd'), fork);
    const std::string version3 = Patched(Patched(good, 102, "mBIN"), 124, "\x12\x34");  // III needs no CRC
    const std::string version1 = Patched(good, 99, std::string(27, '\0'));
    const std::string withSecondary = good.substr(0, 128) + std::string(128, 's') + good.substr(128);
    const std::string secondary = Patched(Patched(withSecondary, 120, Be16(100)), 102, "mBIN");
    struct Case {
        const char* name;
        std::string file;
        std::string want;
    } cases[] = {
        {"MacBinary II", good, "binary"},
        {"MacBinary III", version3, "binary"},
        {"MacBinary I", version1, "binary"},
        {"after a secondary header", secondary, "binary"},
        {"wrong CRC", Patched(good, 124, "\x12\x34"), ""},
        {"name too long", Patched(version3, 1, "\x40"), ""},
        {"fork past the end", good.substr(0, good.size() - 200), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.Write("a.eps", c.file);
        EXPECT_EQ(PictFoundFor(dir.File("a.eps")), c.want);
    }
}

TEST(ResourceFork, HandlesLiveAsTheirOwnerSays) {
    TempDir dir;
    dir.Write("._a.eps", MakeAppleDouble(ForkWith(kPict)));
    const qt::FSSpec spec = SpecOf(dir.File("a.eps"));
    const int16_t ref = OpenResFile(&spec, kReadPermission);
    ASSERT_GT(ref, 0);
    qt::Handle first = GetIndResource(kPictType, 1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetResource(kPictType, 256), first);  // asked twice, one handle
    EXPECT_EQ(GetHandleSize(GetIndResource(kPictType, 2)), 6u);
    EXPECT_EQ(GetIndResource(kPictType, 3), nullptr);
    EXPECT_EQ(ResError(), resNotFound);
    EXPECT_EQ(GetResource(kThumbType, 1), nullptr);

    DetachResource(first);
    ReleaseResource(GetResource(kThumbType, 256));
    EXPECT_EQ(ResError(), noErr);
    UseResFile(ref + 1);  // no such file: the current one stays
    EXPECT_EQ(ResError(), resFNotFound);
    EXPECT_EQ(CurResFile(), ref);
    CloseResFile(ref);
    EXPECT_EQ(GetHandleSize(first), kPict.size());  // detached: it survives the close
    EXPECT_EQ(std::string(reinterpret_cast<char*>(*first), kPict.size()), kPict);
    EXPECT_EQ(DisposeHandle(first), noErr);
    EXPECT_EQ(DisposeHandle(first), nilHandleErr);  // disposed: no longer followed
    EXPECT_EQ(GetHandleSize(first), 0u);
}

TEST(ResourceFork, CorpusForksParse) {
    const std::string path = std::string(ALDRA_CORPUS_DIR) + "/exiv2/exiv2-bug836.eps.rsrc";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus";
    const std::string fork = ReadFile(path);
    std::vector<ResourceEntry> entries;
    ASSERT_EQ(ParseResourceMap(reinterpret_cast<const uint8_t*>(fork.data()),
                               static_cast<uint32_t>(fork.size()), &entries),
              kOk);
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(FindIndexedEntry(entries, kPictType, 1), nullptr);  // a CorelDRAW fork without a preview
}

}  // namespace
}  // namespace aldra
