#include "mediaconvert/MCMediaInfo.h"

#include <dlfcn.h>
#include <locale.h>

#include <mutex>

#include "base/CodePage.h"
#include "crt/wtoi.h"

namespace {

// The library's C interface, declared here: stream kinds and info kinds
// are plain enums of the published interface.
enum MediaInfoStream { kStreamGeneral = 0, kStreamVideo = 1, kStreamAudio = 2 };
enum MediaInfoInfo { kInfoName = 0, kInfoText = 1 };

using NewFn = void* (*)();
using OpenFn = size_t (*)(void*, const wchar_t*);
using GetFn = const wchar_t* (*)(void*, int, size_t, const wchar_t*, int, int);
using CloseFn = void (*)(void*);
using DeleteFn = void (*)(void*);

struct MediaInfoLib {
  void* handle = nullptr;
  NewFn create = nullptr;
  OpenFn open = nullptr;
  GetFn get = nullptr;
  CloseFn close = nullptr;
  DeleteFn destroy = nullptr;
  bool loaded = false;
  std::string soname = "libmediainfo.so.0";
};

std::mutex gLibMutex;
MediaInfoLib gLib;

const MediaInfoLib& Library() {
  std::lock_guard<std::mutex> lock(gLibMutex);
  if (!gLib.loaded) {
    gLib.loaded = true;
    gLib.handle = dlopen(gLib.soname.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (gLib.handle != nullptr) {
      gLib.create = reinterpret_cast<NewFn>(dlsym(gLib.handle, "MediaInfo_New"));
      gLib.open = reinterpret_cast<OpenFn>(dlsym(gLib.handle, "MediaInfo_Open"));
      gLib.get = reinterpret_cast<GetFn>(dlsym(gLib.handle, "MediaInfo_Get"));
      gLib.close = reinterpret_cast<CloseFn>(dlsym(gLib.handle, "MediaInfo_Close"));
      gLib.destroy = reinterpret_cast<DeleteFn>(dlsym(gLib.handle, "MediaInfo_Delete"));
      if (!gLib.create || !gLib.open || !gLib.get || !gLib.close || !gLib.destroy) {
        gLib.create = nullptr;
      }
    }
  }
  return gLib;
}

// The library turns a wide path into bytes through the C library's
// multibyte conversion, which in the process's C locale fails on every
// non-ASCII name (the default output folder has one). This thread speaks
// UTF-8 for the duration of a query; other threads are not affected.
class Utf8CtypeScope {
 public:
  Utf8CtypeScope() {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    previous_ = utf8 ? uselocale(utf8) : static_cast<locale_t>(0);
  }
  ~Utf8CtypeScope() {
    if (previous_) uselocale(previous_);
  }
  Utf8CtypeScope(const Utf8CtypeScope&) = delete;
  Utf8CtypeScope& operator=(const Utf8CtypeScope&) = delete;

 private:
  locale_t previous_;
};

std::wstring QueryField(const std::wstring& path, int stream, const wchar_t* field) {
  const MediaInfoLib& lib = Library();
  if (lib.create == nullptr) return std::wstring();
  Utf8CtypeScope utf8;
  void* handle = lib.create();
  if (handle == nullptr) return std::wstring();
  std::wstring value;
  if (lib.open(handle, path.c_str()) != 0) {
    const wchar_t* text = lib.get(handle, stream, 0, field, kInfoText, kInfoName);
    if (text != nullptr) value = text;
    lib.close(handle);
  }
  lib.destroy(handle);
  return value;
}

// The text up to and including the first ':', and what follows it; the
// whole text and nothing when there is none.
void SplitAtColon(const std::wstring& text, std::wstring& head, std::wstring& rest) {
  const size_t colon = text.find(L':');
  if (colon == std::wstring::npos) {
    head = std::wstring();
    rest = text;
    return;
  }
  head = text.substr(0, colon + 1);
  rest = text.substr(colon + 1);
}

}  // namespace

double MCParseDurationText(const std::wstring& text) {
  std::wstring head, rest, minutesHead, secondsText;
  SplitAtColon(text, head, rest);
  const double hours = _wtof(head.c_str());
  SplitAtColon(rest, minutesHead, secondsText);
  const double minutes = _wtof(minutesHead.c_str());
  const double seconds = _wtof(secondsText.c_str());
  return minutes * 60 + hours * 3600 + seconds;
}

double MCMediaInfoDuration(const std::wstring& path) {
  return MCParseDurationText(QueryField(path, kStreamGeneral, L"Duration/String3"));
}

double MCMediaInfoDurationUtf8(const std::string& path) { return MCMediaInfoDuration(WStringFromUtf8(path)); }

double MCMediaInfoAudioBitRate(const std::wstring& path) {
  return static_cast<double>(_wtoi64(QueryField(path, kStreamAudio, L"BitRate").c_str())) / 1000.0;
}

int32_t MCMediaInfoVideoBitRate(const std::wstring& path) {
  return static_cast<int32_t>(_wtoi64(QueryField(path, kStreamVideo, L"BitRate").c_str()) / 1000);
}

bool MCMediaInfoAvailable() { return Library().create != nullptr; }

void MCMediaInfoUseLibrary(const char* soname) {
  std::lock_guard<std::mutex> lock(gLibMutex);
  if (gLib.handle != nullptr) dlclose(gLib.handle);
  gLib = MediaInfoLib();
  if (soname != nullptr) gLib.soname = soname;
}
