// The advertising manager. There is no advertising service behind it: it
// keeps the observer the program registers, logs each click the page
// reports, and answers the click with the status of its first text, which
// the program shows in the page.
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <string>

#include "online/AdvertiseMgr.h"

namespace palvane {
namespace {

std::string ToUtf8(const wchar_t* text) {
  std::string out;
  for (; text && *text; ++text) {
    const auto c = static_cast<char32_t>(*text);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

class AdvertiseManager final : public IBLLAdvertiseMgr {
 public:
  void ReportClick(const wchar_t* first, const wchar_t* second, const wchar_t* third) override {
    std::fprintf(stderr, "Palvane: click [%s] [%s] [%s]\n", ToUtf8(first).c_str(), ToUtf8(second).c_str(),
                 ToUtf8(third).c_str());
    std::fflush(stderr);
    const std::wstring status = first ? first : L"";
    if (observer_) observer_->adStatus(status.c_str());
  }
  void RegisterObserver(IBLLAdvertiseMgrInterface* observer) override { observer_ = observer; }

 private:
  IBLLAdvertiseMgrInterface* observer_ = nullptr;
};

std::mutex g_lock;
AdvertiseManager* g_manager = nullptr;

}  // namespace
}  // namespace palvane

extern "C" __attribute__((visibility("default"))) IBLLAdvertiseMgr* getBLLAdvertiseMgrDLL() {
  std::lock_guard<std::mutex> guard(palvane::g_lock);
  if (!palvane::g_manager) palvane::g_manager = new palvane::AdvertiseManager();
  return palvane::g_manager;
}

extern "C" __attribute__((visibility("default"))) void releaseBLLAdvertiseMgrDLL() {
  std::lock_guard<std::mutex> guard(palvane::g_lock);
  std::fprintf(stderr, "Palvane: released\n");
  std::fflush(stderr);
  delete palvane::g_manager;
  palvane::g_manager = nullptr;
}
