// libcurl failures inside one method of the HTTP family: raised as an
// exception carrying the result code and caught in the same method, which
// turns it into the last-error text. Nothing leaves the family as an
// exception.
#pragma once

#include <curl/curl.h>

#include <stdexcept>
#include <string>

class CurlFailure : public std::runtime_error {
 public:
  explicit CurlFailure(CURLcode code) : std::runtime_error(curl_easy_strerror(code)), code_(code) {}
  CURLcode code() const { return code_; }

 private:
  CURLcode code_;
};

// Sets one option; throws CurlFailure when libcurl refuses it.
template <typename T>
void SetCurlOption(CURL* curl, CURLoption option, T value) {
  const CURLcode code = curl_easy_setopt(curl, option, value);
  if (code != CURLE_OK) throw CurlFailure(code);
}

// libcurl's text for code, then ": " and the detail from the handle's error
// buffer when it says more.
std::wstring CurlErrorText(CURLcode code, const char* detail);
