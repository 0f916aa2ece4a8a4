#include "eps/DscFacts.h"

#include <string_view>

#include "base/PString.h"
#include "eps/CommentParser.h"
#include "eps/DosEpsHeader.h"
#include "eps/Utf8Text.h"

namespace aldra {

namespace {

constexpr std::string_view kAtEnd = "(atend)";

enum class ListKind { kFonts, kColours, kFiles };

// Which values the header deferred, and the list a "%%+" line continues.
struct Deferred {
    bool box = false;
    bool pages = false;
    bool fonts = false;
    bool colours = false;
    bool files = false;
    bool Any() const { return box || pages || fonts || colours || files; }
};

std::string_view LineText(const uint8_t* line) {
    return {reinterpret_cast<const char*>(line + 1), line[0]};
}

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The value behind the keyword when the line starts with it.
bool Behind(std::string_view line, std::string_view keyword, std::string_view* value) {
    if (line.substr(0, keyword.size()) != keyword) return false;
    *value = Trimmed(line.substr(keyword.size()));
    return true;
}

// A DSC text: "(...)" with PostScript escapes, or the rest of the line.
std::string TextValue(std::string_view value) {
    PString line;
    PStrFromC(std::string(value).c_str(), line, sizeof line);
    PString token;
    ParseToken(line, token);
    return Utf8OrWindows1252(LineText(token));
}

// The entries of a list line: "(...)" texts, which may hold blanks, and blank-separated words.
void AppendEntries(std::string_view value, std::vector<std::string>* list) {
    size_t i = 0;
    while (i < value.size() && list->size() < kMostTrailerEntries) {
        if (value[i] == ' ' || value[i] == '\t') {
            ++i;
            continue;
        }
        size_t end = value[i] == '(' ? value.find(')', i) : value.find_first_of(" \t", i);
        if (end == std::string_view::npos) end = value.size();
        const size_t from = value[i] == '(' ? i + 1 : i;
        list->push_back(Utf8OrWindows1252(value.substr(from, end - from)));
        i = end + 1;
    }
}

// The header's facts; the first of each keyword is the header's, as a later one belongs to an
// embedded document.
bool TakeHeaderLine(std::string_view line, DscFacts* facts, Deferred* deferred) {
    std::string_view value;
    auto once = [&](std::string* field) {
        if (field->empty()) *field = TextValue(value);
    };
    // Every keyword is a "%%" comment; a Photoshop file's header holds hundreds of "% " data lines.
    if (!line.starts_with("%%")) return true;
    if (Behind(line, "%%EndComments", &value)) return false;
    if (Behind(line, "%%Title:", &value)) {
        once(&facts->title);
    } else if (Behind(line, "%%CreationDate:", &value)) {
        once(&facts->creationDate);
    } else if (Behind(line, "%%For:", &value)) {
        once(&facts->forWhom);
    } else if (Behind(line, "%%Creator:", &value)) {
        once(&facts->creator);
    } else if (Behind(line, "%%LanguageLevel:", &value)) {
        once(&facts->languageLevel);
    } else if (Behind(line, "%%Pages:", &value)) {
        deferred->pages = value == kAtEnd;
        if (!deferred->pages) once(&facts->pages);
    } else if (Behind(line, "%%BoundingBox:", &value)) {
        deferred->box = value == kAtEnd;
        if (!deferred->box && facts->boundingBox.empty()) facts->boundingBox = std::string(value);
    } else if (Behind(line, "%%DocumentFonts:", &value)) {
        deferred->fonts = value == kAtEnd;
    } else if (Behind(line, "%%DocumentCustomColors:", &value)) {
        deferred->colours = value == kAtEnd;
    } else if (Behind(line, "%%DocumentFiles:", &value)) {
        deferred->files = value == kAtEnd;
    }
    return true;
}

Status ReadHeader(EpsReader* eps, DscFacts* facts, Deferred* deferred) {
    PString line;
    for (uint32_t n = 0; n < kMostHeaderLines; ++n) {
        Status status = ReadLine(eps, line);
        if (status == kErrEof) return kOk;
        if (status != kOk) return status;
        // The "%!PS-Adobe" line, and blank lines, which some programs leave among the comments.
        if (n == 0 || line[0] == 0) continue;
        if (!IsCommentLine(line) || !TakeHeaderLine(LineText(line), facts, deferred)) return kOk;
    }
    return kOk;
}

// What the trailer gives, taken from the last "%%Trailer" on; a list runs on through "%%+" lines.
struct TrailerWalk {
    DscFacts found;
    bool inTrailer = false;
    std::vector<std::string>* list = nullptr;
};

void TakeTrailerLine(std::string_view line, TrailerWalk* walk) {
    std::string_view value;
    if (line == "%%Trailer") {
        *walk = TrailerWalk{};
        walk->inTrailer = true;
        return;
    }
    if (!walk->inTrailer) return;
    if (walk->list != nullptr && Behind(line, "%%+", &value)) return AppendEntries(value, walk->list);
    walk->list = nullptr;
    DscFacts& found = walk->found;
    if (Behind(line, "%%BoundingBox:", &value)) {
        found.boundingBox = std::string(value);
    } else if (Behind(line, "%%Pages:", &value)) {
        found.pages = TextValue(value);
    } else if (Behind(line, "%%DocumentFonts:", &value)) {
        walk->list = &found.fonts;
    } else if (Behind(line, "%%DocumentCustomColors:", &value)) {
        walk->list = &found.colours;
    } else if (Behind(line, "%%DocumentFiles:", &value)) {
        walk->list = &found.files;
    }
    if (walk->list != nullptr) AppendEntries(value, walk->list);
}

// The end of the PostScript text: the DOS EPS section's end, or the file's.
uint64_t PostScriptEnd(EpsReader* eps, uint64_t start) {
    DosEpsHeader header;
    const uint64_t size = EpsFileSize(eps);
    if (ReadDosEpsHeader(eps, &header) != kOk) return size;
    const uint64_t end = start + header.postScriptLength;
    return end < size ? end : size;
}

Status ReadTrailer(EpsReader* eps, uint64_t start, TrailerWalk* walk) {
    const uint64_t end = PostScriptEnd(eps, start);
    if (end <= start) return kOk;
    const uint64_t from = end - start > kTrailerSearchBytes ? end - kTrailerSearchBytes : start;
    Status status = EpsSeek(eps, from);
    PString line;
    while (status == kOk && EpsTell(eps) < end) {
        status = ReadLine(eps, line);
        if (status == kOk) TakeTrailerLine(LineText(line), walk);
    }
    return status == kErrEof ? kOk : status;
}

void TakeDeferred(const Deferred& deferred, DscFacts&& found, DscFacts* facts) {
    if (deferred.box) facts->boundingBox = std::move(found.boundingBox);
    if (deferred.pages) facts->pages = std::move(found.pages);
    if (deferred.fonts) facts->fonts = std::move(found.fonts);
    if (deferred.colours) facts->colours = std::move(found.colours);
    if (deferred.files) facts->files = std::move(found.files);
}

}  // namespace

Status ReadDscFacts(EpsReader* eps, DscFacts* facts, bool readTrailer) {
    *facts = DscFacts{};
    Status status = RewindToPostScript(eps);
    if (status != kOk) return status;
    const uint64_t start = EpsTell(eps);
    Deferred deferred;
    status = ReadHeader(eps, facts, &deferred);
    if (status != kOk || !deferred.Any()) return status;
    if (!readTrailer) return kErrMemory;
    TrailerWalk walk;
    status = ReadTrailer(eps, start, &walk);
    if (status == kOk) TakeDeferred(deferred, std::move(walk.found), facts);
    return status;
}

}  // namespace aldra
