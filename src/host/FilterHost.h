// The filter manager side of the host: finding filters through their marker key, loading their modules,
// creating and driving their controls by dispatch names only, and reading one file's facts.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "aldra/FilterInterfaces.h"
#include "platform/com/Com.h"

namespace aldra::host {

// How many of a file's first bytes a host hands to QuickTest.
inline constexpr size_t kQuickTestBytes = 512;

// A failure of the host itself, as a value: a message naming what failed.
struct HostError {
    std::string message;
    explicit operator bool() const { return !message.empty(); }
};

// One loaded filter module with its four entry points.
class FilterModule {
  public:
    ~FilterModule();
    FilterModule(const FilterModule&) = delete;
    FilterModule& operator=(const FilterModule&) = delete;

    // Null with *error set when the module does not load or lacks an entry point.
    static std::unique_ptr<FilterModule> Load(const std::string& path, HostError* error);

    const std::string& path() const { return path_; }
    // A symbol of the module or of the libraries it brought in; null when there is none.
    void* Symbol(const char* name) const;
    HRESULT RegisterServer() const { return registerServer_(); }
    HRESULT UnregisterServer() const { return unregisterServer_(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
        return getClassObject_(clsid, iid, out);
    }
    HRESULT CanUnloadNow() const { return canUnloadNow_(); }

  private:
    FilterModule() = default;
    std::string path_;
    void* handle_ = nullptr;
    HRESULT (*registerServer_)() = nullptr;
    HRESULT (*unregisterServer_)() = nullptr;
    HRESULT (*getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT (*canUnloadNow_)() = nullptr;
};

// A filter the registry names: its class and its module file.
struct RegisteredFilter {
    CLSID clsid{};
    std::string modulePath;
};

// Every class under HKEY_CLASSES_ROOT\CLSID carrying the IsAldraFilter marker and naming a module.
std::vector<RegisteredFilter> FindRegisteredFilters();

// What a dispatch call answered: the HRESULT, the value, and for DISP_E_EXCEPTION the exception's code
// and text (UTF-8).
struct Answer {
    HRESULT hr = E_FAIL;
    VARIANT value;
    uint16_t code = 0;
    std::string description;
    Answer() { VariantInit(&value); }
    ~Answer() { VariantClear(&value); }
    Answer(const Answer&) = delete;
    Answer& operator=(const Answer&) = delete;
    Answer(Answer&& other) noexcept;

    bool ok() const { return SUCCEEDED(hr); }
    std::string Text() const;  // UTF-8; "" for anything but a string
    double Number() const;     // floats and integers; 0 otherwise
    int32_t Long() const;
    bool Bool() const;
};

// A control of one filter, with its window created; released (window first) when destroyed.
class FilterControl {
  public:
    ~FilterControl();
    FilterControl(const FilterControl&) = delete;
    FilterControl& operator=(const FilterControl&) = delete;

    static std::unique_ptr<FilterControl> Create(const FilterModule& module, REFCLSID clsid,
                                                 HostError* error);

    // Arguments in declared order; the call owns and clears them.
    Answer Call(std::string_view name, std::vector<VARIANT> args = {});
    Answer Get(std::string_view property);

    // IAldraFilterInfo, or null when the control does not offer it (not owned).
    IAldraFilterInfo* info() const { return info_; }
    // The format names of IAldraFilterInfo, by row (UTF-8).
    const std::vector<std::string>& FormatNames() const;

  private:
    FilterControl() = default;
    Answer InvokeByName(std::string_view name, std::vector<VARIANT>& args, uint16_t flags);
    std::vector<std::string> ReadFormatNames() const;
    IDispatch* control_ = nullptr;
    IAldraControlWindow* window_ = nullptr;
    IAldraFilterInfo* info_ = nullptr;
    // Looked up by the caller's view of the name, without making a string of it for every call.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };
    std::unordered_map<std::string, DISPID, NameHash, std::equal_to<>> ids_;  // the names asked for so far
    mutable std::vector<std::string> formatNames_;
    mutable bool formatNamesRead_ = false;
};

VARIANT StringArg(const std::string& utf8);  // a BSTR of the text's UTF-16 form
VARIANT PathArg(const std::string& path);    // a file name, its bytes kept when they are not UTF-8
VARIANT BytesArg(const std::string& bytes);  // a VT_UI1 SAFEARRAY
VARIANT LongArg(int32_t value);
VARIANT BoolArg(bool value);

// The filters of this process: the registered ones, loaded, each with one control.
class FilterSet {
  public:
    // Loads every registered filter, except this filter's class registered from another module than
    // `ownModule` (another install's): the program always uses the module it came with. When its class
    // is registered nowhere, `ownModule` is registered first if `mayRegister` (*registered says so);
    // otherwise, or when that fails, it is used without registration. Warnings about filters that do not load
    // go to *warnings.
    static std::unique_ptr<FilterSet> Open(const std::string& ownModule, bool mayRegister,
                                           std::vector<std::string>* warnings, HostError* error,
                                           bool* registered);

    struct Entry {
        RegisteredFilter registered;
        std::shared_ptr<FilterModule> module;
        std::unique_ptr<FilterControl> control;
    };
    std::vector<Entry>& entries() { return entries_; }

  private:
    std::vector<Entry> entries_;
};

enum class FileStatus { Accepted, Refused, NotForFilter, Failed };

// Everything the host learns about one file.
struct FileFacts {
    std::string path;
    FileStatus status = FileStatus::Failed;
    int32_t errorCode = 0;     // the exception's code for a refusal, a result code for a failure
    std::string errorMessage;  // UTF-8
    bool passing = false;      // the trouble may be gone next time (the file was busy); try it again
    std::string format;        // the QuickTest answer
    std::string defaultExtension;
    double width = 0, height = 0, hResolution = 0, vResolution = 0;
    int32_t kind = 0;
    std::string creatingSoftware, macType, macSignature, imageName, user, categories, notes;
    std::string postScriptVersion, epsfVersion;
    int32_t epsfType = 0;
    std::string fonts, colors, links;
    int32_t opiSystem = 0;
    std::string opiHiResFileName;
    std::string formatRowMime;  // the MIME type of the format row QuickTest named; "" if unknown
    // The information interface's facts (name, UTF-8 value) when they were asked for.
    std::vector<std::pair<std::string, std::string>> documentFacts;
};

// Quick test, attach, every getter and property, detach. The control of the filter that took the file
// stays attached until the next call when `keepAttached` (for a thumbnail or conversion after it);
// *which receives it. `documentFacts` also asks for the information interface's facts, which can
// cost a search through the file that the catalogue record does not need.
FileFacts ReadFileFacts(FilterSet& filters, const std::string& path, bool keepAttached = false,
                        FilterControl** which = nullptr, bool documentFacts = false);

const char* StatusName(FileStatus status);

}  // namespace aldra::host
