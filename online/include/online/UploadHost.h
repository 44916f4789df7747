// The host (and optional ":port") of the log-upload service, the one
// configuration value behind CCurlHttpPost's default URL. Empty until set:
// a post made then has no URL and fails without leaving the machine.
#pragma once

#include <string>

void SetUploadHost(const std::string& hostAndPort);
std::string GetUploadHost();
// "http://<host>/DoLoadLog.php"; empty while no host is set.
std::string GetUploadUrl();
