#pragma once
// One running instance: a second start finds the first and hands over.

#include <string>

#include "win32/types.h"

// True when another instance already runs (after asking the display layer
// to restore and raise that instance's main window, when it has one);
// false for the first instance, which keeps the single-instance mutex for
// the life of the process.
bool CheckRunningInstance();
// 1 after the window was restored and raised, 0 when the handle is not a
// window or the display cannot raise it.
int BringWindowToFront(HWND window);

// The first top-level window of that class and title (an empty text
// matches any), or null.
HWND FindWindowByNames(const std::wstring& className, const std::wstring& title);
// Looks for the window every 100 ms until it appears or timeoutMs passes
// (a timeout of 0 looks once).
HWND WaitForWindow(const std::wstring& title, const std::wstring& className, DWORD timeoutMs);
// A window's title and class name, wide or in the OEM code page; empty for
// a null handle.
std::wstring WindowTextW(HWND window);
std::string WindowTextOem(HWND window);
std::wstring WindowClassW(HWND window);
std::string WindowClassOem(HWND window);
