// The framework's text input: a window that hosts the windowless text
// services, answers their host calls (STextHost), forwards mouse, keyboard,
// focus and edit messages to them, draws them into the render target and
// turns their notices into framework events.
#pragma once

#include "core/SWnd.h"
#include "richedit/textserv.h"

namespace ORIEL {

class SRichEdit;
class SWin32Menu;

// A notice of the text services (EN_CHANGE and the like); `hr` is handed
// back to them.
class EventRENotify : public TplEventArgs<EventRENotify> {
  ORIEL_EVENT(EventRENotify, 16000, L"on_richedit_notify")
  DWORD iNotify = 0;
  void* pv = nullptr;
  HRESULT hr = 0;
};

// The command chosen in the context menu (0: none).
class EventREMenu : public TplEventArgs<EventREMenu> {
  ORIEL_EVENT(EventREMenu, 16001, L"on_richedit_menu")
  UINT uCmd = 0;
};

// A key press before the text services see it; `bCancel` keeps it from them.
class EventKeyDown : public TplEventArgs<EventKeyDown> {
  ORIEL_EVENT(EventKeyDown, 8200, L"on_key_down")
  UINT nChar = 0;
  UINT nFlags = 0;
  bool bCancel = false;
};

// What the text services ask of the window that hosts them.
class STextHost : public ITextHost {
 public:
  explicit STextHost(SRichEdit* owner);
  virtual ~STextHost();
  STextHost(const STextHost&) = delete;
  STextHost& operator=(const STextHost&) = delete;

  // Makes the engine; false when the helper has none or it fails.
  bool Init();
  ITextServices* GetTextService() const { return services_; }
  bool IsActive() const { return active_; }
  void SetActive(bool active) { active_ = active; }
  POINT GetCaretPos() const { return caretPos_; }

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // ITextHost
  HDC TxGetDC() override;
  INT TxReleaseDC(HDC hdc) override;
  BOOL TxShowScrollBar(INT fnBar, BOOL fShow) override;
  BOOL TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) override;
  BOOL TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, BOOL fRedraw) override;
  BOOL TxSetScrollPos(INT fnBar, INT nPos, BOOL fRedraw) override;
  void TxInvalidateRect(LPCRECT prc, BOOL fMode) override;
  void TxViewChange(BOOL fUpdate) override;
  BOOL TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) override;
  BOOL TxShowCaret(BOOL fShow) override;
  BOOL TxSetCaretPos(INT x, INT y) override;
  BOOL TxSetTimer(UINT idTimer, UINT uTimeout) override;
  void TxKillTimer(UINT idTimer) override;
  void TxScrollWindowEx(INT dx, INT dy, LPCRECT lprcScroll, LPCRECT lprcClip, HRGN hrgnUpdate, LPRECT lprcUpdate,
                        UINT fuScroll) override;
  void TxSetCapture(BOOL fCapture) override;
  void TxSetFocus() override;
  void TxSetCursor(HCURSOR hcur, BOOL fText) override;
  BOOL TxScreenToClient(LPPOINT lppt) override;
  BOOL TxClientToScreen(LPPOINT lppt) override;
  HRESULT TxActivate(LONG* plOldState) override;
  HRESULT TxDeactivate(LONG lNewState) override;
  HRESULT TxGetClientRect(LPRECT prc) override;
  HRESULT TxGetViewInset(LPRECT prc) override;
  HRESULT TxGetCharFormat(const CHARFORMATW** ppCF) override;
  HRESULT TxGetParaFormat(const PARAFORMAT** ppPF) override;
  COLORREF TxGetSysColor(int nIndex) override;
  HRESULT TxGetBackStyle(TXTBACKSTYLE* pstyle) override;
  HRESULT TxGetMaxLength(DWORD* plength) override;
  HRESULT TxGetScrollBars(DWORD* pdwScrollBar) override;
  HRESULT TxGetPasswordChar(WCHAR* pch) override;
  HRESULT TxGetAcceleratorPos(LONG* pcp) override;
  HRESULT TxGetExtent(LPSIZEL lpExtent) override;
  HRESULT OnTxCharFormatChange(const CHARFORMATW* pCF) override;
  HRESULT OnTxParaFormatChange(const PARAFORMAT* pPF) override;
  HRESULT TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) override;
  HRESULT TxNotify(DWORD iNotify, void* pv) override;
  HIMC TxImmGetContext() override;
  void TxImmReleaseContext(HIMC himc) override;
  HRESULT TxGetSelectionBarWidth(LONG* lSelBarWidth) override;

 private:
  HWND HostHwnd() const;

  bool active_ = false;
  ULONG refs_ = 0;
  ITextServices* services_ = nullptr;
  SRichEdit* owner_;
  POINT caretPos_{-1, -1};
};

// Forwards drops to the text services' own drop target, always offering a
// copy.
class SRicheditDropTarget : public IDropTarget {
 public:
  explicit SRicheditDropTarget(ITextServices* services);
  virtual ~SRicheditDropTarget();
  SRicheditDropTarget(const SRicheditDropTarget&) = delete;
  SRicheditDropTarget& operator=(const SRicheditDropTarget&) = delete;

  HRESULT QueryInterface(REFIID riid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override;
  HRESULT DragOver(DWORD keys, POINTL pt, DWORD* effect) override;
  HRESULT DragLeave() override;
  HRESULT Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override;

 private:
  ITextServices* services_;
  ULONG refs_ = 1;
};

class SRichEdit : public SWindow {
  SOBJ_CLASS(SRichEdit, SWindow, L"richedit", kObjWindow)
  friend class STextHost;

 public:
  static LPCWSTR BaseClassName() { return L"div"; }

  // Option bits.
  enum : DWORD {
    kOptAutoWordSel = 0x1,
    kOptWordWrap = 0x2,
    kOptRich = 0x4,
    kOptSaveSel = 0x8,
    kOptTransparent = 0x10,
    kOptVertical = 0x20,
    kOptAllowBeep = 0x40,
    kOptWantTab = 0x80,
    kOptVCenter = 0x100,
    kOptScrollPending = 0x200,
    kOptDragDrop = 0x400,
    kOptAutoSel = 0x800,
    kOptNotifyChange = 0x1000,
  };

  SRichEdit();
  ~SRichEdit() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  HRESULT HandleUnknownAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;

  SStringW GetText(bool raw = false) const override;
  void SetText(const SStringW& text) override;
  UINT GetDlgCode() const override;
  // Inside the client area the text services choose the cursor.
  BOOL ApplyStyleCursor(POINT pt) override;

  // Thin wrappers over edit messages and fields.
  void SelectRange(LONG start, LONG end, BOOL noScroll = FALSE);
  void ReplaceSelection(const SStringW& text, BOOL canUndo = TRUE);
  BOOL SetReadOnly(BOOL readOnly);
  BOOL SetMaxLength(DWORD length);
  DWORD GetMaxLength() const { return maxLength_; }
  BOOL IsReadOnly() const { return (style_ & ES_READONLY) != 0; }
  BOOL IsRichText() const { return (options_ & kOptRich) != 0; }
  BOOL IsWordWrap() const { return (options_ & kOptWordWrap) != 0; }
  void SetRichText(BOOL rich);
  void SetWordWrap(BOOL wrap);
  void SetSaveSelection(BOOL save);
  WORD GetDefaultAlignment() const { return paraFormat_.wAlignment; }
  void SetDefaultAlignment(WORD alignment);
  LONG GetDefaultParagraphOffset() const { return paraFormat_.dxOffset; }
  void SetDefaultParagraphOffset(LONG offset);
  COLORREF SetDefaultCharColor(COLORREF color);
  BOOL LoadRtfFile(LPCWSTR path);
  BOOL SaveRtfFile(LPCWSTR path);

  DWORD GetEditStyle() const { return style_; }
  DWORD GetOptions() const { return options_; }
  WCHAR GetPasswordChar() const { return passwordChar_; }
  int GetLineHeight() const { return lineHeight_; }
  // The view inset in pixels (left, top, right, bottom) last given to the
  // text services.
  RECT GetInsetPixels() const { return insetPx_; }
  ITextServices* GetTextServices() const { return host_ ? host_->GetTextService() : nullptr; }
  // Loads the system edit menu and greys what cannot be done now; false
  // when the menu definition is missing.
  BOOL BuildContextMenu(SWin32Menu& menu);

 protected:
  int OnCreate() override;
  void OnDestroy() override;
  void OnPaint(IRenderTarget* rt) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void UpdateScale(int scale) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL HandleDefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void PaintFocusIndicator(IRenderTarget*) override {}
  virtual void OnSetFocus();
  virtual void OnKillFocus();
  // A text-services message; false when there are none or they declined.
  BOOL SendToServices(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);

 private:
  void BuildDefaultCharFormat(IFont* font);
  // The font the text is drawn in: the edit's own, else the nearest
  // ancestor's, as every other control's text inherits it.
  IFont* FontInEffect();
  void BuildDefaultParaFormat();
  void UpdateInsets();
  void NotifyBits(DWORD bits);
  void ApplyRtf(const SStringW& value);
  void UpdateDragDrop();
  void OnRButtonDown(POINT pt);
  BOOL OnKeyDown(WPARAM key, LPARAM flags);
  BOOL OnChar(WPARAM ch, UINT msg, LPARAM flags);
  LRESULT OnSetCharFormat(WPARAM range, const CHARFORMAT2W* format);
  void DeactivateServices();
  void ActivateServices();
  DWORD PropertyBits() const;
  SIZE PixelsPerInch() const;

  STextHost* host_ = nullptr;
  DWORD style_ = ES_AUTOHSCROLL;
  DWORD options_ = kOptAutoWordSel | kOptRich | kOptSaveSel | kOptVCenter;
  DWORD maxLength_ = 0x7fff;
  WCHAR passwordChar_ = L'*';
  CHARFORMAT2W charFormat_{};
  PARAFORMAT2 paraFormat_{};
  int lineHeight_ = 0;
  SIZEL extent_{0, 0};
  RECT insetHiMetric_{0, 0, 0, 0};
  RECT insetPx_{0, 0, 0, 0};
  SStringW rtf_;
  HIMC savedImc_ = nullptr;
  bool imcDetached_ = false;
  bool dropRegistered_ = false;
  // The scroll state the text services keep for their bars; the window
  // draws no bars of its own.
  struct Bar {
    bool shown = false;
    int min = 0, max = 0, pos = 0;
  } hbar_, vbar_;
};

}  // namespace ORIEL
