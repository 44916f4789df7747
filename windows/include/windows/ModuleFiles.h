#pragma once
// The modules the program loads by their Windows names, and the shared
// objects in the program's folder that stand for them here. Start-up
// installs the map (Win32SetModuleFileMap) before anything is loaded.

#include "win32/modules.h"

inline constexpr Win32ModuleFileMapEntry kModuleFiles[] = {
    {L"render-skia.dll", L"render-cairo.so"},
    {L"imgdecoder-gdip.dll", L"imgdecoder-pixbuf.so"},
    {L"node.dll", L"webengine-webkitgtk.so"},
    {L"Palvane.dll", L"libPalvane.so"},
};

inline void InstallModuleFileMap() { Win32SetModuleFileMap(kModuleFiles, sizeof kModuleFiles / sizeof kModuleFiles[0]); }
