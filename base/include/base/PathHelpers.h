#pragma once
// Free helpers over wide paths held in standard wide strings. Both '/' and
// '\' are read as separators; paths these helpers produce use '/', and a
// folder path they produce ends with '/'. An empty text never gets a
// separator appended.

#include <cstddef>
#include <cstdint>
#include <string>

// Every '\' becomes '/', in place.
void NormalizePathSeparators(std::wstring& path);
// NormalizePathSeparators; always true.
bool NormalizePath(std::wstring& path);
// Separators normalised, letters lower-cased, one trailing separator removed.
void NormalizePathKey(std::wstring& path);
// Removes one trailing separator from path itself and returns a copy.
std::wstring RemoveTrailingSeparator(std::wstring& path);
// Appends '/' unless the text is empty or already ends with a separator.
void AppendSlash(std::wstring& path);
// AppendSlash, then NormalizePathSeparators.
void AppendPathSeparator(std::wstring& path);

// The absolute form of path, made lexically (the file need not exist):
// relative to the current folder, "." and ".." resolved. False only for a
// null path, which leaves out as it was.
bool GetFullPath(const wchar_t* path, std::wstring& out);
// The running program's full path; false (out unchanged) when unreadable.
bool GetModuleFilePath(std::wstring& out);
// The running program's folder, ending with '/'.
bool GetModuleDir(std::wstring& out);
// The current folder, ending with '/'.
bool GetCurrentDir(std::wstring& out);
// The per-user application-data folder ($XDG_DATA_HOME, else
// ~/.local/share), ending with '/'; empty when it cannot be found.
void GetSpecialFolderPath(std::wstring& out);
// $TMPDIR, else /tmp, ending with '/'; empty when it is not a folder.
void GetTempDir(std::wstring& out);

// Splits a path made absolute: drive (always empty: there are no drive
// letters), folder ending with '/', name, extension with its dot, the last
// folder's name, and drive plus folder. An existing folder counts wholly as
// folder. False when the path cannot be split (null, or longer than
// MAX_PATH - 1 characters).
bool SplitPath(const wchar_t* path, std::wstring& drive, std::wstring& folder, std::wstring& name,
               std::wstring& extension, std::wstring& lastFolder, std::wstring& driveFolder);
// The last element of the path (a trailing separator kept).
std::wstring GetFileNameOfPath(const std::wstring& path);
// The extension of the last element, dot included; empty when it has none.
std::wstring GetFileExtension(const std::wstring& path);
// Drive plus folder and name of SplitPath followed by newExtension as given
// (the caller supplies the dot); empty when the split fails.
std::wstring ChangeFileExtension(const std::wstring& path, const std::wstring& newExtension);
// An existing folder or a path shorter than 4 characters: the normalised
// path itself. Otherwise the path without its last element, ending with
// '/'; empty when there is no element to remove.
std::wstring GetParentDir(const std::wstring& path);
std::wstring NormalizePathLower(const std::wstring& path);
// Both normalised lower-case forms are non-empty and equal.
bool IsSamePath(const std::wstring& a, const std::wstring& b);
// A sibling of base whose file name carries name: type 0 name+stem, 1
// stem+name, 2 name+stem+name, the extension kept. On an unknown type out
// holds "PathAppendName->" and the reason, and the result is false.
bool PathAppendName(const std::wstring& name, int type, const std::wstring& base,
                    std::wstring& out);

bool FileExists(const std::wstring& path);
bool IsDirectory(const std::wstring& path);
// An existing regular file (not a folder, device, pipe or socket).
bool IsNormalFile(const std::wstring& path);
// An existing file whose owner may not write it.
bool IsReadOnlyFile(const std::wstring& path);
// The existing file can be opened for reading and writing.
bool IsFileWritable(const std::wstring& path);
// The size in bytes; -1 for a null path or a file that cannot be opened.
int64_t GetFileSizeOfPath(const wchar_t* path);

// Writes size bytes to path through a temporary file in the same folder
// that then replaces it, so a failed write leaves the old file as it was.
// False for an empty path, null data, a size of 0 or any failure.
bool WriteWholeFile(const void* data, size_t size, const std::wstring& path);
// Reads a UTF-16LE file; a zero character ends the text of each 259-unit
// piece, as the file is read piece by piece. False (out empty) on failure.
bool ReadWholeFile(std::wstring& out, const std::wstring& path);
// Reads a text file written in the ANSI code page (GBK) as the runtime's
// text mode does, CR LF read as LF. The process locale is left alone.
// False for an empty path or a file that cannot be read.
bool ReadTextFile(std::wstring& out, const std::wstring& path);
// The same into a caller's buffer of bufferBytes bytes, terminated. False
// when the file is not shorter than bufferBytes, or when the text does not
// fit the buffer (which is then zeroed).
bool ReadTextFileToBuffer(wchar_t* buffer, const std::wstring& path, size_t bufferBytes);

// Move or copy a file or folder, replacing an existing target; with
// renameOnCollision an existing target is kept and the source goes to the
// first free name "name (2).ext", "name (3).ext", ...
bool MoveFileOp(bool renameOnCollision, const std::wstring& from, const std::wstring& to);
bool CopyFileOp(bool renameOnCollision, const std::wstring& from, const std::wstring& to);
// Deletes a file, or a folder with everything in it. Nothing goes to a
// trash folder.
bool DeleteFileOp(const std::wstring& path);
