#include "windows/ProductLinks.h"

#include "base/ProductInfo.h"
#include "shell/shellapi.h"
#include "win32/windows.h"

#ifndef QUORVALE_TUTORIAL_URL
#define QUORVALE_TUTORIAL_URL "https://quorvale.example/tutorial"
#endif
#ifndef QUORVALE_COMMUNITY_URL
#define QUORVALE_COMMUNITY_URL "https://quorvale.example/community"
#endif

#define QUORVALE_WIDE2(s) L##s
#define QUORVALE_WIDE(s) QUORVALE_WIDE2(s)

const wchar_t* DefaultTutorialUrl() { return QUORVALE_WIDE(QUORVALE_TUTORIAL_URL); }
const wchar_t* DefaultCommunityUrl() { return QUORVALE_WIDE(QUORVALE_COMMUNITY_URL); }

std::wstring TutorialUrl() {
  std::wstring url = GetProductInfo(L"jcurl");
  return url.empty() ? DefaultTutorialUrl() : url;
}

std::wstring CommunityUrl() {
  std::wstring url = GetProductInfo(L"squrl");
  return url.empty() ? DefaultCommunityUrl() : url;
}

void OpenCommunityUrl(const std::wstring& address, void* owner) {
  const std::wstring url = address.empty() ? std::wstring(DefaultCommunityUrl()) : address;
  ShellExecuteW(static_cast<HWND>(owner), L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
