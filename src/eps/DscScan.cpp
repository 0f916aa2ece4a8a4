#include "eps/DscScan.h"

#include <cstdio>
#include <string>
#include <utility>

#include "base/Path.h"
#include "base/TextBuffer.h"
#include "eps/CommentParser.h"
#include "eps/DcsPlates.h"
#include "eps/LeadingComments.h"
#include "eps/Photoshop.h"

namespace aldra {

namespace {

// Lines of PostScript code tolerated before the header is taken to be over; real headers rarely
// have any, but some applications put a few procset lines between the comments.
constexpr uint32_t kMaxCodeLines = 20;
constexpr double kPointsPerInch = 72;

struct Scan {
    EpsReader* eps;
    const char* path;
    EpsInfo* info;
    PString line;
    uint32_t codeLines = 0;
    // Set by a keyword's handler when it has already read the line the loop examines next.
    bool nextLineRead = false;
    bool stop = false;
    LeadingWalk* walk = nullptr;  // fed every line read, when the caller wants the leading comments
};

void CopyRest(const uint8_t* line, uint8_t* field) {
    PStrCopy(line, field, kPStringCapacity);
}

void ReadBox(Scan* scan) {
    double llx = ParseReal(scan->line);
    double lly = ParseReal(scan->line);
    double urx = ParseReal(scan->line);
    double ury = ParseReal(scan->line);
    scan->info->widthInches = (urx - llx) * (1 / kPointsPerInch);
    scan->info->heightInches = (ury - lly) * (1 / kPointsPerInch);
}

void ReadProcessColors(Scan* scan) {
    SkipBlanks(scan->line);
    PString cyan, magenta, yellow;
    PStrFromC("CYAN", cyan, sizeof cyan);
    PStrFromC("MAGENTA", magenta, sizeof magenta);
    PStrFromC("YELLOW", yellow, sizeof yellow);
    if (PStrFindNoCase(cyan, scan->line) > 0 && PStrFindNoCase(magenta, scan->line) > 0 &&
        PStrFindNoCase(yellow, scan->line) > 0) {
        scan->info->colorMode = kColour;
    }
}

void ReadColorUsage(Scan* scan) {
    SkipBlanks(scan->line);
    if (MatchKeyword(scan->line, "Color")) scan->info->colorMode = kColour;
}

void ReadDocumentPreview(Scan* scan) {
    SkipBlanks(scan->line);
    if (scan->info->colorMode != kOneBit) return;
    if (MatchKeyword(scan->line, "Macintosh_ColorPic") || MatchKeyword(scan->line, "PC_ColorTIFF")) {
        scan->info->colorMode = kGreyscale;
    }
}

void AppendToken(uint8_t* line, bool skipColourValues, StringList* list, uint32_t* count) {
    if (skipColourValues) {
        for (int i = 0; i < 4; ++i) ParseReal(line);
    }
    PString token;
    ParseToken(line, token);
    if (GetBufferSize(list) + 1u + token[0] > kMaxListBytes) return;
    if (AppendEntry(token, list) == kOk) ++*count;
}

// One entry per line: the keyword line, then every "%%+" continuation. The line that ends the run
// is left for the loop.
Status ReadListRun(Scan* scan, bool skipColourValues, StringList* list, uint32_t* count) {
    AppendToken(scan->line, skipColourValues, list, count);
    for (;;) {
        Status status = ReadLineFor(scan->walk, scan->eps, scan->line);
        if (status != kOk) return status;
        if (!MatchKeyword(scan->line, "%%+")) break;
        AppendToken(scan->line, skipColourValues, list, count);
    }
    scan->nextLineRead = true;
    return kOk;
}

// Collects the "%"-prefixed hex lines that follow a block keyword until `announced` bytes are in;
// *block receives them when `keep` asks for them and exactly that many came (see OpenHexBlock for
// the blocks that are only counted). On return scan->line holds the line that ended the block.
Status ReadHexBlock(Scan* scan, int32_t announced, bool keep, BufferPtr* block) {
    block->reset();
    const uint64_t bytesLeft = EpsFileSize(scan->eps) - EpsTell(scan->eps);
    Status status = ReadLineFor(scan->walk, scan->eps, scan->line);
    if (status != kOk) return status;
    HexBlock hex;
    status = OpenHexBlock(announced, bytesLeft, keep, &hex);
    while (status == kOk && IsCommentLine(scan->line) && HexBlockWanted(hex)) {
        AddHexCommentLine(scan->line, &hex);
        status = ReadLineFor(scan->walk, scan->eps, scan->line);
    }
    *block = CloseHexBlock(&hex);
    if (status != kOk) block->reset();
    return status;
}

// Photoshop leaves the resolution resource out of some files it writes (ExifTool's sample is one);
// their keywords and caption are still worth having, so only a resolution resource of the wrong
// size makes the file unusable, and a block without one leaves the resolution as it was.
Status TakeResolution(const TextBuffer* block, EpsInfo* info) {
    const uint8_t* data = BufferData(block);
    const uint32_t size = GetBufferSize(block);
    const uint8_t* resource = nullptr;
    uint32_t length = 0;
    if (FindImageResource(data, size, kResolutionResource, &resource, &length) != kOk) return kOk;
    int32_t h = 0;
    int32_t v = 0;
    Status status = ReadPhotoshopResolution(data, size, &h, &v);
    if (status != kOk) return status;
    info->hResolution = h * (1.0 / 65536);
    info->vResolution = v * (1.0 / 65536);
    return kOk;
}

Status ReadPhotoshopBlock(Scan* scan) {
    int32_t announced = ParseInteger(scan->line);
    bool handOver = scan->walk != nullptr && OfferPhotoshopBlock(scan->walk);
    BufferPtr block;
    // A block that is short, or larger than kMaxHexBlockBytes, is passed over.
    Status status = ReadHexBlock(scan, announced, true, &block);
    if (status == kOk && block != nullptr) status = TakeResolution(block.get(), scan->info);
    if (handOver) HandOverPhotoshopBlock(scan->walk, std::move(block));
    return status;
}

Status SkipNineBitsBlock(Scan* scan) {
    int32_t announced = ParseInteger(scan->line);
    BufferPtr block;
    Status status = ReadHexBlock(scan, announced, false, &block);
    if (status == kOk) scan->nextLineRead = true;
    return status;
}

void ReadFourSightPath(Scan* scan) {
    EpsInfo* info = scan->info;
    if (info->opiSystem == kOpiNone) info->opiSystem = kOpi4Sight;
    SkipBlanks(scan->line);
    CopyRest(scan->line, info->opiHiResFileName);
    PString ownName;
    SplitPath(scan->path, nullptr, ownName, sizeof ownName);
    PStrAppend(ownName, info->opiHiResFileName, kPStringCapacity);
}

// The DSC keywords first, then the private ones of Photoshop, Illustrator, DCS and the OPI systems.
// The order matters only where one keyword is a prefix of another.
Status ExamineDscKeyword(Scan* scan, bool* matched) {
    uint8_t* line = scan->line;
    EpsInfo* info = scan->info;
    *matched = true;
    if (MatchKeyword(line, "%%Creator:")) {
        PString token;
        ParseToken(line, token);
        if (token[0] > 0) PStrCopy(token, info->creator, kPStringCapacity);
    } else if (MatchKeyword(line, "%%BoundingBox:") || MatchKeyword(line, "%%HiResBoundingBox:")) {
        ReadBox(scan);
    } else if (MatchKeyword(line, "%%DocumentProcessColors:")) {
        ReadProcessColors(scan);
    } else if (MatchKeyword(line, "%ImageData:")) {
        ParseImageData(line, info);
    } else if (MatchKeyword(line, "%BeginPhotoshop:")) {
        return ReadPhotoshopBlock(scan);
    } else if (MatchKeyword(line, "%%ColorUsage:") || MatchKeyword(line, "%AI3_ColorUsage:")) {
        ReadColorUsage(scan);
    } else if (MatchKeyword(line, "%%DocumentPreview:") || MatchKeyword(line, "%AI3_DocumentPreview:")) {
        ReadDocumentPreview(scan);
    } else if (MatchKeyword(line, "%%DocumentFonts:")) {
        return ReadListRun(scan, false, info->fonts.get(), &info->fontCount);
    } else if (MatchKeyword(line, "%%DocumentCustomColors:")) {
        return ReadListRun(scan, false, info->customColors.get(), &info->customColorCount);
    } else if (MatchKeyword(line, "%%CMYKProcessColor:")) {
        return ReadListRun(scan, true, info->customColors.get(), &info->customColorCount);
    } else if (MatchKeyword(line, "%%DocumentFiles:")) {
        return ReadListRun(scan, false, info->files.get(), &info->fileCount);
    } else {
        *matched = false;
    }
    return kOk;
}

Status ExamineSeparationOrOpiKeyword(Scan* scan, bool* matched) {
    uint8_t* line = scan->line;
    EpsInfo* info = scan->info;
    *matched = true;
    if (MatchKeyword(line, "%%CyanPlate:")) {
        info->dcsKind = kDcsMain;
    } else if (MatchKeyword(line, "%LINOCyanPlate:")) {
        info->dcsKind = kIcsMain;
        return ReadLineFor(scan->walk, scan->eps, scan->line);
    } else if (MatchKeyword(line, "%%HeliosRefID:")) {
        info->opiSystem = kOpiHelios;
    } else if (MatchKeyword(line, "%%HeliosIncludeEPS:")) {
        info->opiSystem = kOpiHelios;
        ParseToken(line, info->opiHiResFileName);
    } else if (MatchKeyword(line, "%%CompFileName:")) {
        info->opiSystem = kOpiColorCentral;
        SkipBlanks(line);
        CopyRest(line, info->opiHiResFileName);
    } else if (MatchKeyword(line, "%%For: 4Sight LinoPrint")) {
        info->opiSystem = kOpiLinoPrint;
    } else if (MatchKeyword(line, "%%FSSampleHiResBinPath:")) {
        ReadFourSightPath(scan);
    } else if (MatchKeyword(line, "%%IPTSourceType: ")) {
        info->opiSystem = kOpiIptGetThePicture;
    } else if (MatchKeyword(line, "%9BitsRef:")) {
        info->opiSystem = kOpiNineBits;
        return SkipNineBitsBlock(scan);
    } else if (MatchKeyword(line, "%ALDImageFileName:")) {
        if (info->opiSystem == kOpiNone) info->opiSystem = kOpiUnknown;
        SkipBlanks(line);
        CopyRest(line, info->opiHiResFileName);
    } else {
        *matched = false;
    }
    return kOk;
}

Status ExamineLine(Scan* scan) {
    // Every keyword starts with "%": a line of code (or of binary data) need not try them.
    if (!IsCommentLine(scan->line)) {
        if (++scan->codeLines > kMaxCodeLines) scan->stop = true;
        return kOk;
    }
    bool matched = false;
    Status status = ExamineDscKeyword(scan, &matched);
    if (matched) return status;
    status = ExamineSeparationOrOpiKeyword(scan, &matched);
    if (matched) return status;
    if (IsCommentLine(scan->line)) return kOk;
    if (++scan->codeLines > kMaxCodeLines) scan->stop = true;
    return kOk;
}

Status ReadFirstLine(Scan* scan) {
    Status status = RewindToPostScript(scan->eps);
    if (status == kOk) status = ReadLineFor(scan->walk, scan->eps, scan->line);
    if (status != kOk) return status;
    if (!MatchKeyword(scan->line, "%!PS-Adobe-")) return kErrFormat;
    FormatVersion(ParseVersion(scan->line), scan->info->postScriptVersion, kPStringCapacity);
    if (MatchKeyword(scan->line, " EPSF-")) {
        FormatVersion(ParseVersion(scan->line), scan->info->epsfVersion, kPStringCapacity);
    }
    return kOk;
}

Status ScanComments(Scan* scan) {
    Status status = ReadFirstLine(scan);
    if (status != kOk) return status;
    // A file that ends right after its first line is a header without comments, not a broken one.
    if (AtEndOfFile(scan->eps)) return kOk;
    status = ReadLineFor(scan->walk, scan->eps, scan->line);
    while (status == kOk) {
        scan->nextLineRead = false;
        status = ExamineLine(scan);
        if (status != kOk || scan->stop) break;
        if (scan->nextLineRead) continue;
        if (AtEndOfFile(scan->eps)) break;
        status = ReadLineFor(scan->walk, scan->eps, scan->line);
    }
    return status;
}

void TakeResolutionFromPlate(Scan* scan) {
    std::string plate;
    // A plate that cannot be read leaves the resolution as the main file gave it.
    if (FindDcsPlate(scan->path, &plate)) (void)ScanPlateForImageData(plate.c_str(), scan->info);
}

Status CreateLists(EpsInfo* info) {
    Status status = NewBuffer(0, &info->customColors);
    if (status == kOk) status = NewBuffer(0, &info->fonts);
    if (status == kOk) status = NewBuffer(0, &info->files);
    return status;
}

void DisposeLists(EpsInfo* info) {
    info->customColors.reset();
    info->fonts.reset();
    info->files.reset();
}

}  // namespace

void FormatVersion(uint16_t packed, uint8_t* dst, uint32_t capacity) {
    if (packed == 0) return;
    char text[16];
    int n = std::snprintf(text, sizeof text, "%x.%1.1x", packed >> 8, (packed >> 4) & 0xF);
    if ((packed & 0xF) != 0) std::snprintf(text + n, sizeof text - n, "%1.1x", packed & 0xF);
    PStrFromC(text, dst, capacity);
}

Status ParseEpsHeader(EpsReader* eps, const char* path, EpsInfo* info, LeadingComments* leading) {
    *info = EpsInfo{};
    Status status = CreateLists(info);
    LeadingWalk walk;
    Scan scan{eps, path, info, {0}};
    if (leading != nullptr) {
        StartLeadingWalk(kWantAllLeading, leading, &walk);
        scan.walk = &walk;
    }
    if (status == kOk) status = ScanComments(&scan);
    if (status != kOk) {
        DisposeLists(info);
        if (leading != nullptr) AbandonLeadingWalk(&walk);
        return status;
    }
    if (leading != nullptr) FinishLeadingWalk(&walk, eps);
    if (info->dcsKind == kDcsMain || info->dcsKind == kIcsMain) TakeResolutionFromPlate(&scan);
    return kOk;
}

}  // namespace aldra
