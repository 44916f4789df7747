// MessageBoxW: a small modal window of ours when there is a display; with
// none, the text goes to standard error and the default button answers, so
// headless runs never block.
#include <cairo.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../display/x_display.h"
#include "../window_class.h"
#include "paint_store.h"
#include "win32/backend.h"
#include "win32/codepage.h"
#include "win32/messaging.h"
#include "win32/user32.h"

namespace {

struct Button {
  int id;
  const wchar_t* label;
};

std::vector<Button> buttonsOf(UINT type) {
  switch (type & 0x0F) {
    case MB_OKCANCEL: return {{IDOK, L"确定"}, {IDCANCEL, L"取消"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, L"中止"}, {IDRETRY, L"重试"}, {IDIGNORE, L"忽略"}};
    case MB_YESNOCANCEL: return {{IDYES, L"是"}, {IDNO, L"否"}, {IDCANCEL, L"取消"}};
    case MB_YESNO: return {{IDYES, L"是"}, {IDNO, L"否"}};
    case MB_RETRYCANCEL: return {{IDRETRY, L"重试"}, {IDCANCEL, L"取消"}};
    default: return {{IDOK, L"确定"}};
  }
}

int defaultAnswer(UINT type) {
  const auto buttons = buttonsOf(type);
  size_t index = 0;
  if ((type & 0xF00) == MB_DEFBUTTON2) index = 1;
  if ((type & 0xF00) == MB_DEFBUTTON3) index = 2;
  return buttons[index < buttons.size() ? index : 0].id;
}

// Escape and the close box answer "cancel" where there is one.
int cancelAnswer(UINT type) {
  for (const Button& b : buttonsOf(type)) {
    if (b.id == IDCANCEL) return IDCANCEL;
  }
  return (type & 0x0F) == MB_OK ? IDOK : 0;
}

struct Box {
  std::wstring text;
  UINT type;
  int result = 0;
  std::vector<RECT> buttonRects;
};

constexpr int kWidth = 360, kHeight = 150, kButtonWidth = 80, kButtonHeight = 26;

void layoutButtons(Box& box) {
  const auto buttons = buttonsOf(box.type);
  const int count = static_cast<int>(buttons.size());
  int x = kWidth - count * (kButtonWidth + 10);
  box.buttonRects.clear();
  for (int i = 0; i < count; ++i, x += kButtonWidth + 10)
    box.buttonRects.push_back(RECT{x, kHeight - kButtonHeight - 12, x + kButtonWidth, kHeight - 12});
}

void paint(HWND hwnd, Box& box) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  auto* surface = static_cast<cairo_surface_t*>(Win32SurfaceOfDC(hdc));
  if (surface) {
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.96, 0.96, 0.96);
    cairo_paint(cr);
    cairo_select_font_face(cr, "Noto Sans CJK SC", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 14);
    cairo_set_source_rgb(cr, 0, 0, 0);
    std::string utf8 = win32::display::toUtf8(box.text);
    double y = 32;
    size_t start = 0;
    while (start <= utf8.size()) {
      size_t end = utf8.find('\n', start);
      std::string line = utf8.substr(start, end == std::string::npos ? std::string::npos : end - start);
      cairo_move_to(cr, 16, y);
      cairo_show_text(cr, line.c_str());
      y += 20;
      if (end == std::string::npos) break;
      start = end + 1;
    }
    const auto buttons = buttonsOf(box.type);
    for (size_t i = 0; i < buttons.size(); ++i) {
      const RECT& r = box.buttonRects[i];
      cairo_rectangle(cr, r.left + 0.5, r.top + 0.5, r.right - r.left - 1, r.bottom - r.top - 1);
      cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
      cairo_fill_preserve(cr);
      cairo_set_source_rgb(cr, 0.4, 0.4, 0.4);
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
      const std::string label = win32::display::toUtf8(buttons[i].label);
      cairo_text_extents_t extents;
      cairo_text_extents(cr, label.c_str(), &extents);
      cairo_move_to(cr, r.left + (r.right - r.left - extents.width) / 2,
                    r.top + (r.bottom - r.top + extents.height) / 2);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_show_text(cr, label.c_str());
    }
    cairo_destroy(cr);
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK boxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<Box*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case WM_PAINT:
      if (box) {
        paint(hwnd, *box);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (box) {
        const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const auto buttons = buttonsOf(box->type);
        for (size_t i = 0; i < buttons.size(); ++i) {
          if (PtInRect(&box->buttonRects[i], pt)) box->result = buttons[i].id;
        }
      }
      return 0;
    case WM_KEYDOWN:
      if (box && wParam == VK_RETURN) box->result = defaultAnswer(box->type);
      if (box && wParam == VK_ESCAPE && cancelAnswer(box->type)) box->result = cancelAnswer(box->type);
      return 0;
    case WM_CLOSE:
      if (box && cancelAnswer(box->type)) box->result = cancelAnswer(box->type);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

const wchar_t* boxClass() {
  static const wchar_t* name = win32::detail::registerLayerClass(L"QuorvaleMessageBox", boxProc);
  return name;
}

int runBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  Box box{text, type, 0, {}};
  layoutButtons(box);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - kWidth) / 2;
  const int y = work.top + (work.bottom - work.top - kHeight) / 2;
  HWND hwnd = CreateWindowExW((type & MB_TOPMOST) ? WS_EX_TOPMOST : 0, boxClass(), caption.c_str(),
                              WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, kWidth, kHeight, owner,
                              nullptr, nullptr, &box);
  if (!hwnd) return 0;
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  MSG msg{};
  bool quit = false;
  while (box.result == 0 && IsWindow(hwnd)) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  // The outer loop still has to see the quit request.
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  return box.result ? box.result : cancelAnswer(type);
}

std::wstring fromAnsi(LPCSTR text) {
  if (!text) return {};
  const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(size > 0 ? size : 1), L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), size);
  out.resize(out.size() - 1);
  return out;
}

}  // namespace

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  const std::wstring text = lpText ? lpText : L"";
  const std::wstring caption = lpCaption ? lpCaption : L"错误";
  if (!Win32HasDisplay()) {
    std::fprintf(stderr, "[%s] %s\n", win32::display::toUtf8(caption).c_str(),
                 win32::display::toUtf8(text).c_str());
    return defaultAnswer(uType);
  }
  return runBox(hWnd, text, caption, uType);
}

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  const std::wstring caption = fromAnsi(lpCaption);
  return MessageBoxW(hWnd, fromAnsi(lpText).c_str(), lpCaption ? caption.c_str() : nullptr, uType);
}
