// A POST of one body to the log-upload endpoint: plain HTTP, path
// "/DoLoadLog.php", on the host of GetUploadHost (UploadHost.h; no URL
// while none is set), with no CA file, no time-outs and verbose off.
// libcurl's default content type for a POST body is sent.
#pragma once

#include <string>

#include "online/CurlHttpBase.h"

class CCurlHttpPost : public CCurlHttpBase {
 public:
  CCurlHttpPost();
  ~CCurlHttpPost() override;

  bool curSetOpt() override;

  void setPostData(const std::string& body) { postData_ = body; }
  const std::string& getPostData() const { return postData_; }

 private:
  std::string postData_;
};
