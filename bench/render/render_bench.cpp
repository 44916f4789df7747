// Times the render plug-in on a 1024 x 768 target: filling and blitting,
// 1000 text runs, and what a host window's full repaint costs (background
// skin, a few hundred controls' rectangles and texts, then the blit to the
// screen's buffer). Prints milliseconds per frame; the repaint must fit well
// inside the 10 ms waveform refresh.
#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "gdi/gdi.h"
#include "render/IRender.h"

namespace {

constexpr int kW = 1024, kH = 768;

std::string ProgramFolder() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string path(buf, n > 0 ? (size_t)n : 0);
  return path.substr(0, path.find_last_of('/') + 1);
}

double MsPerFrame(int frames, const std::function<void()>& frame) {
  frame();  // warm-up: fonts and glyph caches
  auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) frame();
  auto t1 = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(t1 - t0).count() / frames;
}

}  // namespace

int main() {
  std::string path = ProgramFolder() + "render-cairo.so";
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    fprintf(stderr, "cannot load %s: %s\n", path.c_str(), dlerror());
    return 1;
  }
  auto create = reinterpret_cast<SCreateInstanceFn>(dlsym(module, "SCreateInstance"));
  IObjRef* obj = nullptr;
  if (!create || !create(&obj)) {
    fprintf(stderr, "render-cairo.so has no working SCreateInstance\n");
    return 1;
  }
  auto* factory = static_cast<IRenderFactory*>(obj);
  IRenderTarget *back = nullptr, *screen = nullptr;
  factory->CreateRenderTarget(&back, kW, kH);
  factory->CreateRenderTarget(&screen, kW, kH);
  LOGFONTW lf{};
  lf.lfHeight = -12;
  wcscpy(lf.lfFaceName, L"微软雅黑");
  IFont* font = nullptr;
  factory->CreateFont(&font, lf);
  back->SelectObject(font, nullptr);
  back->SetTextColor(0xFF202020);
  std::vector<uint32_t> skinPx(24 * 24, 0xFFE8EEF4);
  for (int i = 0; i < 24; ++i) skinPx[i] = skinPx[23 * 24 + i] = skinPx[i * 24] = skinPx[i * 24 + 23] = 0xFF7090B0;
  IBitmap* skin = nullptr;
  factory->CreateBitmap(&skin);
  skin->Init(24, 24, skinPx.data());
  const RECT all{0, 0, kW, kH};
  const RECT margins{6, 6, 6, 6};
  const wchar_t* texts[] = {L"录音文件 2026-12-10 14:03.mp3", L"Recording level", L"微软雅黑 12px", L"00:12:34"};

  double fill = MsPerFrame(200, [&] {
    back->Clear(0xFFFFFFFF);
    for (int i = 0; i < 50; ++i) {
      RECT r{(i * 37) % 900, (i * 53) % 700, (i * 37) % 900 + 120, (i * 53) % 700 + 60};
      back->FillSolidRect(&r, 0xC0000000 | (uint32_t)(i * 0x050301));
    }
  });
  double blit = MsPerFrame(200, [&] { screen->BitBlt(&all, back, 0, 0, kRopSrcCopy); });
  double text = MsPerFrame(20, [&] {
    for (int i = 0; i < 1000; ++i) {
      RECT r{(i % 8) * 128, (i / 8) % 48 * 16, (i % 8) * 128 + 126, (i / 8) % 48 * 16 + 16};
      back->DrawText(texts[i % 4], -1, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    }
  });
  // Texts never seen before: every run is laid out and shaped afresh.
  int serial = 0;
  double freshText = MsPerFrame(10, [&] {
    for (int i = 0; i < 1000; ++i) {
      std::wstring t = L"第" + std::to_wstring(++serial) + L" 条 recording";
      RECT r{(i % 8) * 128, (i / 8) % 48 * 16, (i % 8) * 128 + 126, (i / 8) % 48 * 16 + 16};
      back->DrawText(t.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    }
  });
  double repaint = MsPerFrame(50, [&] {
    back->Clear(0);
    back->DrawBitmap9Patch(&all, skin, nullptr, &margins, MakeExpandMode(EM_STRETCH, kFilterMedium), 255);
    for (int i = 0; i < 40; ++i) {
      RECT r{20 + (i % 4) * 250, 20 + (i / 4) * 72, 250 + (i % 4) * 250, 80 + (i / 4) * 72};
      back->DrawBitmap9Patch(&r, skin, nullptr, &margins, MakeExpandMode(EM_STRETCH, kFilterMedium), 255);
      RECT t = r;
      t.left += 8;
      back->DrawText(texts[i % 4], -1, &t, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    }
    screen->BitBlt(&all, back, 0, 0, kRopSrcCopy);
  });
  // The waveform's part: a 600 x 120 picture blended into the host each 10 ms.
  IRenderTarget* wave = nullptr;
  factory->CreateRenderTarget(&wave, 600, 120);
  RECT waveRect{0, 0, 600, 120}, waveDst{200, 300, 800, 420};
  wave->GradientFill(&waveRect, TRUE, 0xFF2396FF, 0x202396FF, 255);
  double waveform = MsPerFrame(500, [&] {
    back->AlphaBlend(&waveDst, wave, &waveRect, 255);
    screen->BitBlt(&waveDst, back, 200, 300, kRopSrcCopy);
  });

  printf("render-cairo on a %dx%d target (ms per frame)\n", kW, kH);
  printf("  clear + 50 translucent rectangles : %8.3f\n", fill);
  printf("  full-target blit (SRCCOPY)        : %8.3f\n", blit);
  printf("  1000 text runs (repeated texts)   : %8.3f\n", text);
  printf("  1000 text runs (all new texts)    : %8.3f\n", freshText);
  printf("  host full repaint + present       : %8.3f\n", repaint);
  printf("  waveform blend + present          : %8.3f\n", waveform);
  printf("  waveform refresh budget           : %8.3f\n", 10.0);
  wave->Release();
  skin->Release();
  font->Release();
  screen->Release();
  back->Release();
  factory->Release();
  return 0;
}
