// The notices of the timer-task windows: the tip dialog titled "提示" with
// its lines and the one button "确定", modal over the given window.
#pragma once

#include <vector>

#include "core/SString.h"
#include "win32/types.h"

void ShowTaskTip(HWND owner, const std::vector<SStringW>& lines);
