#include "online/CurlHttpImage.h"

#include <sys/socket.h>
#include <unistd.h>

namespace {
const char kAgentLine[] = "User-Agent: Microsoft Internet Explorer";
}

CCurlHttpImage::CCurlHttpImage(const std::string& url, int connectMs, int sendMs, int receiveMs)
    : sendMs_(sendMs), receiveMs_(receiveMs) {
  setUrl(url);
  setConnectTimeout(connectMs);
}

void CCurlHttpImage::abort() {
  aborted_.store(true);
  // Shutting the socket down wakes libcurl's wait at once instead of at its
  // next progress call.
  std::lock_guard<std::mutex> lock(socketMutex_);
  if (socket_ != CURL_SOCKET_BAD) ::shutdown(socket_, SHUT_RDWR);
}

bool CCurlHttpImage::initHeaders() {
  if (headers_) return true;
  return appendHeader(kAgentLine);
}

bool CCurlHttpImage::curSetOpt() {
  status_ = 0;
  tooLarge_ = stalled_ = false;
  lastByte_ = std::chrono::steady_clock::now();
  const bool ok =
      curl_easy_setopt(curl_, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
      curl_easy_setopt(curl_, CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK &&
      curl_easy_setopt(curl_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxBody)) == CURLE_OK &&
      curl_easy_setopt(curl_, CURLOPT_OPENSOCKETFUNCTION, &OpenSocket) == CURLE_OK &&
      curl_easy_setopt(curl_, CURLOPT_OPENSOCKETDATA, static_cast<void*>(this)) == CURLE_OK &&
      curl_easy_setopt(curl_, CURLOPT_CLOSESOCKETFUNCTION, &CloseSocket) == CURLE_OK &&
      curl_easy_setopt(curl_, CURLOPT_CLOSESOCKETDATA, static_cast<void*>(this)) == CURLE_OK &&
      curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
      curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, &Progress) == CURLE_OK &&
      curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, static_cast<void*>(this)) == CURLE_OK;
  if (!ok) setLastError(L"cannot set the picture request's options,CCurlHttpImage::curSetOpt");
  return ok;
}

size_t CCurlHttpImage::onWrite(const char* data, size_t size, size_t count) {
  lastByte_ = std::chrono::steady_clock::now();
  if (aborted_.load()) return 0;
  if (getBodySize() + size * count > kMaxBody) {
    tooLarge_ = true;
    return 0;
  }
  return CCurlHttpBase::onWrite(data, size, count);
}

int CCurlHttpImage::Progress(void* self, curl_off_t, curl_off_t now, curl_off_t, curl_off_t) {
  auto* me = static_cast<CCurlHttpImage*>(self);
  if (me->aborted_.load()) return 1;
  static_cast<void>(now);
  // Time-outs of 0 mean none, as elsewhere in the family.
  const auto quiet = std::chrono::steady_clock::now() - me->lastByte_;
  const int limit = me->getBodySize() || me->status_ ? me->receiveMs_ : me->receiveMs_ + me->sendMs_;
  if (me->receiveMs_ > 0 && quiet > std::chrono::milliseconds(limit)) {
    me->stalled_ = true;
    return 1;
  }
  return 0;
}

curl_socket_t CCurlHttpImage::OpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
  auto* me = static_cast<CCurlHttpImage*>(self);
  const curl_socket_t fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
  std::lock_guard<std::mutex> lock(me->socketMutex_);
  me->socket_ = fd;
  if (me->aborted_.load() && fd != CURL_SOCKET_BAD) ::shutdown(fd, SHUT_RDWR);
  return fd;
}

int CCurlHttpImage::CloseSocket(void* self, curl_socket_t socket) {
  auto* me = static_cast<CCurlHttpImage*>(self);
  {
    std::lock_guard<std::mutex> lock(me->socketMutex_);
    if (me->socket_ == socket) me->socket_ = CURL_SOCKET_BAD;
  }
  return ::close(socket);
}

void CCurlHttpImage::Fail(const std::wstring& what) {
  SetLastErrorText(what + L"," + std::wstring(url_.begin(), url_.end()));
}

bool CCurlHttpImage::onPerformEnd(CURLcode code) {
  curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status_);
  if (aborted_.load()) {
    Fail(L"picture download stopped");
    return false;
  }
  if (stalled_) {
    Fail(L"no data for " + std::to_wstring(receiveMs_) + L" ms");
    return false;
  }
  if (tooLarge_ || code == CURLE_FILESIZE_EXCEEDED) {
    Fail(L"picture larger than " + std::to_wstring(kMaxBody) + L" bytes");
    return false;
  }
  if (code == CURLE_OK && status_ >= 400) {
    Fail(L"HTTP status " + std::to_wstring(status_));
    return false;
  }
  return true;
}
