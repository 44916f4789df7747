#include <cairo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "OrielTestApp.h"
#include "res.mgr/SResProviderFiles.h"
#include "win32/modules.h"

SRenderPlugins OrielAppTest::plugins;

void OrielAppTest::SetUp() {
  factory = plugins.CreateRenderFactory();
  ASSERT_NE(factory, nullptr) << XmlUtf8(plugins.LastError()).c_str();
  SObjectDefaultRegister reg;
  app = new SApplication(factory, GetModuleHandleW(nullptr), L"MainClsPXReord", &reg, FALSE);
}

void OrielAppTest::TearDown() {
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) (*it)->Release();
  owned.clear();
  delete app;
  app = nullptr;
  if (factory) {
    EXPECT_EQ(factory->Release(), 0);
  }
  factory = nullptr;
}

IRenderTarget* OrielAppTest::NewTarget(int w, int h, COLORREF clear) {
  IRenderTarget* rt = nullptr;
  EXPECT_TRUE(factory->CreateRenderTarget(&rt, w, h));
  rt->Clear(clear);
  owned.push_back(rt);
  return rt;
}

uint32_t OrielAppTest::Pixel(IRenderTarget* rt, int x, int y) {
  HDC dc = rt->GetDC(0);
  cairo_surface_t* s = static_cast<cairo_surface_t*>(Win32SurfaceOfDC(dc));
  uint32_t v = 0;
  if (s) {
    cairo_surface_flush(s);
    v = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) + (size_t)y * cairo_image_surface_get_stride(s))[x];
  }
  rt->ReleaseDC(dc);
  return v;
}

IResProvider* OrielAppTest::BundleProvider() {
  IResProvider* p = nullptr;
  MakeResProvider(kResProviderPE, &p);
  EXPECT_TRUE(p->Init(reinterpret_cast<WPARAM>(GetModuleHandleW(nullptr)), 0));
  owned.push_back(p);
  return p;
}

std::string ProgramFolder() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string path(buf, n > 0 ? (size_t)n : 0);
  return path.substr(0, path.find_last_of('/'));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

ScratchBundle::ScratchBundle(const std::string& tag) {
  const char* home = getenv("HOME");
  folder = std::string(home ? home : "/tmp") + "/bundle-" + tag + "-" + std::to_string(getpid());
  std::string cmd = "rm -rf '" + folder + "' && mkdir -p '" + folder + "'";
  EXPECT_EQ(system(cmd.c_str()), 0);
}

void ScratchBundle::Write(const std::string& rel, const std::string& bytes) const {
  const std::string path = folder + "/" + rel;
  std::string dir = path.substr(0, path.find_last_of('/'));
  std::string cmd = "mkdir -p '" + dir + "'";
  EXPECT_EQ(system(cmd.c_str()), 0);
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

void ScratchBundle::WriteIndex(const std::vector<Entry>& entries) const {
  std::string xml = "<resource>\n";
  for (const auto& e : entries)
    xml += "<" + e.type + "><file name=\"" + e.name + "\" path=\"" + e.path + "\"/></" + e.type + ">\n";
  xml += "</resource>\n";
  Write("uires.idx", xml);
}

std::wstring ScratchBundle::WFolder() const { return std::wstring(XmlText(folder.c_str()).c_str()); }

::testing::AssertionResult TargetMatchesGolden(IRenderTarget* rt, const std::string& name) {
  const std::string golden = std::string(QUORVALE_GOLDEN_DIR) + "/" + name + ".png";
  HDC dc = rt->GetDC(0);
  cairo_surface_t* s = static_cast<cairo_surface_t*>(Win32SurfaceOfDC(dc));
  cairo_surface_flush(s);
  const char* write = getenv("QUORVALE_WRITE_GOLDEN");
  if (write && strcmp(write, "1") == 0) {
    cairo_surface_write_to_png(s, golden.c_str());
    rt->ReleaseDC(dc);
    return ::testing::AssertionSuccess();
  }
  cairo_surface_t* ref = cairo_image_surface_create_from_png(golden.c_str());
  auto fail = [&](const std::string& why) {
    mkdir(QUORVALE_GOLDEN_OUT, 0755);
    cairo_surface_write_to_png(s, (std::string(QUORVALE_GOLDEN_OUT) + "/" + name + ".png").c_str());
    cairo_surface_destroy(ref);
    rt->ReleaseDC(dc);
    return ::testing::AssertionFailure() << name << ": " << why;
  };
  if (cairo_surface_status(ref) != CAIRO_STATUS_SUCCESS) return fail("no golden image " + golden);
  const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  if (cairo_image_surface_get_width(ref) != w || cairo_image_surface_get_height(ref) != h) return fail("size differs");
  cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(argb);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, ref, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(argb);
  long bad = 0;
  for (int y = 0; y < h; ++y) {
    auto* a = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) + (size_t)y * cairo_image_surface_get_stride(s));
    auto* b = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(argb) + (size_t)y * cairo_image_surface_get_stride(argb));
    for (int x = 0; x < w; ++x) {
      int d = 0;
      for (int c = 0; c < 32; c += 8) d = std::max(d, std::abs((int)((a[x] >> c) & 0xFF) - (int)((b[x] >> c) & 0xFF)));
      if (d > 12) ++bad;
    }
  }
  cairo_surface_destroy(argb);
  if (bad > w * h / 200) return fail(std::to_string(bad) + " pixels differ");
  cairo_surface_destroy(ref);
  rt->ReleaseDC(dc);
  return ::testing::AssertionSuccess();
}
