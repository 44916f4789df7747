#include "online/CrashUploadClient.h"

#include <map>

#include "base/CodePage.h"
#include "base/ProductInfo.h"
#include "base/UrlCoding.h"
#include "online/CurlHttpPost.h"
#include "online/UploadHost.h"
#include "win32/windows.h"

std::string BuildCrashReportForm(const std::string& ansiCrashText) {
  std::string exception;
  if (!TryAnsiToUtf8(ansiCrashText, exception)) exception.clear();
  const std::map<std::string, std::string> form = {
      {"exception", exception},
      {"mcode", WStringToUtf8Ret(GetMcodeSetting())},
      {"uid", WStringToUtf8Ret(GetUidSetting())},
      {"vform", WStringToUtf8Ret(GetVformSetting())},
  };
  return BuildQueryString(form, true);
}

int RunCrashUpload(const std::string& host, const std::string& ansiCrashText) {
  SetUploadHost(host);
  CCurlHttpPost post;
  post.setConnectTimeout(kCrashUploadConnectTimeoutMs);
  post.setTimeout(kCrashUploadTimeoutMs);
  post.setPostData(BuildCrashReportForm(ansiCrashText));
  if (!post.performSafe()) {
    const wchar_t* error = post.getLastError();
    MessageBoxW(nullptr, error ? error : L"", L"错误", MB_OK);
    return 1;
  }
  // The reply as the service wrote it (UTF-8), up to its first NUL.
  const std::string reply(post.getBody());
  MessageBoxW(nullptr, Utf8ToWStringRet(reply).c_str(), L"提示", MB_OK);
  return 0;
}
