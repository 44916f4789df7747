// kernel32's module calls and the debugger output. The program is the one
// module with a handle; "user32" names a pseudo module whose entry points
// are resolved by name as the system probes them.
#pragma once

#include "win32/types.h"

typedef void (*FARPROC)();

// Null gives the program's handle; "user32" (any case, ".dll" optional)
// the user32 pseudo module; anything else null with ERROR_MOD_NOT_FOUND.
HMODULE GetModuleHandleW(LPCWSTR lpModuleName);
// The program's path (/proc/self/exe) for the program's handle or null.
// Returns the characters copied; a short buffer gets the cut, terminated
// text, nSize as the result and ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
// The user32 pseudo module answers UpdateLayeredWindow,
// UpdateLayeredWindowIndirect and GetDpiForWindow; a module from
// LoadLibraryW its exported symbol; anything else null with
// ERROR_PROC_NOT_FOUND.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

// Loads a shared object. A name with a '/' is a path; a bare name is looked
// up in the map the program installs (Win32SetModuleFileMap, names compared
// without regard to case), else "X.dll" becomes "X.so", and is found in the
// program's folder. Null with ERROR_MOD_NOT_FOUND (dlerror's text in
// Win32ModuleLoadError) when it cannot be loaded. Each load counts; the
// module stays until as many FreeLibrary calls.
HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
// False with ERROR_INVALID_HANDLE for a handle LoadLibraryW did not give.
BOOL FreeLibrary(HMODULE hLibModule);
// Why the calling thread's last LoadLibraryW failed.
const wchar_t* Win32ModuleLoadError();

// Bare module names (as the program's Windows build knows them) to file
// names in the program's folder, e.g. {"render-skia.dll", "render-cairo.so"}.
struct Win32ModuleFileMapEntry {
  const wchar_t* moduleName;
  const wchar_t* fileName;
};
void Win32SetModuleFileMap(const Win32ModuleFileMapEntry* entries, size_t count);

// Debugger output: the ANSI form takes GBK text; both write UTF-8 to
// standard error.
void OutputDebugStringA(LPCSTR lpOutputString);
void OutputDebugStringW(LPCWSTR lpOutputString);

#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
