// What the file chooser knows about folders, apart from its window: reading
// a folder's entries, which of them it shows and in what order, the type
// filters, and the paths it forms from what the user clicks and types.
// Paths are absolute, '/'-separated and carry no trailing '/' (the root
// itself is "/").
#pragma once

#include <cstdint>
#include <ctime>
#include <vector>

#include "core/SArray.h"
#include "core/SString.h"

namespace ORIEL {

struct FolderEntry {
  SStringW name;
  bool isFolder = false;  // a link to a folder counts as a folder
  int64_t size = 0;
  time_t modified = 0;
};

// The entries of a folder, links followed, dot entries and entries whose
// target cannot be reached left out. False when the folder cannot be read.
bool ReadFolderEntries(const SStringW& folder, std::vector<FolderEntry>& out);

// Folders first, then by name without regard to case (then with it).
void SortFolderEntries(std::vector<FolderEntry>& entries);

// Whether a file name matches a filter pattern: one or more wildcard
// patterns joined by ';' ("*.mp3;*.wav"), compared without regard to case.
// An empty pattern, "*" and "*.*" match every name.
bool MatchesFilterPattern(const SStringW& name, const SStringW& pattern);

// What the chooser lists: folders only when picking folders; otherwise the
// folders and the files that match the pattern. Sorted.
std::vector<FolderEntry> VisibleEntries(const std::vector<FolderEntry>& all, bool pickFolders,
                                        const SStringW& pattern);

// `name` inside `folder`.
SStringW JoinPath(const SStringW& folder, const SStringW& name);
// The folder above; the root stays the root.
SStringW ParentFolder(const SStringW& folder);
// The absolute form of what the user typed into the path field: "~" is the
// home folder, a relative path starts at `current`, "." and ".." are
// resolved as written, repeated and trailing '/' dropped.
SStringW ResolveTypedPath(const SStringW& typed, const SStringW& current);
// The home folder ($HOME), else "/".
SStringW HomeFolder();
bool IsFolderPath(const SStringW& path);
bool IsFilePath(const SStringW& path);

// The size column: whole kilobytes rounded up ("0 KB" only for an empty
// file), thousands grouped ("1,234 KB").
SStringW FormatEntrySize(int64_t bytes);
// The modified column in local time: "2024/03/05 14:07".
SStringW FormatEntryTime(time_t when);

// Appends the files under `path`: a path that is not a folder is appended
// as given; a folder (one trailing separator removed) is searched, its
// subfolders in turn, and every file in it appended as folder/name.
// Links to folders are not followed, so a link loop cannot run away.
void CollectFilesRecursive(const SStringW& path, SStringWArray& files);

}  // namespace ORIEL
