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
// UpdateLayeredWindowIndirect and GetDpiForWindow; anything else null with
// ERROR_PROC_NOT_FOUND.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

// Debugger output: the ANSI form takes GBK text; both write UTF-8 to
// standard error.
void OutputDebugStringA(LPCSTR lpOutputString);
void OutputDebugStringW(LPCWSTR lpOutputString);

#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
