// Appends lines of text to one UTF-16LE log file and remembers the last one.
//
// File format: a file the logger creates (or finds empty) starts with the
// byte-order mark FF FE; each entry is CR LF, the text, CR LF, with every LF
// inside the text stored as CR LF. With no path the logger only keeps the
// last text. With keep-open false the file is closed after each entry.
//
// Open failures never lose the last text and never write through a null
// stream; they are reported by the bool results.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

class CLogger {
 public:
  CLogger();
  ~CLogger();
  CLogger(const CLogger&) = delete;
  CLogger& operator=(const CLogger&) = delete;

  // Stores both and opens the file at once (created with its BOM when
  // missing), closing it again unless keepOpen. A file open on another path
  // is closed first. False when the file cannot be opened.
  bool SetFile(bool keepOpen, const std::wstring& path);

  // The text becomes the last text; with a path, one entry is written.
  // False only when a path is set and the entry did not reach the file.
  bool WriteLine(const std::wstring& text);

  std::wstring GetLastText();
  std::wstring GetFile();

  // Called with the lock held by the operations above (no lock of their
  // own). Open does nothing when a file is already open.
  bool Open();
  void Close();
  bool IsOpen();

  // Writes the stored last text as one entry.
  bool WriteLast();

 private:
  bool WriteEntryLocked(const std::wstring& text);
  bool CloseFile();

  std::mutex mutex_;
  bool keepOpen_ = true;
  FILE* file_ = nullptr;
  std::wstring path_;
  std::wstring lastText_;
};
