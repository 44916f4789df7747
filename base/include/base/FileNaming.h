#pragma once
// Free names for files about to be written, and the parts of a path.
// Both '/' and '\' are read as separators; a folder part ends with '/'.

#include <string>

#include "core/SString.h"

// A free name for path, reserved by creating it empty: the path itself,
// else title(0).ext, title(1).ext, ... in the same folder; with
// convertSuffix title_convert.ext, title_convert(0).ext, ... The name is
// taken with an exclusive create, so an existing file is never truncated,
// not even one another process made in between. A title that would make a
// name longer than the file system's 255 bytes is cut at a character
// boundary first. Only a name that now exists is returned: empty when every
// candidate is taken or the chosen one cannot be created (a missing folder,
// no permission). Throws std::system_error when its lock cannot be taken.
SStringW MakeUniqueFileName(const SStringW& path, bool convertSuffix);
// The same search with the suffix "_pxAudio", names cut to the same limit;
// no lock, no file created.
SStringW MakeUniqueNameNoLock(const SStringW& path, bool suffix);
// As MakeUniqueFileName under a lock of its own; the counter follows the
// suffix without parentheses: title_convert0.ext, title_convert1.ext, ...
std::wstring MakeUniqueFileNameStd(const std::wstring& path, bool convertSuffix);

// Up to and including the last separator, which is written '/'.
SStringW GetFileDir(const SStringW& path);
// The file name without the part from its last '.' on.
SStringW GetFileTitle(const SStringW& path);
// The text after the last '.' of the file name; empty when it has none.
SStringW GetFileExt(const SStringW& path);
std::wstring GetPathDir(const std::wstring& path);
std::wstring GetPathTitle(const std::wstring& path);
std::wstring GetPathExtension(const std::wstring& path);
std::wstring GetFileExtW(const std::wstring& path);
std::wstring GetFileTitleStd(const std::wstring& path);
// From the last separator (kept, written '/') up to the file name's last
// '.': "/b" of "C:/a/b.mp3", so a folder without a trailing separator can
// be joined with it directly; from the start when there is no separator.
std::string GetFileTitleNarrow(const std::string& path);
// The text before the last separator; the whole text without one.
std::string GetFileDirNarrow(const std::string& path);
std::string GetFileExtNarrow(const std::string& path);
// The path without its last element, ending with the separator before it.
bool GetParentFolder(const std::wstring& path, std::wstring& out);
// The last element of the path, a trailing separator ignored.
bool GetLastPathPart(const std::wstring& path, std::wstring& out);
