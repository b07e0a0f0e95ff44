// Win32-style registry functions over the settings store. Keys are opaque handles; the two
// predefined roots never need closing. Key and value names compare case-insensitively.
#pragma once

#include "platform/base/WinTypes.h"

typedef DWORD REGSAM;

// Predefined roots. Any other handle comes from RegOpenKeyEx/RegCreateKeyEx and must be closed
// with RegCloseKey.
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)

// Access rights are accepted for compatibility; the store grants every access it can.
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_OPTION_NON_VOLATILE 0x00000000L
#define REG_CREATED_NEW_KEY 0x00000001L
#define REG_OPENED_EXISTING_KEY 0x00000002L

// Value types.
#define REG_NONE 0
#define REG_SZ 1
#define REG_BINARY 3
#define REG_DWORD 4

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// Opens an existing key below `key`. ERROR_FILE_NOT_FOUND when it does not exist.
LONG RegOpenKeyEx(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, HKEY* result);

// Opens `subKey` below `key`, creating every missing key on the way. `disposition` (may be
// NULL) tells REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
LONG RegCreateKeyEx(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                    LPSECURITY_ATTRIBUTES security, HKEY* result, LPDWORD disposition);

// Reads value `name` (NULL or "" is the key's default value). On entry `*size` is the size of
// `data` in bytes; on return it is the size of the value. `data` NULL asks only for size and
// type. A buffer that is too small gives ERROR_MORE_DATA, the needed size and no data.
// REG_SZ values count and include their terminating zero.
LONG RegQueryValueEx(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);

// Writes value `name` with `size` bytes of `data`. A REG_SZ value is stored up to its first
// zero byte within `size`.
LONG RegSetValueEx(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);

LONG RegDeleteValue(HKEY key, LPCSTR name);

struct FILETIME;
typedef FILETIME* PFILETIME;

// Name of the subkey number `index` of `key` (in the store's order). On entry `*nameLength`
// is the size of `name` in characters, terminator included; on success it is the name's
// length without it. ERROR_MORE_DATA when the name does not fit (nothing is written),
// ERROR_NO_MORE_ITEMS past the last subkey. The class and the write time are not kept:
// `keyClass` is written empty and `lastWriteTime` left alone.
LONG RegEnumKeyEx(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPSTR keyClass,
                  LPDWORD classLength, PFILETIME lastWriteTime);

// Closing a predefined root does nothing; closing anything else releases the handle.
LONG RegCloseKey(HKEY key);
