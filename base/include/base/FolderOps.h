#pragma once
// Creating and emptying folders, and file sizes.

#include <cstdint>
#include <string>

// Creates every missing folder of the path (each prefix ending at a '/' or
// '\', then the whole path). True when the folder exists at the end.
bool CreateFolderChain(const std::wstring& path);
// 0 when the folder exists at the end, -1 when a step fails.
int CreateDirectoryTreeA(const std::wstring& path);
int CreateDirectoryTreeNarrow(const char* path);
// Creates the folder a file path lies in; 0 on success, -1 on failure.
int CreateParentFolder(const std::wstring& filePath);
// Creates the folder chain of a folder path; 0 on success, -1 on failure.
int CreateFolderShell(const std::wstring& folderPath);

// Deletes the files below a folder, and with removeSubfolders the
// subfolders too; the folder itself stays. Returns 1.
int DeleteDirectoryTree(const std::wstring& folder, bool removeSubfolders);
// DeleteDirectoryTree, then the folder itself; whether that removal worked.
bool DeleteDirectory(const std::wstring& folder, bool removeSubfolders);
// Deletes the files directly in a folder; subfolders are left alone.
bool DeleteFilesInFolder(const std::wstring& folder);

// The size in bytes; -1 when the file cannot be opened.
int64_t GetFileSize64(const std::wstring& path);
// The size of the first file matching a path or wildcard pattern; 0 when
// nothing matches.
uint64_t GetFileSizeByFind(const std::wstring& pattern);
