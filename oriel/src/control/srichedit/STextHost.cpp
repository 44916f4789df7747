// The host side of the text services: every answer comes from the owning
// edit's fields, its window and its container.
#include "control/SRichEdit.h"
#include "core/STextServiceHelper.h"
#include "core/SwndContainer.h"
#include "gdi/gdi.h"
#include "win32/imm.h"
#include "win32/user32.h"

namespace ORIEL {

STextHost::STextHost(SRichEdit* owner) : owner_(owner) {}

STextHost::~STextHost() {
  if (services_) services_->Release();
}

bool STextHost::Init() {
  STextServiceHelper* helper = STextServiceHelper::getSingletonPtr();
  if (!helper) return false;
  IUnknown* unknown = nullptr;
  if (FAILED(helper->CreateTextServices(nullptr, this, &unknown)) || !unknown) return false;
  void* services = nullptr;
  const HRESULT hr = unknown->QueryInterface(IID_ITextServices, &services);
  unknown->Release();
  if (FAILED(hr) || !services) return false;
  services_ = static_cast<ITextServices*>(services);
  return true;
}

HWND STextHost::HostHwnd() const {
  ISwndContainer* container = owner_->GetContainer();
  return container ? container->GetHostHwnd() : nullptr;
}

HRESULT STextHost::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_ITextHost) {
    *out = static_cast<ITextHost*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STextHost::AddRef() { return ++refs_; }

ULONG STextHost::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HDC STextHost::TxGetDC() { return ::GetDC(nullptr); }
INT STextHost::TxReleaseDC(HDC hdc) { return ::ReleaseDC(nullptr, hdc); }

BOOL STextHost::TxShowScrollBar(INT fnBar, BOOL fShow) {
  if (fnBar == SB_HORZ || fnBar == SB_BOTH) owner_->hbar_.shown = fShow != FALSE;
  if (fnBar == SB_VERT || fnBar == SB_BOTH) owner_->vbar_.shown = fShow != FALSE;
  return TRUE;
}

BOOL STextHost::TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) {
  return TxShowScrollBar(fuSBFlags, fuArrowflags == 0);
}

BOOL STextHost::TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, BOOL) {
  SRichEdit::Bar& bar = fnBar != SB_HORZ ? owner_->vbar_ : owner_->hbar_;
  bar.min = nMinPos;
  bar.max = nMaxPos;
  return TRUE;
}

BOOL STextHost::TxSetScrollPos(INT fnBar, INT nPos, BOOL) {
  if (owner_->options_ & SRichEdit::kOptScrollPending) return TRUE;
  owner_->options_ |= SRichEdit::kOptScrollPending;
  (fnBar != SB_HORZ ? owner_->vbar_ : owner_->hbar_).pos = nPos;
  owner_->options_ &= ~SRichEdit::kOptScrollPending;
  return TRUE;
}

void STextHost::TxInvalidateRect(LPCRECT prc, BOOL) {
  if (prc) owner_->InvalidateRect(*prc);
  else owner_->Invalidate();
}

void STextHost::TxViewChange(BOOL fUpdate) {
  if (fUpdate) owner_->Invalidate();
}

BOOL STextHost::TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) {
  ISwndContainer* container = owner_->GetContainer();
  return container && container->CreateCaret(owner_->GetHandle(), hbmp, xWidth, yHeight);
}

BOOL STextHost::TxShowCaret(BOOL fShow) {
  if (fShow && !active_) return FALSE;
  ISwndContainer* container = owner_->GetContainer();
  return container && container->ShowCaret(fShow);
}

BOOL STextHost::TxSetCaretPos(INT x, INT y) {
  caretPos_ = POINT{x, y};
  ISwndContainer* container = owner_->GetContainer();
  return container && container->SetCaretPos(x, y);
}

// The engine's timer ids run past the 0-127 of host-window timers, so its
// timers are thread timers; their ticks come back as WM_TIMER.
BOOL STextHost::TxSetTimer(UINT idTimer, UINT uTimeout) { return owner_->SetTimer2(idTimer, uTimeout); }
void STextHost::TxKillTimer(UINT idTimer) { owner_->KillTimer2(idTimer); }

void STextHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) { owner_->Invalidate(); }

void STextHost::TxSetCapture(BOOL fCapture) {
  if (fCapture) owner_->SetCapture();
  else owner_->ReleaseCapture();
}

void STextHost::TxSetFocus() { owner_->SetFocus(); }
void STextHost::TxSetCursor(HCURSOR hcur, BOOL) { ::SetCursor(hcur); }

BOOL STextHost::TxScreenToClient(LPPOINT lppt) {
  HWND hwnd = HostHwnd();
  return hwnd && ::ScreenToClient(hwnd, lppt);
}

BOOL STextHost::TxClientToScreen(LPPOINT lppt) {
  HWND hwnd = HostHwnd();
  return hwnd && ::ClientToScreen(hwnd, lppt);
}

HRESULT STextHost::TxActivate(LONG* plOldState) {
  if (plOldState) *plOldState = active_ ? 1 : 0;
  active_ = true;
  return S_OK;
}

HRESULT STextHost::TxDeactivate(LONG) {
  active_ = false;
  return S_OK;
}

HRESULT STextHost::TxGetClientRect(LPRECT prc) {
  *prc = owner_->ClientRect();
  return S_OK;
}

HRESULT STextHost::TxGetViewInset(LPRECT prc) {
  *prc = owner_->insetHiMetric_;
  return S_OK;
}

HRESULT STextHost::TxGetCharFormat(const CHARFORMATW** ppCF) {
  *ppCF = reinterpret_cast<const CHARFORMATW*>(&owner_->charFormat_);
  return S_OK;
}

HRESULT STextHost::TxGetParaFormat(const PARAFORMAT** ppPF) {
  *ppPF = reinterpret_cast<const PARAFORMAT*>(&owner_->paraFormat_);
  return S_OK;
}

COLORREF STextHost::TxGetSysColor(int nIndex) { return ::GetSysColor(nIndex); }

HRESULT STextHost::TxGetBackStyle(TXTBACKSTYLE* pstyle) {
  *pstyle = TXTBACK_TRANSPARENT;
  return S_OK;
}

HRESULT STextHost::TxGetMaxLength(DWORD* plength) {
  *plength = owner_->maxLength_;
  return S_OK;
}

// 0x2000 is ES_NUMBER: the engine holds typed and pasted text to digits by it.
HRESULT STextHost::TxGetScrollBars(DWORD* pdwScrollBar) {
  *pdwScrollBar = owner_->style_ & 0x3020C0;
  return S_OK;
}

HRESULT STextHost::TxGetPasswordChar(WCHAR* pch) {
  *pch = owner_->passwordChar_;
  return S_OK;
}

HRESULT STextHost::TxGetAcceleratorPos(LONG* pcp) {
  *pcp = -1;
  return S_OK;
}

HRESULT STextHost::TxGetExtent(LPSIZEL lpExtent) {
  *lpExtent = owner_->extent_;
  return S_OK;
}

HRESULT STextHost::OnTxCharFormatChange(const CHARFORMATW*) { return S_OK; }
HRESULT STextHost::OnTxParaFormatChange(const PARAFORMAT*) { return S_OK; }

HRESULT STextHost::TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) {
  *pdwBits = owner_->PropertyBits() & dwMask;
  return S_OK;
}

HRESULT STextHost::TxNotify(DWORD iNotify, void* pv) {
  EventRENotify e(owner_);
  e.iNotify = iNotify;
  e.pv = pv;
  owner_->RaiseEvent(&e);
  return e.hr;
}

HIMC STextHost::TxImmGetContext() {
  HWND hwnd = HostHwnd();
  return hwnd ? ::ImmGetContext(hwnd) : nullptr;
}

void STextHost::TxImmReleaseContext(HIMC himc) {
  if (HWND hwnd = HostHwnd()) ::ImmReleaseContext(hwnd, himc);
}

HRESULT STextHost::TxGetSelectionBarWidth(LONG* lSelBarWidth) {
  *lSelBarWidth = 0;
  return S_OK;
}

// --- drop target ----------------------------------------------------------

SRicheditDropTarget::SRicheditDropTarget(ITextServices* services) : services_(services) { services_->AddRef(); }
SRicheditDropTarget::~SRicheditDropTarget() { services_->Release(); }

HRESULT SRicheditDropTarget::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDropTarget) {
    *out = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG SRicheditDropTarget::AddRef() { return ++refs_; }

ULONG SRicheditDropTarget::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

// The text services' own target is asked for anew on every call; a copy is
// offered whatever it answered.
HRESULT SRicheditDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) {
  IDropTarget* target = nullptr;
  HRESULT hr = services_->TxGetDropTarget(&target);
  if (SUCCEEDED(hr) && target) {
    hr = target->DragEnter(data, keys, pt, effect);
    target->Release();
  }
  *effect = DROPEFFECT_COPY;
  return hr;
}

HRESULT SRicheditDropTarget::DragOver(DWORD keys, POINTL pt, DWORD* effect) {
  IDropTarget* target = nullptr;
  HRESULT hr = services_->TxGetDropTarget(&target);
  if (SUCCEEDED(hr) && target) {
    hr = target->DragOver(keys, pt, effect);
    target->Release();
  }
  *effect = DROPEFFECT_COPY;
  return hr;
}

HRESULT SRicheditDropTarget::DragLeave() {
  IDropTarget* target = nullptr;
  HRESULT hr = services_->TxGetDropTarget(&target);
  if (SUCCEEDED(hr) && target) {
    hr = target->DragLeave();
    target->Release();
  }
  return hr;
}

HRESULT SRicheditDropTarget::Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) {
  if (*effect == 0) return S_FALSE;
  IDropTarget* target = nullptr;
  HRESULT hr = services_->TxGetDropTarget(&target);
  if (SUCCEEDED(hr) && target) {
    hr = target->Drop(data, keys, pt, effect);
    target->Release();
  }
  return hr;
}

}  // namespace ORIEL
