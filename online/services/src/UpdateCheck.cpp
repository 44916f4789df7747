#include "online/UpdateCheck.h"

#include <cwchar>
#include <map>

#include "base/CmdLineParse.h"
#include "base/CodePage.h"
#include "online/WideFormat.h"
#include "base/JsonReader.h"
#include "base/ProductInfo.h"
#include "controls/CDlgStack.h"
#include "online/CurlHttpQuery.h"
#include "online/UpdateTips.h"
#include "shell/shellapi.h"

namespace {

// The query, keeping the status libcurl saw. The information is a few
// hundred bytes: a reply past the limit is not it, and is not read on until
// the time-out. A provider that moved is followed, a few hops at most.
class UpdateQuery : public CCurlHttpQuery {
 public:
  explicit UpdateQuery(const std::string& url) : CCurlHttpQuery(url) { setBodyLimit(kUpdateInfoLimitBytes); }
  bool curSetOpt() override {
    return curl_easy_setopt(curl_, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
           curl_easy_setopt(curl_, CURLOPT_MAXREDIRS, kUpdateMaxRedirects) == CURLE_OK &&
           curl_easy_setopt(curl_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
  }
  bool onPerformEnd(CURLcode code) override {
    status = 0;
    if (code == CURLE_OK) curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status);
    return CCurlHttpQuery::onPerformEnd(code);
  }
  long status = 0;
};

void Tip(HWND owner, const std::wstring& text) {
  UpdateTip tip;
  tip.text = text;
  ShowUpdateTip(owner, tip);
}

// The leading digits of a part; 0 for none.
unsigned long long PartValue(const std::wstring& part) {
  unsigned long long value = 0;
  for (wchar_t c : part) {
    if (c < L'0' || c > L'9') break;
    value = value * 10 + static_cast<unsigned>(c - L'0');
  }
  return value;
}

std::vector<std::wstring> SplitDots(const std::wstring& text) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    const size_t dot = text.find(L'.', start);
    parts.push_back(text.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start));
    if (dot == std::wstring::npos) return parts;
    start = dot + 1;
  }
}

}  // namespace

int CompareVersions(const std::wstring& a, const std::wstring& b) {
  const auto left = SplitDots(a), right = SplitDots(b);
  for (size_t i = 0; i < left.size() || i < right.size(); ++i) {
    const unsigned long long l = i < left.size() ? PartValue(left[i]) : 0;
    const unsigned long long r = i < right.size() ? PartValue(right[i]) : 0;
    if (l != r) return l < r ? -1 : 1;
  }
  return 0;
}

bool FetchUpdateInfo(const std::wstring& url, UpdateInfo& info, std::wstring& reason) {
  if (url.empty() || url == L"none") {
    reason = L"未配置更新地址";
    return false;
  }
  UpdateQuery query(WStringToUtf8Ret(url));
  if (!query.performSafe()) {
    if (query.isBodyLimitExceeded()) {
      reason = L"更新信息超过" + std::to_wstring(kUpdateInfoLimitBytes) + L"字节";
      return false;
    }
    const wchar_t* error = query.getLastError();
    reason = error ? error : L"";
    return false;
  }
  if (query.status >= 400) {
    reason = L"HTTP " + FormatDecimal(static_cast<int>(query.status));
    return false;
  }
  CJsonCppReader reader;
  std::map<std::string, std::string> members;
  if (!reader.parse(query.getBody(), members) || !members.count("version") || members["version"].empty()) {
    reason = L"更新信息无效";
    return false;
  }
  info.version = Utf8ToWStringRet(members["version"]);
  info.forceUpdate = Utf8ToWStringRet(members["ForceUpdate"]);
  info.verinfo = Utf8ToWStringRet(members["verinfo"]);
  return true;
}

std::wstring FormatDecimal(int value) { return FormatWString(L"%d", value); }

std::wstring FormatUpdaterError(int code) { return FormatWString(L"Error:无法启动更新器,%d", code); }

std::wstring FormatUpdateInfoError(const std::wstring& reason) {
  return FormatWString(L"Error:无法获取更新信息,%s", reason.c_str());
}

std::wstring BuildUpdaterParameters(const std::wstring& exePath, DWORD pid, const std::wstring& verinfo) {
  CCmdLineParse line;
  line.setValue(L"/appfile", exePath);
  line.setValue(L"/ppid", FormatDecimal(static_cast<int>(pid)));
  line.setValue(L"/verinfo", verinfo);
  std::wstring out;
  line.toCmdLine(out);
  return out;
}

bool CheckForUpdate(HWND owner, bool notify) {
  UpdateInfo info;
  std::wstring reason;
  if (!FetchUpdateInfo(GetUpdateUrlSetting(), info, reason)) {
    if (notify) Tip(ORIEL::CDlgStack::Instance().Top(), FormatUpdateInfoError(reason));
    return false;
  }
  if (CompareVersions(info.version, kProductVersion) <= 0) {
    if (notify) Tip(ORIEL::CDlgStack::Instance().Top(), L"当前已是最新版！");
    return false;
  }
  const bool forced = PartValue(info.forceUpdate) > 0 && info.forceUpdate[0] != L'-';
  UpdateTip question;
  question.text = L"检测到新版本，是否更新？";
  question.okText = L"更新";
  question.noText = forced ? L"" : L"取消";
  question.closable = !forced;
  const int answer = ShowUpdateTip(ORIEL::CDlgStack::Instance().Top(), question);
  if (answer != kTipOk && !forced) return false;

  wchar_t exe[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    Tip(owner, L"Error:无法本产品路径");
    return false;
  }
  const std::wstring parameters = BuildUpdaterParameters(exe, GetCurrentProcessId(), info.verinfo);
  const auto code = reinterpret_cast<intptr_t>(
      ShellExecuteW(owner, L"open", L"Hovrane.exe", parameters.c_str(), nullptr, SW_SHOW));
  if (code > 32) return true;
  Tip(owner, FormatUpdaterError(static_cast<int>(code)));
  return false;
}
