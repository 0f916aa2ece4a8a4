// The file layer's result codes and exclusive opens, and the reader's sliding window.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/File.h"
#include "base/FileReader.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

// Bytes whose value tells their offset, so any misplaced window shows.
std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

struct OpenReader {
    FileReader r;
    uint8_t* cursor = nullptr;
    Status status;
    OpenReader(const std::string& path, uint32_t window, KeptWindow* kept = nullptr) {
        KeptWindow none;
        status = ReaderOpenKept(path.c_str(), &r, &cursor, window, kept ? kept : &none);
    }
    ~OpenReader() {
        if (status == kOk) ReaderClose(&r);
    }
    std::string At(uint32_t n) const { return std::string(reinterpret_cast<char*>(cursor), n); }
};

TEST(FileLayer, ResultCodesAndAnExistingFileLeftAlone) {
    testing::TempDir tmp;
    FileHandle h;
    std::string path = tmp.Write("a.eps", "keep me");
    EXPECT_EQ(FileOpen(tmp.File("missing.eps").c_str(), kFileRead, &h), kErrFileNotFound);
    EXPECT_EQ(FileOpen(tmp.File("no/such/dir.eps").c_str(), kFileRead, &h), kErrPathNotFound);
    EXPECT_EQ(FileOpen(path.c_str(), 3, &h), kErrParam);
    EXPECT_EQ(FileOpen(tmp.path().c_str(), kFileRead, &h), kErrAccess);  // a folder
    EXPECT_EQ(FileCreateNew(path.c_str()), kErrExists);
    EXPECT_EQ(MapSystemError(EROFS), kErrDriveLocked);
    OpenReader kept(path, kStandardWindow);
    EXPECT_EQ(kept.At(7), "keep me");
}

// Readers share a file, a writer holds it alone: a catalogue reading a file never turns away someone
// looking at it, and nobody reads a file while it is written.
TEST(FileLayer, ReadersShareAndWritersExcludeAcrossProcesses) {
    testing::TempDir tmp;
    std::string path = tmp.Write("held.eps", "x");
    const std::pair<int, int> cases[] = {
        {kFileRead, kFileRead}, {kFileRead, kFileWrite}, {kFileWrite, kFileRead}};
    for (const auto& [held, wanted] : cases) {
        FileHandle mine;
        ASSERT_EQ(FileOpen(path.c_str(), held, &mine), kOk);
        pid_t child = fork();
        if (child == 0) {
            FileHandle theirs;
            _exit(static_cast<int>(FileOpen(path.c_str(), wanted, &theirs)) == 0 ? 0 : 1);
        }
        int wstatus = 0;
        waitpid(child, &wstatus, 0);
        EXPECT_EQ(WEXITSTATUS(wstatus), held == kFileRead && wanted == kFileRead ? 0 : 1) << held << wanted;
        EXPECT_EQ(FileClose(mine), kOk);
    }
}

TEST(FileReader, WindowsSlideAndSeekWithTrueOffsetsUpToAndPastTheEnd) {
    testing::TempDir tmp;
    const std::string data = Pattern(100000);
    {  // the reader holds the file exclusively until it is closed
        OpenReader rd(tmp.Write("big", data), 1000);
        uint64_t offset = 0;
        for (; offset + 37 <= data.size(); offset += 37, rd.cursor += 37) {
            ASSERT_EQ(ReaderEnsure(&rd.cursor, 37, &rd.r), kOk);
            ASSERT_EQ(ReaderTell(rd.cursor, &rd.r), offset);
            ASSERT_EQ(rd.At(37), data.substr(offset, 37)) << offset;
        }
        ASSERT_EQ(ReaderEnsure(&rd.cursor, 1000, &rd.r), kOk);  // reaches past the end
        EXPECT_EQ(ReaderTell(rd.cursor, &rd.r), offset);
        EXPECT_EQ(rd.At(static_cast<uint32_t>(data.size() - offset)), data.substr(offset));
    }
    OpenReader wide(tmp.File("big"), kStandardWindow);
    for (uint64_t to : {5000u, 30000u, 99999u, 10u, 1u << 30, 20000u}) {  // 30000: not read at the opening
        ASSERT_EQ(ReaderSeek(to, &wide.cursor, &wide.r), kOk);
        const uint64_t at = to < data.size() ? to : data.size();
        EXPECT_EQ(ReaderTell(wide.cursor, &wide.r), at);
        if (at < data.size()) {
            EXPECT_EQ(static_cast<char>(*wide.cursor), data[at]);
        }
    }
    std::string copy(70000, '\0');
    ASSERT_EQ(ReaderRead(&wide.cursor, &wide.r, copy.data(), copy.size()), kOk);  // crosses windows
    EXPECT_EQ(copy, data.substr(20000, 70000));
}

// A first window kept before it was read in full is read on from what it held.
TEST(FileReader, KeptFirstWindowGoesOnFromWhatItHeld) {
    testing::TempDir tmp;
    const std::string data = Pattern(40000);
    const std::string path = tmp.Write("big", data);
    for (uint32_t first : {30000u, 5000u}) {  // filled within the window, or slid on from what it held
        KeptWindow kept;
        {
            OpenReader opened(path, kStandardWindow);
            ReaderKeepFirstWindow(&opened.r, &kept);
        }
        ASSERT_NE(kept.bytes, nullptr);
        OpenReader rd(path, kStandardWindow, &kept);
        std::string copy(data.size(), '\0');
        ASSERT_EQ(ReaderRead(&rd.cursor, &rd.r, copy.data(), first), kOk);
        ASSERT_EQ(ReaderRead(&rd.cursor, &rd.r, copy.data() + first, data.size() - first), kOk);
        EXPECT_EQ(ReaderTell(rd.cursor, &rd.r), data.size());
        EXPECT_EQ(copy, data) << first;
    }
}

}  // namespace
}  // namespace aldra
