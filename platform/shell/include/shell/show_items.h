// Showing a file in its folder with the desktop's file manager.
#pragma once

#include <string>

namespace shell {

// How long the file manager may take to answer before the folder is
// opened with xdg-open instead.
constexpr int kShowItemsTimeoutMs = 3000;

// Asks the session bus's org.freedesktop.FileManager1 to show the file
// (ShowItems with its file URI), on a thread of its own so the caller never
// waits. Without a session bus, without an owner of the name, on an error
// or past the time-out, the file's folder opens with xdg-open instead.
void ShowItemInFolder(const std::string& path);

// The same, run on the calling thread; true when the file manager took the
// call, false when it fell back to xdg-open (or even that failed to start).
bool ShowItemInFolderNow(const std::string& path);

// xdg-open with `target` as its one argument, in `folder` when one is
// given; false when it could not be started.
bool SpawnXdgOpen(const std::string& target, const std::string& folder);

}  // namespace shell
