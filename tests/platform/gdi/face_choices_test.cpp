// The faces chosen for font names, kept on disk: trusted only while whole, of the same environment
// and with every watched file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/gdi/FaceChoices.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

namespace aldra::gdi {
namespace {

namespace fs = std::filesystem;
using Folder = testing::TempDir;

StoredChoices Sample(const Folder& f) {
    f.Write("fonts.conf", "<fontconfig/>");
    StoredChoices c;
    c.signature = 0x1234;
    c.watched = {Observe(f.File("fonts.conf")), Observe(f.File("later"))};
    c.choices = {
        {{"Helvetica Narrow", true, false}, {"/fonts/Narrow Bold.otf", 2, "Nimbus Sans Narrow", 700, false}},
        {{"Tab\tName", false, false}, {"/fonts/x.otf", 0, "X", 400, false}},
        {{"", false, true}, {"/fonts/Sans-Italic.ttf", 0, "DejaVu Sans", 400, true}}};
    return c;
}

TEST(FaceChoices, AWrittenFileReadsBackWithoutTheNamesALineCannotHold) {
    Folder f;
    const StoredChoices written = Sample(f);
    const std::string path = f.File("cache/aldra/choices");
    ASSERT_TRUE(WriteChoices(path, written));
    StoredChoices read;
    ASSERT_TRUE(ReadChoices(path, 0x1234, &read));
    EXPECT_EQ(read.watched, written.watched);
    ASSERT_EQ(read.choices.size(), 2u);
    EXPECT_EQ(read.choices[0].request.Key(), written.choices[0].request.Key());
    EXPECT_EQ(read.choices[0].choice.file, "/fonts/Narrow Bold.otf");
    EXPECT_EQ(read.choices[0].choice.index, 2);
    EXPECT_EQ(read.choices[0].choice.family, "Nimbus Sans Narrow");
    EXPECT_EQ(read.choices[0].choice.weight, 700);
    EXPECT_EQ(read.choices[1].request.Key(), written.choices[2].request.Key());
    EXPECT_TRUE(read.choices[1].choice.italic);
    EXPECT_EQ(std::distance(fs::directory_iterator(f.File("cache/aldra")), fs::directory_iterator()), 1)
        << "no temporary file is left beside it";
}

struct Spoiled {
    const char* what;
    std::function<void(const Folder&, const std::string& path)> spoil;
};

TEST(FaceChoices, AStaleOrDamagedFileIsNoAnswer) {
    const auto edit = [](const std::string& path, const std::string& from, const std::string& to) {
        std::string text = testing::ReadFile(path);
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        std::ofstream(path) << text.replace(at, from.size(), to);
    };
    const Spoiled rows[] = {
        {"a watched file changed",
         [](const Folder& f, auto&) {
             const fs::path conf = f.File("fonts.conf");
             fs::last_write_time(conf, fs::last_write_time(conf) + std::chrono::seconds(5));
         }},
        {"a watched path appeared", [](const Folder& f, auto&) { f.Write("later", ""); }},
        {"cut short", [](const Folder&, const std::string& p) { fs::resize_file(p, fs::file_size(p) - 4); }},
        {"another layout", [&](const Folder&, const std::string& p) { edit(p, "choices 1", "choices 0"); }},
        {"an unknown line", [&](const Folder&, const std::string& p) { edit(p, "choice ", "chose "); }},
        {"a relative font file",
         [&](const Folder&, const std::string& p) { edit(p, "\t/fonts/N", "\tfonts/N"); }},
        {"a flag out of range",
         [&](const Folder&, const std::string& p) { edit(p, "choice 1", "choice 2"); }},
        {"a negative index", [&](const Folder&, const std::string& p) { edit(p, " 2 700", " -2 700"); }},
        {"a number with junk", [&](const Folder&, const std::string& p) { edit(p, " 700 ", " 70x "); }},
        {"lines after the end",
         [](const Folder&, const std::string& p) { std::ofstream(p, std::ios::app) << "x\n"; }},
        {"empty", [](const Folder&, const std::string& p) { std::ofstream{p}; }},
    };
    for (const Spoiled& row : rows) {
        SCOPED_TRACE(row.what);
        Folder f;
        const std::string path = f.File("choices");
        ASSERT_TRUE(WriteChoices(path, Sample(f)));
        row.spoil(f, path);
        StoredChoices read;
        EXPECT_FALSE(ReadChoices(path, 0x1234, &read));
        EXPECT_TRUE(read.choices.empty());
    }
    Folder f;
    const std::string path = f.File("choices");
    ASSERT_TRUE(WriteChoices(path, Sample(f)));
    StoredChoices read;
    EXPECT_FALSE(ReadChoices(path, 0x1235, &read)) << "another environment's answers";
    EXPECT_FALSE(ReadChoices(f.File("missing"), 0x1234, &read));
}

}  // namespace
}  // namespace aldra::gdi
