// The update check's tips: a small modal box with a title, one text, an OK
// button, an optional second button and an optional close button. Enter
// answers OK, Esc closes. Without a display the tip goes to standard error
// and the box answers as a user who declines would (OK when it is the only
// choice).
#pragma once

#include <string>

#include "win32/windows.h"

inline constexpr int kTipOk = 1;     // the OK button, or Enter
inline constexpr int kTipNo = 2;     // the second button
inline constexpr int kTipClose = 8;  // the close button, Esc or the window's close

// Child ids of the box's buttons, equal to their answers.
inline constexpr int kTipOkId = kTipOk;
inline constexpr int kTipNoId = kTipNo;
inline constexpr int kTipCloseId = kTipClose;
// The child showing the text (its window text).
inline constexpr int kTipTextId = 100;

struct UpdateTip {
  std::wstring title = L"提示";
  std::wstring text;
  std::wstring okText = L"确定";
  std::wstring noText;  // empty: no second button
  bool closable = true;  // false: no close button
};

// Shows the tip owned by `owner` (may be null) and returns its answer:
// through the installed shower when there is one, else in the box above.
int ShowUpdateTip(HWND owner, const UpdateTip& tip);

// The program shows its tips in its own dialog, which needs the program's
// resources; start-up installs it here. Null restores the box. Returns the
// shower it replaces.
using UpdateTipShower = int (*)(HWND owner, const UpdateTip& tip);
UpdateTipShower SetUpdateTipShower(UpdateTipShower shower);
// The box itself, whatever shower is installed.
int ShowUpdateTipBox(HWND owner, const UpdateTip& tip);
