// Fetches a picture over HTTP for a picture window: a fixed browser agent,
// a connect time-out, a try that ends when no byte arrives for the receive
// time-out, bounded redirects, a size cap, and an abort that another
// thread can call to end a running transfer at once.
//
// A status of 400 or more, a body shorter than announced, a body over the
// cap or an abort fails the request (isSucceeded false, last error set).
#pragma once

#include <chrono>
#include <mutex>

#include "online/CurlHttpBase.h"

class CCurlHttpImage : public CCurlHttpBase {
 public:
  static constexpr size_t kMaxBody = 8 * 1024 * 1024;
  static constexpr long kMaxRedirects = 5;

  CCurlHttpImage(const std::string& url, int connectMs, int sendMs, int receiveMs);

  // From any thread: the running transfer ends within moments and fails.
  void abort();
  bool isAborted() const { return aborted_.load(); }
  long getStatus() const { return status_; }

  bool initHeaders() override;
  bool curSetOpt() override;
  bool onPerformEnd(CURLcode code) override;
  size_t onWrite(const char* data, size_t size, size_t count) override;

 private:
  void Fail(const std::wstring& what);
  static curl_socket_t OpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address);
  static int CloseSocket(void* self, curl_socket_t socket);
  static int Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

  int sendMs_;
  int receiveMs_;
  long status_ = 0;
  bool tooLarge_ = false;
  bool stalled_ = false;
  std::atomic<bool> aborted_{false};
  std::chrono::steady_clock::time_point lastByte_;
  std::mutex socketMutex_;
  curl_socket_t socket_ = CURL_SOCKET_BAD;
};
