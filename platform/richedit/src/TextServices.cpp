#include "TextServices.h"

#include <algorithm>
#include <cstring>

#include "TextUnits.h"
#include "gdi/GdiCairo.h"
#include "win32/user32.h"
#include "win32/windowing.h"

const IID IID_ITextServices = {0x8D33F740, 0xCF58, 0x11CE, {0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
const IID IID_ITextHost = {0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};

HRESULT CreateTextServices(IUnknown* punkOuter, ITextHost* pITextHost, IUnknown** ppUnk) {
  if (!ppUnk) return E_POINTER;
  *ppUnk = nullptr;
  if (punkOuter) return E_NOTIMPL;
  if (!pITextHost) return E_INVALIDARG;
  *ppUnk = new richedit::TextServices(pITextHost);
  return S_OK;
}

namespace richedit {

TextServices::TextServices(ITextHost* host) : host_(host) {
  charFormat_.cbSize = sizeof charFormat_;
  readProperties();
  readCharFormat();
  readView();
  applyLayoutFormat();
}

TextServices::~TextServices() {
  if (font_) pango_font_description_free(font_);
}

HRESULT TextServices::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_ITextServices) {
    *out = static_cast<ITextServices*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG TextServices::AddRef() { return ++refs_; }

ULONG TextServices::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

// --- What the host says

void TextServices::readProperties() {
  DWORD bits = 0;
  if (SUCCEEDED(host_->TxGetPropertyBits(0xFFFFFFFF, &bits))) bits_ = bits;
  DWORD length = 0;
  maxLength_ = SUCCEEDED(host_->TxGetMaxLength(&length)) && length > 0 ? length : 32767;
  DWORD bars = 0;
  scrollBars_ = SUCCEEDED(host_->TxGetScrollBars(&bars)) ? bars : 0;
  WCHAR ch = 0;
  passwordChar_ = SUCCEEDED(host_->TxGetPasswordChar(&ch)) && ch ? ch : L'*';
  const PARAFORMAT* para = nullptr;
  if (SUCCEEDED(host_->TxGetParaFormat(&para)) && para && (para->dwMask & PFM_ALIGNMENT) && para->wAlignment >= 1 &&
      para->wAlignment <= 3)
    alignment_ = para->wAlignment;
}

void TextServices::readCharFormat() {
  const CHARFORMATW* format = nullptr;
  std::memset(&charFormat_, 0, sizeof charFormat_);
  charFormat_.cbSize = sizeof charFormat_;
  charFormat_.dwEffects = CFE_AUTOCOLOR;
  if (SUCCEEDED(host_->TxGetCharFormat(&format)) && format) {
    const size_t size = std::min<size_t>(format->cbSize >= sizeof(CHARFORMATW) ? format->cbSize : sizeof(CHARFORMATW),
                                         sizeof charFormat_);
    std::memcpy(&charFormat_, format, size);
    charFormat_.cbSize = sizeof charFormat_;
  }
}

void TextServices::readView() {
  RECT rc{};
  if (SUCCEEDED(host_->TxGetClientRect(&rc))) client_ = rc;
  RECT inset{};
  if (SUCCEEDED(host_->TxGetViewInset(&inset))) {
    insetPx_ = RECT{hiMetricToPixels(inset.left), hiMetricToPixels(inset.top), hiMetricToPixels(inset.right),
                    hiMetricToPixels(inset.bottom)};
  }
}

void TextServices::applyLayoutFormat() {
  if (font_) pango_font_description_free(font_);
  font_ = fontOfCharFormat(charFormat_);
  LayoutFormat format;
  format.font = font_;
  format.underline = (charFormat_.dwMask & CFM_UNDERLINE) && (charFormat_.dwEffects & CFE_UNDERLINE);
  format.strikeOut = (charFormat_.dwMask & CFM_STRIKEOUT) && (charFormat_.dwEffects & CFE_STRIKEOUT);
  format.alignment = alignment_;
  const RECT view = viewRect();
  format.viewWidth = std::max<LONG>(0, view.right - view.left);
  format.wrapWidth = multiLine() && has(TXTBIT_WORDWRAP) && format.viewWidth > 0 ? format.viewWidth : -1;
  format.passwordChar = has(TXTBIT_USEPASSWORD) ? passwordChar_ : 0;
  layout_.setFormat(format, text_);
  scrollX_ = scrollY_ = 0;
  scrollToCaret();
  invalidateAll();
  updateScrollBars();
  if (focused_) {
    caretMade_ = false;
    updateCaret();
  }
}

HRESULT TextServices::OnTxPropertyBitsChange(DWORD dwMask, DWORD dwBits) {
  const DWORD before = bits_;
  bits_ = (bits_ & ~dwMask) | (dwBits & dwMask);
  const LayoutFormat old = layout_.format();
  bool relayout = ((before ^ bits_) & (TXTBIT_MULTILINE | TXTBIT_WORDWRAP | TXTBIT_USEPASSWORD)) != 0;
  if (dwMask & TXTBIT_MAXLENGTHCHANGE) {
    DWORD length = 0;
    maxLength_ = SUCCEEDED(host_->TxGetMaxLength(&length)) && length > 0 ? length : 32767;
  }
  if (dwMask & TXTBIT_SCROLLBARCHANGE) {
    DWORD bars = 0;
    scrollBars_ = SUCCEEDED(host_->TxGetScrollBars(&bars)) ? bars : 0;
    sentVMax_ = sentVPos_ = sentHMax_ = sentHPos_ = -1;
    sentVShow_ = sentHShow_ = -1;
    updateScrollBars();
  }
  if (dwMask & TXTBIT_USEPASSWORD) {
    WCHAR ch = 0;
    const wchar_t before = passwordChar_;
    passwordChar_ = SUCCEEDED(host_->TxGetPasswordChar(&ch)) && ch ? ch : L'*';
    relayout = relayout || (has(TXTBIT_USEPASSWORD) && before != passwordChar_);
  }
  if (dwMask & TXTBIT_CHARFORMATCHANGE) {
    readCharFormat();
    relayout = true;
  }
  if (dwMask & TXTBIT_PARAFORMATCHANGE) {
    const WORD before = alignment_;
    readProperties();
    relayout = relayout || before != alignment_;
  }
  if (dwMask & (TXTBIT_CLIENTRECTCHANGE | TXTBIT_EXTENTCHANGE | TXTBIT_VIEWINSETCHANGE)) {
    readView();
    const RECT view = viewRect();
    const int width = std::max<LONG>(0, view.right - view.left);
    // Only a width that lines are broken or aligned by costs a new layout.
    const bool wraps = multiLine() && has(TXTBIT_WORDWRAP);
    if (width != old.viewWidth && (wraps || alignment_ != PFA_LEFT)) relayout = true;
    if (!relayout) {
      scrollToCaret();
      invalidateAll();
      updateScrollBars();
      updateCaret();
    }
  }
  if (relayout) applyLayoutFormat();
  else if ((before ^ bits_) & TXTBIT_HIDESELECTION) invalidateAll();
  return S_OK;
}

// --- Activation

HRESULT TextServices::OnTxInPlaceActivate(LPCRECT prcClient) {
  if (prcClient && !EqualRect(prcClient, &client_)) {
    client_ = *prcClient;
    applyLayoutFormat();
  }
  return S_OK;
}

HRESULT TextServices::OnTxInPlaceDeactivate() { return S_OK; }

// Focus, not UI activation, decides the caret and the selection's
// visibility: the host sends WM_SETFOCUS and WM_KILLFOCUS beside these.
HRESULT TextServices::OnTxUIActivate() { return S_OK; }

HRESULT TextServices::OnTxUIDeactivate() { return S_OK; }

// --- Drawing

RECT TextServices::viewRect() const {
  return RECT{client_.left + insetPx_.left, client_.top + insetPx_.top, client_.right - insetPx_.right,
              client_.bottom - insetPx_.bottom};
}

POINT TextServices::textOrigin() const {
  const RECT view = viewRect();
  return POINT{static_cast<LONG>(view.left - scrollX_), static_cast<LONG>(view.top - scrollY_)};
}

bool TextServices::selectionShown() const { return focused_ || !has(TXTBIT_HIDESELECTION); }

HRESULT TextServices::TxDraw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC hdcDraw, HDC, LPCRECTL lprcBounds, LPCRECTL,
                             LPRECT lprcUpdate, BOOL(CALLBACK*)(DWORD), DWORD, LONG) {
  if (!hdcDraw) return E_INVALIDARG;
  cairo_surface_t* surface = GdiSurfaceOfDC(hdcDraw);
  if (!surface) return E_FAIL;
  if (lprcBounds) {
    const RECT bounds{lprcBounds->left, lprcBounds->top, lprcBounds->right, lprcBounds->bottom};
    if (!EqualRect(&bounds, &client_)) {
      client_ = bounds;
      applyLayoutFormat();
    }
  }
  RECT clip = viewRect();
  RECT box{};
  if (GetClipBox(hdcDraw, &box) != 0 && !IntersectRect(&clip, &clip, &box)) return S_OK;
  if (lprcUpdate && !IntersectRect(&clip, &clip, lprcUpdate)) return S_OK;
  POINT org{};
  GetViewportOrgEx(hdcDraw, &org);
  cairo_t* cr = cairo_create(surface);
  cairo_translate(cr, org.x, org.y);
  cairo_rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
  cairo_clip(cr);
  TextLayout::Colors colors;
  const bool autoColor = !(charFormat_.dwMask & CFM_COLOR) || (charFormat_.dwEffects & CFE_AUTOCOLOR);
  colorToRgba(autoColor ? host_->TxGetSysColor(COLOR_WINDOWTEXT) : charFormat_.crTextColor, colors.text);
  colorToRgba(host_->TxGetSysColor(COLOR_HIGHLIGHT), colors.highlight);
  colorToRgba(host_->TxGetSysColor(COLOR_HIGHLIGHTTEXT), colors.highlightText);
  const POINT origin = textOrigin();
  const bool showSel = selectionShown() && selStart() < selEnd();
  layout_.draw(cr, text_, origin.x, origin.y, clip.top - origin.y, clip.bottom - origin.y, showSel ? selStart() : 0,
               showSel ? selEnd() : 0, colors);
  cairo_destroy(cr);
  return S_OK;
}

HRESULT TextServices::OnTxSetCursor(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECT lprcClient, INT x, INT y) {
  const RECT area = lprcClient ? *lprcClient : client_;
  const POINT pt{x, y};
  if (PtInRect(&area, pt)) host_->TxSetCursor(LoadCursorW(nullptr, IDC_IBEAM), TRUE);
  return S_OK;
}

// --- Scrolling

HRESULT TextServices::TxGetHScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled) {
  const RECT view = viewRect();
  const long page = std::max<long>(0, view.right - view.left);
  const long width = layout_.format().wrapWidth > 0 ? page : layout_.maxWidth() + 1;
  if (plMin) *plMin = 0;
  if (plMax) *plMax = static_cast<LONG>(std::max(0L, width - 1));
  if (plPos) *plPos = static_cast<LONG>(scrollX_);
  if (plPage) *plPage = static_cast<LONG>(page);
  if (pfEnabled) *pfEnabled = width > page;
  return S_OK;
}

HRESULT TextServices::TxGetVScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled) {
  const RECT view = viewRect();
  const long page = std::max<long>(0, view.bottom - view.top);
  const long height = layout_.totalHeight();
  if (plMin) *plMin = 0;
  if (plMax) *plMax = static_cast<LONG>(std::max(0L, height - 1));
  if (plPos) *plPos = static_cast<LONG>(scrollY_);
  if (plPage) *plPage = static_cast<LONG>(page);
  if (pfEnabled) *pfEnabled = height > page;
  return S_OK;
}

void TextServices::updateScrollBars() {
  const RECT view = viewRect();
  if (scrollBars_ & WS_VSCROLL) {
    const long height = layout_.totalHeight();
    const long vmax = std::max(0L, height - 1);
    const int show = height > view.bottom - view.top ? 1 : 0;
    if (show != sentVShow_) host_->TxShowScrollBar(SB_VERT, show);
    if (vmax != sentVMax_) host_->TxSetScrollRange(SB_VERT, 0, static_cast<INT>(vmax), TRUE);
    if (scrollY_ != sentVPos_) host_->TxSetScrollPos(SB_VERT, static_cast<INT>(scrollY_), TRUE);
    sentVShow_ = show;
    sentVMax_ = vmax;
    sentVPos_ = scrollY_;
  }
  if ((scrollBars_ & WS_HSCROLL) && layout_.format().wrapWidth <= 0) {
    const long width = layout_.maxWidth() + 1;
    const long hmax = std::max(0L, width - 1);
    const int show = width > view.right - view.left ? 1 : 0;
    if (show != sentHShow_) host_->TxShowScrollBar(SB_HORZ, show);
    if (hmax != sentHMax_) host_->TxSetScrollRange(SB_HORZ, 0, static_cast<INT>(hmax), TRUE);
    if (scrollX_ != sentHPos_) host_->TxSetScrollPos(SB_HORZ, static_cast<INT>(scrollX_), TRUE);
    sentHShow_ = show;
    sentHMax_ = hmax;
    sentHPos_ = scrollX_;
  }
}

void TextServices::scrollTo(long x, long y) {
  const RECT view = viewRect();
  const long viewW = std::max<long>(1, view.right - view.left);
  const long viewH = std::max<long>(1, view.bottom - view.top);
  y = std::clamp(y, 0L, std::max(0L, layout_.totalHeight() - viewH));
  if (layout_.format().wrapWidth > 0) x = 0;
  else if (x > 0) x = std::clamp(x, 0L, std::max(0L, static_cast<long>(layout_.maxWidth()) + 1 - viewW));
  if (x < 0) x = 0;
  if (x == scrollX_ && y == scrollY_) return;
  scrollX_ = x;
  scrollY_ = y;
  invalidateAll();
  updateCaret();
}

void TextServices::scrollToCaret() {
  const CaretBox box = layout_.caretAt(text_, caret_);
  const RECT view = viewRect();
  const long viewW = view.right - view.left;
  const long viewH = view.bottom - view.top;
  long x = scrollX_, y = scrollY_;
  if (box.x < x) x = box.x;
  else if (box.x + 1 > x + viewW) x = box.x + 1 - viewW;
  if (box.y < y) y = box.y;
  else if (box.y + box.height > y + viewH) y = box.y + box.height - viewH;
  scrollTo(x, y);
}

void TextServices::onScroll(bool vertical, WORD code, WORD thumb) {
  const RECT view = viewRect();
  const long page = vertical ? view.bottom - view.top : view.right - view.left;
  const long line = vertical ? layout_.lineHeight() : std::max(1, layout_.lineHeight());
  long pos = vertical ? scrollY_ : scrollX_;
  switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= std::max(1L, page); break;
    case SB_PAGEDOWN: pos += std::max(1L, page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: pos = thumb; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = vertical ? layout_.totalHeight() : layout_.maxWidth(); break;
    default: return;
  }
  if (vertical) scrollTo(scrollX_, pos);
  else scrollTo(pos, scrollY_);
  updateScrollBars();
}

// --- Caret and repainting

void TextServices::updateCaret() {
  if (!focused_) return;
  const CaretBox box = layout_.caretAt(text_, caret_);
  if (!caretMade_) {
    host_->TxCreateCaret(nullptr, 1, box.height);
    caretMade_ = true;
  }
  const POINT origin = textOrigin();
  // The host moves the system caret, and with it the input method's spot.
  host_->TxSetCaretPos(origin.x + box.x, origin.y + box.y);
  host_->TxShowCaret(selStart() == selEnd());
}

void TextServices::invalidateAll() { host_->TxInvalidateRect(nullptr, FALSE); }

void TextServices::invalidateParagraphs(size_t first, size_t last, bool toBottom) {
  const POINT origin = textOrigin();
  RECT rc{client_.left, static_cast<LONG>(origin.y + layout_.paragraphTop(first)), client_.right, client_.bottom};
  if (!toBottom) rc.bottom = static_cast<LONG>(origin.y + layout_.paragraphTop(last) + layout_.paragraphHeight(last));
  if (!IntersectRect(&rc, &rc, &client_)) return;
  host_->TxInvalidateRect(&rc, FALSE);
}

void TextServices::invalidateSelection(long oldStart, long oldEnd) {
  if (!selectionShown()) return;
  const long newStart = selStart(), newEnd = selEnd();
  if (oldStart == oldEnd && newStart == newEnd) return;
  if (oldStart == newStart && oldEnd == newEnd) return;
  long from = 0, to = 0;
  if (oldStart == oldEnd) {
    from = newStart;
    to = newEnd;
  } else if (newStart == newEnd) {
    from = oldStart;
    to = oldEnd;
  } else {
    from = std::min(oldStart, newStart);
    to = std::max(oldEnd, newEnd);
  }
  invalidateParagraphs(text_.paragraphAt(from), text_.paragraphAt(to), false);
}

void TextServices::select(long anchor, long caret, bool keepGoalX) {
  const long length = text_.length();
  const long oldStart = selStart(), oldEnd = selEnd();
  anchor_ = std::clamp(anchor, 0L, length);
  caret_ = std::clamp(caret, 0L, length);
  if (!keepGoalX) goalX_ = -1;
  undo_.closeRun();
  invalidateSelection(oldStart, oldEnd);
  scrollToCaret();
  updateCaret();
}

void TextServices::moveCaret(long pos, bool extend, bool keepGoalX) {
  select(extend ? anchor_ : pos, pos, keepGoalX);
}

void TextServices::onFocus(bool focused) {
  if (focused_ == focused) return;
  focused_ = focused;
  if (focused) {
    caretMade_ = false;
    updateCaret();
  } else {
    host_->TxShowCaret(FALSE);
    caretMade_ = false;
    if (dragging_) onButtonUp();
  }
  if (selStart() != selEnd() && has(TXTBIT_HIDESELECTION))
    invalidateParagraphs(text_.paragraphAt(selStart()), text_.paragraphAt(selEnd()), false);
}

// --- Methods no caller uses

HRESULT TextServices::TxQueryHitPoint(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECT, INT, INT, DWORD*) {
  return E_NOTIMPL;
}
HRESULT TextServices::TxGetText(BSTR*) { return E_NOTIMPL; }
HRESULT TextServices::TxSetText(LPCWSTR) { return E_NOTIMPL; }
HRESULT TextServices::TxGetCurTargetX(LONG*) { return E_NOTIMPL; }
HRESULT TextServices::TxGetBaseLinePos(LONG*) { return E_NOTIMPL; }
HRESULT TextServices::TxGetNaturalSize(DWORD, HDC, HDC, DVTARGETDEVICE*, DWORD, const SIZEL*, LONG*, LONG*) {
  return E_NOTIMPL;
}
HRESULT TextServices::TxGetDropTarget(IDropTarget**) { return E_NOTIMPL; }
HRESULT TextServices::TxGetCachedSize(DWORD*, DWORD*) { return E_NOTIMPL; }

}  // namespace richedit
