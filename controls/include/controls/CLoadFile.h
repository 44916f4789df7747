// One picture load of a picture window, run by the window's task pool: a
// local "file:///" path or an HTTP fetch, tried up to `attempts` times,
// decoded into the shared holder. A success posts UM_IMAGE_LOADED to the
// host window while it exists, with the picture window's handle (SWND) as
// lParam, so a host looks the window up instead of trusting a pointer that
// may have died while the message waited.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "base/ITask.h"
#include "controls/CASyncBitmap.h"
#include "core/SWindowMgr.h"

class CCurlHttpImage;

namespace ORIEL {

constexpr UINT UM_IMAGE_LOADED = 11025;

struct SLoadTimeouts {
  int connectMs = 3000;
  int sendMs = 3000;
  int receiveMs = 3000;
  int attempts = 3;
};

class CLoadFile : public ITask {
 public:
  CLoadFile(HWND host, const std::wstring& url, std::shared_ptr<CASyncBitmap> holder, SWND window,
            const SLoadTimeouts& limits);

  bool Run() override;
  bool Stop() override;

  // "file:///x" → "/x": only "file://" goes, then %XX escapes are decoded
  // as UTF-8. Empty when the URL is not a file URL.
  static std::wstring LocalPath(const std::wstring& url);
  // Tries made by the last Run.
  int TriesMade() const { return tries_; }

 private:
  bool TryOnce();

  HWND host_;
  std::wstring url_;
  std::atomic<bool> stop_{false};
  std::shared_ptr<CASyncBitmap> holder_;
  SWND window_;
  SLoadTimeouts limits_;
  int tries_ = 0;
  std::mutex fetchMutex_;
  CCurlHttpImage* fetch_ = nullptr;  // the running request, for Stop
};

}  // namespace ORIEL
