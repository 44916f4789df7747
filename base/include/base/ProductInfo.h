#pragma once
// The deployment's own settings: product information, service addresses,
// the usage-event sink, the update provider, crash identity, upload host.
// They come from the section [product] of product.ini beside the
// executable, or of the file QUORVALE_PRODUCT_INI names (tests, packagers).
// Every key is empty when it is not configured: each outside service is off
// until someone configures it.
//
// The file may be UTF-8 (with or without a byte-order mark), as people
// write it by hand, or UTF-16LE with FF FE, as the program's own settings
// files are.

#include <cwchar>
#include <string>

// The value of `key` (names compared without regard to case), trimmed, one
// pair of quotes removed; empty when the file, the section or the key is
// missing or the file cannot be read.
std::wstring GetProductInfo(const std::wstring& key);

// The file GetProductInfo reads.
std::wstring GetProductInfoPath();

// The online services' keys. The version is the program's one constant,
// the build's project version (the bottom bar and the about box show it);
// the crash report sends it as vform unless the file says otherwise.
#ifndef QUORVALE_VERSION_TEXT
#error "QUORVALE_VERSION_TEXT comes from the build (the project's version)"
#endif
inline constexpr wchar_t kProductVersion[] = L"" QUORVALE_VERSION_TEXT;
// host[:port] of the crash-report service; empty: no upload.
inline std::wstring GetUploadHostSetting() { return GetProductInfo(L"upload_host"); }
// The identity a crash report carries.
inline std::wstring GetVformSetting() {
  const std::wstring value = GetProductInfo(L"vform");
  return value.empty() ? kProductVersion : value;
}
inline std::wstring GetUidSetting() { return GetProductInfo(L"uid"); }
inline std::wstring GetMcodeSetting() { return GetProductInfo(L"mcode"); }
// Address of the update information; "none" (the default): no provider.
inline std::wstring GetUpdateUrlSetting() {
  const std::wstring value = GetProductInfo(L"update_url");
  return value.empty() ? L"none" : value;
}
// The advertising panel: shown only with ad_enabled = 1 and a service
// address (ending in '/'; the panel's page is "Index/advertising?" under it).
inline bool GetAdEnabledSetting() { return std::wcstol(GetProductInfo(L"ad_enabled").c_str(), nullptr, 10) > 0; }
inline std::wstring GetServiceUrlSetting() { return GetProductInfo(L"service_url"); }
