// A look at a settings file before the program reads it: what is in its
// place, and whether it is a file of ours at all.
#pragma once

#include <string>

namespace base {

struct IniFileCheck {
  // Something stands in the file's place that is not a settings file of
  // ours; problem says what.
  bool damaged = false;
  // Where the damaged thing now is; empty when it could not be moved (then
  // problem says why too).
  std::wstring setAsideAs;
  // Empty when the file is fine or missing.
  std::wstring problem;
};

// Damaged are: bytes that are not a UTF-16LE INI file (random, cut short,
// another encoding, a second byte-order mark, far too large), a folder or
// anything else that is no regular file, and a symbolic link that leads
// nowhere, into a loop or to something that is no regular file. A damaged
// thing is renamed to "<file>.damaged" (".damaged-2", ...; an older copy
// is never replaced) - the link itself, or the file a good link leads to -
// so the program starts the file anew with its defaults and nothing is
// lost. A file that merely cannot be read (no permission) stays where it
// is, with the problem reported. A missing file is fine.
IniFileCheck SetAsideDamagedIniFile(const std::wstring& file);

}  // namespace base
