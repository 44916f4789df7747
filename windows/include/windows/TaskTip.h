// The notices of the timer-task windows: the tip dialog titled "提示" with
// its lines and the one button "确定", modal over the given window.
#pragma once

#include <functional>
#include <vector>

#include "core/SString.h"
#include "win32/types.h"

void ShowTaskTip(HWND owner, const std::vector<SStringW>& lines);

// What shows the notices: the tip dialog unless a test watches them.
// Returns the one it replaces.
using TaskTipShower = std::function<void(HWND owner, const std::vector<SStringW>& lines)>;
TaskTipShower SetTaskTipShower(TaskTipShower shower);
