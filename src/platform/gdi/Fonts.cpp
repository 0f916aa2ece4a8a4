#include "platform/gdi/Fonts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include "platform/gdi/Context.h"
#include "platform/gdi/FaceChoices.h"
#include "platform/gdi/FontLibraries.h"

namespace aldra::gdi {
namespace {

// A context keeps this many faces open; one more empties its cache first.
constexpr size_t kCachedFaces = 32;
// The cell height of a font whose height is 0, as GDI's default font.
constexpr int32_t kDefaultCellHeight = 16;

// A process remembers this many answers; further requests (a file naming thousands of fonts) are
// asked each time.
constexpr size_t kRememberedChoices = 1024;

// FreeType is loaded and set up on the first text of a process and stays until the end, since
// contexts holding faces may be freed during exit. fontconfig's configuration is loaded only when a request
// is neither remembered by the process nor in the answers kept on disk; its configuration is released at
// exit, after which no new face is chosen. The lock guards opening and closing faces and the answers.
struct Libraries {
    const FontCalls* calls = nullptr;  // set whenever `freetype` is
    FT_Library freetype = nullptr;
    FcConfig* config = nullptr;
    bool configTried = false;
    bool storedRead = false;
    uint64_t signature = 0;
    std::string storedPath;
    std::mutex lock;
    std::map<std::string, StoredChoice> choices;
};

Libraries* TheLibraries() {
    static Libraries* libraries = new Libraries;
    return libraries;
}

void ReleaseFontconfig() {
    Libraries& l = *TheLibraries();
    std::lock_guard<std::mutex> guard(l.lock);
    if (l.config != nullptr) l.calls->FcConfigDestroy(l.config);
    l.config = nullptr;
}

Libraries& Shared() {
    static Libraries* libraries = [] {
        Libraries* l = TheLibraries();
        l->calls = FontLibraries();
        if (l->calls == nullptr || l->calls->FT_Init_FreeType(&l->freetype) != 0) l->freetype = nullptr;
        return l;
    }();
    return *libraries;
}

// The caller holds the lock.
FcConfig* Config(Libraries& l) {
    if (!l.configTried) {
        l.configTried = true;
        l.config = l.calls->FcInitLoadConfigAndFonts();
        std::atexit(ReleaseFontconfig);
    }
    return l.config;
}

// The answers kept on disk, read once. The caller holds the lock.
void ReadStoredChoices(Libraries& l) {
    if (l.storedRead) return;
    l.storedRead = true;
    l.signature = EnvironmentSignature(l.calls->FcGetVersion());
    l.storedPath = ChoicesPath(l.signature);
    StoredChoices stored;
    if (!ReadChoices(l.storedPath, l.signature, &stored)) return;
    for (StoredChoice& c : stored.choices) {
        const std::string key = c.request.Key();
        l.choices.emplace(key, std::move(c));
    }
}

// Keeps every answer of the process on disk with what they depend on. The caller holds the lock.
void StoreChoices(Libraries& l) {
    if (l.storedPath.empty() || l.config == nullptr) return;
    StoredChoices stored;
    stored.signature = l.signature;
    stored.watched = ObserveConfiguration(*l.calls, l.config);
    for (const auto& [key, c] : l.choices) stored.choices.push_back(c);
    (void)WriteChoices(l.storedPath, stored);  // without the file the next process asks fontconfig
}

bool ContainsWord(const std::string& lower, const char* const* words) {
    for (; *words != nullptr; ++words) {
        if (lower.find(*words) != std::string::npos) return true;
    }
    return false;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The vendor marks some PostScript families carry ("TimesNewRomanPSMT") name no family of their own.
std::string WithoutVendorMark(std::string family) {
    for (const char* mark : {"PSMT", "MT", "PS"}) {
        const size_t n = std::strlen(mark);
        if (family.size() > n + 3 && family.compare(family.size() - n, n, mark) == 0)
            return family.substr(0, family.size() - n);
    }
    return family;
}

// A PostScript name is the family's parts and then the style, joined by hyphens:
// "Helvetica-Narrow-BoldOblique" is the family "Helvetica Narrow", bold and italic. Trailing parts
// with a style word in them are the style; a part without one ("Narrow") stays in the family.
FaceRequest ParseName(const FontData& font) {
    static const char* const kBold[] = {"bold", "black", "heavy", "demi", "semibold", nullptr};
    static const char* const kItalic[] = {"italic", "oblique", "ital", "obl", "kursiv", nullptr};
    static const char* const kPlain[] = {"roman",  "regular", "book",  "medium",
                                         "normal", "plain",   "light", nullptr};
    FaceRequest r;
    std::string name(font.face, strnlen(font.face, sizeof font.face));
    for (size_t hyphen = name.rfind('-'); hyphen != std::string::npos && hyphen > 0;
         hyphen = name.rfind('-')) {
        const std::string part = Lower(name.substr(hyphen + 1));
        const bool bold = ContainsWord(part, kBold), italic = ContainsWord(part, kItalic);
        if (!bold && !italic && !ContainsWord(part, kPlain)) break;
        r.bold = r.bold || bold;
        r.italic = r.italic || italic;
        name.resize(hyphen);
    }
    std::replace(name.begin(), name.end(), '-', ' ');
    r.family = WithoutVendorMark(name);
    r.bold = r.bold || font.weight >= 600;
    r.italic = r.italic || font.italic;
    return r;
}

// Asks fontconfig; false only when it has no face at all. The caller holds the lock.
bool Choose(const FontCalls& fc, FcConfig* config, const FaceRequest& r, FaceChoice* out) {
    FcPattern* pattern = fc.FcPatternCreate();
    if (pattern == nullptr) return false;
    if (!r.family.empty())
        fc.FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(r.family.c_str()));
    fc.FcPatternAddInteger(pattern, FC_WEIGHT, r.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    fc.FcPatternAddInteger(pattern, FC_SLANT, r.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    fc.FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    fc.FcConfigSubstitute(config, pattern, FcMatchPattern);
    fc.FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = fc.FcFontMatch(config, pattern, &result);
    fc.FcPatternDestroy(pattern);
    if (match == nullptr) return false;
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    const bool found = fc.FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    if (found) {
        fc.FcPatternGetInteger(match, FC_INDEX, 0, &index);
        fc.FcPatternGetString(match, FC_FAMILY, 0, &family);
        fc.FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        fc.FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        out->file = reinterpret_cast<const char*>(file);
        out->index = index;
        out->family = family != nullptr ? reinterpret_cast<const char*>(family) : "";
        out->weight = weight >= FC_WEIGHT_DEMIBOLD ? 700 : 400;
        out->italic = slant != FC_SLANT_ROMAN;
    }
    fc.FcPatternDestroy(match);
    return found;
}

int32_t Scaled(FT_Long designUnits, int32_t em, FT_UShort unitsPerEm) {
    if (unitsPerEm == 0) return 0;
    const int64_t v =
        (static_cast<int64_t>(designUnits) * em * 2 + unitsPerEm) / (2 * static_cast<int64_t>(unitsPerEm));
    return static_cast<int32_t>(std::clamp<int64_t>(v, -INT32_MAX, INT32_MAX));
}

// A font file opened once for all the sizes a context draws it at: parsing it costs more than
// setting a size. Each size is FreeType's size object of its own, made current before every use,
// so the sizes share the file's glyph slot but nothing else.
struct OpenedFile {
    FT_Face face = nullptr;
    ~OpenedFile() {
        Libraries& l = Shared();
        std::lock_guard<std::mutex> guard(l.lock);
        l.calls->FT_Done_Face(face);
    }
};

// A context's opened files by name and index. Entries go only when the context's faces go.
using OpenedFiles = std::map<std::string, std::shared_ptr<OpenedFile>>;

class FreeTypeFace final : public Face {
  public:
    FreeTypeFace(const FontCalls& ft, std::shared_ptr<OpenedFile> file, FT_Size size, FaceChoice choice)
        : ft_(ft), file_(std::move(file)), face_(file_->face), size_(size), choice_(std::move(choice)) {}
    ~FreeTypeFace() override {
        Libraries& l = Shared();
        std::lock_guard<std::mutex> guard(l.lock);
        ft_.FT_Done_Size(size_);
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    // Sets the size for a font height in device pixels (GDI's sign convention) and reads metrics.
    // Like GDI, the cell is the OS/2 table's Windows ascent and descent when the face has them.
    bool Size(int32_t height) {
        const auto* os2 = static_cast<const TT_OS2*>(ft_.FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
        const bool windows =
            os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0;
        const FT_Long ascender = windows ? os2->usWinAscent : face_->ascender;
        const FT_Long descender = windows ? os2->usWinDescent : -static_cast<FT_Long>(face_->descender);
        const int64_t design = static_cast<int64_t>(ascender) + descender;
        int64_t em;
        if (height < 0) {
            em = -static_cast<int64_t>(height);
        } else {
            const int64_t cell = height == 0 ? kDefaultCellHeight : height;
            em = design > 0 ? (cell * face_->units_per_EM + design / 2) / design : cell;
        }
        em = std::clamp<int64_t>(em, 1, kMaxEmPixels);
        if (ft_.FT_Activate_Size(size_) != 0 ||
            ft_.FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(em)) != 0)
            return false;
        const int32_t e = static_cast<int32_t>(em);
        metrics_.emHeight = e;
        metrics_.ascent = Scaled(ascender, e, face_->units_per_EM);
        metrics_.descent = Scaled(descender, e, face_->units_per_EM);
        metrics_.maxWidth = Scaled(face_->max_advance_width, e, face_->units_per_EM);
        metrics_.averageWidth = os2 != nullptr && os2->version != 0xFFFF && os2->xAvgCharWidth > 0
                                    ? Scaled(os2->xAvgCharWidth, e, face_->units_per_EM)
                                    : Advance('x');
        metrics_.weight = choice_.weight;
        metrics_.italic = choice_.italic;
        return true;
    }

    const FaceMetrics& Metrics() const override { return metrics_; }
    const std::string& Family() const override { return choice_.family; }

    int32_t Advance(char32_t c) override {
        if (const int32_t* known = KnownAdvance(c)) return *known;
        // Text at sizes whose glyphs are kept is nearly always drawn after it is measured, and
        // rendering a glyph loads it as measuring does: one load gives both. Larger glyphs are not
        // kept, and rendering them only to measure them costs more than loading them twice.
        if (metrics_.emHeight <= kRenderedToMeasure) {
            GlyphBits unused;
            Glyph(c, &unused);
            if (const int32_t* known = KnownAdvance(c)) return *known;
        }
        int32_t advance = 0;
        if (ft_.FT_Activate_Size(size_) == 0 && ft_.FT_Load_Char(face_, c, FT_LOAD_TARGET_MONO) == 0)
            advance = LoadedAdvance();
        RememberAdvance(c, advance);
        return advance;
    }

    // Small glyphs are kept as copies, since text repeats its letters; large ones are rendered each
    // time (their painting costs more than their rendering).
    bool Glyph(char32_t c, GlyphBits* glyph) override {
        if (c < kLatin && latinGlyphs_[c] != nullptr) return Describe(*latinGlyphs_[c], glyph);
        const auto it = glyphs_.find(c);
        if (it != glyphs_.end()) return Describe(it->second, glyph);
        Kept kept;
        const bool drawable = Render(c, &kept);
        const size_t bytes =
            static_cast<size_t>(std::abs(kept.shape.pitch)) * static_cast<size_t>(kept.shape.rows);
        if (glyphs_.size() >= kCachedGlyphs || bytes > kCachedGlyphBytes || keptBytes_ + bytes > kKeptBytes) {
            *glyph = kept.shape;
            return drawable;
        }
        keptBytes_ += bytes;
        if (drawable) {
            const uint8_t* first =
                kept.shape.pitch < 0
                    ? kept.shape.bits + static_cast<ptrdiff_t>(kept.shape.pitch) * (kept.shape.rows - 1)
                    : kept.shape.bits;
            kept.copy.assign(first, first + bytes);
        }
        const Kept& stored = glyphs_.emplace(c, std::move(kept)).first->second;
        if (c < kLatin) latinGlyphs_[c] = &stored;  // elements of the map stay where they are
        return Describe(stored, glyph);
    }

  private:
    const int32_t* KnownAdvance(char32_t c) const {
        if (c < kLatin) return latinAdvances_[c] != kNotYet ? &latinAdvances_[c] : nullptr;
        const auto it = advances_.find(c);
        return it != advances_.end() ? &it->second : nullptr;
    }

    void RememberAdvance(char32_t c, int32_t advance) {
        if (c < kLatin) {
            latinAdvances_[c] = advance;
        } else if (advances_.size() < kCachedAdvances) {
            advances_.emplace(c, advance);
        }
    }

    // The hinted advance of the glyph in the slot, in whole pixels. Hinting is the same whether
    // the glyph is rendered or not (both loads target monochrome).
    int32_t LoadedAdvance() const { return static_cast<int32_t>((face_->glyph->advance.x + 32) >> 6); }

    struct Kept {
        GlyphBits shape;
        std::vector<uint8_t> copy;  // the rows in memory order; empty when nothing is drawn
    };

    // Renders into the face's glyph slot; `kept` points there until the next glyph.
    bool Render(char32_t c, Kept* kept) {
        if (ft_.FT_Activate_Size(size_) != 0 ||
            ft_.FT_Load_Char(face_, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0)
            return false;
        if (!KnownAdvance(c)) RememberAdvance(c, LoadedAdvance());
        const FT_Bitmap& b = face_->glyph->bitmap;
        if (b.pixel_mode != FT_PIXEL_MODE_MONO || b.buffer == nullptr || b.width == 0 || b.rows == 0)
            return false;
        // A negative pitch runs the rows upwards from the buffer's start: the top row is the last one.
        const uint8_t* top =
            b.pitch < 0 ? b.buffer - static_cast<ptrdiff_t>(b.pitch) * (static_cast<ptrdiff_t>(b.rows) - 1)
                        : b.buffer;
        kept->shape = GlyphBits{top,
                                b.pitch,
                                static_cast<int32_t>(b.width),
                                static_cast<int32_t>(b.rows),
                                face_->glyph->bitmap_left,
                                face_->glyph->bitmap_top};
        return true;
    }

    static bool Describe(const Kept& kept, GlyphBits* glyph) {
        if (kept.copy.empty()) return false;
        *glyph = kept.shape;
        // A negative pitch runs the rows bottom up from the last row in memory.
        glyph->bits = kept.shape.pitch < 0 ? kept.copy.data() - static_cast<ptrdiff_t>(kept.shape.pitch) *
                                                                    (kept.shape.rows - 1)
                                           : kept.copy.data();
        return true;
    }

    static constexpr size_t kCachedAdvances = 4096;
    // Em sizes whose glyphs fit the kept bytes of one glyph.
    static constexpr int32_t kRenderedToMeasure = 48;
    static constexpr size_t kCachedGlyphs = 512;
    static constexpr size_t kCachedGlyphBytes = 4096;
    // All kept glyphs of a face together: a context's 32 faces stay within a few megabytes.
    static constexpr size_t kKeptBytes = size_t{128} << 10;
    const FontCalls& ft_;
    std::shared_ptr<OpenedFile> file_;
    FT_Face face_;
    FT_Size size_;
    FaceChoice choice_;
    FaceMetrics metrics_;
    std::unordered_map<char32_t, int32_t> advances_;
    std::unordered_map<char32_t, Kept> glyphs_;
    // Text is nearly all Latin-1: its characters are found by index, not through the maps' hashing.
    static constexpr char32_t kLatin = 256;
    static constexpr int32_t kNotYet = INT32_MIN;
    std::array<int32_t, kLatin> latinAdvances_ = MakeNotYet();
    std::array<const Kept*, kLatin> latinGlyphs_{};
    static constexpr std::array<int32_t, kLatin> MakeNotYet() {
        std::array<int32_t, kLatin> a{};
        a.fill(kNotYet);
        return a;
    }
    size_t keptBytes_ = 0;
};

// The answer for a request: remembered, kept on disk, or fontconfig's (then kept). Null when there
// is none. The caller holds the lock.
const FaceChoice* Known(Libraries& l, const std::string& key) {
    ReadStoredChoices(l);
    const auto it = l.choices.find(key);
    return it != l.choices.end() ? &it->second.choice : nullptr;
}

const FaceChoice* Ask(Libraries& l, const FaceRequest& request, const std::string& key, FaceChoice* scratch) {
    FcConfig* config = Config(l);
    if (config == nullptr || !Choose(*l.calls, config, request, scratch)) return nullptr;
    // The same answer again (its file would not open) is not written again for every request.
    const auto known = l.choices.find(key);
    if (known != l.choices.end() && known->second.choice.file == scratch->file &&
        known->second.choice.index == scratch->index)
        return scratch;
    l.choices.erase(key);
    if (l.choices.size() >= kRememberedChoices) return scratch;
    const FaceChoice* kept = &l.choices.emplace(key, StoredChoice{request, *scratch}).first->second.choice;
    StoreChoices(l);
    return kept;
}

// The context's file of a choice, opened when it has none yet; null when it does not open. The
// caller holds the lock; the map keeps the file, so that no copy the caller drops is the last.
std::shared_ptr<OpenedFile> OpenFile(Libraries& l, const FaceChoice& choice, OpenedFiles& files) {
    const auto [it, added] = files.try_emplace(choice.file + '\n' + std::to_string(choice.index));
    if (it->second) return it->second;
    FT_Face face = nullptr;
    if (l.calls->FT_New_Face(l.freetype, choice.file.c_str(), choice.index, &face) != 0) {
        files.erase(it);
        return nullptr;
    }
    l.calls->FT_Select_Charmap(face, FT_ENCODING_UNICODE);  // keeps the face's own map when it has none
    try {
        it->second = std::make_shared<OpenedFile>();
    } catch (const std::bad_alloc&) {
        l.calls->FT_Done_Face(face);
        files.erase(it);
        throw;
    }
    it->second->face = face;
    return it->second;
}

std::unique_ptr<FreeTypeFace> Open(const FaceRequest& request, OpenedFiles& files) {
    Libraries& l = Shared();
    std::lock_guard<std::mutex> guard(l.lock);
    if (l.freetype == nullptr) return nullptr;
    const std::string key = request.Key();
    FaceChoice asked;
    const FaceChoice* choice = Known(l, key);
    std::shared_ptr<OpenedFile> file = choice != nullptr ? OpenFile(l, *choice, files) : nullptr;
    // A remembered file that no longer opens (removed since) is asked about again.
    if (!file && (choice = Ask(l, request, key, &asked)) != nullptr) file = OpenFile(l, *choice, files);
    FT_Size size = nullptr;
    if (!file || l.calls->FT_New_Size(file->face, &size) != 0) return nullptr;
    auto opened =
        std::unique_ptr<FreeTypeFace>(new (std::nothrow) FreeTypeFace(*l.calls, file, size, *choice));
    if (!opened) l.calls->FT_Done_Size(size);
    return opened;
}

// A font's height in device pixels, keeping GDI's sign: lengths scale with the mapping's y axis.
int32_t DeviceHeight(const DcData& dc, int32_t height) {
    const int64_t scaled = ToDevice(dc, 0, height).y - ToDevice(dc, 0, 0).y;
    const int64_t magnitude = std::min<int64_t>(scaled < 0 ? -scaled : scaled, INT32_MAX);
    return static_cast<int32_t>(height < 0 ? -magnitude : magnitude);
}

}  // namespace

namespace {

bool SameFont(const FontData& a, const FontData& b) {
    return a.height == b.height && a.weight == b.weight && a.italic == b.italic &&
           std::strncmp(a.face, b.face, sizeof a.face) == 0;
}

}  // namespace

// Finding a font's face by its key costs parsing its name and building a string, more than
// measuring a short run of text; the few fonts a drawing switches between are also remembered by
// their fields and pixel height. A drawing's text comes in a few faces at several sizes each, so as
// many are remembered as the cache keeps faces: with fewer, a drawing that cycles through more
// combinations than that found none of them here.
struct FaceCache {
    struct Recent {
        FontData font;
        int32_t height = 0;
        FreeTypeFace* face = nullptr;
    };

    OpenedFiles files;
    std::map<std::string, std::unique_ptr<FreeTypeFace>> faces;
    std::array<Recent, kCachedFaces> recent{};
    size_t nextRecent = 0;

    FreeTypeFace* Remembered(const FontData& font, int32_t height) const {
        for (const Recent& r : recent) {
            if (r.face != nullptr && r.height == height && SameFont(r.font, font)) return r.face;
        }
        return nullptr;
    }

    void Remember(const FontData& font, int32_t height, FreeTypeFace* face) {
        recent[nextRecent] = Recent{font, height, face};
        nextRecent = (nextRecent + 1) % recent.size();
    }

    void Clear() {
        faces.clear();
        files.clear();
        recent.fill(Recent{});
    }
};

void DeleteFaceCache(FaceCache* cache) {
    delete cache;
}

Face* SelectedFace(DcData& dc) {
    const Object* o = Find(dc.font.Raw(), Kind::Font);
    if (o == nullptr) o = Stock(SYSTEM_FONT);
    if (o == nullptr) return nullptr;
    const int32_t height = DeviceHeight(dc, o->font.height);
    try {
        if (!dc.faces) dc.faces = std::shared_ptr<FaceCache>(new FaceCache, DeleteFaceCache);
        FaceCache& cache = *dc.faces;
        if (FreeTypeFace* known = cache.Remembered(o->font, height)) return known;
        const FaceRequest request = ParseName(o->font);
        const std::string key = request.Key() + std::to_string(height);
        auto it = cache.faces.find(key);
        if (it == cache.faces.end()) {
            if (cache.faces.size() >= kCachedFaces) cache.Clear();
            std::unique_ptr<FreeTypeFace> face = Open(request, cache.files);
            if (!face || !face->Size(height)) return nullptr;
            it = cache.faces.emplace(key, std::move(face)).first;
        }
        cache.Remember(o->font, height, it->second.get());
        return it->second.get();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace aldra::gdi
