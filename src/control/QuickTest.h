// The quick test on a file's first bytes: is it an EPS file, and is it an Illustrator drawing?
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace aldra {

// Rows of the filter's format table: 0 EPS, 1 Illustrator; -1 when the bytes are not for this filter.
inline constexpr int kNoFormat = -1;
inline constexpr int kEpsFormatRow = 0;
inline constexpr int kIllustratorFormatRow = 1;

struct QuickTestResult {
    bool isDosEpsBinary = false;
    bool isIllustrator = false;
    int formatRow = kNoFormat;
};

// Looks only at the given bytes; a comparison that would reach past their end is a mismatch.
QuickTestResult QuickTestBytes(const uint8_t* bytes, size_t size);
// The same, and for bytes that begin a PDF file, whether the file at the path is an Illustrator
// drawing: its first bytes cannot tell, so the file itself is read (bounded as every PDF file is).
QuickTestResult QuickTestFile(const std::string& path, const uint8_t* bytes, size_t size);

}  // namespace aldra
