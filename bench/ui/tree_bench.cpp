// A 1000-window tree made from one XML layout (anchor positions, hbox and
// vbox with weights, grids; a colour fill on every window, a text on every
// tenth), laid out and painted into a 1024 x 768 render target. Each phase
// is timed beside the same rectangles and texts drawn with plain Cairo
// (PangoCairo for the texts) in the same run, and printed as a ratio to
// it; then a repaint of the whole tree and of one small window's box, which
// must fit well inside the waveform's 10 ms refresh. With a folder as
// argument it also writes both pictures there.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/SApplication.h"
#include "core/SObjectFactory.h"
#include "core/SRenderPlugins.h"
#include "core/SXml.h"
#include "core/SwndContainer.h"
#include "win32/modules.h"

using namespace ORIEL;

namespace {

constexpr int kW = 1024, kH = 768;

// The tree's root: paints into one client-sized target.
class BenchHost : public SwndContainerImpl {
 public:
  BOOL DeliverEvent(EventArgs*) override { return FALSE; }
  HWND GetHostHwnd() override { return nullptr; }
  SStringW GetTrContext() const override { return SStringW(); }
  BOOL IsTranslucent() const override { return FALSE; }
  BOOL WheelGoesToHover() const override { return FALSE; }
  RECT GetContainerRect() const override { return GetWindowRect(); }
  IRenderTarget* AcquireRenderTarget(const RECT&, DWORD) override { return nullptr; }
  void ReleaseRenderTarget(IRenderTarget*, const RECT&, DWORD) override {}
  void InvalidateHostRect(const RECT& rc) override { UnionRect(&dirty, &dirty, &rc); }
  BOOL CreateCaret(SWND, HBITMAP, int, int) override { return FALSE; }
  BOOL ShowCaret(BOOL) override { return FALSE; }
  BOOL SetCaretPos(int, int) override { return FALSE; }
  BOOL UpdateNow() override { return FALSE; }
  SMessageLoop* GetMessageLoop() override { return nullptr; }
  void* GetScriptModule() override { return nullptr; }
  int GetScale() const override { return 100; }
  RECT dirty{0, 0, 0, 0};
};

// One XML layout of exactly 1000 windows: ten sections in a 2 x 5 grid of
// anchor positions, each holding an hbox of 30, a vbox of 20 and a grid of
// 46 cells.
struct Layout {
  std::wstring xml;
  int windows = 0;
};

Layout MakeLayout() {
  Layout out;
  int n = 0;
  auto attrs = [&]() {
    ++n;
    wchar_t buf[96];
    swprintf(buf, 96, L" colorBkgnd='#%02x%02x%02x'", (n * 37) % 200 + 40, (n * 61) % 200 + 40,
             (n * 13) % 200 + 40);
    std::wstring a = buf;
    if (n % 10 == 0) a += L" text='item " + std::to_wstring(n) + L" 录音'";
    return a;
  };
  for (int s = 0; s < 10; ++s) {
    const int x = (s % 2) * 512, y = (s / 2) * 153;
    out.xml += L"<window pos='" + std::to_wstring(x) + L"," + std::to_wstring(y) + L",@512,@153'" + attrs() + L">";
    out.xml += L"<window layout='hbox' pos='4,4,-4,@40'" + attrs() + L">";
    for (int i = 0; i < 30; ++i)
      out.xml += L"<window size='0,-2' weight='" + std::to_wstring(1 + i % 3) + L"'" + attrs() + L"/>";
    out.xml += L"</window><window layout='vbox' pos='4,48,@120,-4'" + attrs() + L">";
    for (int i = 0; i < 20; ++i) out.xml += L"<window size='-2,0' weight='1'" + attrs() + L"/>";
    out.xml += L"</window><window layout='gridLayout' pos='128,48,-4,-4' columnCount='8' interval='1'" + attrs() + L">";
    for (int i = 0; i < 46; ++i)
      out.xml += L"<window size='40,14' columnWeight='1' layout_xGravity='fill' layout_yGravity='fill' columnSpan='" +
                 std::to_wstring(i % 11 == 0 ? 2 : 1) + L"'" + attrs() + L"/>";
    out.xml += L"</window></window>";
  }
  out.windows = n;
  return out;
}

double Ms(const std::function<void()>& work) {
  const auto t0 = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Median of `runs` timings.
double MedianMs(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(Ms(work));
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

struct Drawn {
  RECT rc;
  COLORREF color;
  std::string text;
};

void Collect(SWindow* w, std::vector<Drawn>* out) {
  const COLORREF color = w->GetStyle().GetBkgndColor();
  if (color != kRenderNoColor) out->push_back({w->ClientRect(), color, XmlUtf8(w->GetText()).c_str()});
  for (SWindow* c = w->GetRelative(GSW_FIRSTCHILD); c; c = c->GetRelative(GSW_NEXTSIBLING)) Collect(c, out);
}

int CountTree(SWindow* w) {
  int n = 1;
  for (SWindow* c = w->GetRelative(GSW_FIRSTCHILD); c; c = c->GetRelative(GSW_NEXTSIBLING)) n += CountTree(c);
  return n;
}

// The same picture with Cairo and PangoCairo alone.
void DrawPlain(cairo_t* cr, PangoLayout* layout, const std::vector<Drawn>& items) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  for (const Drawn& d : items) {
    cairo_set_source_rgb(cr, (d.color & 0xFF) / 255.0, ((d.color >> 8) & 0xFF) / 255.0,
                         ((d.color >> 16) & 0xFF) / 255.0);
    cairo_rectangle(cr, d.rc.left, d.rc.top, d.rc.right - d.rc.left, d.rc.bottom - d.rc.top);
    cairo_fill(cr);
    if (d.text.empty()) continue;
    cairo_save(cr);
    cairo_rectangle(cr, d.rc.left, d.rc.top, d.rc.right - d.rc.left, d.rc.bottom - d.rc.top);
    cairo_clip(cr);
    pango_layout_set_text(layout, d.text.c_str(), -1);
    int tw = 0, th = 0;
    pango_layout_get_pixel_size(layout, &tw, &th);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, (d.rc.left + d.rc.right - tw) / 2, (d.rc.top + d.rc.bottom - th) / 2);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
  }
  cairo_surface_flush(cairo_get_target(cr));
}

}  // namespace

int main(int argc, char** argv) {
  SRenderPlugins plugins;
  IRenderFactory* factory = plugins.CreateRenderFactory();
  if (!factory) {
    fprintf(stderr, "no render plug-in: %s\n", XmlUtf8(plugins.LastError()).c_str());
    return 1;
  }
  SObjectDefaultRegister reg;
  auto* app = new SApplication(factory, GetModuleHandleW(nullptr), L"TreeBench", &reg, FALSE);
  IRenderTarget* rt = nullptr;
  factory->CreateRenderTarget(&rt, kW, kH);
  const Layout layout = MakeLayout();
  const SStringW xml(layout.xml.c_str());
  const RECT all{0, 0, kW, kH};

  // Creation, layout and a first paint, each of a fresh tree; medians of
  // five trees.
  std::vector<double> create, place, paint;
  BenchHost* host = nullptr;
  for (int run = 0; run < 5; ++run) {
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    host = new BenchHost;
    create.push_back(Ms([&] { host->CreateChildrenFromString(xml); }));
    place.push_back(Ms([&] {
      host->RelayoutTo(&all);
      host->ApplyLayout();
    }));
    paint.push_back(Ms([&] {
      host->BuildZOrder();
      rt->Clear(0xFFFFFFFF);
      host->PaintInRegion(rt, &all);
    }));
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const int windows = CountTree(host) - 1;
  std::vector<Drawn> items;
  Collect(host, &items);
  int texts = 0;
  for (const Drawn& d : items) texts += !d.text.empty();

  const double repaint = MedianMs(50, [&] {
    rt->Clear(0xFFFFFFFF);
    host->PaintInRegion(rt, &all);
  });
  // One small window changes: only its box is repainted.
  SWindow* small = host->GetRelative(GSW_FIRSTCHILD)->GetRelative(GSW_FIRSTCHILD)->GetRelative(GSW_FIRSTCHILD);
  const RECT box = small->GetWindowRect();
  const double boxRepaint = MedianMs(200, [&] {
    rt->PushClipRect(&box, 5);
    rt->ClearRect(&box, 0xFFFFFFFF);
    host->PaintInRegion(rt, &box);
    rt->PopClip();
  });

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kW, kH);
  cairo_t* cr = cairo_create(surface);
  PangoLayout* text = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("Noto Sans CJK SC 12px");
  pango_layout_set_font_description(text, font);
  DrawPlain(cr, text, items);  // warm-up: glyph caches
  const double plain = MedianMs(50, [&] { DrawPlain(cr, text, items); });

  printf("tree: %d windows from one layout (%d colour fills, %d texts), %dx%d target\n", windows,
         static_cast<int>(items.size()), texts, kW, kH);
  printf("plain Cairo, same rectangles and texts: %.2f ms\n", plain);
  printf("%-28s %9s %9s\n", "phase", "ms", "x plain");
  const double phases[] = {median(create), median(place), median(paint), repaint};
  const char* names[] = {"create from XML", "layout", "first paint", "repaint, whole tree"};
  for (int i = 0; i < 4; ++i) printf("%-28s %9.2f %9.2f\n", names[i], phases[i], phases[i] / plain);
  printf("%-28s %9.3f %9.3f   (%dx%d box)\n", "repaint, one window's box", boxRepaint, boxRepaint / plain,
         static_cast<int>(box.right - box.left), static_cast<int>(box.bottom - box.top));
  if (argc > 1) {
    // Both pictures, to look at: <folder>/tree.png and <folder>/plain.png.
    rt->Clear(0xFFFFFFFF);
    host->PaintInRegion(rt, &all);
    HDC dc = rt->GetDC(0);
    cairo_surface_write_to_png(static_cast<cairo_surface_t*>(Win32SurfaceOfDC(dc)), (std::string(argv[1]) + "/tree.png").c_str());
    rt->ReleaseDC(dc);
    cairo_surface_write_to_png(surface, (std::string(argv[1]) + "/plain.png").c_str());
  }

  pango_font_description_free(font);
  g_object_unref(text);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  host->SendSwndMessage(2);
  host->Release();
  rt->Release();
  delete app;
  factory->Release();
  return windows == 1000 ? 0 : 2;
}
