#include "eps/DcsPlates.h"

#include <cctype>

#include "base/PString.h"
#include "base/Path.h"
#include "eps/CommentParser.h"
#include "eps/EpsReader.h"
#include "eps/Photoshop.h"
#include "eps/Siblings.h"

namespace aldra {

namespace {

constexpr uint32_t kMaxCodeLines = 20;
const char* const kPlateEndings[] = {".C", ".M", ".Y", ".K"};

bool IsPathSeparator(uint8_t c) {
    // Mac, DOS and Unix directories may stand in front of the plate name.
    return c == ':' || c == '\\' || c == '/';
}

bool NamesPlate(const uint8_t* reference, const uint8_t* plateName) {
    if (PStrCompare(reference, plateName) == 0) return true;
    int extra = reference[0] - plateName[0];
    if (extra <= 0) return false;
    for (int i = 1; i <= plateName[0]; ++i) {
        if (reference[extra + i] != plateName[i]) return false;
    }
    return IsPathSeparator(reference[extra]);
}

// A "%%CyanPlate: scan.C" style comment, or its single-"%" variants.
bool LineReferencesPlate(uint8_t* line, const uint8_t* plateName) {
    PStrDelete(line, 1, 1);
    if (IsCommentLine(line)) PStrDelete(line, 1, 1);
    PString marker;
    PStrFromC("Plate:", marker, sizeof marker);
    int at = PStrFind(marker, line);
    if (at <= 0) return false;
    PStrDelete(line, 1, at - 1 + marker[0]);
    SkipBlanks(line);
    return NamesPlate(line, plateName);
}

bool EndsWithNoCase(const uint8_t* name, const char* ending, int length) {
    if (name[0] <= length) return false;
    const uint8_t* tail = name + 1 + name[0] - length;
    for (int i = 0; i < length; ++i) {
        if (std::tolower(tail[i]) != std::tolower(static_cast<unsigned char>(ending[i]))) return false;
    }
    return true;
}

}  // namespace

bool ReferencesPlate(const char* platePath, const uint8_t* mainName) {
    std::string directory;
    PString plateName;
    SplitSiblingPath(platePath, &directory, plateName, sizeof plateName);
    std::string mainPath;
    if (mainName[0] == 0 || !FileExistsIn(directory, mainName, &mainPath)) return false;
    EpsReader eps;
    if (OpenEps(mainPath.c_str(), &eps) != kOk) return false;
    bool found = false;
    if (RewindToPostScript(&eps) == kOk) {
        PString line;
        while (!found && ReadLine(&eps, line) == kOk && IsCommentLine(line)) {
            found = LineReferencesPlate(line, plateName);
        }
    }
    CloseEps(&eps);
    return found;
}

bool IsDcsPlate(const char* path) {
    PString name;
    SplitPath(path, nullptr, name, sizeof name);
    if (name[0] < 2 || name[name[0] - 1] != '.') return false;
    PString base;
    PStrSub(name, 1, name[0] - 2, base, sizeof base);
    for (const char* ending : {"", ".Main", ".eps"}) {
        PString candidate, suffix;
        PStrFromC(ending, suffix, sizeof suffix);
        PStrConcat(candidate, sizeof candidate, base, suffix, nullptr);
        if (ReferencesPlate(path, candidate)) return true;
    }
    return false;
}

bool FindDcsPlate(const char* mainPath, std::string* platePath) {
    std::string directory;
    PString name;
    SplitSiblingPath(mainPath, &directory, name, sizeof name);
    if (EndsWithNoCase(name, ".eps", 4)) {
        name[0] -= 4;
    } else if (EndsWithNoCase(name, ".Main", 5)) {
        name[0] -= 5;
    }
    for (const char* ending : kPlateEndings) {
        PString suffix, candidate;
        PStrFromC(ending, suffix, sizeof suffix);
        PStrConcat(candidate, sizeof candidate, name, suffix, nullptr);
        // A link named like a plate is followed only within the main file's folder.
        if (FileExistsIn(directory, candidate, platePath) && RegularFileWithin(*platePath, directory))
            return true;
    }
    platePath->clear();
    return false;
}

Status ScanPlateForImageData(const char* platePath, EpsInfo* info) {
    EpsReader eps;
    Status status = OpenEps(platePath, &eps);
    if (status != kOk) return status;
    status = RewindToPostScript(&eps);
    uint32_t codeLines = 0;
    PString line;
    while (status == kOk && !AtEndOfFile(&eps) && ReadLine(&eps, line) == kOk) {
        if (MatchKeyword(line, "%ImageData:")) {
            ParseImageData(line, info);
            info->colorMode = kColour;
            break;
        }
        if (!IsCommentLine(line) && ++codeLines > kMaxCodeLines) break;
    }
    CloseEps(&eps);
    return status;
}

}  // namespace aldra
