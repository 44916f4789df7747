#pragma once
// Rewriting a recording's tags on a worker of the task pool: the file is
// copied stream by stream with the new tags into a free name beside it,
// which then replaces it in one rename. The new file keeps the original's
// mode, owner and group; a path through a symbolic link rewrites the file
// the link names; a read-only file is refused and left as it is. The
// result goes to the dialog as UM_ID3_RESULT.

#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include "base/ITask.h"
#include "core/SString.h"
#include "mediaconvert/MCMediaTags.h"
#include "win32/windows.h"

class MCMediaConvert;

// wParam: 0 success, -1 cancelled, -2 failed; lParam 0.
constexpr UINT UM_ID3_RESULT = 0x2F0B;
constexpr int kId3ResultDone = 0;
constexpr int kId3ResultCancelled = -1;
constexpr int kId3ResultFailed = -2;
// The format id of m4r files, which are written by the "ipod" muxer.
constexpr int kFormatIdM4r = 6;

class CTaskId3 : public ITask {
 public:
  CTaskId3(SStringW path, int formatId, const MCMediaTags& tags, HWND dialog);
  ~CTaskId3() override;

  bool Run() override;  // always false: the task runs once
  bool Stop() override { return Cancel(); }
  bool Cancel();

  int Result() const { return result_.load(); }

 private:
  int Rewrite();

  std::mutex jobMutex_;
  MCMediaConvert* job_ = nullptr;
  MCMediaTags tags_;
  SStringW path_;
  HWND dialog_;
  std::atomic<bool> cancelled_{false};
  int formatId_;
  std::atomic<int> result_{kId3ResultFailed};
};

// Whether a file can carry ID3 texts, judged by its extension whatever its
// letter case: ac3, mp2, amr and files without an extension cannot.
bool Id3FormatSupported(const std::wstring& path);

// The texts the ID3 dialog shows. An absent tag has no value, which keeps
// a real text such as "无" apart from "no tag"; a file that cannot be
// probed gives every field absent.
struct CId3Fields {
  std::optional<std::wstring> title;
  std::optional<std::wstring> artist;
  std::optional<std::wstring> genre;
  std::optional<std::wstring> album;
  std::optional<std::wstring> year;
  bool probed = false;
  MCMediaTags tags;  // the file's tag part with its container names
};
CId3Fields ReadId3Fields(const std::wstring& path);
