// imm32 over XIM: each window's default context is its handle's own value;
// detaching takes the X input context's focus away, and composition
// positions become the input method's spot.
#include <X11/Xlib.h>

#include <map>
#include <mutex>

#include "../user/geometry.h"
#include "native.h"
#include "win32/errors.h"
#include "win32/imm.h"
#include "win32/windowing.h"
#include "x_display.h"

namespace win32::display {
namespace {

std::mutex g_mutex;
std::map<HWND, HIMC> g_associated;  // windows whose context was changed
std::map<HIMC, COMPOSITIONFORM> g_compositionForms;

HIMC defaultContext(HWND hwnd) { return reinterpret_cast<HIMC>(hwnd); }

HWND windowOf(HIMC himc) { return reinterpret_cast<HWND>(himc); }

void setFocus(HWND hwnd, bool focus) {
  if (!activeDisplay()) return;
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(detail::rootOf(hwnd));
  if (!native || !native->ic) return;
  if (focus) XSetICFocus(native->ic);
  else XUnsetICFocus(native->ic);
}

void setSpot(HWND hwnd, POINT pt) {
  if (!activeDisplay()) return;
  const HWND root = detail::rootOf(hwnd);
  const POINT offset = detail::offsetInRoot(hwnd);
  std::lock_guard<std::recursive_mutex> lock(displayMutex());
  Native* native = nativeLocked(root);
  if (!native || !native->ic) return;
  XPoint spot{static_cast<short>(pt.x + offset.x), static_cast<short>(pt.y + offset.y)};
  XVaNestedList list = XVaCreateNestedList(0, XNSpotLocation, &spot, nullptr);
  XSetICValues(native->ic, XNPreeditAttributes, list, nullptr);
  XFree(list);
}

}  // namespace
}  // namespace win32::display

using namespace win32::display;

HIMC ImmGetContext(HWND hWnd) {
  if (!IsWindow(hWnd)) return nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_associated.find(hWnd);
  return it == g_associated.end() ? defaultContext(hWnd) : it->second;
}

BOOL ImmReleaseContext(HWND, HIMC) { return TRUE; }

HIMC ImmAssociateContext(HWND hWnd, HIMC hIMC) {
  if (!IsWindow(hWnd)) return nullptr;
  HIMC previous;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_associated.find(hWnd);
    previous = it == g_associated.end() ? defaultContext(hWnd) : it->second;
    if (hIMC == defaultContext(hWnd)) g_associated.erase(hWnd);
    else g_associated[hWnd] = hIMC;
  }
  setFocus(hWnd, hIMC != nullptr);
  return previous;
}

BOOL ImmSetCompositionWindow(HIMC hIMC, LPCOMPOSITIONFORM lpCompForm) {
  if (!hIMC || !lpCompForm || !IsWindow(windowOf(hIMC))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_compositionForms[hIMC] = *lpCompForm;
  }
  if (lpCompForm->dwStyle & (CFS_POINT | CFS_RECT)) setSpot(windowOf(hIMC), lpCompForm->ptCurrentPos);
  return TRUE;
}

BOOL ImmGetCompositionWindow(HIMC hIMC, LPCOMPOSITIONFORM lpCompForm) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_compositionForms.find(hIMC);
  if (!lpCompForm || it == g_compositionForms.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpCompForm = it->second;
  return TRUE;
}

BOOL ImmSetCandidateWindow(HIMC hIMC, LPCANDIDATEFORM lpCandidate) {
  if (!hIMC || !lpCandidate || !IsWindow(windowOf(hIMC))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (lpCandidate->dwStyle & (CFS_CANDIDATEPOS | CFS_EXCLUDE | CFS_POINT))
    setSpot(windowOf(hIMC), lpCandidate->ptCurrentPos);
  return TRUE;
}
