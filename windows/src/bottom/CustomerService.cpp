#include "windows/CustomerService.h"

#include "base/CodePage.h"
#include "base/ProductInfo.h"
#include "base/UrlCoding.h"
#include "shell/shellapi.h"
#include "win32/windows.h"

std::wstring CustomerServiceAddress(const std::wstring& source) {
  const std::wstring base = GetProductInfo(kInfoCustomerUrl);
  if (base.empty()) return std::wstring();
  const char joint = base.find(L'?') == std::wstring::npos ? '?' : '&';
  return base + Utf8ToWStringRet(std::string(1, joint) + "source=" + UrlEncode(WStringToUtf8Ret(source), false));
}

bool OpenCustomerService(const std::wstring& source) {
  const std::wstring address = CustomerServiceAddress(source);
  if (address.empty()) return false;
  return reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}
