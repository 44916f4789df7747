#include "http/CurlFailure.h"

#include "base/CodePage.h"

std::wstring CurlErrorText(CURLcode code, const char* detail) {
  std::string text = curl_easy_strerror(code);
  std::string more = detail ? detail : "";
  while (!more.empty() && (more.back() == '\n' || more.back() == '\r' || more.back() == ' '))
    more.pop_back();
  if (!more.empty() && more != text) text += ": " + more;
  std::wstring wide;
  if (!Utf8ToWString(text, wide)) wide = AnsiToWStringRet(text);
  return wide;
}
