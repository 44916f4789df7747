// The crash-upload helper's work: one POST of the crash report to the
// log-upload service and one ownerless box with the outcome. No retry: the
// report file stays in the data folder either way.
#pragma once

#include <string>

// Time-outs of the one post: the helper must end even when the service
// hangs.
inline constexpr int kCrashUploadConnectTimeoutMs = 10000;
inline constexpr int kCrashUploadTimeoutMs = 60000;

// The form exception=…&mcode=…&uid=…&vform=…: the crash text (ANSI code
// page) and the configured identity, all as UTF-8, each value
// percent-encoded as the form's content type requires, so the service
// decodes the raw text (its own "&" and "=" split nothing).
std::string BuildCrashReportForm(const std::string& ansiCrashText);

// Posts the form to http://<host>/DoLoadLog.php and shows the reply up to
// its first NUL in a box titled "提示", or the request's last error in one
// titled "错误". 0 when the service answered, 1 otherwise.
int RunCrashUpload(const std::string& host, const std::string& ansiCrashText);
