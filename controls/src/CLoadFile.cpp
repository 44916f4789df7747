#include "controls/CLoadFile.h"

#include <cwctype>

#include "base/CodePage.h"
#include "core/SLog.h"
#include "online/CurlHttpImage.h"
#include "win32/windows.h"

namespace ORIEL {

CLoadFile::CLoadFile(HWND host, const std::wstring& url, std::shared_ptr<CASyncBitmap> holder, SWND window,
                     const SLoadTimeouts& limits)
    : host_(host), url_(url), holder_(std::move(holder)), window_(window), limits_(limits) {}

std::wstring CLoadFile::LocalPath(const std::wstring& url) {
  static const std::wstring prefix = L"file:///";
  if (url.size() < prefix.size()) return std::wstring();
  for (size_t i = 0; i < prefix.size(); ++i)
    if (static_cast<wchar_t>(std::towlower(url[i])) != prefix[i]) return std::wstring();
  const std::string utf8 = WideToUtf8(url.substr(7));
  std::string decoded;
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '%' && i + 2 < utf8.size() && hex(utf8[i + 1]) >= 0 && hex(utf8[i + 2]) >= 0) {
      decoded += static_cast<char>(hex(utf8[i + 1]) * 16 + hex(utf8[i + 2]));
      i += 2;
    } else {
      decoded += utf8[i];
    }
  }
  return Utf8ToWide(decoded);
}

bool CLoadFile::TryOnce() {
  const std::wstring path = LocalPath(url_);
  if (!path.empty()) {
    if (holder_->LoadFromFile(path.c_str())) return true;
    SLOGW(SLOG_LEVEL_WARN, "CLoadFile::Run", L"picture load failed: %s is no readable picture", path.c_str());
    return false;
  }
  if (url_.empty()) return false;
  CCurlHttpImage fetch(WideToUtf8(url_), limits_.connectMs, limits_.sendMs, limits_.receiveMs);
  {
    std::lock_guard<std::mutex> lock(fetchMutex_);
    if (stop_.load()) return false;
    fetch_ = &fetch;
  }
  const bool fetched = fetch.performSafe();
  {
    std::lock_guard<std::mutex> lock(fetchMutex_);
    fetch_ = nullptr;
  }
  if (stop_.load()) return false;
  if (!fetched) {
    SLOGW(SLOG_LEVEL_WARN, "CLoadFile::Run", L"picture load failed: %s", fetch.getLastError());
    return false;
  }
  if (holder_->LoadFromMemory(fetch.getBody(), fetch.getBodySize())) return true;
  SLOGW(SLOG_LEVEL_WARN, "CLoadFile::Run", L"picture load failed: %s is no readable picture", url_.c_str());
  return false;
}

bool CLoadFile::Run() {
  tries_ = 0;
  for (int i = 0; i < limits_.attempts && !stop_.load(); ++i) {
    ++tries_;
    if (!TryOnce()) continue;
    holder_->Add(CASyncBitmap::kLoaded);
    if (!stop_.load() && IsWindow(host_)) PostMessageW(host_, UM_IMAGE_LOADED, 0, static_cast<LPARAM>(window_));
    return true;
  }
  return false;
}

bool CLoadFile::Stop() {
  std::lock_guard<std::mutex> lock(fetchMutex_);
  stop_.store(true);
  if (fetch_) fetch_->abort();
  return true;
}

}  // namespace ORIEL
