#include "online/UploadHost.h"

#include <mutex>

namespace {

std::mutex g_hostLock;
std::string g_host;

}  // namespace

void SetUploadHost(const std::string& hostAndPort) {
  std::lock_guard<std::mutex> lock(g_hostLock);
  g_host = hostAndPort;
}

std::string GetUploadHost() {
  std::lock_guard<std::mutex> lock(g_hostLock);
  return g_host;
}

std::string GetUploadUrl() {
  // "http:///DoLoadLog.php" would send libcurl to resolve "DoLoadLog.php".
  const std::string host = GetUploadHost();
  return host.empty() ? std::string() : "http://" + host + "/DoLoadLog.php";
}
