// Images, icons and cursors from files or resource bytes. An HICON or
// HCURSOR is an ARGB picture plus a hot spot (the GDI layer's icon); an
// HBITMAP a 32-bit DIB section. Decoding goes through gdk-pixbuf, so PNG,
// ICO, CUR and BMP files all load.
#pragma once

#include "win32/types.h"

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x0000
#define LR_LOADFROMFILE 0x0010
#define LR_DEFAULTSIZE 0x0040
#define LR_CREATEDIBSECTION 0x2000

// Only LR_LOADFROMFILE loads: the program has no PE resources, its bundle
// is read by the framework's resource providers, which pass file paths.
// Icons and cursors are scaled to cx x cy when both are non-zero.
HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad);
// An icon or cursor from the bytes of an image (PNG, ICO, CUR); a cursor
// takes the file's hot spot, (0, 0) for formats without one. Version
// 0x00030000 is the only format version.
HICON CreateIconFromResource(const BYTE* presbits, DWORD dwResSize, BOOL fIcon, DWORD dwVer);
