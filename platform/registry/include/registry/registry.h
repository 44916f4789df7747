// The registry as the system calls it (advapi32 and shlwapi), over a small
// store of our own: one UTF-16LE file per hive under the XDG config folder
// ($XDG_CONFIG_HOME, else ~/.config, then "Quorvale/registry/<HIVE>.reg").
//
// Key and value names compare without regard to case and keep the case
// they were created with. The Run keys of both hives
// ("Software\Microsoft\Windows\CurrentVersion\Run") always exist, as they
// do on Windows.
// Setting a string value under the current user's Run key also writes the
// XDG autostart entry "$XDG_CONFIG_HOME/autostart/<value name>.desktop"
// that starts its command at logon; deleting the value deletes the entry.
//
// String values (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) cross this interface
// as wchar_t text, but their byte counts are the UTF-16 counts a Windows
// caller computes (characters × 2, the ending zero included when the
// caller counts it): RegSetValueExW reads cbData / 2 wchar_t from lpData,
// and RegQueryValueExW reports UTF-16 byte counts and writes into lpData at
// most *lpcbData / 2 wchar_t. The store keeps such values as UTF-16LE.
// Other types are stored and returned byte for byte.
//
// Every call returns ERROR_SUCCESS (0) or a Windows error code; a store
// file that cannot be read as one is set aside as "<file>.damaged" (or
// "<file>.damaged(n)", keeping earlier ones).
#pragma once

#include <string>

#include "win32/errors.h"
#include "win32/types.h"

typedef HKEY* PHKEY;
typedef DWORD REGSAM;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7
#define REG_QWORD 11

#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

#define ERROR_BADDB 1009L
#define ERROR_KEY_DELETED 1018L
#define ERROR_KEY_HAS_CHILDREN 1020L
#define ERROR_WRITE_FAULT 29L

// lpSubKey null or empty opens hKey itself again. A missing key fails
// with ERROR_FILE_NOT_FOUND; keys are never created here.
LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
// Opens the key, creating it and every missing key above it.
LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                     PHKEY phkResult, LPDWORD lpdwDisposition);
LONG RegCloseKey(HKEY hKey);

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);
// With lpData null only the type and size are reported. A buffer too small
// gives ERROR_MORE_DATA with the size needed in *lpcbData.
LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData);
// A missing value gives ERROR_FILE_NOT_FOUND.
LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);
// Deletes a key that has no sub keys (its values go with it).
LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);

// Deletes the sub key with everything under it.
DWORD SHDeleteKeyW(HKEY hKey, LPCWSTR pszSubKey);
// Deletes the sub key only when it has neither sub keys nor values
// (ERROR_KEY_HAS_CHILDREN otherwise).
DWORD SHDeleteEmptyKeyW(HKEY hKey, LPCWSTR pszSubKey);

namespace registry {

// The file that holds a predefined hive; empty for an unknown root or when
// no config folder can be found.
std::wstring HiveFilePath(HKEY root);
// The autostart entry that a Run value of this name stands for.
std::wstring AutostartEntryPath(const std::wstring& valueName);

}  // namespace registry
