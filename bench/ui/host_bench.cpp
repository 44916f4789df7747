// A host window's cost: an 800 x 600 host with 100 controls (coloured
// boxes with a text each), repainted whole and presented to its X window,
// beside the same picture drawn straight through the render plug-in and
// copied to the same window in the same run; then the process CPU of the
// idle, painted host over a span, without and with a blinking caret.
// Needs an X display. Usage: host_bench [idle seconds, default 10]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "core/SApplication.h"
#include "core/SHostWnd.h"
#include "core/SObjectFactory.h"
#include "core/SRenderPlugins.h"
#include "core/SXml.h"

using namespace ORIEL;

namespace {

constexpr int kW = 800, kH = 600, kCols = 10, kRows = 10, kFrames = 200;

std::string Layout() {
  std::string xml = "<ORIEL width='800' height='600'><root colorBkgnd='#f0f0f0'>";
  char buf[256];
  for (int i = 0; i < kCols * kRows; ++i) {
    const int x = (i % kCols) * 80 + 4, y = (i / kCols) * 60 + 4;
    std::snprintf(buf, sizeof buf,
                  "<window pos='%d,%d,@72,@52' colorBkgnd='#%02x%02x%02x' colorText='#000000'>item %d</window>", x,
                  y, 80 + (i * 7) % 160, 120 + (i * 13) % 120, 200 - (i * 5) % 100, i);
    xml += buf;
  }
  return xml + "</root></ORIEL>";
}

// The reference: the same boxes and texts straight into a render target.
void DrawReference(IRenderTarget* rt) {
  const RECT all{0, 0, kW, kH};
  rt->FillSolidRect(&all, 0xFFF0F0F0);
  rt->SetTextColor(0xFF000000);
  wchar_t text[32];
  for (int i = 0; i < kCols * kRows; ++i) {
    const int x = (i % kCols) * 80 + 4, y = (i / kCols) * 60 + 4;
    RECT rc{x, y, x + 72, y + 52};
    const COLORREF c = 0xFF000000u | RGB(80 + (i * 7) % 160, 120 + (i * 13) % 120, 200 - (i * 5) % 100);
    rt->FillSolidRect(&rc, c);
    std::swprintf(text, 32, L"item %d", i);
    rt->DrawText(text, -1, &rc, DT_SINGLELINE | DT_LEFT | DT_TOP);
  }
}

double MsPerFrame(const std::function<void()>& frame) {
  frame();
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i) frame();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / kFrames;
}

void Pump(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  MSG msg;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
      continue;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
  }
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Process CPU in percent of one core while the loop idles for `seconds`.
double IdleCpuPercent(int seconds) {
  const double c0 = CpuSeconds();
  Pump(seconds * 1000);
  return (CpuSeconds() - c0) * 100.0 / seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int idleSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  if (!getenv("DISPLAY")) {
    std::fprintf(stderr, "host_bench: needs an X display (DISPLAY is not set)\n");
    return 1;
  }
  SRenderPlugins plugins;
  IRenderFactory* factory = plugins.CreateRenderFactory();
  if (!factory) {
    std::fprintf(stderr, "host_bench: the render plug-in could not be loaded\n");
    return 1;
  }
  int result = 0;
  {
    SObjectDefaultRegister reg;
    auto* app = new SApplication(factory, GetModuleHandleW(nullptr), L"HostBench", &reg, FALSE);
    auto* host = new SHostWnd;
    host->Create(nullptr, WS_POPUP, 0, 0, 0, 1, 1);
    const std::string xml = Layout();
    SXmlDoc doc;
    doc.LoadBuffer(xml.data(), xml.size());
    if (!host->LoadHostXml(XmlChild(doc, L"ORIEL"), 0, 0) || host->GetChildrenCount() != kCols * kRows) {
      std::fprintf(stderr, "host_bench: the layout did not load\n");
      result = 1;
    } else {
      HWND hwnd = host->GetHwnd();
      ShowWindow(hwnd, SW_SHOWNA);
      Pump(300);
      const double hostMs = MsPerFrame([&] {
        host->RedrawAll();
        UpdateWindow(hwnd);
      });
      IRenderTarget* rt = nullptr;
      factory->CreateRenderTarget(&rt, kW, kH);
      const double refMs = MsPerFrame([&] {
        DrawReference(rt);
        HDC dc = GetDC(hwnd);
        HDC src = rt->GetDC(0);
        BitBlt(dc, 0, 0, kW, kH, src, 0, 0, SRCCOPY);
        rt->ReleaseDC(src);
        ReleaseDC(hwnd, dc);
      });
      rt->Release();
      std::printf("full repaint and present, %dx%d, %d controls: host %.3f ms/frame, plug-in alone %.3f ms/frame, "
                  "ratio %.2f\n",
                  kW, kH, kCols * kRows, hostMs, refMs, hostMs / refMs);
      host->RedrawAll();
      Pump(300);
      const double idle = IdleCpuPercent(idleSeconds);
      SWindow* first = host->GetRelative(GSW_FIRSTCHILD);
      host->CreateCaret(first->GetHandle(), nullptr, 1, 16);
      host->SetCaretPos(10, 10);
      host->ShowCaret(TRUE);
      const double caret = IdleCpuPercent(idleSeconds);
      host->ShowCaret(FALSE);
      std::printf("idle host over %d s: %.3f %% of a core; with a blinking caret: %.3f %%\n", idleSeconds, idle,
                  caret);
    }
    host->DestroyHostWindow();
    delete host;
    delete app;
  }
  factory->Release();
  return result;
}
