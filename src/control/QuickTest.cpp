#include "control/QuickTest.h"

#include <cstring>

#include "control/PdfFile.h"
#include "eps/DosEpsHeader.h"
#include "pdf/IllustratorPdf.h"

namespace aldra {

namespace {

constexpr char kPostScriptSignature[] = "%!PS-Adobe";
// "%%Creator: Adobe Illustrator" without its final letter, so that "Illustrator(TM)" and
// "Illustrator(R)" match as well.
constexpr char kIllustratorCreator[] = "%%Creator: Adobe Illustrato";
constexpr size_t kFirstCreatorOffset = 10;
constexpr size_t kLastCreatorOffset = 99;

bool BytesAt(const uint8_t* bytes, size_t size, size_t offset, const void* expected, size_t length) {
    if (offset > size || size - offset < length) return false;
    return std::memcmp(bytes + offset, expected, length) == 0;
}

bool HasIllustratorCreator(const uint8_t* bytes, size_t size) {
    const size_t length = sizeof kIllustratorCreator - 1;
    for (size_t offset = kFirstCreatorOffset; offset <= kLastCreatorOffset; ++offset) {
        if (BytesAt(bytes, size, offset, kIllustratorCreator, length)) return true;
    }
    return false;
}

}  // namespace

QuickTestResult QuickTestBytes(const uint8_t* bytes, size_t size) {
    QuickTestResult result;
    if (bytes == nullptr) return result;
    result.isDosEpsBinary = HasDosEpsMagic(bytes, size);
    const bool isPostScript = BytesAt(bytes, size, 0, kPostScriptSignature, sizeof kPostScriptSignature - 1);
    if (!result.isDosEpsBinary && !isPostScript) return result;
    result.formatRow = kEpsFormatRow;
    // The search runs behind a DOS EPS header too, although its PostScript text starts further on.
    if (HasIllustratorCreator(bytes, size)) {
        result.isIllustrator = true;
        result.formatRow = kIllustratorFormatRow;
    }
    return result;
}

QuickTestResult QuickTestFile(const std::string& path, const uint8_t* bytes, size_t size) {
    QuickTestResult result = QuickTestBytes(bytes, size);
    if (result.formatRow != kNoFormat || path.empty() || !BeginsAsPdf(bytes, size)) return result;
    IllustratorPdf pdf;
    if (ReadPdfThroughModule(path.c_str(), &pdf) == kOk && IsIllustratorDrawing(pdf)) {
        result.isIllustrator = true;
        result.formatRow = kIllustratorFormatRow;
    }
    return result;
}

}  // namespace aldra
