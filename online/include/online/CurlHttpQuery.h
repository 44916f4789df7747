// A GET with fixed time-outs: 8000 ms to connect, 10000 ms in all.
#pragma once

#include <string>

#include "online/CurlHttpBase.h"

class CCurlHttpQuery : public CCurlHttpBase {
 public:
  static constexpr int kConnectTimeoutMs = 8000;
  static constexpr int kTimeoutMs = 10000;

  explicit CCurlHttpQuery(const std::string& url);
  ~CCurlHttpQuery() override;
};
