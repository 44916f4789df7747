// The update check behind the main menu's update entry: asks the update
// provider for the newest version, offers it, and starts the updater
// (Hovrane.exe, `hovrane` in the program's folder) with the running
// program, its process id and the provider's version information.
//
// The provider is the address update_url of the product settings
// ("none", the default: no provider), answering a JSON object
// {"version": "3.7.0", "ForceUpdate": 0, "verinfo": "…"}.
#pragma once

#include <cstddef>
#include <string>

#include "win32/windows.h"

struct UpdateInfo {
  std::wstring version;      // the newest version
  std::wstring forceUpdate;  // an integer; above 0: the update cannot be declined
  std::wstring verinfo;      // handed to the updater unchanged
};

// The most the provider's reply may hold, and the redirects followed to it.
inline constexpr size_t kUpdateInfoLimitBytes = 1024 * 1024;
inline constexpr long kUpdateMaxRedirects = 5;

// GET `url` (time-outs of CCurlHttpQuery, held also against a reply that
// never ends), following up to kUpdateMaxRedirects redirects over HTTP or
// HTTPS. False, with the reason, for "none" or an empty address, a failed
// request, a reply over kUpdateInfoLimitBytes, a status of 400 or more, or
// a reply that is not such an object.
bool FetchUpdateInfo(const std::wstring& url, UpdateInfo& info, std::wstring& reason);

// Versions compared part by part as numbers ("3.10.0" is newer than
// "3.6.0"); a missing part counts as 0, a part that is not a number reads
// its leading digits. <0, 0 or >0.
int CompareVersions(const std::wstring& a, const std::wstring& b);

// Runs the check (see above). True only when the updater was started.
// notify: tell the user also when there is nothing to update or the
// provider cannot be reached.
bool CheckForUpdate(HWND owner, bool notify);

// "%d"; empty when formatting fails.
std::wstring FormatDecimal(int value);
// "Error:无法启动更新器,%d" with the shell's code.
std::wstring FormatUpdaterError(int code);
// "Error:无法获取更新信息,%s" with the provider's failure.
std::wstring FormatUpdateInfoError(const std::wstring& reason);

// The updater's command line: /appfile="<exe>" /ppid="<pid>" /verinfo="<text>".
std::wstring BuildUpdaterParameters(const std::wstring& exePath, DWORD pid, const std::wstring& verinfo);
