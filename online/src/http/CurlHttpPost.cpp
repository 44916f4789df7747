#include "online/CurlHttpPost.h"

#include "http/CurlFailure.h"
#include "online/UploadHost.h"

CCurlHttpPost::CCurlHttpPost() : CCurlHttpBase(GetUploadUrl(), "", 0, 0, false) {}

CCurlHttpPost::~CCurlHttpPost() = default;

bool CCurlHttpPost::curSetOpt() {
  try {
    SetCurlOption(curl_, CURLOPT_POST, 1L);
    // The length is given as well, so a body is sent whole even past a NUL.
    SetCurlOption(curl_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postData_.size()));
    SetCurlOption(curl_, CURLOPT_POSTFIELDS, postData_.c_str());
  } catch (const CurlFailure& failure) {
    SetLastErrorText(CurlErrorText(failure.code(), nullptr));
    return false;
  }
  return true;
}
