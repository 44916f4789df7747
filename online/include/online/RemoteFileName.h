// The name a download is saved under, taken from what the server and the
// URL say but never trusted as a path: only a plain file name in the
// chosen folder comes out.
#pragma once

#include <string>

// Quotation marks and ';' removed, blanks trimmed, only the part after the
// last '/' or '\' kept; "", "." and ".." give the empty text.
std::wstring SafeFileName(const std::wstring& raw);

// The filename of a Content-Disposition line among the response headers
// (UTF-8), quoted or bare, made safe; empty when there is none.
std::wstring FileNameFromHeaders(const std::string& headers);

// The last path component of the decoded URL, its query included, made
// safe; empty when the URL has no path or its path ends with '/'.
std::wstring FileNameFromUrl(const std::string& url);
