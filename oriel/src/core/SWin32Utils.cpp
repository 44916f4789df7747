#include "core/SWin32Utils.h"

#include "win32/modules.h"

namespace ORIEL {
namespace {
UpdateLayeredWindowFn g_update = nullptr;
UpdateLayeredWindowIndirectFn g_updateIndirect = nullptr;
}  // namespace

int RoundScale(int scale) {
  int result = 100;
  for (int i = 1; i < kScaleStepCount; ++i) {
    if (scale >= kScaleSteps[i]) result = kScaleSteps[i];
  }
  return result;
}

SStringW ModuleFolder(HINSTANCE module) {
  wchar_t path[MAX_PATH] = {0};
  const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  if (n == 0) return SStringW();
  SStringW name(path);
  const int slash = name.ReverseFind(L'/');
  return slash < 0 ? name : name.Left(slash);
}

bool LoadLayeredUpdateEntryPoints() {
  HMODULE user32 = GetModuleHandleW(L"user32");
  if (!user32) return false;
  g_update = reinterpret_cast<UpdateLayeredWindowFn>(GetProcAddress(user32, "UpdateLayeredWindow"));
  if (!g_update) return false;
  g_updateIndirect =
      reinterpret_cast<UpdateLayeredWindowIndirectFn>(GetProcAddress(user32, "UpdateLayeredWindowIndirect"));
  if (!g_updateIndirect) g_updateIndirect = &UpdateLayeredFallback;
  return true;
}

UpdateLayeredWindowFn LayeredUpdate() { return g_update; }
UpdateLayeredWindowIndirectFn LayeredUpdateIndirect() { return g_updateIndirect; }

BOOL UpdateLayeredFallback(HWND hwnd, const UPDATELAYEREDWINDOWINFO* info) {
  if (!info || !g_update) return FALSE;
  return g_update(hwnd, info->hdcDst, info->pptDst, info->psize, info->hdcSrc, info->pptSrc, info->crKey,
                  info->pblend, info->dwFlags);
}

}  // namespace ORIEL
