#include "online/CurlHttpBase.h"

#include <algorithm>

#include "base/CodePage.h"
#include "base/DebugStr.h"
#include "base/UrlCoding.h"
#include "http/CurlFailure.h"
#include "online/CurlHttpGlobal.h"

namespace {

const char kAcceptLine[] =
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8";
const char kUserAgentLine[] =
    "User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/69.0.3497.100 Safari/537.36";

size_t WriteTrampoline(char* data, size_t size, size_t count, void* object) {
  return static_cast<CCurlHttpBase*>(object)->onWrite(data, size, count);
}

int DebugTrampoline(CURL*, curl_infotype type, char* data, size_t size, void* object) {
  return static_cast<CCurlHttpBase*>(object)->onDebug(type, data, size);
}

}  // namespace

CCurlHttpBase::CCurlHttpBase() { CCurlHttpBase::reset(); }

CCurlHttpBase::CCurlHttpBase(const std::string& url, const std::string& caFile,
                             int connectTimeoutMs, int timeoutMs, bool verbose) {
  CCurlHttpBase::reset();
  url_ = url;
  caFile_ = caFile;
  connectTimeoutMs_ = connectTimeoutMs;
  timeoutMs_ = timeoutMs;
  verbose_ = verbose;
}

CCurlHttpBase::~CCurlHttpBase() {
  if (headers_) curl_slist_free_all(headers_);
  if (curl_) curl_easy_cleanup(curl_);
}

void CCurlHttpBase::reset() {
  // A failed initialisation is tried again by the next object; the request
  // still goes ahead and reports what libcurl says.
  CCurlHttpGlobal::init();
  freeHeaders();
  if (curl_) curl_easy_cleanup(curl_);
  curl_ = nullptr;
  connectTimeoutMs_ = 0;
  timeoutMs_ = 0;
  verbose_ = false;
  performing_.store(false);
  succeeded_ = false;
  busy_.store(false);
  bodyLimit_ = 0;
  bodyLimitExceeded_ = false;
}

bool CCurlHttpBase::prepare() {
  clearState();
  return initCurl() && initHeaders();
}

bool CCurlHttpBase::performSafe() {
  // A nested call must not clear the busy flag of the request it runs in.
  if (performing_.load()) return perform();
  setBusy(true);
  const bool result = perform();
  setBusy(false);
  return result;
}

bool CCurlHttpBase::perform() {
  if (performing_.load()) return refuseNested(L"CCurlHttpBase::perform");
  if (!prepare()) return false;
  if (!curSetOptPre() || !curSetOpt() || !curSetOptPost()) return false;
  if (!runTransfer()) return false;
  succeeded_ = true;
  return true;
}

bool CCurlHttpBase::runTransfer() {
  errorBuffer_[0] = '\0';
  performing_.store(true);
  const CURLcode code = curl_easy_perform(curl_);
  if (code == CURLE_FILESIZE_EXCEEDED) bodyLimitExceeded_ = true;
  const bool accepted = onPerformEnd(code);
  performing_.store(false);
  if (code != CURLE_OK) {
    appendCurlError(code);
    return false;
  }
  return accepted;
}

bool CCurlHttpBase::refuseNested(const wchar_t* method) {
  setLastError(L"request already running,%s", method);
  return false;
}

void CCurlHttpBase::appendCurlError(CURLcode code) {
  const std::wstring text = CurlErrorText(code, errorBuffer_);
  const std::wstring earlier = getLastError();
  SetLastErrorText(earlier.empty() ? text : earlier + L"\r\n" + text);
}

bool CCurlHttpBase::cleanup(bool keep) {
  if (keep) return true;
  freeHeaders();
  if (curl_) curl_easy_cleanup(curl_);
  curl_ = nullptr;
  return true;
}

bool CCurlHttpBase::curSetOptPre() {
  try {
    SetCurlOption(curl_, CURLOPT_ERRORBUFFER, errorBuffer_);
    SetCurlOption(curl_, CURLOPT_PROXY, proxy_.empty() ? nullptr : proxy_.c_str());
    if (verbose_) {
      SetCurlOption(curl_, CURLOPT_VERBOSE, 1L);
      SetCurlOption(curl_, CURLOPT_DEBUGFUNCTION, &DebugTrampoline);
      SetCurlOption(curl_, CURLOPT_DEBUGDATA, static_cast<void*>(this));
    } else {
      SetCurlOption(curl_, CURLOPT_VERBOSE, 0L);
      SetCurlOption(curl_, CURLOPT_DEBUGFUNCTION, static_cast<curl_debug_callback>(nullptr));
      SetCurlOption(curl_, CURLOPT_DEBUGDATA, static_cast<void*>(nullptr));
    }
    SetCurlOption(curl_, CURLOPT_URL, NormalizeUrlEncoding(url_).c_str());
    SetCurlOption(curl_, CURLOPT_READFUNCTION, static_cast<curl_read_callback>(nullptr));
    SetCurlOption(curl_, CURLOPT_WRITEFUNCTION, &WriteTrampoline);
    SetCurlOption(curl_, CURLOPT_WRITEDATA, static_cast<void*>(this));
    // Every HTTPS request checks the peer's chain and its name. A CA file
    // replaces the system's store rather than adding to it.
    SetCurlOption(curl_, CURLOPT_SSL_VERIFYPEER, 1L);
    SetCurlOption(curl_, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile_.empty()) {
      SetCurlOption(curl_, CURLOPT_CAINFO, caFile_.c_str());
      SetCurlOption(curl_, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
    }
    SetCurlOption(curl_, CURLOPT_NOSIGNAL, 1L);
    if (connectTimeoutMs_ != 0)
      SetCurlOption(curl_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs_));
    if (timeoutMs_ != 0) SetCurlOption(curl_, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutMs_));
    if (headers_) SetCurlOption(curl_, CURLOPT_HTTPHEADER, headers_);
    if (bodyLimit_ != 0) SetCurlOption(curl_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(bodyLimit_));
  } catch (const CurlFailure& failure) {
    SetLastErrorText(CurlErrorText(failure.code(), nullptr));
    return false;
  }
  return true;
}

bool CCurlHttpBase::curSetOpt() { return true; }

bool CCurlHttpBase::curSetOptPost() { return true; }

bool CCurlHttpBase::onPerformEnd(CURLcode) { return true; }

bool CCurlHttpBase::freeHeaders() {
  if (headers_) curl_slist_free_all(headers_);
  headers_ = nullptr;
  return true;
}

bool CCurlHttpBase::appendHeader(const std::string& line) {
  curl_slist* appended = curl_slist_append(headers_, line.c_str());
  if (!appended) return false;
  headers_ = appended;
  return true;
}

void CCurlHttpBase::clearState() {
  clearLastError();
  cleanup(true);
  body_.clear();
  performing_.store(false);
  succeeded_ = false;
  bodyLimitExceeded_ = false;
}

bool CCurlHttpBase::initCurl() {
  if (curl_) {
    // Options of the last request (a time-out, a CA file) must not leak
    // into this one; connections and TLS sessions are kept.
    curl_easy_reset(curl_);
    return true;
  }
  curl_ = curl_easy_init();
  if (!curl_) {
    setLastError(L"Error:无法初始化curl,CCurlHttpBase::initCurl");
    return false;
  }
  return true;
}

bool CCurlHttpBase::initHeaders() {
  if (headers_) return true;
  return appendHeader(kAcceptLine) && appendHeader(kUserAgentLine);
}

int CCurlHttpBase::onDebug(curl_infotype type, const char* data, size_t size) {
  const std::wstring text = AnsiToWStringRet(std::string(data ? data : "", data ? size : 0));
  CDebugStr::traceLine(L"Type:%d,%s", static_cast<int>(type), text.c_str());
  return 0;
}

size_t CCurlHttpBase::onWrite(const char* data, size_t size, size_t count) {
  if (!data) return static_cast<size_t>(-1);
  const size_t bytes = size * count;
  if (bodyLimit_ != 0 && bytes > bodyLimit_ - std::min(body_.size(), bodyLimit_)) {
    bodyLimitExceeded_ = true;
    SetLastErrorText(L"reply larger than " + std::to_wstring(bodyLimit_) + L" bytes,CCurlHttpBase::onWrite");
    return CURL_WRITEFUNC_ERROR;
  }
  body_.append(data, bytes);
  return bytes;
}
