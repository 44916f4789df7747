// Shell_NotifyIconW over the display layer's system-tray icons.
#include <string>

#include "shell/shellapi.h"
#include "win32/errors.h"
#include "win32/kernel32.h"
#include "win32/tray.h"

namespace {

std::wstring tipOf(const NOTIFYICONDATAW& data) {
  size_t length = 0;
  while (length < 127 && data.szTip[length]) ++length;  // always terminated at 127
  return std::wstring(data.szTip, length);
}

}  // namespace

BOOL Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data) {
  if (!data || data->cbSize != sizeof(NOTIFYICONDATAW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const UINT flags = data->uFlags;
  const std::wstring tip = (flags & NIF_TIP) ? tipOf(*data) : std::wstring();
  switch (message) {
    case NIM_ADD:
      return Win32TrayAdd(data->hWnd, data->uID, (flags & NIF_MESSAGE) ? data->uCallbackMessage : 0,
                          (flags & NIF_ICON) ? data->hIcon : nullptr, tip.c_str());
    case NIM_MODIFY: {
      const UINT callback = data->uCallbackMessage;
      return Win32TrayModify(data->hWnd, data->uID, (flags & NIF_MESSAGE) ? &callback : nullptr,
                             (flags & NIF_ICON) ? data->hIcon : nullptr,
                             (flags & NIF_TIP) ? tip.c_str() : nullptr);
    }
    case NIM_DELETE:
      return Win32TrayDelete(data->hWnd, data->uID);
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}
