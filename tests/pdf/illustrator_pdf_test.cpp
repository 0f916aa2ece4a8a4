#include <gtest/gtest.h>
#include <zlib.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include "fixtures/Pdf.h"
#include "pdf/IllustratorPdf.h"
#include "pdf/PdfLimits.h"
#include "support/TempDir.h"

namespace aldra::testing {
namespace {

std::string Deflated(const std::string& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()),
              static_cast<uLong>(bytes.size()), 9);
    out.resize(size);
    return out;
}

// The same bytes with one piece replaced; before the table, by one of the same length, so that
// the table's offsets stay right.
std::string Replaced(std::string file, const std::string& from, const std::string& to) {
    size_t at = file.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) file.replace(at, from.size(), to);
    return file;
}

std::string Encrypted(const std::string& plain, const char* userPassword) {
    QPDF qpdf;
    qpdf.processMemoryFile("plain", plain.data(), plain.size());
    QPDFWriter writer(qpdf);
    writer.setOutputMemory();
    writer.setR6EncryptionParameters(userPassword, "owner", true, true, true, true, true, true, qpdf_r3p_full,
                                     true);
    writer.write();
    std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(out->getBuffer()), out->getSize());
}

class IllustratorPdfTest : public ::testing::Test {
  protected:
    Status Read(const std::string& bytes, IllustratorPdf* pdf) {
        return ReadIllustratorPdf(files.Write("file.ai", bytes).c_str(), pdf);
    }
    TempDir files;
};

TEST_F(IllustratorPdfTest, PageSizeFromTheFirstUsableBox) {
    struct Row {
        const char* name;
        PdfContent content;
        double width, height;
    };
    auto page = [](std::string entries, std::string inherited = "", int nodes = 0) {
        PdfContent c;
        c.pageEntries = std::move(entries);
        c.pagesEntries = std::move(inherited);
        c.emptyPageNodes = nodes;
        return c;
    };
    const Row rows[] = {
        {"ArtBox before TrimBox and MediaBox",
         page("/MediaBox [0 0 612 792] /TrimBox [0 0 500 700] /ArtBox [10 20 110 70]"), 100, 50},
        {"TrimBox without an ArtBox", page("/MediaBox [0 0 612 792] /TrimBox [0 0 500 700]"), 500, 700},
        {"MediaBox inherited through the tree", page("", "/MediaBox [0 0 144 72]", 3), 144, 72},
        {"the page's own MediaBox over the inherited one",
         page("/MediaBox [0 0 10 20]", "/MediaBox [0 0 144 72]"), 10, 20},
        {"an ArtBox of three numbers is passed over", page("/ArtBox [0 0 5] /MediaBox [0 0 30 40]"), 30, 40},
        {"an empty ArtBox is passed over", page("/ArtBox [5 5 5 9] /MediaBox [0 0 30 40]"), 30, 40},
        {"reversed corners", page("/MediaBox [612 792 0 0]"), 612, 792},
        {"a quarter turn swaps the sides", page("/MediaBox [0 0 612 792] /Rotate 270"), 792, 612},
        {"user units scale the points", page("/MediaBox [0 0 100 50] /UserUnit 2"), 200, 100},
    };
    for (const Row& row : rows) {
        IllustratorPdf pdf;
        ASSERT_EQ(Read(PdfFile(row.content), &pdf), kOk) << row.name;
        EXPECT_TRUE(pdf.hasPageSize) << row.name;
        EXPECT_DOUBLE_EQ(pdf.widthPoints, row.width) << row.name;
        EXPECT_DOUBLE_EQ(pdf.heightPoints, row.height) << row.name;
    }
}

TEST_F(IllustratorPdfTest, IllustratorDrawingsByCreatorOrPrivateData) {
    IllustratorXmpContent acrobat;
    acrobat.creatorTool = "Acrobat PDFMaker 23";
    struct Row {
        const char* name;
        std::string xmp;
        std::string filter;
        bool privateData;
        bool drawing;
    };
    const std::string illustrator = IllustratorXmp({});
    const Row rows[] = {
        {"creator and private data", illustrator, "", true, true},
        {"creator alone", illustrator, "", false, true},
        {"creator in a compressed stream", Deflated(illustrator), "/FlateDecode", false, true},
        {"private data alone", "", "", true, true},
        {"another program's PDF", IllustratorXmp(acrobat), "", false, false},
        {"no metadata at all", "", "", false, false},
        {"a stream qpdf cannot decode", illustrator, "/JBIG2Decode", false, false},
    };
    for (const Row& row : rows) {
        PdfContent content;
        content.xmp = row.xmp;
        content.xmpFilter = row.filter;
        content.illustratorPrivateData = row.privateData;
        IllustratorPdf pdf;
        ASSERT_EQ(Read(PdfFile(content), &pdf), kOk) << row.name;
        EXPECT_EQ(IsIllustratorDrawing(pdf), row.drawing) << row.name;
    }
}

// Every damaged or hostile file ends with an answer, within the test's time limit, and nothing
// escapes the reader.
TEST_F(IllustratorPdfTest, DamagedAndHostileFilesAnswerCleanly) {
    PdfContent plain;
    plain.xmp = IllustratorXmp({});
    const std::string good = PdfFile(plain);
    PdfContent deep = plain;
    deep.emptyPageNodes = kMostPageTreeDepth + 4;
    PdfContent moved = plain;
    moved.xrefOffsetsWrong = true;
    PdfContent bomb;
    bomb.xmp = Deflated(std::string(kMostXmpPacketBytes + 4096, ' '));
    bomb.xmpFilter = "/FlateDecode";
    struct Row {
        const char* name;
        std::string bytes;
        Status status;
        bool pageSize;
        bool packet = false;  // Illustrator's metadata read
    };
    const Row rows[] = {
        {"not a PDF file", "%!PS-Adobe-3.0\n", kErrFormat, false},
        {"only the header", "%PDF-1.7\n", kErrFormat, false},
        {"an empty file", "", kErrFormat, false},
        {"cut in the middle", good.substr(0, good.size() / 2), kErrFormat, false},
        {"offsets of the table wrong: rebuilt", PdfFile(moved), kOk, true, true},
        {"a page tree that loops", Replaced(good, "/Kids [4 0 R]", "/Kids [3 0 R]"), kOk, false, true},
        {"a page tree deeper than the bound", PdfFile(deep), kOk, false, true},
        {"a table claiming a billion objects", Replaced(good, "/Size 6 ", "/Size 1000000000 "), kOk, true,
         true},
        {"a catalogue that is not a dictionary", Replaced(good, "<< /Type /Catalog", "[  /Type /Catalog"),
         kErrFormat, false},
        {"a metadata stream that expands past the bound", PdfFile(bomb), kOk, true, false},
        {"a user password", Encrypted(good, "secret"), kErrFormat, false},
        {"an owner password alone: its metadata are readable", Encrypted(good, ""), kOk, true, true},
    };
    for (const Row& row : rows) {
        IllustratorPdf pdf;
        EXPECT_EQ(Read(row.bytes, &pdf), row.status) << row.name;
        EXPECT_EQ(pdf.hasPageSize, row.pageSize) << row.name;
        EXPECT_EQ(pdf.xmp.find("Adobe Illustrator") != std::string::npos, row.packet) << row.name;
        EXPECT_LE(pdf.xmp.size(), kMostXmpPacketBytes) << row.name;
    }
}

TEST_F(IllustratorPdfTest, MissingFilesAndTheirHeads) {
    IllustratorPdf pdf;
    EXPECT_EQ(ReadIllustratorPdf(files.File("absent.ai").c_str(), &pdf), kErrFileNotFound);
    EXPECT_FALSE(IsPdfFile(files.File("absent.ai").c_str()));
    EXPECT_TRUE(IsPdfFile(files.Write("a.ai", "%PDF-").c_str()));
    EXPECT_FALSE(IsPdfFile(files.Write("b.ai", "%PDF").c_str()));
}

}  // namespace
}  // namespace aldra::testing
