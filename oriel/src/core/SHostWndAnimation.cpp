// Show and hide effects. An opaque host leaves them to AnimateWindow; a
// translucent one pushes its picture frame by frame: a slide grows or
// shrinks the visible part from one edge, a centre effect from the middle,
// a blend fades the whole picture.
#include <unistd.h>

#include "core/SApplication.h"
#include "core/SHostWnd.h"

namespace ORIEL {

namespace {

constexpr int kStepMs = 10;

struct Edges {
  double left, top, right, bottom;
  RECT Rect() const {
    return RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right), static_cast<LONG>(bottom)};
  }
};

}  // namespace

BOOL SHostWnd::PlayWindowAnimation(DWORD time, DWORD flags) {
  HWND hwnd = GetHwnd();
  if (!IsTranslucent()) return AnimateWindow(hwnd, time, flags);
  SApplication* app = SApplication::getSingletonPtr();
  const RECT q = ClientRect();
  IRenderTarget* frame = nullptr;
  if (!app || !rt_ || !app->GetRenderFactory()->CreateRenderTarget(&frame, q.right, q.bottom)) return FALSE;
  RedrawAll();
  RenderDirty();
  // Below one step the effect goes straight to its end state in one step.
  const int n = std::max<int>(1, static_cast<int>(time) / kStepMs);
  const BYTE alpha = attr_.Alpha();
  const bool hide = (flags & AW_HIDE) != 0;
  const bool slide = (flags & AW_SLIDE) != 0;
  const bool center = (flags & AW_CENTER) != 0;
  const bool blend = (flags & AW_BLEND) != 0;
  const double w = q.right - q.left, h = q.bottom - q.top;

  // One frame: the visible part V of the picture, its content taken from
  // `from` so that it travels with the moving edge.
  auto pushPart = [&](const RECT& dst, POINT from) {
    frame->Clear(0);
    if (!IsRectEmpty(&dst)) frame->BitBlt(&dst, rt_, from.x, from.y, SRCCOPY);
    PushLayer(frame, alpha, nullptr);
    usleep(kStepMs * 1000);
  };
  // The picture's point shown at V's top-left: the far part of the picture
  // when the content follows an edge moving towards the origin.
  auto sourceOf = [&](const RECT& v, bool shiftX, bool shiftY) {
    return POINT{shiftX ? q.right - v.right + v.left : 0, shiftY ? q.bottom - v.bottom + v.top : 0};
  };

  if (!hide) {
    frame->Clear(0);
    PushLayer(frame, alpha, nullptr);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | ((flags & AW_ACTIVATE) ? 0 : SWP_NOACTIVATE));
  }
  bool played = true;
  if (slide) {
    Edges v{double(q.left), double(q.top), double(q.right), double(q.bottom)};
    double* hEdge = nullptr;
    double* vEdge = nullptr;
    double hEnd = 0, vEnd = 0;
    if (hide) {
      if (flags & AW_HOR_POSITIVE) hEdge = &v.left, hEnd = q.right;
      else if (flags & AW_HOR_NEGATIVE) hEdge = &v.right, hEnd = q.left;
      if (flags & AW_VER_POSITIVE) vEdge = &v.top, vEnd = q.bottom;
      else if (flags & AW_VER_NEGATIVE) vEdge = &v.bottom, vEnd = q.top;
    } else {
      if (flags & AW_HOR_POSITIVE) v.right = q.left, hEdge = &v.right, hEnd = q.right;
      else if (flags & AW_HOR_NEGATIVE) v.left = q.right, hEdge = &v.left, hEnd = q.left;
      if (flags & AW_VER_POSITIVE) v.bottom = q.top, vEdge = &v.bottom, vEnd = q.bottom;
      else if (flags & AW_VER_NEGATIVE) v.top = q.bottom, vEdge = &v.top, vEnd = q.top;
    }
    const double hStep = hEdge ? (hEnd - *hEdge) / n : 0, vStep = vEdge ? (vEnd - *vEdge) / n : 0;
    // The content moves with the edge that leaves or enters the window.
    const bool shiftX = hide ? (flags & AW_HOR_NEGATIVE) != 0 : (flags & AW_HOR_POSITIVE) != 0;
    const bool shiftY = hide ? (flags & AW_VER_NEGATIVE) != 0 : (flags & AW_VER_POSITIVE) != 0;
    for (int step = 1; step <= n; ++step) {
      if (hEdge) *hEdge = step == n ? hEnd : *hEdge + hStep;
      if (vEdge) *vEdge = step == n ? vEnd : *vEdge + vStep;
      const RECT rc = v.Rect();
      pushPart(rc, sourceOf(rc, shiftX, shiftY));
    }
  } else if (center) {
    const double dx = w / (2.0 * n), dy = h / (2.0 * n);
    Edges v = hide ? Edges{double(q.left), double(q.top), double(q.right), double(q.bottom)}
                   : Edges{(q.left + q.right) / 2.0, (q.top + q.bottom) / 2.0, (q.left + q.right) / 2.0,
                           (q.top + q.bottom) / 2.0};
    const double sign = hide ? 1 : -1;
    for (int step = 1; step <= n; ++step) {
      v.left += sign * dx;
      v.top += sign * dy;
      v.right -= sign * dx;
      v.bottom -= sign * dy;
      // The visible middle shows the middle of the picture.
      const RECT rc = v.Rect();
      pushPart(rc, POINT{rc.left, rc.top});
    }
  } else if (blend) {
    for (int step = 1; step <= n; ++step) {
      const int a = hide ? 255 - step * (255 / n) : step * (255 / n);
      PushLayer(rt_, static_cast<BYTE>(a), nullptr);
      usleep(kStepMs * 1000);
    }
  } else {
    played = false;
  }
  frame->Release();
  if (hide) {
    if (!played) return FALSE;
    ShowWindow(hwnd, SW_HIDE);
    return TRUE;
  }
  // A show always ends with the host's picture, effect or not.
  PushLayer(rt_, alpha, nullptr);
  return played;
}

}  // namespace ORIEL
