// The profile functions over our own INI engine.
//
// Behaves as the Windows functions of the same names do for the program's
// settings files: section and key names match without regard to case;
// values are trimmed and one pair of surrounding quotes is removed; an
// existing key is updated in place, a new key goes after the last line of
// its section and a new section at the end of the file; a null key deletes
// the section and a null value the key. Files are UTF-16LE with the mark
// FF FE and CR LF line ends, so a file written by the Windows program reads
// back the same here, and the reverse.
//
// A file that is not such a file (see IniFile.h under src/ini) reads as if
// the keys were missing; a write sets its bytes aside as "<file>.damaged"
// and starts the file anew. Every call of this header and its outcome is
// serialised inside the process, and each one leaves what went wrong, or
// nothing, in IniLastErrorText() of the calling thread.
#pragma once

#include <memory>
#include <string>

#include "win32/types.h"

// Copies the value, or lpDefault (trailing blanks removed) when the key is
// missing, cut to nSize - 1 characters; returns the characters copied. A
// null lpKeyName lists the section's keys, a null lpAppName the sections,
// each name followed by a NUL and the list by another (cut to nSize - 2).
DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                               LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);

// The value's leading decimal integer (0 when it has no digits), or nDefault
// when the key is missing or its value empty.
UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);

// Sets, or with a null lpString deletes, one key; with a null lpKeyName
// deletes the section. Creates a missing file. Returns TRUE (1) when the
// file holds the change, FALSE when it could not be written or the names or
// value would break the file's lines (a line break in any of them, a key
// that starts with '[' or ';' or holds '=', a section name with ']').
BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                LPCWSTR lpFileName);

namespace base {

// What went wrong in this thread's last profile call: a damaged or
// unreadable file, a file set aside, a refused write. Empty when nothing.
std::wstring IniLastErrorText();

// The whole value, however long (the Windows functions cut it to their
// buffer). False when the section or key is missing or the file is damaged.
bool IniReadValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                  std::wstring& value);

// Creates a file holding only FF FE when it does not exist yet.
bool IniCreateEmptyFile(const std::wstring& file);

// One settings file read once and written once: a reader of many keys
// parses the file one time, not once per key, and a writer of many keys
// replaces the file one time, so a crash in the middle of a save leaves
// the whole old file or the whole new one. The same rules as the profile
// functions above apply to names, values and damaged files.
class IniFileBatch {
 public:
  // Reads the file now.
  explicit IniFileBatch(std::wstring file);
  ~IniFileBatch();
  IniFileBatch(const IniFileBatch&) = delete;
  IniFileBatch& operator=(const IniFileBatch&) = delete;

  // The whole value as read at construction with this batch's own changes
  // applied. False when the section or key is missing or the file could
  // not be read (problem() says why).
  bool Find(const std::wstring& section, const std::wstring& key, std::wstring& value) const;
  // Keeps the change for Commit; false (problem() says why) when the names
  // or the value would break the file's lines.
  bool Set(const std::wstring& section, const std::wstring& key, const std::wstring& value);
  // Applies every kept change to the file as it is now, under the folder
  // lock, in one replace; the changes are then dropped. True when the file
  // holds them all; problem() may hold a note even then.
  bool Commit();
  // What went wrong in the last operation; empty when nothing.
  const std::wstring& problem() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace base
