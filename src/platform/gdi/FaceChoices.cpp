#include "platform/gdi/FaceChoices.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace aldra::gdi {
namespace {

// Changes whenever what a request asks of fontconfig or the file's layout changes.
constexpr std::string_view kHeader = "aldra-face-choices 1";
constexpr std::string_view kEnd = "end";
constexpr size_t kMaxFileBytes = size_t{1} << 20;
constexpr size_t kMaxWatched = 4096;

uint64_t Mix(uint64_t hash, std::string_view text) {
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    return (hash ^ 0xFF) * 1099511628211ull;  // a separator, so that "ab","c" differs from "a","bc"
}

bool Absolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

template <typename Number>
bool ParseNumber(std::string_view text, Number* out) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return error == std::errc() && end == text.data() + text.size();
}

// Splits off the text up to the next `separator`; false when there is none.
bool TakeField(std::string_view* line, char separator, std::string_view* field) {
    const size_t at = line->find(separator);
    if (at == std::string_view::npos) return false;
    *field = line->substr(0, at);
    line->remove_prefix(at + 1);
    return true;
}

bool Flag(std::string_view text, bool* out) {
    if (text != "0" && text != "1") return false;
    *out = text == "1";
    return true;
}

// "watch EXISTS SECONDS NANOSECONDS PATH"
bool ParseWatched(std::string_view line, WatchedPath* out) {
    std::string_view exists, seconds, nanoseconds;
    if (!TakeField(&line, ' ', &exists) || !TakeField(&line, ' ', &seconds) ||
        !TakeField(&line, ' ', &nanoseconds) || line.empty())
        return false;
    out->path = std::string(line);
    return Flag(exists, &out->exists) && ParseNumber(seconds, &out->seconds) &&
           ParseNumber(nanoseconds, &out->nanoseconds);
}

// "choice BOLD ITALIC INDEX WEIGHT SLANTED REQUESTED-FAMILY<tab>FILE<tab>FAMILY"
bool ParseChoice(std::string_view line, StoredChoice* out) {
    std::string_view bold, italic, index, weight, slanted, requested, file;
    if (!TakeField(&line, ' ', &bold) || !TakeField(&line, ' ', &italic) || !TakeField(&line, ' ', &index) ||
        !TakeField(&line, ' ', &weight) || !TakeField(&line, ' ', &slanted) ||
        !TakeField(&line, '\t', &requested) || !TakeField(&line, '\t', &file))
        return false;
    if (file.empty() || file[0] != '/' || line.find('\t') != std::string_view::npos) return false;
    out->request.family = std::string(requested);
    out->choice.file = std::string(file);
    out->choice.family = std::string(line);
    return Flag(bold, &out->request.bold) && Flag(italic, &out->request.italic) &&
           ParseNumber(index, &out->choice.index) && out->choice.index >= 0 &&
           ParseNumber(weight, &out->choice.weight) && Flag(slanted, &out->choice.italic);
}

bool ReadWhole(const std::string& path, std::string* text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool whole = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
                 static_cast<uint64_t>(info.st_size) <= kMaxFileBytes;
    if (whole) {
        text->resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < text->size()) {
            const ssize_t n = ::read(fd, text->data() + done, text->size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        whole = done == text->size();
    }
    ::close(fd);
    return whole;
}

bool ParseChoices(std::string_view text, uint64_t signature, StoredChoices* out) {
    std::string_view line;
    if (!TakeField(&text, '\n', &line) || line != kHeader) return false;
    std::string_view stored;
    if (!TakeField(&text, '\n', &line) || !TakeField(&line, ' ', &stored) || stored != "signature" ||
        !ParseNumber(line, &out->signature) || out->signature != signature)
        return false;
    while (TakeField(&text, '\n', &line)) {
        if (line == kEnd) return text.empty();
        std::string_view kind;
        if (!TakeField(&line, ' ', &kind)) return false;
        if (kind == "watch") {
            WatchedPath w;
            if (out->watched.size() >= kMaxWatched || !ParseWatched(line, &w) || !(Observe(w.path) == w))
                return false;
            out->watched.push_back(std::move(w));
        } else if (kind == "choice") {
            StoredChoice c;
            if (out->choices.size() >= kMaxStoredChoices || !ParseChoice(line, &c)) return false;
            out->choices.push_back(std::move(c));
        } else {
            return false;
        }
    }
    return false;  // cut short before its end line
}

bool Writable(std::string_view text) {
    return text.find('\n') == std::string_view::npos && text.find('\t') == std::string_view::npos;
}

std::string Render(const StoredChoices& c) {
    std::string text(kHeader);
    text += "\nsignature " + std::to_string(c.signature) + "\n";
    for (const WatchedPath& w : c.watched) {
        text += "watch " + std::string(w.exists ? "1 " : "0 ") + std::to_string(w.seconds) + " " +
                std::to_string(w.nanoseconds) + " " + w.path + "\n";
    }
    size_t written = 0;
    for (const StoredChoice& s : c.choices) {
        if (written == kMaxStoredChoices) break;
        if (!Writable(s.request.family) || !Writable(s.choice.file) || !Writable(s.choice.family)) continue;
        text += "choice " + std::string(s.request.bold ? "1 " : "0 ") + (s.request.italic ? "1 " : "0 ") +
                std::to_string(s.choice.index) + " " + std::to_string(s.choice.weight) + " " +
                (s.choice.italic ? "1 " : "0 ") + s.request.family + "\t" + s.choice.file + "\t" +
                s.choice.family + "\n";
        ++written;
    }
    return text + std::string(kEnd) + "\n";
}

// Creates the folder and the missing ones above it, private to the user as a cache should be.
bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

WatchedPath Observe(const std::string& path) {
    WatchedPath w;
    w.path = path;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return w;
    w.exists = true;
    w.seconds = info.st_mtim.tv_sec;
    w.nanoseconds = info.st_mtim.tv_nsec;
    return w;
}

std::vector<WatchedPath> ObserveConfiguration(const FontCalls& fc, FcConfig* config) {
    std::vector<std::string> paths;
    for (FcStrList* list : {fc.FcConfigGetConfigFiles(config), fc.FcConfigGetConfigDirs(config),
                            fc.FcConfigGetFontDirs(config)}) {
        if (list == nullptr) continue;
        while (const FcChar8* path = fc.FcStrListNext(list))
            paths.emplace_back(reinterpret_cast<const char*>(path));
        fc.FcStrListDone(list);
    }
    const char* home = std::getenv("HOME");
    if (Absolute(home)) {
        const std::string h = home;
        const char* config = std::getenv("XDG_CONFIG_HOME");
        const char* data = std::getenv("XDG_DATA_HOME");
        const std::string xdgConfig = Absolute(config) ? config : h + "/.config";
        const std::string xdgData = Absolute(data) ? data : h + "/.local/share";
        for (const std::string& p : {xdgConfig + "/fontconfig", xdgConfig + "/fontconfig/fonts.conf",
                                     xdgConfig + "/fontconfig/conf.d", h + "/.fonts.conf",
                                     h + "/.fonts.conf.d", h + "/.fonts", xdgData + "/fonts"})
            paths.push_back(p);
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    std::vector<WatchedPath> watched;
    watched.reserve(paths.size());
    for (const std::string& p : paths) watched.push_back(Observe(p));
    return watched;
}

uint64_t EnvironmentSignature(int fontconfigVersion) {
    uint64_t hash = Mix(1469598103934665603ull, kHeader);
    hash = Mix(hash, std::to_string(fontconfigVersion));
    for (const char* name : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT", "FC_LANG", "LC_ALL",
                             "LC_CTYPE", "LANG", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        const char* value = std::getenv(name);
        hash = Mix(hash, value != nullptr ? std::string("=") + value : std::string("unset"));
    }
    const char* locale = std::setlocale(LC_CTYPE, nullptr);
    hash = Mix(hash, locale != nullptr ? locale : "");
    return Mix(hash, program_invocation_short_name);
}

std::string ChoicesPath(uint64_t signature) {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    std::string base;
    if (Absolute(cache)) {
        base = cache;
    } else if (const char* home = std::getenv("HOME"); Absolute(home)) {
        base = std::string(home) + "/.cache";
    } else {
        return {};
    }
    char name[40];
    std::snprintf(name, sizeof name, "/aldra/face-choices-%016llx",
                  static_cast<unsigned long long>(signature));
    return base + name;
}

bool ReadChoices(const std::string& path, uint64_t signature, StoredChoices* out) {
    *out = StoredChoices{};
    std::string text;
    if (path.empty() || !ReadWhole(path, &text) || !ParseChoices(text, signature, out)) {
        *out = StoredChoices{};
        return false;
    }
    return true;
}

bool WriteChoices(const std::string& path, const StoredChoices& choices) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return false;
    for (const WatchedPath& w : choices.watched)
        if (!Writable(w.path)) return false;  // such a path could not be checked again
    if (!MakeFolders(path.substr(0, slash))) return false;
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, Render(choices));
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace aldra::gdi
