#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
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
    OpenReader(const std::string& path, uint32_t window) {
        status = ReaderOpen(path.c_str(), &r, &cursor, window);
    }
    ~OpenReader() {
        if (status == kOk) ReaderClose(&r);
    }
};

TEST(FileLayer, ErrorsMapToResultCodes) {
    testing::TempDir tmp;
    FileHandle h;
    EXPECT_EQ(FileOpen(tmp.File("missing.eps").c_str(), kFileRead, &h), kErrFileNotFound);
    EXPECT_EQ(FileOpen(tmp.File("no/such/dir.eps").c_str(), kFileRead, &h), kErrPathNotFound);
    std::string path = tmp.Write("a.eps", "keep me");
    EXPECT_EQ(FileOpen(path.c_str(), 3, &h), kErrParam);
    EXPECT_EQ(h, kInvalidFile);
    EXPECT_EQ(FileCreateNew(path.c_str()), kErrExists);
    std::ifstream in(path);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "keep me");                                       // the existing file is left alone
    EXPECT_EQ(FileOpen(tmp.path().c_str(), kFileRead, &h), kErrAccess);  // a folder
    EXPECT_EQ(MapSystemError(ENOSPC), kErrDiskFull);
    EXPECT_EQ(MapSystemError(EROFS), kErrDriveLocked);
    EXPECT_EQ(MapSystemError(EMFILE), kErrTooManyFiles);
    EXPECT_EQ(MapSystemError(EIO), kErrSystem);
}

TEST(FileLayer, WriteSizeSeekDeleteRoundTrip) {
    testing::TempDir tmp;
    std::string path = tmp.File("new.bin");
    ASSERT_EQ(FileCreateNew(path.c_str()), kOk);
    FileHandle h;
    ASSERT_EQ(FileOpen(path.c_str(), kFileReadWrite, &h), kOk);
    ASSERT_EQ(FileWrite(h, 10, "0123456789"), kOk);
    uint64_t size = 0;
    ASSERT_EQ(FileSeek(h, 3), kOk);
    ASSERT_EQ(FileGetSize(h, &size), kOk);
    EXPECT_EQ(size, 10u);
    char c[4] = {};
    ASSERT_EQ(FileRead(h, 2, c), kOk);  // position survived the size query
    EXPECT_STREQ(c, "34");
    ASSERT_EQ(FileSetSize(h, 4), kOk);
    ASSERT_EQ(FileGetSize(h, &size), kOk);
    EXPECT_EQ(size, 4u);
    uint32_t got = 99;
    ASSERT_EQ(FileSeek(h, 2), kOk);
    EXPECT_EQ(FileRead(h, 3, c, &got), kOk);  // short read at the end is not an error
    EXPECT_EQ(got, 2u);
    ASSERT_EQ(FileClose(h), kOk);
    EXPECT_EQ(FileDelete(path.c_str()), kOk);
    EXPECT_EQ(FileDelete(path.c_str()), kErrFileNotFound);
}

TEST(FileLayer, OpenIsExclusiveAcrossProcesses) {
    testing::TempDir tmp;
    std::string path = tmp.Write("held.eps", "x");
    FileHandle mine;
    ASSERT_EQ(FileOpen(path.c_str(), kFileRead, &mine), kOk);
    pid_t child = fork();
    if (child == 0) {
        FileHandle theirs;
        _exit(FileOpen(path.c_str(), kFileRead, &theirs) == kErrAccess ? 0 : 1);
    }
    int wstatus = 0;
    waitpid(child, &wstatus, 0);
    EXPECT_TRUE(WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0);
    FileClose(mine);
    ASSERT_EQ(FileOpen(path.c_str(), kFileRead, &mine), kOk);  // free again once closed
    FileClose(mine);
}

// A sibling worker that holds a file only for a moment delays the open instead of refusing it.
TEST(FileLayer, BriefHolderIsWaitedOut) {
    testing::TempDir tmp;
    std::string path = tmp.Write("plate.C", "x");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        FileHandle theirs;
        bool held = FileOpen(path.c_str(), kFileRead, &theirs) == kOk;
        char byte = held ? 1 : 0;
        (void)!write(ready[1], &byte, 1);
        usleep(150 * 1000);
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 1);
    FileHandle mine;
    EXPECT_EQ(FileOpen(path.c_str(), kFileRead, &mine), kOk);
    FileClose(mine);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
}

TEST(FileReader, SmallAndEmptyFilesGetWholeFileWindows) {
    testing::TempDir tmp;
    OpenReader ten(tmp.Write("ten", "0123456789"), kStandardWindow);
    ASSERT_EQ(ten.status, kOk);
    EXPECT_EQ(ten.r.windowSize, 10u);
    EXPECT_EQ(ReaderTell(ten.cursor, &ten.r), 0u);
    EXPECT_EQ(ReaderEnsure(&ten.cursor, 10, &ten.r), kOk);
    EXPECT_EQ(ReaderEnsure(&ten.cursor, 11, &ten.r), kErrMemory);
    EXPECT_EQ(ReaderTell(ten.cursor, &ten.r), 0u);  // a refused request changes nothing

    OpenReader empty(tmp.Write("empty", ""), kStandardWindow);
    ASSERT_EQ(empty.status, kOk);
    EXPECT_EQ(empty.r.windowSize, 0u);
    EXPECT_EQ(ReaderEnsure(&empty.cursor, 1, &empty.r), kErrMemory);

    FileReader r;
    uint8_t* cursor;
    EXPECT_EQ(ReaderOpen(tmp.File("none").c_str(), &r, &cursor, kStandardWindow), kErrFileNotFound);
}

TEST(FileReader, SlidingKeepsCursorOffsetsTrueUpToAndPastTheEnd) {
    testing::TempDir tmp;
    const std::string data = Pattern(100000);
    OpenReader rd(tmp.Write("big", data), 1000);
    ASSERT_EQ(rd.status, kOk);
    // Walk in uneven steps, each byte checked against the file.
    uint64_t offset = 0;
    while (offset + 37 <= data.size()) {
        ASSERT_EQ(ReaderEnsure(&rd.cursor, 37, &rd.r), kOk);
        ASSERT_EQ(ReaderTell(rd.cursor, &rd.r), offset);
        ASSERT_EQ(std::string(reinterpret_cast<char*>(rd.cursor), 37), data.substr(offset, 37)) << offset;
        rd.cursor += 37;
        offset += 37;
    }
    // The last slide reaches past the end: beyondWindow goes negative, offsets stay right.
    ASSERT_EQ(ReaderEnsure(&rd.cursor, 1000, &rd.r), kOk);
    EXPECT_LT(rd.r.beyondWindow, 0);
    EXPECT_EQ(ReaderTell(rd.cursor, &rd.r), offset);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rd.cursor), data.size() - offset), data.substr(offset));
    EXPECT_EQ(ReaderEnsure(&rd.cursor, 1001, &rd.r), kErrMemory);
}

TEST(FileReader, SeeksInsideTheWindowAndReloadsOutsideIt) {
    testing::TempDir tmp;
    const std::string data = Pattern(100000);
    OpenReader rd(tmp.Write("big", data), kStandardWindow);
    ASSERT_EQ(rd.status, kOk);
    uint8_t* window = rd.r.window;
    int64_t beyond = rd.r.beyondWindow;
    ASSERT_EQ(ReaderSeek(5000, &rd.cursor, &rd.r), kOk);
    EXPECT_EQ(rd.cursor, window + 5000);
    EXPECT_EQ(rd.r.beyondWindow, beyond);  // no reload

    ASSERT_EQ(ReaderSeek(99999, &rd.cursor, &rd.r), kOk);
    EXPECT_EQ(rd.cursor, window + kStandardWindow - 1);  // window holds the last 32768 bytes
    EXPECT_EQ(rd.r.beyondWindow, 0);
    EXPECT_EQ(static_cast<char>(*rd.cursor), data[99999]);
    EXPECT_EQ(ReaderTell(rd.cursor, &rd.r), 99999u);

    ASSERT_EQ(ReaderSeek(10, &rd.cursor, &rd.r), kOk);  // backwards, outside the window
    EXPECT_EQ(ReaderTell(rd.cursor, &rd.r), 10u);
    EXPECT_EQ(static_cast<char>(*rd.cursor), data[10]);

    ASSERT_EQ(ReaderSeek(1u << 30, &rd.cursor, &rd.r), kOk);  // an offset from bad data
    EXPECT_EQ(ReaderTell(rd.cursor, &rd.r), data.size());

    std::string copy(70000, '\0');
    ASSERT_EQ(ReaderSeek(20000, &rd.cursor, &rd.r), kOk);
    ASSERT_EQ(ReaderRead(&rd.cursor, &rd.r, copy.data(), copy.size()), kOk);  // crosses several windows
    EXPECT_EQ(copy, data.substr(20000, 70000));
    EXPECT_EQ(ReaderTell(rd.cursor, &rd.r), 90000u);
}

TEST(FileLayer, StampsTellAChangedFileFromAnUnchangedOne) {
    testing::TempDir tmp;
    std::string path = tmp.Write("f.eps", "%!PS-Adobe-3.0\n");
    FileStamp before, again;
    ASSERT_EQ(PathStamp(path.c_str(), &before), kOk);
    ASSERT_EQ(PathStamp(path.c_str(), &again), kOk);
    EXPECT_EQ(before, again);
    FileHandle file;
    ASSERT_EQ(FileOpen(path.c_str(), kFileRead, &file), kOk);
    FileStamp open;
    ASSERT_EQ(FileStampOf(file, &open), kOk);
    FileClose(file);
    EXPECT_EQ(open, before);
    EXPECT_EQ(open.size, 15u);
    tmp.Write("f.eps", "%!PS-Adobe-3.0\n%%EOF\n");
    ASSERT_EQ(PathStamp(path.c_str(), &again), kOk);
    EXPECT_NE(again, before);
    // Replaced by another file of the same size.
    std::string other = tmp.Write("g.eps", "%!PS-Adobe-3.0\n%%EOF\n");
    ASSERT_EQ(::rename(other.c_str(), path.c_str()), 0);
    FileStamp replaced;
    ASSERT_EQ(PathStamp(path.c_str(), &replaced), kOk);
    EXPECT_NE(replaced, again);
    FileStamp missing;
    EXPECT_EQ(PathStamp(tmp.File("absent.eps").c_str(), &missing), kErrFileNotFound);
    // A reader stamps a regular file as it opens it, and nothing else.
    {
        OpenReader reader(path, 64);
        ASSERT_EQ(reader.status, kOk);
        EXPECT_EQ(reader.r.stamp, replaced);
        EXPECT_EQ(reader.r.fileSize, 21u);
    }
    OpenReader device("/dev/null", 64);
    ASSERT_EQ(device.status, kOk);
    EXPECT_FALSE(device.r.stamp.regular);
    EXPECT_EQ(device.r.fileSize, 0u);
}

}  // namespace
}  // namespace aldra
