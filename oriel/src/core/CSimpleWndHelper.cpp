#include "core/CSimpleWndHelper.h"

#include "core/CSimpleWnd.h"
#include "core/SLog.h"

namespace ORIEL {
namespace {
constexpr UINT kImeClassStyle = 0x10000 | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
}  // namespace

CSimpleWndHelper::CSimpleWndHelper(HINSTANCE instance, LPCWSTR className, BOOL imeClass)
    : instance_(instance), className_(className ? className : L""), style_(imeClass ? kImeClassStyle : CS_DBLCLKS) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style_;
  wc.lpfnWndProc = &CSimpleWnd::FirstMessageProc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
  wc.lpszClassName = className_.c_str();
  atom_ = RegisterClassExW(&wc);
  if (!atom_) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::CSimpleWndHelper::CSimpleWndHelper",
          L"RegisterClassExW failed for %s, error %d", className_.c_str(), static_cast<int>(GetLastError()));
  }
}

CSimpleWndHelper::~CSimpleWndHelper() {
  if (atom_) UnregisterClassW(reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(atom_)), instance_);
}

}  // namespace ORIEL
