// The registry calls the filter makes, under their Windows names. There is no registry on Linux, so
// each hive is a REGEDIT4 text file in the user's configuration folder:
//   folder = $ALDRA_REGISTRY_DIR if set and non-empty, else $XDG_CONFIG_HOME/aldra, else
//            $HOME/.config/aldra (looked up at every call)
//   HKEY_CURRENT_USER -> user.reg, HKEY_CLASSES_ROOT -> classes.reg, HKEY_LOCAL_MACHINE -> machine.reg
// Every call looks at the file afresh and every change rewrites it whole under a lock, so several
// processes can share one hive; a call parses the file again only when it is not the version (inode,
// size and times to the nanosecond) this process parsed last. A hive file that does not parse is never
// touched: every call on it fails with ERROR_BADDB.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace aldra {

using LSTATUS = int32_t;
using DWORD = uint32_t;

struct RegKey;
using HKEY = RegKey*;

// Closing one of these is a no-op that succeeds.
extern HKEY const HKEY_CLASSES_ROOT;
extern HKEY const HKEY_CURRENT_USER;
extern HKEY const HKEY_LOCAL_MACHINE;

inline constexpr LSTATUS ERROR_SUCCESS = 0;
inline constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
inline constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
inline constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
inline constexpr LSTATUS ERROR_OUTOFMEMORY = 14;
inline constexpr LSTATUS ERROR_WRITE_FAULT = 29;
inline constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
inline constexpr LSTATUS ERROR_MORE_DATA = 234;
inline constexpr LSTATUS ERROR_NO_MORE_ITEMS = 259;
inline constexpr LSTATUS ERROR_BADDB = 1009;
inline constexpr LSTATUS ERROR_CANTWRITE = 1013;
inline constexpr LSTATUS ERROR_KEY_DELETED = 1018;
// RegGetString / RegGetDword on a value of another type (as RegGetValue answers on Windows).
inline constexpr LSTATUS ERROR_UNSUPPORTED_TYPE = 1630;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

inline constexpr DWORD KEY_QUERY_VALUE = 0x0001;
inline constexpr DWORD KEY_SET_VALUE = 0x0002;
inline constexpr DWORD KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr DWORD KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr DWORD KEY_READ = 0x20019;
inline constexpr DWORD KEY_WRITE = 0x20006;
inline constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Handles carry the access they were opened with, checked as Windows does: values need
// KEY_QUERY_VALUE to read and KEY_SET_VALUE to change, RegCreateKeyEx needs KEY_CREATE_SUB_KEY on
// the parent to add a key, RegEnumKey needs KEY_ENUMERATE_SUB_KEYS.
// A handle whose key was deleted (by this or another process) answers ERROR_KEY_DELETED.
// Key paths use "\\" between names; names compare without regard to ASCII case and keep the case
// they were created with. Values are stored as the bytes given, never converted.

// The key must exist; a null or empty subKey opens a new handle on parent.
LSTATUS RegOpenKeyEx(HKEY parent, const char* subKey, DWORD options, DWORD sam, HKEY* out);
// Creates every missing key of the path; disposition may be null.
LSTATUS RegCreateKeyEx(HKEY parent, const char* subKey, DWORD reserved, const char* cls, DWORD options,
                       DWORD sam, void* security, HKEY* out, DWORD* disposition);
// A null or empty name is the key's default value. With data null only *size is set (bytes; REG_SZ
// counts its terminating zero); a buffer too small gives ERROR_MORE_DATA and the size needed.
LSTATUS RegQueryValueEx(HKEY key, const char* name, DWORD* reserved, DWORD* type, uint8_t* data, DWORD* size);
// REG_SZ and REG_EXPAND_SZ take the bytes up to the first zero within size; REG_DWORD needs size 4
// (little-endian); other types keep the bytes as given.
LSTATUS RegSetValueEx(HKEY key, const char* name, DWORD reserved, DWORD type, const uint8_t* data,
                      DWORD size);
LSTATUS RegDeleteValue(HKEY key, const char* name);
// The key and everything below it; a null or empty subKey empties the handle's key but keeps it.
LSTATUS RegDeleteTree(HKEY parent, const char* subKey);
// capacity counts the terminating zero. ERROR_NO_MORE_ITEMS past the end, ERROR_MORE_DATA if the
// name does not fit. Keys come in creation order, values likewise; the default value's name is "".
LSTATUS RegEnumKey(HKEY key, DWORD index, char* name, DWORD capacity);
LSTATUS RegEnumValue(HKEY key, DWORD index, char* name, DWORD capacity, DWORD* type);
LSTATUS RegCloseKey(HKEY key);

// REG_SZ or REG_EXPAND_SZ into a std::string.
LSTATUS RegGetString(HKEY key, const char* name, std::string* out);
LSTATUS RegSetString(HKEY key, const char* name, std::string_view text);
LSTATUS RegGetDword(HKEY key, const char* name, DWORD* out);
LSTATUS RegSetDword(HKEY key, const char* name, DWORD value);

// The file behind the hive of any valid handle; empty for an invalid one or when no folder can be
// determined.
std::string HiveFilePath(HKEY root);

}  // namespace aldra
