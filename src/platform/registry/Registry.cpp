#include "platform/registry/Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>
#include <set>

#include "base/Bytes.h"
#include "base/File.h"
#include "platform/registry/Hive.h"

namespace aldra {

struct RegKey {
    int hive;          // index into kHives
    std::string path;  // below the root, in the case it was created with
    DWORD access;
    bool predefined;
};

namespace {

struct HiveName {
    const char* rootName;
    const char* fileName;
};

constexpr HiveName kHives[] = {
    {"HKEY_CLASSES_ROOT", "classes.reg"},
    {"HKEY_CURRENT_USER", "user.reg"},
    {"HKEY_LOCAL_MACHINE", "machine.reg"},
};

RegKey gClassesRoot{0, "", KEY_ALL_ACCESS, true};
RegKey gCurrentUser{1, "", KEY_ALL_ACCESS, true};
RegKey gLocalMachine{2, "", KEY_ALL_ACCESS, true};

// Open handles, so that a stale or foreign pointer is refused instead of followed.
std::mutex gHandlesLock;
std::set<const RegKey*>& OpenHandles() {
    static std::set<const RegKey*> handles;
    return handles;
}

bool IsValid(HKEY key) {
    if (key == &gClassesRoot || key == &gCurrentUser || key == &gLocalMachine) return true;
    std::lock_guard<std::mutex> guard(gHandlesLock);
    return key != nullptr && OpenHandles().count(key) != 0;
}

std::string HiveFolder() {
    const char* dir = std::getenv("ALDRA_REGISTRY_DIR");
    if (dir != nullptr && dir[0] != 0) return dir;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] != 0) return std::string(config) + "/aldra";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != 0) return std::string(home) + "/.config/aldra";
    return {};
}

std::string HivePath(int hive) {
    std::string folder = HiveFolder();
    return folder.empty() ? folder : folder + "/" + kHives[hive].fileName;
}

LSTATUS StatusOfErrno(int error, LSTATUS otherwise) {
    if (error == EACCES || error == EPERM || error == EROFS) return ERROR_ACCESS_DENIED;
    if (error == ENOMEM) return ERROR_OUTOFMEMORY;
    return otherwise;
}

bool MakeFolders(const std::string& folder) {
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/') continue;
        std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

// Holds an flock on "<hive>.lock" for its lifetime.
class HiveLock {
  public:
    HiveLock(const std::string& hivePath, bool exclusive) {
        fd_ = ::open((hivePath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                     0600);
        if (fd_ < 0) return;
        while (::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~HiveLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

using HivePtr = std::shared_ptr<const Hive>;

// The clock the file system stamps changes with, which advances in ticks of a few milliseconds.
int64_t FileClockNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

// The last parsed form of each hive with the file version it came from. A process asks for a few
// dozen values while it starts and catalogues, and parsing the whole hive for each of them cost more
// than reading the file being catalogued.
struct ParsedHive {
    std::string path;
    FileStamp stamp;
    HivePtr hive;
};
// Made at the first use, since the module's own static objects read the registry while it loads;
// objects destroyed after it, as the process ends, still use the registry: from then on every call
// parses the file again, as if nothing had been kept.
bool gParsedGone = false;
struct ParsedHives {
    ParsedHive hives[std::size(kHives)];
    ~ParsedHives() { gParsedGone = true; }
};
std::mutex gParsedLock;

ParsedHive* ParsedSlot(int hive) {
    static ParsedHives parsed;
    return gParsedGone ? nullptr : &parsed.hives[hive];
}

HivePtr ParsedVersion(int hive, const std::string& path, const FileStamp& stamp) {
    std::lock_guard<std::mutex> guard(gParsedLock);
    const ParsedHive* parsed = ParsedSlot(hive);
    return parsed != nullptr && parsed->path == path && parsed->stamp == stamp ? parsed->hive : nullptr;
}

void KeepParsed(int hive, const std::string& path, const FileStamp& stamp, HivePtr content) {
    std::lock_guard<std::mutex> guard(gParsedLock);
    if (ParsedHive* slot = ParsedSlot(hive)) *slot = ParsedHive{path, stamp, std::move(content)};
}

void ForgetParsed(int hive) {
    std::lock_guard<std::mutex> guard(gParsedLock);
    if (ParsedHive* slot = ParsedSlot(hive)) *slot = ParsedHive{};
}

HivePtr EmptyHive() {
    return std::make_shared<const Hive>();
}

// Non-blocking, so that a pipe planted at the hive's name cannot hang every program that reads it;
// only a regular file is kept, and its reads never wait on the flag, so it stays set. Succeeds with
// no descriptor when there is no file.
LSTATUS OpenHiveFile(const std::string& path, int* fd, FileStamp* stamp) {
    *fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (*fd < 0) return errno == ENOENT ? ERROR_SUCCESS : StatusOfErrno(errno, ERROR_BADDB);
    if (FileStampOf(*fd, stamp) != kOk || !stamp->regular) {
        ::close(*fd);
        *fd = -1;
        return ERROR_BADDB;
    }
    return ERROR_SUCCESS;
}

LSTATUS ReadAll(int fd, std::string* text) {
    char chunk[65536];
    LSTATUS status = ERROR_SUCCESS;
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) status = StatusOfErrno(errno, ERROR_BADDB);
        if (n <= 0) break;
        text->append(chunk, static_cast<size_t>(n));
    }
    return status;
}

// The hive as the file holds it now: parsed again only when the file is another version than the
// one parsed last. The caller holds the hive's lock.
LSTATUS LoadHiveFile(int hive, const std::string& path, HivePtr* out) {
    // A file changed within the current tick may change again within it, under the same stamp:
    // such a version is parsed but not kept. Any later change stamps a later tick.
    const int64_t openedAt = FileClockNow();
    int fd = -1;
    FileStamp stamp;
    LSTATUS status = OpenHiveFile(path, &fd, &stamp);
    if (status != ERROR_SUCCESS) return status;
    if (fd < 0) {
        *out = EmptyHive();
        return ERROR_SUCCESS;
    }
    if (HivePtr parsed = ParsedVersion(hive, path, stamp)) {
        ::close(fd);
        *out = std::move(parsed);
        return ERROR_SUCCESS;
    }
    std::string text;
    status = ReadAll(fd, &text);
    ::close(fd);
    if (status != ERROR_SUCCESS) return status;
    auto parsed = std::make_shared<Hive>();
    if (!ParseHive(text, kHives[hive].rootName, parsed.get())) return ERROR_BADDB;
    if (stamp.changedNs < openedAt) KeepParsed(hive, path, stamp, parsed);
    *out = std::move(parsed);
    return ERROR_SUCCESS;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A fresh temporary file beside the hive. It is made exclusively and never through a link: a link
// planted at its name would otherwise have the hive's text written wherever it points.
int CreateTemporary(const std::string& path, std::string* temporary) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        *temporary = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(attempt);
        int fd = ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Where the hive's text lives: a hive that is a link to a file elsewhere is updated there, and the
// link stays. Empty (errno set) when the link leads nowhere usable.
std::string HiveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
    return errno == ENOENT ? path : std::string();
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".")
           : slash == 0               ? std::string("/")
                                      : path.substr(0, slash);
}

// Temporary file, fsync, rename, fsync of the folder: a crash leaves either the old or the new hive.
// The new file keeps the old one's permissions; a hive the user made read-only is not replaced.
LSTATUS ReplaceHiveFile(const std::string& path, const std::string& text) {
    std::string target = HiveTarget(path);
    if (target.empty()) return StatusOfErrno(errno, ERROR_CANTWRITE);
    struct stat old {};
    bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return ERROR_ACCESS_DENIED;
    std::string temporary;
    int fd = CreateTemporary(target, &temporary);
    if (fd < 0) return StatusOfErrno(errno, ERROR_CANTWRITE);
    bool written =
        (!exists || ::fchmod(fd, old.st_mode & 07777) == 0) && WriteAll(fd, text) && ::fsync(fd) == 0;
    int error = errno;
    written = (::close(fd) == 0) && written;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        if (written) error = errno;
        ::unlink(temporary.c_str());
        return StatusOfErrno(error, ERROR_CANTWRITE);
    }
    int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return ERROR_SUCCESS;
}

// The version parsed last, when the file at path is still that version. Writers replace the file by
// rename, so one look at the name shows the old version or the new, never one half written: a
// version already parsed needs neither the lock nor an opening.
HivePtr ParsedVersionAt(int hive, const std::string& path) {
    FileStamp stamp;
    if (PathStamp(path.c_str(), &stamp) != kOk || !stamp.regular) return nullptr;
    return ParsedVersion(hive, path, stamp);
}

// Reads the hive under a shared lock, unless the version parsed last is still there. A missing
// folder or file is an empty hive.
LSTATUS ReadHive(int hive, HivePtr* out) {
    std::string path = HivePath(hive);
    if (path.empty()) return ERROR_FILE_NOT_FOUND;
    if (HivePtr parsed = ParsedVersionAt(hive, path)) {
        *out = std::move(parsed);
        return ERROR_SUCCESS;
    }
    struct stat info;
    if (::stat(HiveFolder().c_str(), &info) != 0) {
        *out = EmptyHive();
        return ERROR_SUCCESS;
    }
    HiveLock lock(path, false);
    // A folder we may read but not write (no lock file) is still readable.
    return LoadHiveFile(hive, path, out);
}

// Re-reads the hive under the exclusive lock, lets change edit it and writes it back when change
// succeeded and asked for it.
LSTATUS ChangeHive(int hive, const std::function<LSTATUS(Hive*, bool* dirty)>& change) {
    std::string folder = HiveFolder();
    if (folder.empty()) return ERROR_FILE_NOT_FOUND;
    if (!MakeFolders(folder)) return StatusOfErrno(errno, ERROR_CANTWRITE);
    std::string path = HivePath(hive);
    HiveLock lock(path, true);
    if (!lock.held()) return StatusOfErrno(errno, ERROR_CANTWRITE);
    HivePtr stored;
    LSTATUS status = LoadHiveFile(hive, path, &stored);
    if (status != ERROR_SUCCESS) return status;
    Hive content = *stored;
    bool dirty = false;
    status = change(&content, &dirty);
    if (status != ERROR_SUCCESS || !dirty) return status;
    // The next read parses what was written (or what stayed, when the write failed).
    ForgetParsed(hive);
    return ReplaceHiveFile(path, FormatHive(content, kHives[hive].rootName));
}

bool ValidSubKey(const char* subKey) {
    return subKey == nullptr || ValidKeyPath(subKey);
}

std::string JoinPath(const std::string& parent, const char* subKey) {
    if (subKey == nullptr || subKey[0] == 0) return parent;
    return parent.empty() ? std::string(subKey) : parent + "\\" + subKey;
}

HKEY NewHandle(int hive, std::string path, DWORD access) {
    auto* key = new RegKey{hive, std::move(path), access, false};
    std::lock_guard<std::mutex> guard(gHandlesLock);
    OpenHandles().insert(key);
    return key;
}

// The key of a handle, or the status a call on it answers.
LSTATUS KeyOfHandle(Hive* hive, HKEY handle, HiveKey** key) {
    *key = FindKey(hive, handle->path);
    return *key != nullptr ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// Reads the handle's hive and finds its key in it.
LSTATUS ReadKeyOfHandle(HKEY handle, HivePtr* hive, const HiveKey** key) {
    LSTATUS status = ReadHive(handle->hive, hive);
    if (status != ERROR_SUCCESS) return status;
    *key = FindKey(hive->get(), handle->path);
    return *key != nullptr ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// Runs an operation, turning an allocation failure into the registry's code: nothing throws out.
template <typename F>
LSTATUS Guarded(F&& operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    } catch (...) {
        return ERROR_INVALID_PARAMETER;
    }
}

std::string_view NameOf(const char* name) {
    return name == nullptr ? std::string_view() : std::string_view(name);
}

LSTATUS CopyName(const std::string& name, char* out, DWORD capacity) {
    if (out == nullptr) return ERROR_INVALID_PARAMETER;
    if (name.size() + 1 > capacity) return ERROR_MORE_DATA;
    std::memcpy(out, name.c_str(), name.size() + 1);
    return ERROR_SUCCESS;
}

}  // namespace

HKEY const HKEY_CLASSES_ROOT = &gClassesRoot;
HKEY const HKEY_CURRENT_USER = &gCurrentUser;
HKEY const HKEY_LOCAL_MACHINE = &gLocalMachine;

LSTATUS RegOpenKeyEx(HKEY parent, const char* subKey, DWORD, DWORD sam, HKEY* out) {
    if (out == nullptr) return ERROR_INVALID_PARAMETER;
    *out = nullptr;
    if (!IsValid(parent)) return ERROR_INVALID_HANDLE;
    if (!ValidSubKey(subKey)) return ERROR_FILE_NOT_FOUND;
    return Guarded([&] {
        HivePtr hive;
        LSTATUS status = ReadHive(parent->hive, &hive);
        if (status != ERROR_SUCCESS) return status;
        if (FindKey(hive.get(), parent->path) == nullptr) return ERROR_KEY_DELETED;
        const HiveKey* key = FindKey(hive.get(), JoinPath(parent->path, subKey));
        if (key == nullptr) return ERROR_FILE_NOT_FOUND;
        *out = NewHandle(parent->hive, key->path, sam);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegCreateKeyEx(HKEY parent, const char* subKey, DWORD, const char*, DWORD, DWORD sam, void*,
                       HKEY* out, DWORD* disposition) {
    if (out == nullptr) return ERROR_INVALID_PARAMETER;
    *out = nullptr;
    if (!IsValid(parent)) return ERROR_INVALID_HANDLE;
    if (!ValidSubKey(subKey)) return ERROR_INVALID_PARAMETER;
    return Guarded([&] {
        std::string path = JoinPath(parent->path, subKey);
        std::string stored;
        bool created = false;
        LSTATUS status = ChangeHive(parent->hive, [&](Hive* hive, bool* dirty) {
            if (FindKey(hive, parent->path) == nullptr) return ERROR_KEY_DELETED;
            HiveKey* existing = FindKey(hive, path);
            if (existing == nullptr && (parent->access & KEY_CREATE_SUB_KEY) == 0) return ERROR_ACCESS_DENIED;
            HiveKey* key = existing ? existing : CreateKey(hive, path, &created);
            if (key == nullptr) return ERROR_INVALID_PARAMETER;  // deeper than a registry tree goes
            stored = key->path;
            *dirty = created;
            return ERROR_SUCCESS;
        });
        if (status != ERROR_SUCCESS) return status;
        if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        *out = NewHandle(parent->hive, stored, sam);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegQueryValueEx(HKEY handle, const char* name, DWORD*, DWORD* type, uint8_t* data, DWORD* size) {
    if (!IsValid(handle)) return ERROR_INVALID_HANDLE;
    if ((handle->access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    return Guarded([&] {
        HivePtr hive;
        const HiveKey* key = nullptr;
        LSTATUS status = ReadKeyOfHandle(handle, &hive, &key);
        if (status != ERROR_SUCCESS) return status;
        const HiveValue* value = FindValue(key, NameOf(name));
        if (value == nullptr) return ERROR_FILE_NOT_FOUND;
        bool terminated = value->type == REG_SZ || value->type == REG_EXPAND_SZ;
        DWORD needed = static_cast<DWORD>(value->data.size() + (terminated ? 1 : 0));
        if (type != nullptr) *type = value->type;
        if (size == nullptr) return ERROR_SUCCESS;
        if (data == nullptr) {
            *size = needed;
            return ERROR_SUCCESS;
        }
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, value->data.data(), value->data.size());
        if (terminated) data[value->data.size()] = 0;
        *size = needed;
        return ERROR_SUCCESS;
    });
}

LSTATUS RegSetValueEx(HKEY handle, const char* name, DWORD, DWORD type, const uint8_t* data, DWORD size) {
    if (!IsValid(handle)) return ERROR_INVALID_HANDLE;
    if ((handle->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
    if (type == REG_DWORD && size != 4) return ERROR_INVALID_PARAMETER;
    return Guarded([&] {
        std::string bytes(reinterpret_cast<const char*>(data), size);
        if (type == REG_SZ || type == REG_EXPAND_SZ) bytes.resize(std::strlen(bytes.c_str()));
        return ChangeHive(handle->hive, [&](Hive* hive, bool* dirty) {
            HiveKey* key = nullptr;
            LSTATUS status = KeyOfHandle(hive, handle, &key);
            if (status != ERROR_SUCCESS) return status;
            HiveValue* value = FindValue(key, NameOf(name));
            if (value != nullptr && value->type == type && value->data == bytes) return ERROR_SUCCESS;
            if (value == nullptr) {
                key->values.push_back(HiveValue{std::string(NameOf(name)), type, bytes});
            } else {
                value->type = type;
                value->data = bytes;
            }
            *dirty = true;
            return ERROR_SUCCESS;
        });
    });
}

LSTATUS RegDeleteValue(HKEY handle, const char* name) {
    if (!IsValid(handle)) return ERROR_INVALID_HANDLE;
    if ((handle->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    return Guarded([&] {
        return ChangeHive(handle->hive, [&](Hive* hive, bool* dirty) {
            HiveKey* key = nullptr;
            LSTATUS status = KeyOfHandle(hive, handle, &key);
            if (status != ERROR_SUCCESS) return status;
            HiveValue* value = FindValue(key, NameOf(name));
            if (value == nullptr) return ERROR_FILE_NOT_FOUND;
            key->values.erase(key->values.begin() + (value - key->values.data()));
            *dirty = true;
            return ERROR_SUCCESS;
        });
    });
}

LSTATUS RegDeleteTree(HKEY parent, const char* subKey) {
    if (!IsValid(parent)) return ERROR_INVALID_HANDLE;
    if (!ValidSubKey(subKey)) return ERROR_FILE_NOT_FOUND;
    return Guarded([&] {
        bool keepKey = subKey == nullptr || subKey[0] == 0;
        std::string path = JoinPath(parent->path, subKey);
        return ChangeHive(parent->hive, [&](Hive* hive, bool* dirty) {
            if (FindKey(hive, parent->path) == nullptr) return ERROR_KEY_DELETED;
            if (FindKey(hive, path) == nullptr) return ERROR_FILE_NOT_FOUND;
            RemoveTree(hive, path, keepKey);
            *dirty = true;
            return ERROR_SUCCESS;
        });
    });
}

LSTATUS RegEnumKey(HKEY handle, DWORD index, char* name, DWORD capacity) {
    if (!IsValid(handle)) return ERROR_INVALID_HANDLE;
    if ((handle->access & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
    return Guarded([&] {
        HivePtr hive;
        const HiveKey* key = nullptr;
        LSTATUS status = ReadKeyOfHandle(handle, &hive, &key);
        if (status != ERROR_SUCCESS) return status;
        std::vector<std::string> children = ChildNames(*hive, key->path);
        if (index >= children.size()) return ERROR_NO_MORE_ITEMS;
        return CopyName(children[index], name, capacity);
    });
}

LSTATUS RegEnumValue(HKEY handle, DWORD index, char* name, DWORD capacity, DWORD* type) {
    if (!IsValid(handle)) return ERROR_INVALID_HANDLE;
    if ((handle->access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    return Guarded([&] {
        HivePtr hive;
        const HiveKey* key = nullptr;
        LSTATUS status = ReadKeyOfHandle(handle, &hive, &key);
        if (status != ERROR_SUCCESS) return status;
        if (index >= key->values.size()) return ERROR_NO_MORE_ITEMS;
        if (type != nullptr) *type = key->values[index].type;
        return CopyName(key->values[index].name, name, capacity);
    });
}

LSTATUS RegCloseKey(HKEY handle) {
    if (handle == &gClassesRoot || handle == &gCurrentUser || handle == &gLocalMachine) return ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> guard(gHandlesLock);
        if (handle == nullptr || OpenHandles().erase(handle) == 0) return ERROR_INVALID_HANDLE;
    }
    delete handle;
    return ERROR_SUCCESS;
}

LSTATUS RegGetString(HKEY key, const char* name, std::string* out) {
    if (out == nullptr) return ERROR_INVALID_PARAMETER;
    return Guarded([&] {
        DWORD type = 0;
        DWORD size = 0;
        LSTATUS status = RegQueryValueEx(key, name, nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS) return status;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_UNSUPPORTED_TYPE;
        std::string text(size, '\0');
        // The value may change between the two reads; a longer one is simply asked for again.
        while ((status = RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<uint8_t*>(text.data()),
                                         &size)) == ERROR_MORE_DATA)
            text.resize(size);
        if (status != ERROR_SUCCESS) return status;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_UNSUPPORTED_TYPE;
        text.resize(size > 0 ? size - 1 : 0);
        *out = std::move(text);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegSetString(HKEY key, const char* name, std::string_view text) {
    return Guarded([&] {
        std::string terminated(text);
        return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const uint8_t*>(terminated.c_str()),
                             static_cast<DWORD>(terminated.size() + 1));
    });
}

LSTATUS RegGetDword(HKEY key, const char* name, DWORD* out) {
    if (out == nullptr) return ERROR_INVALID_PARAMETER;
    uint8_t bytes[4];
    DWORD size = sizeof bytes;
    DWORD type = 0;
    LSTATUS status = RegQueryValueEx(key, name, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_DWORD) return ERROR_UNSUPPORTED_TYPE;
    size = sizeof bytes;
    status = RegQueryValueEx(key, name, nullptr, &type, bytes, &size);
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_DWORD || size != 4) return ERROR_UNSUPPORTED_TYPE;
    *out = LoadLe32(bytes);
    return ERROR_SUCCESS;
}

LSTATUS RegSetDword(HKEY key, const char* name, DWORD value) {
    uint8_t bytes[4];
    StoreLe32(bytes, value);
    return RegSetValueEx(key, name, 0, REG_DWORD, bytes, sizeof bytes);
}

std::string HiveFilePath(HKEY root) {
    if (!IsValid(root)) return {};
    return HivePath(root->hive);
}

}  // namespace aldra
