// One HTTP request at a time over a libcurl easy handle, synchronously on
// the calling thread. The steps of a request (prepare, set options, run the
// transfer, collect the body) are virtual, so a subclass changes one step
// and keeps the rest.
//
// Every operation returns a success flag; a failure leaves a wide text in
// the last-error buffer: libcurl's text for the result code, then ": " and
// the detail libcurl wrote for it (the status, host or certificate), after
// any text already set during the same request and "\r\n". An HTTP error
// status is not a failure here: the error page is the body and the result
// is true.
//
// One object serves one thread at a time; another thread may ask isBusy
// while a request runs.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstddef>
#include <string>

#include "base/UniteBase.h"

class CCurlHttpBase : public CUniteBase {
 public:
  CCurlHttpBase();
  CCurlHttpBase(const std::string& url, const std::string& caFile, int connectTimeoutMs,
                int timeoutMs, bool verbose);
  ~CCurlHttpBase() override;
  CCurlHttpBase(const CCurlHttpBase&) = delete;
  CCurlHttpBase& operator=(const CCurlHttpBase&) = delete;

  // Back to the state of a new object (no handle, no header list, no time-outs);
  // initialises libcurl for the process when that has not been done.
  virtual void reset();

  // clearState, initCurl, initHeaders; false at the first that fails.
  virtual bool prepare();
  // The entry callers use: busy while perform runs.
  virtual bool performSafe();
  // One request. A call made while this object's request runs (from one of
  // its callbacks) is refused: false, with the busy text.
  virtual bool perform();
  // keep true does nothing; keep false frees the header list and the handle.
  virtual bool cleanup(bool keep);
  // The options every request of the family sets.
  virtual bool curSetOptPre();
  // Hooks for subclasses; true in the base.
  virtual bool curSetOpt();
  virtual bool curSetOptPost();
  // Called with libcurl's result before it is judged; true in the base.
  virtual bool onPerformEnd(CURLcode code);
  virtual bool freeHeaders();
  // Appends one raw header line; false when libcurl could not append it.
  virtual bool appendHeader(const std::string& line);
  // Start of every request: last error, body and flags cleared.
  virtual void clearState();
  // Creates the handle on first use; later requests reuse it with its
  // options back at libcurl's defaults.
  virtual bool initCurl();
  // The Accept and User-Agent lines, unless lines were appended already.
  virtual bool initHeaders();
  // libcurl's verbose text, to the debug channel.
  virtual int onDebug(curl_infotype type, const char* data, size_t size);
  // Body bytes as they arrive; the count taken, anything else stops the transfer.
  virtual size_t onWrite(const char* data, size_t size, size_t count);

  // The body of the last request, NUL-terminated, and its length in bytes.
  const char* getBody() const { return body_.c_str(); }
  size_t getBodySize() const { return body_.size(); }

  bool isSucceeded() const { return succeeded_; }
  // Busy (inside performSafe) or performing (inside libcurl).
  bool isBusy() const { return busy_.load() || performing_.load(); }
  bool isPerforming() const { return performing_.load(); }
  void setBusy(bool busy) { busy_.store(busy); }

  void setUrl(const std::string& url) { url_ = url; }
  const std::string& getUrl() const { return url_; }
  // A CA bundle that replaces the system's store for this object's requests;
  // empty means the system's store. Peer and host name are verified always.
  void setCaFile(const std::string& caFile) { caFile_ = caFile; }
  const std::string& getCaFile() const { return caFile_; }
  // A libcurl proxy string; empty leaves libcurl's choice (the environment).
  void setProxy(const std::string& proxy) { proxy_ = proxy; }
  const std::string& getProxy() const { return proxy_; }
  // Milliseconds; 0 sets no time-out.
  void setConnectTimeout(int ms) { connectTimeoutMs_ = ms; }
  int getConnectTimeout() const { return connectTimeoutMs_; }
  void setTimeout(int ms) { timeoutMs_ = ms; }
  int getTimeout() const { return timeoutMs_; }
  void setVerbose(bool verbose) { verbose_ = verbose; }
  bool isVerbose() const { return verbose_; }
  // The most body bytes a request takes; 0 takes any amount. A reply that
  // announces more is refused before its body, one that sends more is
  // stopped there: the request fails and isBodyLimitExceeded tells why.
  void setBodyLimit(size_t bytes) { bodyLimit_ = bytes; }
  size_t getBodyLimit() const { return bodyLimit_; }
  bool isBodyLimitExceeded() const { return bodyLimitExceeded_; }

 protected:
  // Runs the prepared transfer and reports a libcurl failure; otherwise
  // onPerformEnd's answer. Leaves succeeded to the caller.
  bool runTransfer();
  // The refusal of a request started while this object's request runs.
  bool refuseNested(const wchar_t* method);
  // Sets the last error to libcurl's text for code, after the text already
  // set during this request.
  void appendCurlError(CURLcode code);

  CURL* curl_ = nullptr;
  curl_slist* headers_ = nullptr;
  int connectTimeoutMs_ = 0;
  int timeoutMs_ = 0;
  bool verbose_ = false;
  std::string url_;
  std::string caFile_;
  std::string body_;
  std::string proxy_;
  // Atomic, like busy: the download manager reads both from its own thread.
  std::atomic<bool> performing_{false};
  bool succeeded_ = false;
  std::atomic<bool> busy_{false};
  size_t bodyLimit_ = 0;
  bool bodyLimitExceeded_ = false;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
};
