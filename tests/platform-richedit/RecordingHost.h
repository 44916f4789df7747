// A text host for tests: answers the engine from plain fields and records
// what the engine asks of it (notices, repaints, caret, capture, timers,
// scroll bars). Modifier keys come from `HeldKeys`, since these tests have
// no keyboard.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "richedit/keystate.h"
#include "richedit/textserv.h"
#include "win32/user32.h"
#include "win32/windowing.h"

inline std::set<int>& HeldKeys() {
  static std::set<int> keys;
  return keys;
}

inline SHORT HeldKeyState(int vk) { return HeldKeys().count(vk) ? static_cast<SHORT>(0x8000) : 0; }

class RecordingHost : public ITextHost {
 public:
  RecordingHost() {
    charFormat.cbSize = sizeof charFormat;
    charFormat.dwMask = CFM_SIZE | CFM_FACE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
    charFormat.yHeight = 180;  // 12 px at 96 dpi
    charFormat.crTextColor = RGB(0, 0, 0);
    wcscpy(charFormat.szFaceName, L"微软雅黑");
    paraFormat.cbSize = sizeof paraFormat;
    paraFormat.dwMask = PFM_ALIGNMENT;
    paraFormat.wAlignment = PFA_LEFT;
  }

  // Answers.
  RECT client{0, 0, 300, 100};
  RECT insetHiMetric{0, 0, 0, 0};
  CHARFORMAT2W charFormat{};
  PARAFORMAT2 paraFormat{};
  DWORD bits = TXTBIT_HIDESELECTION;
  DWORD maxLength = 32767;
  bool maxLengthFails = false;
  DWORD scrollBars = 0;
  WCHAR passwordChar = L'*';
  std::function<void(DWORD)> onNotify;

  // Records.
  std::vector<DWORD> notices;
  std::vector<RECT> invalidated;  // a null rectangle is recorded as the client rectangle
  POINT caretPos{-1, -1};
  int caretHeight = 0;
  bool caretShown = false;
  bool capture = false;
  std::set<UINT> timers;
  int focusRequests = 0;
  struct ScrollCall {
    int bar;
    int what;  // 0 show, 1 range, 2 pos
    int value;
  };
  std::vector<ScrollCall> scrollCalls;

  // IUnknown: the test owns the host on its stack.
  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_ITextHost) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }

  HDC TxGetDC() override { return nullptr; }
  INT TxReleaseDC(HDC) override { return 1; }
  BOOL TxShowScrollBar(INT bar, BOOL show) override {
    scrollCalls.push_back({bar, 0, show});
    return TRUE;
  }
  BOOL TxEnableScrollBar(INT, INT) override { return TRUE; }
  BOOL TxSetScrollRange(INT bar, LONG, INT max, BOOL) override {
    scrollCalls.push_back({bar, 1, max});
    return TRUE;
  }
  BOOL TxSetScrollPos(INT bar, INT pos, BOOL) override {
    scrollCalls.push_back({bar, 2, pos});
    return TRUE;
  }
  void TxInvalidateRect(LPCRECT prc, BOOL) override { invalidated.push_back(prc ? *prc : client); }
  void TxViewChange(BOOL) override {}
  BOOL TxCreateCaret(HBITMAP, INT, INT height) override {
    caretHeight = height;
    return TRUE;
  }
  BOOL TxShowCaret(BOOL show) override {
    caretShown = show;
    return TRUE;
  }
  BOOL TxSetCaretPos(INT x, INT y) override {
    caretPos = POINT{x, y};
    return TRUE;
  }
  BOOL TxSetTimer(UINT id, UINT) override {
    timers.insert(id);
    return TRUE;
  }
  void TxKillTimer(UINT id) override { timers.erase(id); }
  void TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) override {}
  void TxSetCapture(BOOL on) override { capture = on; }
  void TxSetFocus() override { ++focusRequests; }
  void TxSetCursor(HCURSOR, BOOL) override {}
  BOOL TxScreenToClient(LPPOINT) override { return TRUE; }
  BOOL TxClientToScreen(LPPOINT) override { return TRUE; }
  HRESULT TxActivate(LONG* old) override {
    if (old) *old = 0;
    return S_OK;
  }
  HRESULT TxDeactivate(LONG) override { return S_OK; }
  HRESULT TxGetClientRect(LPRECT prc) override {
    *prc = client;
    return S_OK;
  }
  HRESULT TxGetViewInset(LPRECT prc) override {
    *prc = insetHiMetric;
    return S_OK;
  }
  HRESULT TxGetCharFormat(const CHARFORMATW** out) override {
    *out = reinterpret_cast<const CHARFORMATW*>(&charFormat);
    return S_OK;
  }
  HRESULT TxGetParaFormat(const PARAFORMAT** out) override {
    *out = reinterpret_cast<const PARAFORMAT*>(&paraFormat);
    return S_OK;
  }
  COLORREF TxGetSysColor(int index) override { return GetSysColor(index); }
  HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override {
    *style = TXTBACK_TRANSPARENT;
    return S_OK;
  }
  HRESULT TxGetMaxLength(DWORD* length) override {
    if (maxLengthFails) return E_NOTIMPL;
    *length = maxLength;
    return S_OK;
  }
  HRESULT TxGetScrollBars(DWORD* bars) override {
    *bars = scrollBars;
    return S_OK;
  }
  HRESULT TxGetPasswordChar(WCHAR* ch) override {
    *ch = passwordChar;
    return S_OK;
  }
  HRESULT TxGetAcceleratorPos(LONG* cp) override {
    *cp = -1;
    return S_OK;
  }
  HRESULT TxGetExtent(LPSIZEL) override { return E_NOTIMPL; }
  HRESULT OnTxCharFormatChange(const CHARFORMATW*) override { return S_OK; }
  HRESULT OnTxParaFormatChange(const PARAFORMAT*) override { return S_OK; }
  HRESULT TxGetPropertyBits(DWORD mask, DWORD* out) override {
    *out = bits & mask;
    return S_OK;
  }
  HRESULT TxNotify(DWORD code, void*) override {
    notices.push_back(code);
    if (onNotify) onNotify(code);
    return S_OK;
  }
  HIMC TxImmGetContext() override { return nullptr; }
  void TxImmReleaseContext(HIMC) override {}
  HRESULT TxGetSelectionBarWidth(LONG* width) override {
    *width = 0;
    return S_OK;
  }
};

// The engine over a RecordingHost, with the messages a test sends most.
class EngineFixture : public ::testing::Test {
 public:
  void SetUp() override { TextServicesSetKeyStateReader(&HeldKeyState); }
  void TearDown() override {
    HeldKeys().clear();
    if (services) services->Release();
    TextServicesSetKeyStateReader(nullptr);
  }

  // Makes the engine after the test has set the host's answers.
  void Start(DWORD bits = TXTBIT_HIDESELECTION | TXTBIT_MULTILINE) {
    host.bits = bits;
    IUnknown* unknown = nullptr;
    ASSERT_EQ(CreateTextServices(nullptr, &host, &unknown), S_OK);
    ASSERT_EQ(unknown->QueryInterface(IID_ITextServices, reinterpret_cast<void**>(&services)), S_OK);
    unknown->Release();
    services->OnTxInPlaceActivate(&host.client);
    Send(EM_SETEVENTMASK, 0, ENM_CHANGE);
  }

  LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0, HRESULT* hr = nullptr) {
    LRESULT result = 0;
    const HRESULT r = services->TxSendMessage(msg, w, l, &result);
    if (hr) *hr = r;
    return result;
  }
  void SetText(const std::wstring& text) { Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }
  std::wstring Text() {
    const LRESULT length = Send(WM_GETTEXTLENGTH);
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = Send(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(static_cast<size_t>(copied));
    return buffer;
  }
  std::pair<long, long> Sel() {
    DWORD start = 0, end = 0;
    Send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<long>(start), static_cast<long>(end)};
  }
  void SetSel(long start, long end) { Send(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end)); }
  // A key with modifiers held (VK_SHIFT, VK_CONTROL).
  HRESULT Key(UINT vk, std::initializer_list<int> mods = {}) {
    for (int m : mods) HeldKeys().insert(m);
    HRESULT hr = S_OK;
    Send(WM_KEYDOWN, vk, 0, &hr);
    for (int m : mods) HeldKeys().erase(m);
    return hr;
  }
  void Type(const std::wstring& text) {
    for (wchar_t ch : text) Send(WM_CHAR, static_cast<WPARAM>(ch), 1);
  }
  static LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

  RecordingHost host;
  ITextServices* services = nullptr;
};

// The clipboard as the engine sees it (in memory: these tests run without a display).
inline void PutClipboard(const std::wstring& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, memory), nullptr);
  CloseClipboard();
}

inline std::wstring ReadClipboard() {
  if (!OpenClipboard(nullptr)) return L"<not open>";
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::wstring text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"<none>";
  CloseClipboard();
  return text;
}
