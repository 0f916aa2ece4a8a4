// aldra-eps: a small filter manager on the command line. It finds filters through the registry, loads
// them as a cataloguing host does and asks them about files: one at a time (info, thumbnail, convert) or
// a whole folder into an SQLite catalogue.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "aldra/Guids.h"
#include "host/Arguments.h"
#include "host/Catalog.h"
#include "host/FilterHost.h"
#include "host/InfoCommand.h"
#include "host/InputPath.h"
#include "host/ModulePath.h"
#include "host/Output.h"
#include "host/PictureFormat.h"
#include "host/Questions.h"
#include "host/RegistrationRecord.h"
#include "host/Report.h"
#include "host/Settings.h"
#include "host/Thumbnails.h"
#include "host/Version.h"
#include "platform/oleui/DisplayProbe.h"

namespace aldra::host {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// Messages name files and quote the filter, so they pass through TerminalText like every report.
void Error(const std::string& message) {
    std::fprintf(stderr, "aldra-eps: %s\n", TerminalText(message).c_str());
}

struct Command {
    const char* name;
    const char* synopsis;
    const char* help;
    std::set<std::string> valueOptions;
    std::set<std::string> flagOptions;
    int (*run)(const std::vector<std::string>& args, const std::map<std::string, std::string>& options);
};

std::string ModuleToRegister(const std::vector<std::string>& args) {
    return args.empty() ? DefaultModulePath() : args[0];
}

std::unique_ptr<FilterSet> OpenFilters() {
    std::vector<std::string> warnings;
    HostError error;
    bool registered = false;
    std::string module = DefaultModulePath();
    std::unique_ptr<FilterSet> filters =
        FilterSet::Open(module, !RegistrationEverMade(), &warnings, &error, &registered);
    if (registered) {
        RecordRegistration();
        Error("registered the filter module " + module +
              " for this user on first use (aldra-eps unregister undoes it for good)");
    }
    for (const std::string& w : warnings) Error("warning: " + w);
    if (!filters) Error(error.message);
    return filters;
}

bool ParseInt(const std::string& text, int minimum, int maximum, int* out) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < minimum ||
        value > maximum)
        return false;
    *out = value;
    return true;
}

std::string HexResult(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(hr));
    return text;
}

// One line on stderr for a file that was not answered, and the exit status it stands for.
int ReportFileProblem(const FileFacts& facts) {
    Error(facts.path + ": " + facts.errorMessage);
    return facts.status == FileStatus::Failed ? kExitUsage : kExitRefused;
}

// ---------------------------------------------------------------------------------------------------

int RunRegister(const std::vector<std::string>& args, const std::map<std::string, std::string>&) {
    std::string path = ModuleToRegister(args);
    std::error_code ec;
    std::string absolute = std::filesystem::absolute(path, ec).string();
    HostError error;
    std::unique_ptr<FilterModule> module = FilterModule::Load(ec ? path : absolute, &error);
    if (!module) return Error(error.message), kExitUsage;
    if (HRESULT hr = module->RegisterServer(); FAILED(hr))
        return Error(path + ": registration failed (" + HexResult(hr) + ")"), kExitUsage;
    RecordRegistration();
    std::printf("registered %s\n", module->path().c_str());
    return kExitOk;
}

int RunUnregister(const std::vector<std::string>&, const std::map<std::string, std::string>&) {
    // Remembered even when nothing is registered, so that the next command does not register again.
    RecordRegistration();
    std::vector<RegisteredFilter> filters = FindRegisteredFilters();
    if (filters.empty()) {
        std::printf("no filter is registered\n");
        return kExitOk;
    }
    int status = kExitOk;
    std::set<std::string> done;
    for (const RegisteredFilter& filter : filters) {
        if (!done.insert(filter.modulePath).second) continue;
        HostError error;
        std::unique_ptr<FilterModule> module = FilterModule::Load(filter.modulePath, &error);
        if (!module) {
            Error(error.message);
            status = kExitUsage;
            continue;
        }
        if (HRESULT hr = module->UnregisterServer(); FAILED(hr)) {
            Error(filter.modulePath + ": unregistration failed (" + HexResult(hr) + ")");
            status = kExitUsage;
            continue;
        }
        std::printf("unregistered %s\n", filter.modulePath.c_str());
    }
    return status;
}

int RunFormats(const std::vector<std::string>&, const std::map<std::string, std::string>&) {
    std::unique_ptr<FilterSet> filters = OpenFilters();
    if (!filters) return kExitUsage;
    for (FilterSet::Entry& entry : filters->entries()) {
        IAldraFilterInfo* info = entry.control->info();
        std::printf("%s  %s\n", FormatGuid(entry.registered.clsid).c_str(),
                    entry.registered.modulePath.c_str());
        if (info == nullptr) {
            std::printf("  (the filter does not describe its formats)\n");
            continue;
        }
        // Each answer is taken only after its call has filled the string.
        auto text = [](auto call) {
            BSTR s = nullptr;
            HRESULT hr = call(&s);
            std::string out = SUCCEEDED(hr) ? BstrToUtf8(s) : std::string("?");
            SysFreeString(s);
            return out;
        };
        int32_t version = 0, count = 0;
        std::string filterName = text([&](BSTR* s) { return info->GetFilterName(s); });
        info->GetFilterVersion(&version);
        info->CountFormats(&count);
        std::printf("  %s, version %d.%d, %d formats\n", filterName.c_str(), version >> 16, version & 0xFFFF,
                    count);
        for (int32_t i = 0; i < count && i < 64; ++i) {
            std::string ext = text([&](BSTR* s) { return info->GetIndExtension(i, s); });
            std::string format = text([&](BSTR* s) { return info->GetIndFormat(i, s); });
            std::string bitmap = text([&](BSTR* s) { return info->GetIndDefaultBitmap(i, s); });
            std::string type = text([&](BSTR* s) { return info->GetIndDefaultMacType(i, s); });
            std::string signature = text([&](BSTR* s) { return info->GetIndDefaultMacSignature(i, s); });
            VARIANT_BOOL needs = VARIANT_FALSE;
            info->GetIndNeedsExtension(i, &needs);
            std::printf("  %d  .%-5s %-32s Mac %s/%s  bitmap %s%s\n", i, ext.c_str(), format.c_str(),
                        type.c_str(), signature.c_str(), bitmap.c_str(),
                        needs != VARIANT_FALSE ? "  (needs its extension)" : "");
        }
    }
    return kExitOk;
}

int RunInfoCommand(const std::vector<std::string>& args, const std::map<std::string, std::string>& options) {
    return RunInfo(args, options, {OpenFilters, Error});
}

// Without a display the filter answers as for a sheet the user cancelled, so the host says why first.
bool DisplayReachable(const char* command) {
    std::string problem = ChooseDisplay().problem;
    return problem.empty() || (Error(std::string(command) + ": " + problem), false);
}

int RunProperties(const std::vector<std::string>& args, const std::map<std::string, std::string>&) {
    if (args.size() != 1)
        return Error("properties: expected FILE (see aldra-eps properties --help)"), kExitUsage;
    std::unique_ptr<FilterSet> filters = DisplayReachable("properties") ? OpenFilters() : nullptr;
    if (!filters) return kExitUsage;
    FilterControl* control = nullptr;
    FileFacts facts = ReadFileFacts(*filters, args[0], true, &control);
    if (facts.status != FileStatus::Accepted || control == nullptr) return ReportFileProblem(facts);
    if (control->Call("ShowProperties").Bool()) return kExitOk;
    return Error("properties: the filter could not show its pages"), kExitUsage;
}

int RunSetup(const std::vector<std::string>& args, const std::map<std::string, std::string>&) {
    if (!args.empty()) return Error("setup: expected no arguments (see aldra-eps setup --help)"), kExitUsage;
    std::unique_ptr<FilterSet> filters = DisplayReachable("setup") ? OpenFilters() : nullptr;
    if (!filters) return kExitUsage;
    for (FilterSet::Entry& entry : filters->entries())
        if (entry.control->Call("HasSetup").Bool())
            return entry.control->Call("Setup").ok() ? kExitOk : kExitUsage;
    return Error("setup: no registered filter has settings"), kExitUsage;
}

std::string LowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// The input as a local path (a file:// URI decoded); false after saying why it names none.
bool InputFile(const char* command, const std::string& word, std::string* path) {
    std::string error;
    *path = InputPath(word, &error);
    if (!error.empty()) Error(std::string(command) + ": " + error);
    return error.empty();
}

// A picture is never poured onto a terminal: it would only garble it.
std::string OutputRefusalUnlessStandard(const std::string& file, const std::string& out, bool force) {
    if (out != kStandardOutput) return OutputRefusal(file, out, force);
    return ::isatty(STDOUT_FILENO) ? "standard output is a terminal; redirect it or name OUT" : "";
}

ThumbnailOutcome WriteTo(const std::string& file, const std::string& out, bool force,
                         const std::function<ThumbnailOutcome(const std::string& path)>& write) {
    return out == kStandardOutput ? WriteToStandardOutput(write) : WriteOutput(file, out, force, write);
}

// The exit status of a written, refused or failed output, with its message.
int OutputStatus(const ThumbnailOutcome& outcome, const std::string& file) {
    switch (outcome.result) {
        case ThumbnailResult::Written:
            return kExitOk;
        case ThumbnailResult::NoPicture:
            return Error(file + ": " + outcome.message), kExitRefused;
        case ThumbnailResult::Failed:
            return Error(outcome.message), kExitUsage;
    }
    return kExitUsage;
}

// The file the filter's conversion wrote, or its refusal.
ThumbnailOutcome ConvertBmp(FilterControl& control, int width, int height, const std::string& path) {
    Answer answer = width > 0 ? control.Call("ConvertToSize", {PathArg(path), StringArg("BMP"),
                                                               LongArg(width), LongArg(height)})
                              : control.Call("ConvertTo", {PathArg(path), StringArg("BMP")});
    struct stat info {};
    if (answer.hr == DISP_E_EXCEPTION)
        return {ThumbnailResult::NoPicture,
                "the filter refused to convert it" + (answer.description.empty()
                                                          ? " (code " + std::to_string(answer.code) + ")"
                                                          : ": " + answer.description)};
    if (!answer.ok()) return {ThumbnailResult::Failed, "conversion failed (" + HexResult(answer.hr) + ")"};
    if (!answer.Bool() || ::stat(path.c_str(), &info) != 0)
        return {ThumbnailResult::NoPicture,
                "the filter could not convert it (no picture it can draw at that size)"};
    return {ThumbnailResult::Written, {}};
}

// A PNG or JPEG conversion at the size the BMP conversion would have: that size is learnt from a BMP
// made first, since the filter writes no other format itself.
ThumbnailOutcome ConvertOther(FilterControl& control, const FileFacts& facts, int width, int height,
                              const std::string& path, PictureFormat format) {
    if (width == 0) {
        std::string probe = path + ".bmp";
        ThumbnailOutcome made = ConvertBmp(control, 0, 0, probe);
        if (made.result != ThumbnailResult::Written) return made;
        uint8_t header[26] = {};
        FILE* in = std::fopen(probe.c_str(), "rb");
        size_t got = in ? std::fread(header, 1, sizeof header, in) : 0;
        if (in) std::fclose(in);
        ::unlink(probe.c_str());
        int32_t size[2] = {};
        std::memcpy(size, header + 18, got == sizeof header ? sizeof size : 0);
        width = std::abs(size[0]);
        height = std::abs(size[1]);
        if (width == 0 || height == 0) return {ThumbnailResult::Failed, "cannot read the conversion back"};
    }
    return WritePicture(control, facts, width, height, path, format);
}

int RunConvert(const std::vector<std::string>& args, const std::map<std::string, std::string>& options) {
    if (args.size() != 2)
        return Error("convert: expected FILE OUT (see aldra-eps convert --help)"), kExitUsage;
    std::string file;
    if (!InputFile("convert", args[0], &file)) return kExitUsage;
    const std::string& out = args[1];
    int width = 0, height = 0;
    if (auto size = options.find("--size"); size != options.end()) {
        size_t x = size->second.find_first_of("xX");
        if (x == std::string::npos || !ParseInt(size->second.substr(0, x), 1, 65535, &width) ||
            !ParseInt(size->second.substr(x + 1), 1, 65535, &height))
            return Error("convert: --size wants WIDTHxHEIGHT in pixels (1 to 65535), got '" + size->second +
                         "'"),
                   kExitUsage;
    }
    // The format follows the name unless it is given; a name the program cannot write is refused
    // rather than filled with another format.
    std::string extension = options.count("--format") ? "." + options.at("--format")
                            : out == kStandardOutput  ? ".png"
                                                      : LowerExtension(out);
    PictureFormat format = PictureFormat::Png;
    if (!FormatForName("x" + extension, false, &format).empty())
        return Error("convert: " +
                     (extension.empty() ? out + " has no extension"
                                        : "cannot write '" + extension.substr(1) + "' files") +
                     "; name OUT .bmp, .png or .jpg, or give --format bmp|png|jpg"),
               kExitUsage;
    bool force = options.count("--force") > 0;
    if (std::string refusal = OutputRefusalUnlessStandard(file, out, force); !refusal.empty())
        return Error(refusal), kExitUsage;

    std::unique_ptr<FilterSet> filters = OpenFilters();
    if (!filters) return kExitUsage;
    FilterControl* control = nullptr;
    FileFacts facts = ReadFileFacts(*filters, file, true, &control);
    if (facts.status != FileStatus::Accepted || control == nullptr) return ReportFileProblem(facts);
    ThumbnailOutcome outcome = WriteTo(file, out, force, [&](const std::string& path) {
        return format == PictureFormat::Bmp ? ConvertBmp(*control, width, height, path)
                                            : ConvertOther(*control, facts, width, height, path, format);
    });
    control->Call("DetachFile");
    return OutputStatus(outcome, file);
}

int RunThumbnail(const std::vector<std::string>& args, const std::map<std::string, std::string>& options) {
    if (args.size() != 2)
        return Error("thumbnail: expected FILE OUT (see aldra-eps thumbnail --help)"), kExitUsage;
    int size = 256;
    if (auto it = options.find("--size"); it != options.end() && !ParseInt(it->second, 1, 4096, &size))
        return Error("thumbnail: --size wants a number of pixels from 1 to 4096, got '" + it->second + "'"),
               kExitUsage;
    bool stored = true;
    if (auto it = options.find("--prefer"); it != options.end()) {
        if (it->second != "stored" && it->second != "rendered")
            return Error("thumbnail: --prefer wants stored or rendered, got '" + it->second + "'"),
                   kExitUsage;
        stored = it->second == "stored";
    }
    std::string file;
    if (!InputFile("thumbnail", args[0], &file)) return kExitUsage;
    const std::string& out = args[1];
    bool force = options.count("--force") > 0;
    if (std::string refusal = OutputRefusalUnlessStandard(file, out, force); !refusal.empty())
        return Error(refusal), kExitUsage;
    // Standard output and names without an extension, as some file managers give, get the PNG
    // thumbnail they expect.
    PictureFormat format = PictureFormat::Png;
    if (std::string refusal = out == kStandardOutput ? "" : FormatForName(out, true, &format);
        !refusal.empty())
        return Error("thumbnail: " + refusal), kExitUsage;
    bool upscale = options.count("--upscale") > 0;

    std::unique_ptr<FilterSet> filters = OpenFilters();
    if (!filters) return kExitUsage;
    FilterControl* control = nullptr;
    FileFacts facts = ReadFileFacts(*filters, file, true, &control);
    if (facts.status != FileStatus::Accepted || control == nullptr) return ReportFileProblem(facts);
    ThumbnailOutcome outcome = WriteTo(file, out, force, [&](const std::string& path) {
        return WriteThumbnail(*control, facts, size, stored, path, format, upscale);
    });
    control->Call("DetachFile");
    return OutputStatus(outcome, file);
}

int RunSettings(const std::vector<std::string>& args, const std::map<std::string, std::string>&) {
    if (args.size() > 2)
        return Error("settings: expected at most NAME and VALUE (see aldra-eps settings --help)"), kExitUsage;
    auto show = [](const SettingInfo& setting) {
        std::string value;
        bool stored = false;
        if (HostError error = ReadSetting(setting, &value, &stored)) return Error(error.message), false;
        if (!stored)
            value = setting.defaultText ? std::string(setting.defaultText) + " (default)"
                                        : "(the filter's default)";
        std::printf("%-22s %s\n", setting.name, value.c_str());
        return true;
    };
    if (args.empty()) {
        bool ok = true;
        for (const SettingInfo& setting : AllSettings()) ok = show(setting) && ok;
        return ok ? kExitOk : kExitUsage;
    }
    const SettingInfo* setting = FindSetting(args[0]);
    if (setting == nullptr)
        return Error("settings: no setting named '" + args[0] + "' (see aldra-eps settings --help)"),
               kExitUsage;
    if (args.size() == 1) return show(*setting) ? kExitOk : kExitUsage;
    if (HostError error = WriteSetting(*setting, args[1])) return Error(error.message), kExitUsage;
    return show(*setting) ? kExitOk : kExitUsage;
}

int RunCatalogCommand(const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& options) {
    if (args.empty()) return Error("catalog: no folder given (see aldra-eps catalog --help)"), kExitUsage;
    CatalogOptions catalog;
    catalog.folders = args;
    if (auto it = options.find("--db"); it != options.end()) catalog.database = it->second;
    if (auto it = options.find("--root"); it != options.end()) {
        catalog.root.emplace();
        if (HostError error = ParseShareRoot(it->second, &*catalog.root))
            return Error("catalog: " + error.message), kExitUsage;
    }
    if (auto it = options.find("--thumb-size");
        it != options.end() && !ParseInt(it->second, 0, 4096, &catalog.thumbnailSize))
        return Error("catalog: --thumb-size wants 0 (none) to 4096, got '" + it->second + "'"), kExitUsage;
    if (auto it = options.find("--jobs"); it != options.end() && !ParseInt(it->second, 1, 256, &catalog.jobs))
        return Error("catalog: --jobs wants 1 to 256, got '" + it->second + "'"), kExitUsage;
    if (auto it = options.find("--timeout");
        it != options.end() && !ParseInt(it->second, 1, 86400, &catalog.timeoutSeconds))
        return Error("catalog: --timeout wants 1 to 86400 seconds, got '" + it->second + "'"), kExitUsage;
    catalog.quiet = options.count("--quiet") > 0;
    if (options.count("--prune")) return PruneCatalog(catalog);
    std::unique_ptr<FilterSet> filters = OpenFilters();
    if (!filters) return kExitUsage;
    return RunCatalog(catalog, *filters);
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"register",
         "register [MODULE]",
         "Registers a filter module (by default the one this program was built with) through its own\n"
         "DllRegisterServer.",
         {},
         {},
         RunRegister},
        {"unregister",
         "unregister",
         "Unregisters every registered filter through its module's DllUnregisterServer.",
         {},
         {},
         RunUnregister},
        {"formats",
         "formats",
         "Shows what each registered filter says about itself and its formats.",
         {},
         {},
         RunFormats},
        {"info",
         "info FILE|DIR... [-r|--recursive] [--ext LIST] [--json|--jsonl|--csv] [--raw] [-f|--fields LIST]",
         "Shows every fact the filter gives about each file: as text, as one JSON array (--json), one\n"
         "JSON object a line (--jsonl) or CSV (--csv). JSON gives sizes as numbers with their unit in the\n"
         "name (width_in, width_pt), lists as arrays, kinds and OPI systems named beside their numbers;\n"
         "--raw gives the getters' exact answers under their own names instead. -f chooses the fields\n"
         "(FIELD,...). -r reads the files below folders whose extension is in LIST (default\n"
         "eps,epsf,epsi,ai). A file that fails is reported once on stderr (and keeps its place, with\n"
         "its error, in JSON and CSV). Exit status 1 when a file is not for the filter or was refused\n"
         "or a folder could not be listed, 2 when a file cannot be read.",
         {"--ext", "--fields"},
         {"--json", "--jsonl", "--csv", "--raw", "--recursive"},
         RunInfoCommand},
        {"thumbnail",
         "thumbnail FILE OUT [-s|--size N] [--prefer stored|rendered] [--upscale] [--force]",
         "Writes the file's thumbnail, fitted into N x N pixels (default 256): a freedesktop thumbnail PNG\n"
         "when OUT ends in .png or has no extension, the picture's bitmap when it ends in .bmp, a JPEG\n"
         "when it ends in .jpg or .jpeg; any other name is refused. OUT - writes the PNG to standard output. "
         "FILE may be a file:// URI, as file\n"
         "managers pass it. Stored previews are preferred by default. N is a maximum: a stored preview\n"
         "smaller than N keeps its own pixels unless --upscale is given. An existing OUT is replaced\n"
         "only with --force, and never when it is FILE itself or not a regular file. Exit status 1 when\n"
         "the filter has no picture for the file.",
         {"--size", "--prefer"},
         {"--force", "--upscale"},
         RunThumbnail},
        {"convert",
         "convert FILE OUT [-s|--size WxH] [--format bmp|png|jpg] [--force]",
         "Converts the file into a Windows bitmap, a PNG or a JPEG file, as OUT's extension or --format "
         "says, at\n"
         "the picture's own size or at WxH pixels. OUT - writes to standard output (PNG unless --format\n"
         "bmp); FILE may be a file:// URI. An existing OUT is replaced only with --force, and\n"
         "never when it is FILE itself or not a regular file.",
         {"--size", "--format"},
         {"--force"},
         RunConvert},
        {"catalog",
         "catalog DIR... [--db FILE|URI] [--root LOCAL=SHARE] [--thumb-size N] [-j|--jobs N] [--timeout S] "
         "[-q|--quiet] [--prune]",
         "Catalogues every file below the folders into an SQLite database (default catalog.sqlite): its\n"
         "facts, its refusal if any, and a thumbnail PNG of N pixels (default 256, 0 for none). Unchanged\n"
         "files (same size and modification time) are not read again; rows of vanished files are removed.\n"
         "N worker processes (default: one per core) read the files; a file taking longer than S seconds\n"
         "(default 120) is recorded as failed and tried again by the next run, as is one that was busy.\n"
         "A moved or renamed file (same size and time, and the same device and inode or the same first\n"
         "64 KiB) keeps its row and is not read again; DCS plates are linked to their main file.\n"
         "--prune only removes the rows of files that are gone under the folders, which may be gone\n"
         "themselves, and reads nothing; a file that cannot be looked at keeps its row.\n"
         "Exit status 1 when a folder below could not be listed or a path was too long (its rows stay),\n"
         "2 when the database or a folder named could not be used or a batch could not be saved.\n"
         "--db postgresql://USER@HOST/DBNAME (or postgres://, any libpq URI; the PG* variables fill in what\n"
         "it leaves out) keeps the catalogue on a PostgreSQL server, which any number of runs on any\n"
         "machines fill at once, each file read by one of them. --root /mnt/art=//server/art stores the\n"
         "paths below /mnt/art as below //server/art, so that machines mounting the share elsewhere agree.",
         {"--db", "--root", "--thumb-size", "--jobs", "--timeout"},
         {"--quiet", "--prune"},
         RunCatalogCommand},
        {"query",
         "query [--db FILE|URI] [--font NAME] [--keyword WORD] [--creator TEXT] [--since DATE] "
         "[--no-preview]",
         "Asks the catalogue (default catalog.sqlite) for the files that use a font, carry a keyword\n"
         "(any case), come from a creator (part of the name, any case), changed since DATE (2024-05-01,\n"
         "'2024-05-01 13:30' local time, or @SECONDS) or have no thumbnail (with the reason after a\n"
         "tab); questions asked together must all hold. Prints one path a line. Exit status 1 when no\n"
         "file answers, 2 when the catalogue cannot be read.",
         {"--db", "--font", "--keyword", "--creator", "--since"},
         {"--no-preview"},
         RunQuery},
        {"settings",
         "settings [NAME [VALUE]]",
         "Shows the filter's settings, one of them, or sets one. Flags take 0 or 1; ANPA_SETTINGS is\n"
         "the data-set table in its serialised form.",
         {},
         {},
         RunSettings},
        {"properties",
         "properties FILE",
         "Shows the filter's property pages for the file, on the user's display.",
         {},
         {},
         RunProperties},
        {"setup",
         "setup",
         "Shows the filter's setup sheet on the user's display; OK saves the settings.",
         {},
         {},
         RunSetup},
    };
    return commands;
}

// Short letters where people expect them: gdk-pixbuf thumbnailers pass `-s %s`.
const std::vector<ShortOption>& ShortOptions() {
    static const std::vector<ShortOption> shorts = {
        {'s', "--size"}, {'j', "--jobs"}, {'q', "--quiet"}, {'r', "--recursive"}, {'f', "--fields"}};
    return shorts;
}

void PrintUsage(FILE* to) {
    std::fprintf(to,
                 "usage: aldra-eps COMMAND [ARGS...]   (aldra-eps COMMAND --help for more)\n"
                 "       aldra-eps --version\n\n");
    for (const Command& c : Commands()) std::fprintf(to, "  aldra-eps %s\n", c.synopsis);
}

int Main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) return PrintUsage(stderr), kExitUsage;
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") return PrintUsage(stdout), kExitOk;
    if (words[0] == "--version" || words[0] == "-V")
        return std::fputs(VersionText(DefaultModulePath()).c_str(), stdout), kExitOk;
    const Command* command = nullptr;
    for (const Command& c : Commands()) {
        if (words[0] == c.name) command = &c;
    }
    if (command == nullptr)
        return Error("unknown command '" + words[0] + "' (aldra-eps --help lists them)"), kExitUsage;

    ParsedWords parsed;
    std::string problem = ParseWords({words.begin() + 1, words.end()}, command->valueOptions,
                                     command->flagOptions, ShortOptions(), &parsed);
    if (parsed.help) {
        std::printf("usage: aldra-eps %s\n\n%s\n", command->synopsis, command->help);
        return kExitOk;
    }
    if (!problem.empty())
        return Error(std::string(command->name) + ": " + problem + " (see aldra-eps " + command->name +
                     " --help)"),
               kExitUsage;
    return command->run(parsed.operands, parsed.options);
}

}  // namespace
}  // namespace aldra::host

int main(int argc, char** argv) {
    return aldra::host::Main(argc, argv);
}
