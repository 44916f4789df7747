#include "core/CSimpleWndHelper.h"

#include <atomic>

#include "core/SLog.h"

namespace ORIEL {
namespace {
std::atomic<WNDPROC> g_proc{nullptr};
constexpr UINT kImeClassStyle = 0x10000 | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
}  // namespace

CSimpleWndHelper::CSimpleWndHelper(HINSTANCE instance, LPCWSTR className, BOOL imeClass)
    : instance_(instance), className_(className ? className : L""), style_(imeClass ? kImeClassStyle : CS_DBLCLKS) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style_;
  wc.lpfnWndProc = &CSimpleWndHelper::ClassProc;
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

void CSimpleWndHelper::SetWindowProc(WNDPROC proc) { g_proc = proc; }

LRESULT CALLBACK CSimpleWndHelper::ClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = g_proc.load();
  return proc ? proc(hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace ORIEL
