// What a download tells its listener while it runs.
#pragma once

#include <cstdint>

class CCurlHttpFile;

class CCurlHttpFileInterface {
 public:
  virtual ~CCurlHttpFileInterface() = default;
  // Called on the download's thread. downloaded counts the bytes of the
  // file on disk (a resumed part included); remoteSize is -1 when the
  // server gave no size. Any answer but 0 stops the transfer.
  virtual int onProgress(CCurlHttpFile* file, int64_t downloaded, int64_t remoteSize) = 0;
};
