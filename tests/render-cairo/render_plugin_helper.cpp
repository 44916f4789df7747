#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "RenderPlugin.h"

std::string ProgramFolder() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "./";
  std::string path(buf, (size_t)n);
  return path.substr(0, path.find_last_of('/') + 1);
}

void RenderPluginTest::SetUp() {
  std::string path = ProgramFolder() + "render-cairo.so";
  module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module_, nullptr) << dlerror();
  auto create = reinterpret_cast<SCreateInstanceFn>(dlsym(module_, "SCreateInstance"));
  ASSERT_NE(create, nullptr);
  IObjRef* obj = nullptr;
  ASSERT_TRUE(create(&obj));
  factory = static_cast<IRenderFactory*>(obj);
}

void RenderPluginTest::TearDown() {
  for (auto it = owned_.rbegin(); it != owned_.rend(); ++it) (*it)->Release();
  owned_.clear();
  if (factory) {
    EXPECT_EQ(factory->Release(), 0);
  }
  factory = nullptr;
  // The module stays loaded: Pango keeps per-thread state that points into
  // the libraries it brought in.
}

IRenderTarget* RenderPluginTest::NewTarget(int w, int h) {
  IRenderTarget* rt = nullptr;
  EXPECT_TRUE(factory->CreateRenderTarget(&rt, w, h));
  owned_.push_back(rt);
  return rt;
}

IFont* RenderPluginTest::TestFont(int pixels, bool bold) {
  LOGFONTW lf{};
  lf.lfHeight = -pixels;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfQuality = CLEARTYPE_QUALITY;
  wcscpy(lf.lfFaceName, L"Noto Sans CJK SC");
  IFont* font = nullptr;
  EXPECT_TRUE(factory->CreateFont(&font, lf));
  owned_.push_back(font);
  return font;
}

IBitmap* RenderPluginTest::NewBitmap(int w, int h, const uint32_t* pixels) {
  IBitmap* b = nullptr;
  EXPECT_TRUE(factory->CreateBitmap(&b));
  EXPECT_EQ(b->Init(w, h, pixels), S_OK);
  owned_.push_back(b);
  return b;
}

cairo_surface_t* RenderPluginTest::SurfaceOf(IRenderTarget* rt) {
  // Read the pixels through the target's DC, the way GDI callers see them.
  HDC dc = rt->GetDC(0);
  BITMAP bm{};
  SIZE sz = rt->GetSize();
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sz.cx, sz.cy);
  HDC mem = CreateCompatibleDC(nullptr);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = sz.cx;
  bi.bmiHeader.biHeight = -sz.cy;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP hbm = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, hbm);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  SelectClipRgn(dc, nullptr);
  BitBlt(mem, 0, 0, sz.cx, sz.cy, dc, 0, 0, SRCCOPY);
  GetObjectW(hbm, sizeof bm, &bm);
  cairo_surface_flush(copy);
  for (int y = 0; y < sz.cy; ++y)
    memcpy(cairo_image_surface_get_data(copy) + (size_t)y * cairo_image_surface_get_stride(copy),
           static_cast<unsigned char*>(bm.bmBits) + (size_t)y * bm.bmWidthBytes, (size_t)sz.cx * 4);
  cairo_surface_mark_dirty(copy);
  SelectObject(mem, old);
  DeleteObject(hbm);
  DeleteDC(mem);
  rt->ReleaseDC(dc);
  return copy;
}

uint32_t RenderPluginTest::Pixel(IRenderTarget* rt, int x, int y) {
  cairo_surface_t* s = SurfaceOf(rt);
  uint32_t v = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) +
                                           (size_t)y * cairo_image_surface_get_stride(s))[x];
  cairo_surface_destroy(s);
  return v;
}

namespace {

cairo_surface_t* SideBySide(cairo_surface_t* a, cairo_surface_t* b) {
  int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
  int w2 = b ? cairo_image_surface_get_width(b) : 0, h2 = b ? cairo_image_surface_get_height(b) : 0;
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w + w2 + 4, std::max(h, h2));
  cairo_t* cr = cairo_create(out);
  cairo_set_source_rgb(cr, 1, 0, 1);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, a, 0, 0);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_fill(cr);
  if (b) {
    cairo_set_source_surface(cr, b, w + 4, 0);
    cairo_rectangle(cr, w + 4, 0, w2, h2);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  return out;
}

}  // namespace

::testing::AssertionResult MatchesGolden(cairo_surface_t* picture, const std::string& name, int tol,
                                         double maxBadFraction, const std::string& outName) {
  const std::string golden = std::string(QUORVALE_GOLDEN_DIR) + "/" + name + ".png";
  const char* write = getenv("QUORVALE_WRITE_GOLDEN");
  if (write && strcmp(write, "1") == 0) {
    cairo_surface_write_to_png(picture, golden.c_str());
    return ::testing::AssertionSuccess() << "golden written: " << golden;
  }
  mkdir(QUORVALE_GOLDEN_OUT, 0755);
  const std::string stem = std::string(QUORVALE_GOLDEN_OUT) + "/" + (outName.empty() ? name : outName);
  const std::string out = stem + ".png";
  const std::string pair = stem + ".rendered-vs-golden.png";
  cairo_surface_t* ref = cairo_image_surface_create_from_png(golden.c_str());
  auto fail = [&](const std::string& why) {
    cairo_surface_write_to_png(picture, out.c_str());
    cairo_surface_t* both = SideBySide(picture, cairo_surface_status(ref) == CAIRO_STATUS_SUCCESS ? ref : nullptr);
    cairo_surface_write_to_png(both, pair.c_str());
    cairo_surface_destroy(both);
    cairo_surface_destroy(ref);
    return ::testing::AssertionFailure() << name << ": " << why << "; rendered picture written to " << out;
  };
  if (cairo_surface_status(ref) != CAIRO_STATUS_SUCCESS) return fail("no golden image " + golden);
  int w = cairo_image_surface_get_width(picture), h = cairo_image_surface_get_height(picture);
  if (cairo_image_surface_get_width(ref) != w || cairo_image_surface_get_height(ref) != h)
    return fail("size differs from the golden image");
  cairo_surface_flush(picture);
  cairo_surface_t* refArgb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(refArgb);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, ref, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(refArgb);
  long bad = 0;
  int worst = 0;
  for (int y = 0; y < h; ++y) {
    auto* a = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(picture) +
                                                (size_t)y * cairo_image_surface_get_stride(picture));
    auto* b = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(refArgb) +
                                                (size_t)y * cairo_image_surface_get_stride(refArgb));
    for (int x = 0; x < w; ++x) {
      int d = 0;
      for (int c = 0; c < 32; c += 8) d = std::max(d, std::abs((int)((a[x] >> c) & 0xFF) - (int)((b[x] >> c) & 0xFF)));
      worst = std::max(worst, d);
      if (d > tol) ++bad;
    }
  }
  cairo_surface_destroy(refArgb);
  if (bad > (long)(maxBadFraction * w * h))
    return fail(std::to_string(bad) + " pixels differ by more than " + std::to_string(tol) + " (worst " +
                std::to_string(worst) + ")");
  cairo_surface_destroy(ref);
  return ::testing::AssertionSuccess();
}
