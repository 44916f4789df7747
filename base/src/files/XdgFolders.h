#pragma once
// The user's folders as the XDG base-directory and user-dirs conventions
// name them. Each is an absolute path without a trailing separator, or
// empty when it cannot be found.

#include <string>

std::wstring HomeFolder();
// $XDG_DATA_HOME, else ~/.local/share.
std::wstring XdgDataHome();
// $XDG_CONFIG_HOME, else ~/.config.
std::wstring XdgConfigHome();
// The XDG_<key>_DIR entry of user-dirs.dirs, else ~/<fallbackName>.
std::wstring XdgUserDir(const char* key, const wchar_t* fallbackName);
