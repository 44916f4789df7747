#include "online/CurlHttpGlobal.h"

#include <curl/curl.h>

#include <mutex>

namespace {

// Set by the first successful initialisation; clean-up leaves it set.
std::mutex g_initLock;
bool g_initialised = false;

}  // namespace

bool CCurlHttpGlobal::init() {
  std::lock_guard<std::mutex> lock(g_initLock);
  if (g_initialised) return true;
  if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return false;
  g_initialised = true;
  return true;
}

bool CCurlHttpGlobal::uninit() {
  curl_global_cleanup();
  return true;
}
