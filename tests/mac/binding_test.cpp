// The binding: where it finds the module, what it answers without one, and the facts the filter
// reads through it from 'PICT' and 'Thmb' resources.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <cstring>
#include <filesystem>

#include "fixtures/Bytes.h"
#include "mac/MacFiles.h"
#include "mac/MacResources.h"
#include "mac/QuickTimeBinding.h"
#include "mac/QuickTimeRoutines.h"

namespace aldra {
namespace {

using namespace testing;

const std::string kNowhere = "/nonexistent/aldra";

bool ModuleLoaded() {
    bool found = false;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            const char* slash = std::strrchr(info->dlpi_name, '/');
            if (slash && std::strcmp(slash + 1, qt::kLibraryName) == 0) *static_cast<bool*>(data) = true;
            return 0;
        },
        &found);
    return found;
}

class Binding : public ::testing::Test {
  protected:
    void TearDown() override {
        while (QuickTimeUseCount() > 0) StopQuickTime();
        SetQuickTimeSearchPlaces("", "");
        EXPECT_FALSE(ModuleLoaded());
    }
};

TEST_F(Binding, FindsTheModuleInEachPlace) {
    const std::string folder = std::filesystem::path(ALDRA_MODULE_PATH).parent_path().string();
    struct Case {
        const char* name;
        std::string executable, system;
        bool preload;
    } cases[] = {
        {"beside the executable", "", kNowhere, false},
        {"in the system folder", kNowhere + "/host", folder, false},
        {"already loaded", kNowhere + "/host", kNowhere, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetQuickTimeSearchPlaces(c.executable, c.system);
        void* own = c.preload ? dlopen(ALDRA_MODULE_PATH, RTLD_NOW) : nullptr;
        ASSERT_EQ(StartQuickTime(0), qt::noErr);
        EXPECT_TRUE(ModuleLoaded());
        StopQuickTime();
        if (own) dlclose(own);
    }
}

TEST_F(Binding, WithoutAUsableModuleEveryRoutineAnswersNotBound) {
    EXPECT_EQ(CallQuickTime(qt::kSelResError, {}), qt::kErrNotBound);  // before any start: nothing loads
    EXPECT_FALSE(ModuleLoaded());
    SetQuickTimeSearchPlaces(kNowhere + "/host", kNowhere);
    EXPECT_EQ(StartQuickTime(0), qt::kErrCannotLoad);
    SetQuickTimeSearchPlaces(std::string(ALDRA_INCOMPLETE_FOLDER) + "/host", kNowhere);
    EXPECT_EQ(StartQuickTime(0), qt::kErrMissingEntry);
    EXPECT_FALSE(ModuleLoaded());
    EXPECT_EQ(ResError(), qt::kErrNotBound);
    EXPECT_EQ(GetResource(qt::kPictType, 256), nullptr);
    EXPECT_EQ(QuickTimeUseCount(), 0);
}

TEST_F(Binding, StartsCountAndTheLastStopUnloads) {
    ASSERT_EQ(StartQuickTime(0), qt::noErr);
    ASSERT_EQ(StartQuickTime(0), qt::noErr);
    EXPECT_EQ(QuickTimeUseCount(), 2);
    StopQuickTime();
    EXPECT_TRUE(ModuleLoaded());
    EXPECT_EQ(CallQuickTime(0x12345678, {}), qt::unimpErr);  // a selector the module does not know
    StopQuickTime();
    EXPECT_FALSE(ModuleLoaded());
    EXPECT_EQ(ResError(), qt::kErrNotBound);
}

// Facts of PictInfo (id 256) then ThumbInfo, as the control reads them.
struct Facts {
    int32_t kind = -1;
    double h = -1, v = -1, width = -1, height = -1;
};

Facts ReadFacts(const std::vector<MacResource>& resources) {
    TempDir dir;
    if (!resources.empty()) WriteCompanion(dir, "a.eps", resources);
    qt::FSSpec spec;
    EXPECT_EQ(NativePathNameToFSSpec(dir.File("a.eps").c_str(), &spec, 0), qt::noErr);
    Facts f;
    const PictFacts out{&f.kind, &f.h, &f.v, &f.width, &f.height};
    OpenedFork fork(&spec);
    if (!fork.IsOpen()) return f;
    PictInfo(kPreviewPictId, out);
    (void)ThumbInfo(out);
    return f;
}

TEST_F(Binding, PictAndThumbResourcesGiveTheirFacts) {
    ASSERT_EQ(StartQuickTime(0), qt::noErr);
    ThumbRecord thumb;
    thumb.width = 720, thumb.height = 360;
    ThumbRecord sized = thumb;
    sized.hResFixed = 144u << 16, sized.vResFixed = 36u << 16, sized.entries = 2;
    ThumbRecord unsized;
    unsized.pictIds[0] = 0, unsized.pictIds[1] = 300;
    ThumbRecord version2 = thumb;
    version2.version = 2;
    const std::string v1 = PictBuilder::Version1({0, 0, 144, 72}).End();
    const std::string extended = PictBuilder::Version2({0, 0, 300, 600}, 300u << 16, 300u << 16).End();
    const std::string basic = PictBuilder::Version2Basic({0, 0, 10, 10}, 0, 0, 144 << 16, 216 << 16).End();
    struct Case {
        const char* name;
        std::vector<MacResource> resources;
        Facts want;
    } cases[] = {
        {"version 1", {{"PICT", 256, v1}}, {0, 72, 72, 1, 2}},
        {"extended header", {{"PICT", 256, extended}}, {2, 300, 300, 600 / 72.0, 300 / 72.0}},
        {"basic header", {{"PICT", 256, basic}}, {2, 72, 72, 2, 3}},
        {"thumbnail record wins",
         {{"PICT", 256, v1}, {"Thmb", 256, MakeThumbRecord(thumb)}},
         {2, 72, 72, 10, 5}},
        {"thumbnail resolution", {{"Thmb", 256, MakeThumbRecord(sized)}}, {2, 144, 36, 5, 10}},
        {"size from the named picture",
         {{"Thmb", 256, MakeThumbRecord(unsized)}, {"PICT", 300, v1}},
         {2, 72, 72, 1, 2}},
        {"thumbnail of another version", {{"Thmb", 256, MakeThumbRecord(version2)}}, {-1, -1, -1, -1, -1}},
        {"picture too short", {{"PICT", 256, v1.substr(0, 11)}}, {-1, -1, -1, -1, -1}},
        {"record too short", {{"Thmb", 256, MakeThumbRecord(sized).substr(0, 120)}}, {-1, -1, -1, -1, -1}},
        {"only 'PICT' 130", {{"PICT", 130, v1}}, {-1, -1, -1, -1, -1}},
        {"no fork", {}, {-1, -1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Facts f = ReadFacts(c.resources);
        EXPECT_EQ(f.kind, c.want.kind);
        EXPECT_DOUBLE_EQ(f.h, c.want.h);
        EXPECT_DOUBLE_EQ(f.v, c.want.v);
        EXPECT_DOUBLE_EQ(f.width, c.want.width);
        EXPECT_DOUBLE_EQ(f.height, c.want.height);
        EXPECT_EQ(CurResFile(), 0);  // what was current before is current again
    }
}

}  // namespace
}  // namespace aldra
