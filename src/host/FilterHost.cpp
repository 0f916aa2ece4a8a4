#include "host/FilterHost.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>

#include "aldra/Guids.h"
#include "aldra/Refusals.h"
#include "host/FilterRecordText.h"
#include "platform/registry/Registry.h"

namespace aldra::host {

namespace {

// The filter says only that it could not attach a file; a user needs to know when the reason is
// another program writing it (readers share the file, writers hold it alone).
bool HeldByAnotherProcess(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

// The MIME types of the format rows, in the order IAldraFilterInfo lists them.
constexpr const char* kRowMimeTypes[] = {"image/x-eps", "application/illustrator"};

std::string ErrnoText(int error) {
    return std::strerror(error);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Modules

// A module stays loaded until the process ends, as COM hosts keep in-process servers: unloading it
// would strand what its runtime allocated for itself, and nothing is gained in a short-lived program.
FilterModule::~FilterModule() = default;

std::unique_ptr<FilterModule> FilterModule::Load(const std::string& path, HostError* error) {
    std::unique_ptr<FilterModule> module(new FilterModule);
    module->path_ = path;
    module->handle_ = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (module->handle_ == nullptr) {
        const char* why = dlerror();
        error->message = "cannot load the filter module " + path + ": " + (why ? why : "unknown error");
        return nullptr;
    }
    module->registerServer_ = reinterpret_cast<HRESULT (*)()>(dlsym(module->handle_, "DllRegisterServer"));
    module->unregisterServer_ =
        reinterpret_cast<HRESULT (*)()>(dlsym(module->handle_, "DllUnregisterServer"));
    module->getClassObject_ =
        reinterpret_cast<HRESULT (*)(REFCLSID, REFIID, void**)>(dlsym(module->handle_, "DllGetClassObject"));
    module->canUnloadNow_ = reinterpret_cast<HRESULT (*)()>(dlsym(module->handle_, "DllCanUnloadNow"));
    if (!module->registerServer_ || !module->unregisterServer_ || !module->getClassObject_ ||
        !module->canUnloadNow_) {
        error->message = "the module " + path + " is not a filter: an entry point is missing";
        return nullptr;
    }
    return module;
}

void* FilterModule::Symbol(const char* name) const {
    return dlsym(handle_, name);
}

std::vector<RegisteredFilter> FindRegisteredFilters() {
    std::vector<RegisteredFilter> found;
    HKEY classes = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &classes) != ERROR_SUCCESS) return found;
    char name[256];
    for (DWORD index = 0; RegEnumKey(classes, index, name, sizeof name) == ERROR_SUCCESS; ++index) {
        RegisteredFilter filter;
        if (!ParseGuid(name, &filter.clsid)) continue;
        HKEY marker = nullptr;
        if (RegOpenKeyEx(classes, (std::string(name) + "\\IsAldraFilter").c_str(), 0, KEY_READ, &marker) !=
            ERROR_SUCCESS)
            continue;
        RegCloseKey(marker);
        HKEY server = nullptr;
        if (RegOpenKeyEx(classes, (std::string(name) + "\\InprocServer32").c_str(), 0, KEY_READ, &server) !=
            ERROR_SUCCESS)
            continue;
        if (RegGetString(server, nullptr, &filter.modulePath) == ERROR_SUCCESS && !filter.modulePath.empty())
            found.push_back(filter);
        RegCloseKey(server);
    }
    RegCloseKey(classes);
    return found;
}

// ---------------------------------------------------------------------------------------------------
// Dispatch calls

Answer::Answer(Answer&& other) noexcept
    : hr(other.hr), value(other.value), code(other.code), description(std::move(other.description)) {
    VariantInit(&other.value);
}

std::string Answer::Text() const {
    return value.vt == VT_BSTR ? BstrToUtf8(value.bstrVal) : std::string();
}

double Answer::Number() const {
    switch (value.vt) {
        case VT_R4:
            return value.fltVal;
        case VT_R8:
            return value.dblVal;
        case VT_I4:
            return value.lVal;
        case VT_I2:
            return value.iVal;
        default:
            return 0;
    }
}

int32_t Answer::Long() const {
    switch (value.vt) {
        case VT_I4:
            return value.lVal;
        case VT_I2:
            return value.iVal;
        case VT_BOOL:
            return value.boolVal != VARIANT_FALSE;
        default:
            return 0;
    }
}

bool Answer::Bool() const {
    return (value.vt == VT_BOOL && value.boolVal != VARIANT_FALSE) || (value.vt == VT_I4 && value.lVal != 0);
}

VARIANT StringArg(const std::string& utf8) {
    return MakeBstr(Utf8ToBstr(utf8));
}

VARIANT PathArg(const std::string& path) {
    return MakeBstr(Utf8PathToBstr(path));
}

VARIANT BytesArg(const std::string& bytes) {
    VARIANT v;
    VariantInit(&v);
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<uint32_t>(bytes.size()));
    if (array == nullptr) return v;
    void* data = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
        if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
        SafeArrayUnaccessData(array);
    }
    v.vt = VT_ARRAY | VT_UI1;
    v.parray = array;
    return v;
}

VARIANT LongArg(int32_t value) {
    return MakeI4(value);
}

VARIANT BoolArg(bool value) {
    return MakeBool(value);
}

namespace {

Answer InvokeById(IDispatch* target, DISPID id, std::vector<VARIANT>& args, uint16_t flags) {
    Answer answer;
    // DISPPARAMS lists the arguments last to first; the callee only reads them.
    std::reverse(args.begin(), args.end());
    DISPPARAMS params{args.data(), nullptr, static_cast<uint32_t>(args.size()), 0};
    EXCEPINFO excep{};
    uint32_t argErr = 0;
    answer.hr = target->Invoke(id, IID_NULL, 0, flags, &params, &answer.value, &excep, &argErr);
    if (answer.hr == DISP_E_EXCEPTION) {
        answer.code = excep.wCode;
        answer.description = BstrToUtf8(excep.bstrDescription);
        if (answer.code == 0 && excep.scode != 0) answer.code = static_cast<uint16_t>(excep.scode & 0xFFFF);
    }
    ClearExcepInfo(&excep);
    for (VARIANT& v : args) VariantClear(&v);
    return answer;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Controls

FilterControl::~FilterControl() {
    if (info_ != nullptr) info_->Release();
    if (window_ != nullptr) {
        window_->DestroyControlWindow();
        window_->Release();
    }
    if (control_ != nullptr) control_->Release();
}

std::unique_ptr<FilterControl> FilterControl::Create(const FilterModule& module, REFCLSID clsid,
                                                     HostError* error) {
    std::unique_ptr<FilterControl> control(new FilterControl);
    IClassFactory* factory = nullptr;
    HRESULT hr = module.GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || factory == nullptr) {
        error->message = "the module " + module.path() + " has no class factory for " + FormatGuid(clsid);
        return nullptr;
    }
    hr = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&control->control_));
    factory->Release();
    if (FAILED(hr) || control->control_ == nullptr) {
        error->message = "the filter in " + module.path() + " did not create its control";
        return nullptr;
    }
    // Hosts here create the window themselves; a control without one has no settings.
    if (SUCCEEDED(control->control_->QueryInterface(IID_IAldraControlWindow,
                                                    reinterpret_cast<void**>(&control->window_))) &&
        FAILED(control->window_->CreateControlWindow())) {
        error->message = "the filter in " + module.path() + " could not create its window";
        return nullptr;
    }
    if (FAILED(control->control_->QueryInterface(IID_IAldraFilterInfo,
                                                 reinterpret_cast<void**>(&control->info_))))
        control->info_ = nullptr;
    return control;
}

// A dispatch object's identifiers do not change while it lives, so each name is asked for once:
// reading a file's facts takes some twenty-five calls, and looking the names up again for every
// file cost as much as the header scan. A name the filter does not know is remembered too: an
// older filter is asked for a member it lacks with every file, before the host falls back on others.
Answer FilterControl::InvokeByName(std::string_view name, std::vector<VARIANT>& args, uint16_t flags) {
    auto known = ids_.find(name);
    if (known == ids_.end()) {
        std::u16string wide(name.begin(), name.end());
        const OLECHAR* names[] = {wide.c_str()};
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(control_->GetIDsOfNames(IID_NULL, names, 1, 0, &id))) id = DISPID_UNKNOWN;
        known = ids_.emplace(std::string(name), id).first;
    }
    if (known->second == DISPID_UNKNOWN) {
        for (VARIANT& v : args) VariantClear(&v);
        Answer answer;
        answer.hr = DISP_E_UNKNOWNNAME;
        answer.description = "the filter has no member " + std::string(name);
        return answer;
    }
    return InvokeById(control_, known->second, args, flags);
}

Answer FilterControl::Call(std::string_view name, std::vector<VARIANT> args) {
    return InvokeByName(name, args, DISPATCH_METHOD);
}

Answer FilterControl::Get(std::string_view property) {
    std::vector<VARIANT> none;
    return InvokeByName(property, none, DISPATCH_PROPERTYGET);
}

const std::vector<std::string>& FilterControl::FormatNames() const {
    // The format table is fixed for the module; hosts ask for it with every file.
    if (!formatNamesRead_) {
        formatNames_ = ReadFormatNames();
        formatNamesRead_ = true;
    }
    return formatNames_;
}

std::vector<std::string> FilterControl::ReadFormatNames() const {
    std::vector<std::string> names;
    if (info_ == nullptr) return names;
    int32_t count = 0;
    if (FAILED(info_->CountFormats(&count))) return names;
    for (int32_t i = 0; i < count && i < 64; ++i) {
        BSTR text = nullptr;
        names.push_back(SUCCEEDED(info_->GetIndFormat(i, &text)) ? BstrToUtf8(text) : std::string());
        SysFreeString(text);
    }
    return names;
}

// ---------------------------------------------------------------------------------------------------
// The filter set

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return a == b || std::filesystem::equivalent(a, b, ec);
}

}  // namespace

std::unique_ptr<FilterSet> FilterSet::Open(const std::string& ownModule, bool mayRegister,
                                           std::vector<std::string>* warnings, HostError* error,
                                           bool* registered) {
    auto set = std::make_unique<FilterSet>();
    *registered = false;
    bool ownClassLoaded = false, ownClassElsewhere = false;
    auto loadAll = [&] {
        for (const RegisteredFilter& filter : FindRegisteredFilters()) {
            bool ownClass = filter.clsid == CLSID_AldraFilter;
            if (ownClass && !SameFile(filter.modulePath, ownModule)) {
                ownClassElsewhere = true;
                continue;
            }
            HostError why;
            std::shared_ptr<FilterModule> module;
            for (Entry& e : set->entries_) {
                if (e.module->path() == filter.modulePath) module = e.module;
            }
            if (!module) module = FilterModule::Load(filter.modulePath, &why);
            std::unique_ptr<FilterControl> control;
            if (module) control = FilterControl::Create(*module, filter.clsid, &why);
            if (!control) {
                warnings->push_back(why.message);
                continue;
            }
            ownClassLoaded = ownClassLoaded || ownClass;
            set->entries_.push_back({filter, module, std::move(control)});
        }
    };
    loadAll();
    if (ownClassLoaded) return set;

    HostError why;
    std::unique_ptr<FilterModule> module = FilterModule::Load(ownModule, &why);
    if (!module) {
        if (!set->entries_.empty()) {
            warnings->push_back(why.message);
            return set;
        }
        error->message = "no filter is registered, and " + why.message;
        return nullptr;
    }
    // Another install's registration is its own; registering over it would take it away.
    mayRegister = mayRegister && !ownClassElsewhere;
    HRESULT hr = mayRegister ? module->RegisterServer() : S_OK;
    if (mayRegister && SUCCEEDED(hr)) {
        *registered = true;
        set->entries_.clear();
        warnings->clear();
        loadAll();
        if (ownClassLoaded) return set;
        error->message = "the filter " + ownModule + " was registered but cannot be used" +
                         (warnings->empty() ? std::string() : ": " + warnings->front());
        return nullptr;
    }
    // Registration undone by the user, or no registry to write to (a sandboxed thumbnailer has no home
    // folder): the module this program brings is used as it is.
    std::shared_ptr<FilterModule> unregistered = std::move(module);
    std::unique_ptr<FilterControl> control = FilterControl::Create(*unregistered, CLSID_AldraFilter, &why);
    if (!control) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<uint32_t>(hr));
        error->message = FAILED(hr) ? "no filter is registered, registering " + ownModule + " failed (" +
                                          code + "), and " + why.message
                                    : why.message;
        return nullptr;
    }
    set->entries_.push_back({{CLSID_AldraFilter, ownModule}, unregistered, std::move(control)});
    return set;
}

// ---------------------------------------------------------------------------------------------------
// One file

const char* StatusName(FileStatus status) {
    switch (status) {
        case FileStatus::Accepted:
            return "accepted";
        case FileStatus::Refused:
            return "refused";
        case FileStatus::NotForFilter:
            return "other";
        case FileStatus::Failed:
            return "failed";
    }
    return "failed";
}

namespace {

// The first bytes of the file, or the errno of the failure. Only a regular file is read: a named
// pipe or a device would be waited on for ever, so it is judged on the descriptor, before any read.
int ReadHead(const std::string& path, std::string* head) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    }
    head->assign(kQuickTestBytes, '\0');
    size_t got = 0;
    while (got < kQuickTestBytes) {
        ssize_t n = ::read(fd, head->data() + got, kQuickTestBytes - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int error = errno;
            ::close(fd);
            return error;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    head->resize(got);
    return 0;
}

// A filter without the information interface answers no names, and so no facts.
void ReadDocumentFacts(FilterControl& control, FileFacts* facts) {
    const std::string names = control.Call("FactNames").Text();
    size_t start = 0;
    while (start < names.size()) {
        size_t end = names.find('\n', start);
        if (end == std::string::npos) end = names.size();
        std::string name = names.substr(start, end - start);
        if (!name.empty()) {
            std::string value = control.Call("GetFact", {StringArg(name)}).Text();
            facts->documentFacts.emplace_back(std::move(name), std::move(value));
        }
        start = end + 1;
    }
}

}  // namespace

FileFacts ReadFileFacts(FilterSet& filters, const std::string& path, bool keepAttached, FilterControl** which,
                        bool documentFacts) {
    FileFacts facts;
    facts.path = path;
    if (which != nullptr) *which = nullptr;
    std::string head;
    if (int error = ReadHead(path, &head); error != 0) {
        facts.status = FileStatus::Failed;
        facts.errorCode = error == ENOENT ? 2008 : error == EACCES || error == EINVAL ? 2006 : 2000;
        facts.errorMessage = error == EINVAL ? "not a regular file" : ErrnoText(error);
        return facts;
    }
    FilterControl* control = nullptr;
    for (FilterSet::Entry& entry : filters.entries()) {
        Answer format = entry.control->Call("QuickTest", {PathArg(path), BytesArg(head)});
        if (format.ok() && !format.Text().empty()) {
            control = entry.control.get();
            facts.format = format.Text();
            const std::vector<std::string>& rows = control->FormatNames();
            for (size_t i = 0; i < rows.size() && i < std::size(kRowMimeTypes); ++i) {
                if (rows[i] == facts.format) facts.formatRowMime = kRowMimeTypes[i];
            }
            break;
        }
    }
    if (control == nullptr) {
        facts.status = FileStatus::NotForFilter;
        facts.errorMessage = "not a file for this filter";
        return facts;
    }

    Answer attached = control->Call("AttachFile", {PathArg(path)});
    if (attached.hr == DISP_E_EXCEPTION) {
        facts.status = FileStatus::Refused;
        facts.errorCode = attached.code;
        facts.passing = attached.description.empty() && HeldByAnotherProcess(path);
        facts.errorMessage = !attached.description.empty()          ? attached.description
                             : facts.passing                        ? "the file is in use by another program"
                             : attached.code == kUnreadableFileCode ? "the file cannot be read as its format"
                                                                    : "refused by the filter";
        return facts;
    }
    if (!attached.ok() || !attached.Bool()) {
        facts.status = attached.ok() ? FileStatus::Refused : FileStatus::Failed;
        facts.errorCode = attached.ok() ? 0 : static_cast<int32_t>(attached.hr);
        facts.errorMessage = "the filter did not attach the file";
        return facts;
    }

    facts.status = FileStatus::Accepted;
    Answer record = control->Call("GetRecord", {BoolArg(documentFacts)});
    if (record.ok() && record.value.vt == VT_BSTR) {
        TakeRecord(record.Text(), &facts);
    } else {
        ReadGetters(*control, &facts);
        if (documentFacts) ReadDocumentFacts(*control, &facts);
    }
    if (keepAttached) {
        if (which != nullptr) *which = control;
    } else {
        control->Call("DetachFile");
    }
    return facts;
}

}  // namespace aldra::host
