#include "online/UpdateTips.h"

#include <cstdio>

#include "base/CodePage.h"
#include "gdi/gdi.h"
#include "win32/backend.h"

namespace {

constexpr int kWidth = 340, kHeight = 164, kCaption = 10;
constexpr int kButtonWidth = 60, kButtonHeight = 25, kButtonBottom = 28;
constexpr int kCloseSize = 24;

struct TipState {
  const UpdateTip* tip = nullptr;
  int result = 0;
};

TipState* StateOf(HWND hwnd) { return reinterpret_cast<TipState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

void Answer(HWND tipWindow, int code) {
  if (TipState* state = StateOf(tipWindow); state && !state->result) state->result = code;
}

// Enter and Esc, wherever the keyboard focus is inside the box.
bool OnKey(HWND tipWindow, WPARAM key) {
  if (key == VK_RETURN) Answer(tipWindow, kTipOk);
  else if (key == VK_ESCAPE) Answer(tipWindow, kTipClose);
  else return false;
  return true;
}

// Fills the window with `background` and, unless drawText is false, draws
// its window text in `foreground`.
void PaintWindow(HWND hwnd, COLORREF background, COLORREF foreground, bool drawText, UINT format) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  HBRUSH brush = CreateSolidBrush(background);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  if (drawText) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), length + 1);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, foreground);
    DrawTextW(dc, text.c_str(), length, &r, format);
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      const bool strong = GetDlgCtrlID(hwnd) == kTipOkId;
      PaintWindow(hwnd, strong ? RGB(0xdd, 0x25, 0x00) : RGB(0xe6, 0xe6, 0xe6),
                  strong ? RGB(0xff, 0xff, 0xff) : RGB(0x33, 0x33, 0x33), true, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      return 0;
    }
    case WM_LBUTTONUP:
      Answer(GetParent(hwnd), GetDlgCtrlID(hwnd));
      return 0;
    case WM_KEYDOWN:
      if (OnKey(GetParent(hwnd), wParam)) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK TextProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PaintWindow(hwnd, RGB(0xff, 0xff, 0xff), RGB(0x44, 0x44, 0x44), true, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
    return 0;
  }
  if (message == WM_KEYDOWN && OnKey(GetParent(hwnd), wParam)) return 0;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK TipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case WM_PAINT:  // the title is the caption's; the text is a child's
      PaintWindow(hwnd, RGB(0xff, 0xff, 0xff), 0, false, 0);
      return 0;
    case WM_KEYDOWN:
      if (OnKey(hwnd, wParam)) return 0;
      break;
    case WM_CLOSE:
      Answer(hwnd, kTipClose);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

const wchar_t* RegisterOnce(const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassExW(&wc);  // a second registration fails harmlessly
  return name;
}

const wchar_t* TipClass() {
  static const wchar_t* name = RegisterOnce(L"QuorvaleUpdateTip", TipProc);
  return name;
}
const wchar_t* TextClass() {
  static const wchar_t* name = RegisterOnce(L"QuorvaleUpdateTipText", TextProc);
  return name;
}
const wchar_t* ButtonClass() {
  static const wchar_t* name = RegisterOnce(L"QuorvaleUpdateTipButton", ButtonProc);
  return name;
}

void AddButton(HWND parent, int id, const std::wstring& label, int x, int y, int w, int h) {
  CreateWindowExW(0, ButtonClass(), label.c_str(), WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

int Headless(const UpdateTip& tip) {
  std::fprintf(stderr, "[%s] %s\n", WStringToUtf8Ret(tip.title).c_str(), WStringToUtf8Ret(tip.text).c_str());
  return tip.noText.empty() ? kTipOk : kTipNo;
}

}  // namespace

namespace {
UpdateTipShower g_tipShower = nullptr;
}  // namespace

UpdateTipShower SetUpdateTipShower(UpdateTipShower shower) {
  UpdateTipShower previous = g_tipShower;
  g_tipShower = shower;
  return previous;
}

int ShowUpdateTip(HWND owner, const UpdateTip& tip) {
  if (UpdateTipShower shower = g_tipShower) return shower(owner, tip);
  return ShowUpdateTipBox(owner, tip);
}

int ShowUpdateTipBox(HWND owner, const UpdateTip& tip) {
  if (!Win32HasDisplay()) return Headless(tip);
  TipState state{&tip, 0};
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - kWidth) / 2;
  const int y = work.top + (work.bottom - work.top - kHeight) / 2;
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, TipClass(), tip.title.c_str(), WS_POPUP | WS_CAPTION, x, y, kWidth,
                              kHeight, owner, nullptr, nullptr, &state);
  if (!hwnd) return Headless(tip);
  const int buttonTop = kHeight - kButtonBottom - kButtonHeight;
  CreateWindowExW(0, TextClass(), tip.text.c_str(), WS_CHILD | WS_VISIBLE, 30, kCaption + 20, kWidth - 60,
                  buttonTop - kCaption - 28, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTipTextId)), nullptr,
                  nullptr);
  if (tip.noText.empty()) {
    AddButton(hwnd, kTipOkId, tip.okText, (kWidth - kButtonWidth) / 2, buttonTop, kButtonWidth, kButtonHeight);
  } else {
    AddButton(hwnd, kTipOkId, tip.okText, kWidth / 2 - kButtonWidth - 10, buttonTop, kButtonWidth, kButtonHeight);
    AddButton(hwnd, kTipNoId, tip.noText, kWidth / 2 + 10, buttonTop, kButtonWidth, kButtonHeight);
  }
  if (tip.closable) AddButton(hwnd, kTipCloseId, L"×", kWidth - kCloseSize - 4, 4, kCloseSize, kCloseSize);

  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  MSG msg{};
  bool quit = false;
  while (!state.result && IsWindow(hwnd)) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  return state.result ? state.result : kTipClose;
}
