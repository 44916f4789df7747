// Typing into a multi-line edit: 10,000 characters, Return after every 80,
// each posted to a real window, handed to the edit and painted (the dirty
// box only, then blitted to the window) before the next. Prints the mean
// milliseconds per character over the first 500 and the last 500 and their
// ratio, without and with word wrap. Needs an X display (DISPLAY).
#include <chrono>
#include <cstdio>
#include <vector>

#include "control/SEdit.h"
#include "core/SApplication.h"
#include "core/SObjectFactory.h"
#include "core/SRenderPlugins.h"
#include "core/SwndContainer.h"
#include "win32/modules.h"
#include "win32/windows.h"

using namespace ORIEL;

namespace {

constexpr int kW = 640, kH = 480;
constexpr int kChars = 10000, kLine = 80, kSample = 500;

class BenchHost : public SwndContainerImpl {
 public:
  explicit BenchHost(IRenderFactory* factory) {
    factory->CreateRenderTarget(&rt, kW, kH);
    rt->Clear(0xFFFFFFFF);
    const RECT all{0, 0, kW, kH};
    RelayoutTo(&all);
  }
  ~BenchHost() override { rt->Release(); }
  BOOL DeliverEvent(EventArgs*) override { return FALSE; }
  HWND GetHostHwnd() override { return hwnd; }
  SStringW GetTrContext() const override { return SStringW(); }
  BOOL IsTranslucent() const override { return FALSE; }
  BOOL WheelGoesToHover() const override { return FALSE; }
  RECT GetContainerRect() const override { return GetWindowRect(); }
  IRenderTarget* AcquireRenderTarget(const RECT&, DWORD) override { return rt; }
  void ReleaseRenderTarget(IRenderTarget*, const RECT&, DWORD) override {}
  void InvalidateHostRect(const RECT& rc) override { UnionRect(&dirty, &dirty, &rc); }
  BOOL CreateCaret(SWND, HBITMAP, int, int) override { return FALSE; }
  BOOL ShowCaret(BOOL) override { return FALSE; }
  BOOL SetCaretPos(int, int) override { return FALSE; }
  BOOL UpdateNow() override { return FALSE; }
  SMessageLoop* GetMessageLoop() override { return nullptr; }
  void* GetScriptModule() override { return nullptr; }
  int GetScale() const override { return 100; }

  // The dirty box repainted and copied to the window.
  void Paint() {
    ApplyLayout();
    if (IsRectEmpty(&dirty)) return;
    BuildZOrder();
    rt->PushClipRect(&dirty, 5);
    rt->ClearRect(&dirty, 0xFFFFFFFF);
    PaintInRegion(rt, &dirty);
    rt->PopClip();
    HDC src = rt->GetDC(0);
    HDC dc = ::GetDC(hwnd);
    BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, src, dirty.left,
           dirty.top, SRCCOPY);
    ::ReleaseDC(hwnd, dc);
    rt->ReleaseDC(src);
    paintedArea += static_cast<double>(dirty.right - dirty.left) * (dirty.bottom - dirty.top);
    SetRectEmpty(&dirty);
  }

  IRenderTarget* rt = nullptr;
  HWND hwnd = nullptr;
  RECT dirty{0, 0, 0, 0};
  double paintedArea = 0;
};

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* host = reinterpret_cast<BenchHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (host && (msg == WM_CHAR || msg == WM_KEYDOWN)) {
    host->DispatchFrameMessage(msg, wParam, lParam);
    host->Paint();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct Result {
  double first, last, areaPerChar;
};

Result Run(IRenderFactory* factory, bool wrap) {
  auto* host = new BenchHost(factory);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Proc;
  wc.lpszClassName = L"EditBenchWindow";
  RegisterClassW(&wc);
  host->hwnd = CreateWindowExW(0, wc.lpszClassName, L"edit bench", WS_POPUP, 0, 0, kW, kH, nullptr, nullptr,
                               nullptr, nullptr);
  SetWindowLongPtrW(host->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
  ShowWindow(host->hwnd, SW_SHOW);
  host->CreateChildrenFromString(wrap ? L"<edit name='e' pos='0,0,-0,-0' multiLines='1' wantReturn='1' "
                                        L"autoVscroll='1' wordWrap='1' maxBuf='100000'/>"
                                      : L"<edit name='e' pos='0,0,-0,-0' multiLines='1' wantReturn='1' "
                                        L"autoVscroll='1' autoHscroll='1' maxBuf='100000'/>");
  host->ApplyLayout();
  auto* edit = static_cast<SEdit*>(host->FindDescendantByName(L"e"));
  edit->SetFocus();
  host->Paint();
  if (host->GetFocusWindow() != edit->GetHandle()) std::fprintf(stderr, "edit_bench: the edit has no focus\n");
  std::vector<double> ms;
  ms.reserve(kChars);
  const double areaBefore = host->paintedArea;
  for (int i = 0; i < kChars; ++i) {
    const bool ret = (i + 1) % (kLine + 1) == 0;
    const auto start = std::chrono::steady_clock::now();
    if (ret) {
      PostMessageW(host->hwnd, WM_KEYDOWN, VK_RETURN, 0);
      PostMessageW(host->hwnd, WM_CHAR, L'\r', 0);
    } else {
      PostMessageW(host->hwnd, WM_CHAR, L'a' + (i % 26), 0);
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  double first = 0, last = 0;
  for (int i = 0; i < kSample; ++i) {
    first += ms[i];
    last += ms[kChars - kSample + i];
  }
  const Result r{first / kSample, last / kSample, (host->paintedArea - areaBefore) / kChars};
  if (edit->GetText().GetLength() < kChars) std::fprintf(stderr, "edit_bench: only %d characters arrived\n", edit->GetText().GetLength());
  host->SendSwndMessage(SWM_DESTROY);
  DestroyWindow(host->hwnd);
  host->Release();
  return r;
}

}  // namespace

int main() {
  SRenderPlugins plugins;
  IRenderFactory* factory = plugins.CreateRenderFactory();
  if (!factory) {
    std::fprintf(stderr, "edit_bench: no render plug-in\n");
    return 1;
  }
  SObjectDefaultRegister reg;
  auto* app = new SApplication(factory, GetModuleHandleW(nullptr), L"EditBench", &reg, FALSE);
  for (bool wrap : {false, true}) {
    const Result r = Run(factory, wrap);
    std::printf("%-9s first 500: %.3f ms/char  last 500: %.3f ms/char  ratio %.2f  painted %.0f px/char\n",
                wrap ? "wrap" : "no wrap", r.first, r.last, r.last / r.first, r.areaPerChar);
  }
  delete app;
  factory->Release();
  return 0;
}
