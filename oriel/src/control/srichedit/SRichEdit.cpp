// The rich edit's life, painting, input and edit messages: the text services
// do the editing, the window routes to them and draws what they draw.
#include "control/SRichEdit.h"

#include "control/SWin32Menu.h"
#include "core/SApplication.h"
#include "core/SGdiUtils.h"
#include "core/SLog.h"
#include "core/SRicheditMenuDef.h"
#include "core/STimer2.h"
#include "core/SwndContainer.h"
#include "win32/imm.h"
#include "win32/user32.h"

namespace ORIEL {
namespace {

// a * b / c, rounded to the nearest.
LONG ScaleBy(LONG a, LONG b, LONG c) {
  const long long n = static_cast<long long>(a) * b;
  return static_cast<LONG>(n >= 0 ? (n + c / 2) / c : (n - c / 2) / c);
}

bool KeyHeld(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// The framework timer that only asks for a repaint.
constexpr UINT kRepaintTimer = 6;

}  // namespace

SRichEdit::SRichEdit() {
  SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  SWindow::ApplyAttribute(SStringW(L"clipClient"), SStringW(L"1"), TRUE);
  GetEventSet()->AddEvent(EventRENotify::EventID, EventRENotify::EventName());
  GetEventSet()->AddEvent(EventREMenu::EventID, EventREMenu::EventName());
  GetEventSet()->AddEvent(EventKeyDown::EventID, EventKeyDown::EventName());
}

SRichEdit::~SRichEdit() {
  if (host_) {
    host_->Release();
    host_ = nullptr;
  }
}

BOOL SRichEdit::SendToServices(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  ITextServices* services = GetTextServices();
  if (!services) return FALSE;
  LRESULT local = 0;
  return services->TxSendMessage(msg, wParam, lParam, result ? result : &local) == S_OK;
}

int SRichEdit::OnCreate() {
  const int base = SWindow::OnCreate();
  if (base != 0) return base;
  BuildDefaultCharFormat(FontInEffect());
  BuildDefaultParaFormat();
  host_ = new STextHost(this);
  host_->AddRef();
  if (!host_->Init()) {
    host_->Release();
    host_ = nullptr;
    return 1;
  }
  ITextServices* services = host_->GetTextService();
  services->OnTxInPlaceActivate(nullptr);
  host_->SetActive(false);
  services->OnTxUIDeactivate();
  SendToServices(WM_KILLFOCUS, 0, 0);
  LRESULT lang = 0;
  SendToServices(EM_GETLANGOPTIONS, 0, 0, &lang);
  lang = (lang & ~2) | 0xA1;
  SendToServices(EM_SETLANGOPTIONS, 0, lang);
  if (options_ & kOptNotifyChange) SendToServices(EM_SETEVENTMASK, 0, ENM_CHANGE);
  if (!rtf_.IsEmpty()) {
    ApplyRtf(rtf_);
    rtf_.Empty();
  } else {
    const SStringW text = SWindow::GetText(false);
    if (!text.IsEmpty()) SendToServices(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  UpdateInsets();
  UpdateDragDrop();
  return 0;
}

void SRichEdit::OnDestroy() {
  if (IsFocused()) ReleaseFocus();
  if (dropRegistered_ && GetContainer()) GetContainer()->RemoveDropTarget(GetHandle());
  dropRegistered_ = false;
  if (ITextServices* services = GetTextServices()) services->OnTxInPlaceDeactivate();
  if (host_) {
    host_->Release();
    host_ = nullptr;
  }
  SWindow::OnDestroy();
}

void SRichEdit::UpdateDragDrop() {
  const bool on = (options_ & kOptDragDrop) && !(style_ & ES_READONLY);
  ISwndContainer* container = GetContainer();
  if (!container || !GetTextServices()) return;
  if (on && !dropRegistered_) {
    auto* target = new SRicheditDropTarget(GetTextServices());
    dropRegistered_ = container->AddDropTarget(GetHandle(), target) != FALSE;
    target->Release();
  } else if (!on && dropRegistered_) {
    container->RemoveDropTarget(GetHandle());
    dropRegistered_ = false;
  }
}

// A single plain line is centred vertically (its insets are what is left of
// the height around one line); otherwise the padding is the inset.
void SRichEdit::UpdateInsets() {
  const RECT client = ClientRect();
  const RECT padding = GetStyle().GetScaledPadding();
  const int height = client.bottom - client.top;
  int top = padding.top, bottom = padding.bottom;
  if (!((options_ & kOptRich) || !(options_ & kOptVCenter) || (style_ & ES_MULTILINE))) {
    top = bottom = (height - lineHeight_) / 2;
  }
  insetPx_ = RECT{padding.left, top, padding.right, bottom};
  if (!host_) return;
  const SIZE ppi = PixelsPerInch();
  extent_.cx = ScaleBy(client.right - client.left, 2540, ppi.cx);
  extent_.cy = ScaleBy(height, 2540, ppi.cy);
  insetHiMetric_ = RECT{ScaleBy(padding.left, 2540, ppi.cx), ScaleBy(top, 2540, ppi.cy),
                        ScaleBy(padding.right, 2540, ppi.cx), ScaleBy(bottom, 2540, ppi.cy)};
  const bool focused = IsFocused() != FALSE;
  if (focused) DeactivateServices();
  GetTextServices()->OnTxPropertyBitsChange(TXTBIT_CLIENTRECTCHANGE | TXTBIT_EXTENTCHANGE,
                                            TXTBIT_CLIENTRECTCHANGE | TXTBIT_EXTENTCHANGE);
  if (focused) ActivateServices();
}

void SRichEdit::ActivateServices() {
  host_->SetActive(true);
  GetTextServices()->OnTxUIActivate();
  SendToServices(WM_SETFOCUS, 0, 0);
}

void SRichEdit::DeactivateServices() {
  host_->SetActive(false);
  GetTextServices()->OnTxUIDeactivate();
  SendToServices(WM_KILLFOCUS, 0, 0);
  if (GetContainer()) GetContainer()->ShowCaret(FALSE);
}

void SRichEdit::OnPaint(IRenderTarget* rt) {
  ITextServices* services = GetTextServices();
  if (!services) return;
  RECT client = ClientRect();
  rt->PushClipRect(&client, 1 /* and */);
  HDC dc = rt->GetDC(0);
  const int oldMode = SetGraphicsMode(dc, GM_COMPATIBLE);
  GdiAlphaRecord alpha;
  GdiAlphaSave(dc, &client, &alpha);
  const RECTL bounds{client.left, client.top, client.right, client.bottom};
  services->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dc, nullptr, &bounds, nullptr, &client, nullptr, 0,
                   TXTVIEW_ACTIVE);
  GdiAlphaRestore(&alpha);
  SetGraphicsMode(dc, oldMode);
  rt->ReleaseDC(dc);
  rt->PopClip();
}

void SRichEdit::OnShowWindow(BOOL show, UINT status) {
  SWindow::OnShowWindow(show, status);
  if (!IsVisible(TRUE) && GetContainer() && GetContainer()->GetHostHwnd()) {
    // The cursor may have been the text beam of a window now gone.
    ::PostMessageW(GetContainer()->GetHostHwnd(), WM_SETCURSOR,
                   reinterpret_cast<WPARAM>(GetContainer()->GetHostHwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  }
}

IFont* SRichEdit::FontInEffect() {
  for (SWindow* w = this; w; w = w->GetParent())
    if (IFont* font = w->GetStyle().GetFontForState(0)) return font;
  return nullptr;
}

void SRichEdit::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  BuildDefaultCharFormat(FontInEffect());
  NotifyBits(TXTBIT_CHARFORMATCHANGE);
}

SStringW SRichEdit::GetText(bool raw) const {
  ITextServices* services = GetTextServices();
  if (!services) return SWindow::GetText(raw);
  LRESULT length = 0;
  services->TxSendMessage(WM_GETTEXTLENGTH, 0, 0, &length);
  SStringW text;
  if (length <= 0) return text;
  wchar_t* buffer = text.GetBuffer(static_cast<int>(length) + 1);
  LRESULT copied = 0;
  services->TxSendMessage(WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(buffer), &copied);
  text.ReleaseBuffer(static_cast<int>(copied));
  return text;
}

void SRichEdit::SetText(const SStringW& text) {
  if (!GetTextServices()) {
    SWindow::SetText(text);
    return;
  }
  SendSwndMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  Invalidate();
}

UINT SRichEdit::GetDlgCode() const {
  UINT code = 1 | 8;  // arrows and characters
  if (options_ & kOptWantTab) code |= 2;
  if (style_ & ES_WANTRETURN) code |= 4;
  return code;
}

BOOL SRichEdit::ApplyStyleCursor(POINT pt) {
  ITextServices* services = GetTextServices();
  const RECT client = ClientRect();
  if (!services || !PtInRect(&client, pt)) return SWindow::ApplyStyleCursor(pt);
  HDC dc = ::GetDC(nullptr);
  services->OnTxSetCursor(DVASPECT_CONTENT, 0, nullptr, nullptr, dc, nullptr, &client, pt.x, pt.y);
  ::ReleaseDC(nullptr, dc);
  return TRUE;
}

// --- focus ------------------------------------------------------------------

void SRichEdit::OnSetFocus() {
  if (!host_ || !IsVisible(TRUE) || IsDisabled(TRUE)) return;
  ActivateServices();
  // The whole text, however long: a 0xFFFF end stops short of longer texts.
  if (options_ & kOptAutoSel) SendToServices(EM_SETSEL, 0, -1);
  HWND hwnd = GetContainer() ? GetContainer()->GetHostHwnd() : nullptr;
  if ((style_ & (ES_PASSWORD | ES_NUMBER)) && hwnd && !imcDetached_) {
    savedImc_ = ImmAssociateContext(hwnd, nullptr);
    imcDetached_ = true;
  }
}

void SRichEdit::OnKillFocus() {
  if (!host_) return;
  DeactivateServices();
  HWND hwnd = GetContainer() ? GetContainer()->GetHostHwnd() : nullptr;
  if (imcDetached_ && hwnd) ImmAssociateContext(hwnd, savedImc_);
  imcDetached_ = false;
  savedImc_ = nullptr;
}

// --- input ------------------------------------------------------------------

BOOL SRichEdit::OnKeyDown(WPARAM key, LPARAM flags) {
  EventKeyDown e(this);
  e.nChar = static_cast<UINT>(key);
  e.nFlags = static_cast<UINT>(flags);
  RaiseEvent(&e);
  if (e.bCancel) return FALSE;
  // Return of a single line goes on to the host, where a dialog's default
  // button takes it.
  if (key == VK_RETURN && !(style_ & ES_WANTRETURN) && !KeyHeld(VK_CONTROL)) return FALSE;
  return SendToServices(WM_KEYDOWN, key, flags);
}

BOOL SRichEdit::OnChar(WPARAM ch, UINT msg, LPARAM flags) {
  const bool ctrl = KeyHeld(VK_CONTROL);
  if (ch == L'\t' && !(options_ & kOptWantTab) && !ctrl) return FALSE;
  if ((ch == 10 || ch == 13) && !ctrl && !(style_ & ES_WANTRETURN)) return FALSE;
  if ((style_ & ES_NUMBER) && ch >= 0x20 && !((ch >= L'0' && ch <= L'9') || ch == L'-' || ch == L'.' || ch == L','))
    return TRUE;  // dropped
  return SendToServices(msg, ch, flags);
}

BOOL SRichEdit::BuildContextMenu(SWin32Menu& menu) {
  SRicheditMenuDef* def = SRicheditMenuDef::getSingletonPtr();
  if (!def || !def->GetMenuDef() || !menu.LoadFromNode(def->GetMenuDef())) return FALSE;
  LRESULT start = 0, end = 0;
  SendToServices(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  // EM_GETSEL fills DWORDs.
  const LONG selStart = *reinterpret_cast<DWORD*>(&start), selEnd = *reinterpret_cast<DWORD*>(&end);
  const bool hasSel = selStart < selEnd;
  const bool readOnly = (style_ & ES_READONLY) != 0;
  LRESULT canPaste = 0;
  SendToServices(EM_CANPASTE, 0, 0, &canPaste);
  LRESULT length = 0;
  SendToServices(WM_GETTEXTLENGTH, 0, 0, &length);
  HMENU h = menu.GetHMenu();
  auto gray = [h](UINT id, bool off) { EnableMenuItem(h, id, MF_BYCOMMAND | (off ? MF_GRAYED : MF_ENABLED)); };
  gray(1, !hasSel || readOnly);
  gray(2, !hasSel);
  gray(3, canPaste == 0 || readOnly);
  gray(4, !hasSel || readOnly);
  gray(5, length == 0);
  return TRUE;
}

void SRichEdit::OnRButtonDown(POINT pt) {
  EventCtxMenu ctx(this);
  ctx.pt = pt;
  if (RaiseEvent(&ctx) || ctx.bCancel) return;
  SetFocus();
  SWin32Menu menu;
  if (!BuildContextMenu(menu)) return;
  HWND hwnd = GetContainer() ? GetContainer()->GetHostHwnd() : nullptr;
  POINT screen = pt;
  if (hwnd) ::ClientToScreen(hwnd, &screen);
  const UINT cmd = menu.ShowPopup(TPM_RETURNCMD, screen.x, screen.y, hwnd, nullptr, 100);
  EventREMenu e(this);
  e.uCmd = cmd;
  if (RaiseEvent(&e)) return;
  switch (cmd) {
    case 1: SendToServices(WM_CUT, 0, 0); break;
    case 2: SendToServices(WM_COPY, 0, 0); break;
    case 3: SendToServices(WM_PASTE, 0, 0); break;
    case 4: SendToServices(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"")); break;
    case 5: SendToServices(EM_SETSEL, 0, -1); break;
    default: break;
  }
}

LRESULT SRichEdit::OnSetCharFormat(WPARAM range, const CHARFORMAT2W* format) {
  if (range == 0 && format->cbSize != sizeof(CHARFORMAT2W)) {
    SLOGW(SLOG_LEVEL_ERROR, "ORIEL::SRichEdit::OnSetCharFormat", L"%s",
          L"set default char format failed! only CHARFORMAT2W can be set for default char format");
    return 0;
  }
  SendToServices(EM_SETCHARFORMAT, range, reinterpret_cast<LPARAM>(format));
  if (range == 0) {
    charFormat_ = *format;
    NotifyBits(TXTBIT_CHARFORMATCHANGE);
  }
  return 1;
}

BOOL SRichEdit::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (msg) {
    case SWM_SIZE: SWindow::HandleSwndMessage(msg, wParam, lParam, result); UpdateInsets(); return TRUE;
    case WM_SETFOCUS: SWindow::HandleSwndMessage(msg, wParam, lParam, result); OnSetFocus(); return TRUE;
    case WM_KILLFOCUS: SWindow::HandleSwndMessage(msg, wParam, lParam, result); OnKillFocus(); return TRUE;
    case WM_LBUTTONDOWN:
      SetCapture();
      if (!IsFocused()) {
        SetFocus();
        // The first click only selects all.
        if (options_ & kOptAutoSel) return TRUE;
      }
      SendToServices(msg, wParam, lParam);
      return TRUE;
    case WM_LBUTTONUP: SendToServices(msg, wParam, lParam); ReleaseCapture(); return TRUE;
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE: SendToServices(msg, wParam, lParam); return TRUE;
    case WM_RBUTTONDOWN: OnRButtonDown(PointOf(lParam)); return TRUE;
    case WM_MOUSEWHEEL:
      if (style_ & ES_MULTILINE) {
        SendToServices(WM_VSCROLL, static_cast<SHORT>(HIWORD(wParam)) > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
        return TRUE;
      }
      return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
    case WM_KEYDOWN: return OnKeyDown(wParam, lParam);
    case WM_CHAR:
    case WM_IME_CHAR: return OnChar(wParam, msg, lParam);
    case WM_SETTEXT: {
      if (!SendToServices(WM_SETTEXT, wParam, lParam)) return TRUE;
      const size_t length = lParam ? wcslen(reinterpret_cast<LPCWSTR>(lParam)) : 0;
      if (length > maxLength_) maxLength_ = static_cast<DWORD>(length);
      result = 1;
      return TRUE;
    }
    case EM_SETCHARFORMAT: result = OnSetCharFormat(wParam, reinterpret_cast<const CHARFORMAT2W*>(lParam)); return TRUE;
    case EM_SETPARAFORMAT: {
      const auto* format = reinterpret_cast<const PARAFORMAT*>(lParam);
      result = format && format->cbSize == sizeof(PARAFORMAT2) && SendToServices(msg, wParam, lParam) ? 1 : 0;
      return TRUE;
    }
    case EM_EXLIMITTEXT:
      maxLength_ = lParam == 0 ? 0x7fff : static_cast<DWORD>(lParam);
      NotifyBits(TXTBIT_MAXLENGTHCHANGE);
      result = 1;
      return TRUE;
    case EM_SETREADONLY:
      result = SUCCEEDED(ApplyAttribute(SStringW(L"readOnly"), SStringW(wParam ? L"1" : L"0"), FALSE));
      return TRUE;
    case WM_SETFONT: {
      IFont* font = reinterpret_cast<IFont*>(wParam);
      BuildDefaultCharFormat(font ? font : FontInEffect());
      NotifyBits(TXTBIT_CHARFORMATCHANGE);
      return TRUE;
    }
    case UM_STIMER: SendToServices(WM_TIMER, wParam, lParam); return TRUE;
    case WM_TIMER:
      if (wParam == kRepaintTimer) {
        Invalidate();
        KillTimer(kRepaintTimer);
        return TRUE;
      }
      return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
    default: return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
}

// Whatever neither this window nor its bases handle goes to the text
// services.
BOOL SRichEdit::HandleDefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == EM_GETRECT) {
    if (lParam) *reinterpret_cast<RECT*>(lParam) = ClientRect();
    return TRUE;
  }
  if (!GetTextServices()) return FALSE;
  return SendToServices(msg, wParam, lParam, &result);
}

}  // namespace ORIEL
