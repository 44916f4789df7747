// Small text utilities shared by the base library.
#pragma once

#include <string>
#include <vector>

// True when the bytes read as multi-byte UTF-8: false for an empty text, for
// pure ASCII, and for a broken sequence. Overlong forms are not examined.
bool IsUtf8Text(const std::string& bytes);

// Strips every blank, tab, CR and LF from both ends, in any mix.
std::wstring TrimString(const std::wstring& text);
// Strips every character of chars from both ends; an empty set changes
// nothing.
std::wstring TrimChars(const std::wstring& text, const std::wstring& chars);
// Narrow forms: the input is read as ANSI, the result is in the OEM page.
std::string TrimStringA(const std::string& text);
std::string TrimCharsA(const std::string& text, const std::string& chars);

// Appends to pieces (never clears it) the parts of text between separators.
// Empty parts between separators or before a leading one are kept; nothing
// is added after a trailing separator or for an empty text. An empty
// separator appends the whole text as one piece.
void SplitStringEx(std::vector<std::wstring>& pieces, const std::wstring& text,
                   const std::wstring& separator, bool trimPieces);

// The text with its first occurrence of search replaced (unchanged when
// search is empty or absent).
std::wstring ReplaceFirst(const std::wstring& text, const std::wstring& search,
                          const std::wstring& replacement);
// Replace every occurrence in place and return the text. The search resumes
// after each inserted replacement, so a replacement that contains the
// search text is not replaced again; an empty search changes nothing.
std::wstring& ReplaceAll(std::wstring& text, const std::wstring& search,
                         const std::wstring& replacement);
std::wstring& ReplaceAllScan(std::wstring& text, const std::wstring& search,
                             const std::wstring& replacement);

// A lower-case (toLower true) or upper-case copy.
std::string ChangeCaseA(const std::string& text, bool toLower);
std::wstring ChangeCaseW(const std::wstring& text, bool toLower);

// "0", "1", "2", ... from a process-wide counter; safe from any thread.
std::wstring NextCounterText();

// A new 4-byte block holding c and three zeros; free it with delete[].
char* CharToCString(char c);
