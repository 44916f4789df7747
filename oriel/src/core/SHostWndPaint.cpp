// How a host paints: the whole tree into one back buffer, then the changed
// part to the screen. Opaque hosts copy in WM_PAINT; translucent hosts
// (per-pixel alpha) push the dirty rectangle into their layered window
// from the paint window's WM_PAINT, since a window fed by
// UpdateLayeredWindow gets no WM_PAINT of its own.
#include "core/SApplication.h"
#include "core/SHostWnd.h"
#include "res.mgr/SFontPool.h"

namespace ORIEL {

namespace {

constexpr DWORD kPresentDirtyOnly = 0x80000000u;  // the paint window's render
constexpr UINT kCaretTimer = 1;
constexpr DWORD kAcquireEmpty = 1;

}  // namespace

void SHostWnd::OnHostPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(GetHwnd(), &ps);
  if (IsTranslucent()) {
    RenderAndPresent(nullptr, 0);
  } else if (rt_ && dirty_) {
    // What was rendered and what the window lost (ps.rcPaint holds both the
    // invalidated and the exposed area): a small repaint, a waveform's tick,
    // copies its own rectangle, not the whole window.
    RECT r = RenderDirty();
    inPaint_ = true;
    PaintQueuedWindows(r);
    inPaint_ = false;
    UnionRect(&r, &r, &ps.rcPaint);
    PresentRect(dc, r);
  }
  EndPaint(GetHwnd(), &ps);
}

void SHostWnd::OnPaintWindowPaint() { RenderAndPresent(nullptr, kPresentDirtyOnly); }

void SHostWnd::RenderAndPresent(HDC dc, DWORD flags) {
  if (!rt_ || !dirty_) return;
  RECT r = RenderDirty();
  if (!(flags & kPresentDirtyOnly)) r = SwndContainerImpl::GetWindowRect();
  inPaint_ = true;
  PaintQueuedWindows(r);
  inPaint_ = false;
  PresentRect(dc, r);
}

RECT SHostWnd::RenderDirty() {
  if (!rt_ || !dirty_) return RECT{0, 0, 0, 0};
  ApplyLayout();
  const RECT root = SwndContainerImpl::GetWindowRect();
  RECT r = root;
  if (fullRepaint_) {
    dirty_->Clear();
    fullRepaint_ = false;
    needsPaint_ = true;
  }
  if (needsPaint_) {
    needsPaint_ = false;
    // The font and colour every window inherits unless it sets its own.
    IRenderObj* oldFont = nullptr;
    SFontPool* fonts = SFontPool::getSingletonPtr();
    IFont* font = fonts ? fonts->GetFontByDescription(SStringW(), scale_) : nullptr;
    if (font) rt_->SelectObject(font, &oldFont);
    const COLORREF oldColor = rt_->SetTextColor(0xFF000000);
    // Invalidations made while painting wait in a fresh region for the
    // next paint: neither lost nor painted twice.
    SRefPtr<IRegion> taken = dirty_;
    IRegion* fresh = nullptr;
    SApplication::getSingleton().GetRenderFactory()->CreateRegion(&fresh);
    dirty_.Attach(fresh);
    if (taken->IsEmpty()) {
      rt_->PushClipRect(&root, kCombineCopy);
    } else {
      rt_->PushClipRegion(taken, kCombineCopy);
      RECT box;
      taken->GetRgnBox(&box);
      IntersectRect(&r, &box, &root);
    }
    rt_->ClearRect(&r, 0);
    // The caret is inverted out and back in around the tree's paint (the
    // pixels are presented by this paint, so nothing more is invalidated).
    if (caretDrawn_ && caret_) caret_->PaintAt(rt_, caretPos_.x, caretPos_.y);
    BuildZOrder();
    PaintZRange(rt_, taken->IsEmpty() ? nullptr : taken.get(), 0, 0x7FFFFFFF);
    if (caretDrawn_ && caret_) caret_->PaintAt(rt_, caretPos_.x, caretPos_.y);
    rt_->PopClip();
    rt_->SetTextColor(oldColor);
    if (font) rt_->SelectDefaultObject(OT_FONT, nullptr);
  } else {
    dirty_->GetRgnBox(&r);
    dirty_->Clear();
  }
  return r;
}

void SHostWnd::PaintQueuedWindows(RECT& r) {
  const std::vector<SWND> queue = std::move(queued_);
  queued_.clear();
  for (SWND handle : queue) {
    if (SWindow* w = SWindowMgr::getSingleton().LookupWindow(handle)) w->PaintPendingRegion();
  }
  for (const RECT& rc : deferred_) UnionRect(&r, &r, &rc);
  deferred_.clear();
}

void SHostWnd::PresentRect(HDC dc, const RECT& rc) {
  if (IsRectEmpty(&rc) || !rt_) return;
  if (IsTranslucent()) {
    PushLayer(rt_, attr_.Alpha(), &rc);
    return;
  }
  if (!dc) return;
  HDC src = rt_->GetDC(0);
  ::BitBlt(dc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, src, rc.left, rc.top, SRCCOPY);
  rt_->ReleaseDC(src);
}

BOOL SHostWnd::PushLayer(IRenderTarget* rt, BYTE alpha, const RECT* dirty) {
  RECT w{};
  ::GetWindowRect(GetHwnd(), &w);
  const RECT whole{0, 0, w.right - w.left, w.bottom - w.top};
  const POINT dst{w.left, w.top};
  const SIZE size{w.right - w.left, w.bottom - w.top};
  const POINT src{0, 0};
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
  HDC dc = rt->GetDC(0);
  UPDATELAYEREDWINDOWINFO info{};
  info.cbSize = sizeof info;
  info.pptDst = &dst;
  info.psize = &size;
  info.hdcSrc = dc;
  info.pptSrc = &src;
  info.pblend = &blend;
  info.dwFlags = ULW_ALPHA;
  info.prcDirty = dirty ? dirty : &whole;
  const BOOL ok = UpdateLayeredWindowIndirect(GetHwnd(), &info);
  rt->ReleaseDC(dc);
  return ok;
}

// --- invalidation -----------------------------------------------------------

// Where a repaint request goes: the HWND of an opaque host, the paint
// window of a translucent one (nowhere when that window is missing).
void SHostWnd::InvalidatePresenter(const RECT* rc) {
  if (IsTranslucent()) {
    if (dummy_.GetHwnd()) ::InvalidateRect(dummy_.GetHwnd(), nullptr, FALSE);
  } else if (GetHwnd()) {
    ::InvalidateRect(GetHwnd(), rc, FALSE);
  }
}

void SHostWnd::InvalidateHostRect(const RECT& rc) {
  if (!GetHwnd() || !IsWindow(GetHwnd()) || !dirty_) return;
  dirty_->CombineRect(&rc, kCombineOr);
  needsPaint_ = true;
  InvalidatePresenter(&rc);
}

void SHostWnd::RedrawAll() {
  fullRepaint_ = needsPaint_ = true;
  if (dirty_) dirty_->Clear();
  InvalidatePresenter(nullptr);
}

BOOL SHostWnd::UpdateNow() {
  if (inSize_) return FALSE;
  HWND target = IsTranslucent() ? dummy_.GetHwnd() : GetHwnd();
  if (target) UpdateWindow(target);
  return TRUE;
}

LRESULT SHostWnd::OnQueueWindowUpdate(SWND window) {
  for (SWND queued : queued_)
    if (queued == window) return 0;
  if (queued_.empty()) InvalidatePresenter(nullptr);
  queued_.push_back(window);
  return 0;
}

// --- borrowed render targets -------------------------------------------------

IRenderTarget* SHostWnd::AcquireRenderTarget(const RECT& rc, DWORD flags) {
  IRenderTarget* rt = nullptr;
  const int w = std::max<LONG>(rc.right - rc.left, 0), h = std::max<LONG>(rc.bottom - rc.top, 0);
  if (!SApplication::getSingleton().GetRenderFactory()->CreateRenderTarget(&rt, w, h)) return nullptr;
  rt->SetViewportOrg(POINT{-rc.left, -rc.top});
  if (flags != kAcquireEmpty && rt_) {
    // The borrower sees the picture without the caret.
    if (caretDrawn_ && caret_) caret_->PaintAt(rt_, caretPos_.x, caretPos_.y);
    rt->BitBlt(&rc, rt_, rc.left, rc.top, SRCCOPY);
  }
  return rt;
}

void SHostWnd::ReleaseRenderTarget(IRenderTarget* rt, const RECT& rc, DWORD flags) {
  if (flags != kAcquireEmpty && rt_) {
    rt_->BitBlt(&rc, rt, rc.left, rc.top, SRCCOPY);
    if (caretDrawn_ && caret_) caret_->PaintAt(rt_, caretPos_.x, caretPos_.y);
    if (inPaint_) {
      deferred_.push_back(rc);
    } else if (GetHwnd()) {
      HDC dc = GetDC(GetHwnd());
      PresentRect(dc, rc);
      ReleaseDC(GetHwnd(), dc);
    }
  }
  rt->Release();
}

// --- caret ------------------------------------------------------------------

void SHostWnd::ToggleCaretPixels() {
  if (!caret_ || !rt_) return;
  const RECT painted = caret_->PaintAt(rt_, caretPos_.x, caretPos_.y);
  if (IsRectEmpty(&painted)) return;
  if (!IsTranslucent()) {
    ::InvalidateRect(GetHwnd(), &painted, FALSE);
  } else if (dirty_) {
    dirty_->CombineRect(&painted, kCombineOr);
    if (dummy_.GetHwnd()) ::InvalidateRect(dummy_.GetHwnd(), nullptr, FALSE);
  }
}

BOOL SHostWnd::CreateCaret(SWND window, HBITMAP bitmap, int width, int height) {
  // The system caret only tells input methods where typing happens.
  ::CreateCaret(GetHwnd(), bitmap, width, height);
  ::HideCaret(GetHwnd());
  if (caretDrawn_) {
    ToggleCaretPixels();
    caretDrawn_ = false;
  }
  caret_.Attach(new SCaret(window, bitmap, width, height));
  return TRUE;
}

BOOL SHostWnd::ShowCaret(BOOL show) {
  caretShown_ = show != FALSE;
  if (show) {
    SwndContainerImpl::SetTimer(kCaretTimer, GetCaretBlinkTime());
    if (!caretDrawn_) {
      ToggleCaretPixels();
      caretDrawn_ = true;
    }
  } else {
    SwndContainerImpl::KillTimer(kCaretTimer);
    if (caretDrawn_) {
      ToggleCaretPixels();
      caretDrawn_ = false;
    }
  }
  return TRUE;
}

BOOL SHostWnd::SetCaretPos(int x, int y) {
  if (!caret_) return FALSE;
  ::SetCaretPos(x, y);
  const bool visible = caretShown_ && caretDrawn_;
  if (visible) ToggleCaretPixels();
  caretPos_ = POINT{x, y};
  if (visible) ToggleCaretPixels();
  return TRUE;
}

}  // namespace ORIEL
