// The virtual list's cost: Page Down through a list of 100,000 computed
// rows against the same list of 1,000 rows and against a plain repaint of
// the same window (ratios in the same run), then resident memory of the
// window with 100,000 rows, 1,000 rows and none, each measured in a fresh
// process, and the flexible locator's bytes per item.
//
//   list_bench            all of it
//   list_bench rss N      (internal) one window with N rows, prints kB
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "control/SListView.h"
#include "core/SApplication.h"
#include "core/SRenderPlugins.h"
#include "core/SwndContainer.h"
#include "res.mgr/IResProvider.h"
#include "win32/modules.h"

using namespace ORIEL;

namespace {

constexpr int kWidth = 400, kHeight = 600, kFrames = 400;

// A headless host: one render target the size of the window.
class BenchHost : public SwndContainerImpl {
 public:
  BenchHost() {
    SApplication::getSingleton().GetRenderFactory()->CreateRenderTarget(&rt_, kWidth, kHeight);
    const RECT rc{0, 0, kWidth, kHeight};
    RelayoutTo(&rc);
  }
  ~BenchHost() override { rt_->Release(); }
  void Paint() {
    ApplyLayout();
    BuildZOrder();
    const RECT rc{0, 0, kWidth, kHeight};
    rt_->ClearRect(&rc, 0xFFFFFFFF);
    PaintInRegion(rt_, &rc);
  }
  BOOL DeliverEvent(EventArgs*) override { return FALSE; }
  HWND GetHostHwnd() override { return nullptr; }
  SStringW GetTrContext() const override { return SStringW(); }
  BOOL IsTranslucent() const override { return FALSE; }
  BOOL WheelGoesToHover() const override { return FALSE; }
  RECT GetContainerRect() const override { return GetWindowRect(); }
  IRenderTarget* AcquireRenderTarget(const RECT&, DWORD) override { return rt_; }
  void ReleaseRenderTarget(IRenderTarget*, const RECT&, DWORD) override {}
  void InvalidateHostRect(const RECT&) override {}
  BOOL CreateCaret(SWND, HBITMAP, int, int) override { return FALSE; }
  BOOL ShowCaret(BOOL) override { return FALSE; }
  BOOL SetCaretPos(int, int) override { return FALSE; }
  BOOL UpdateNow() override { return FALSE; }
  void RefreshToolTip() override {}
  SMessageLoop* GetMessageLoop() override { return nullptr; }
  void* GetScriptModule() override { return nullptr; }
  int GetScale() const override { return 100; }

 private:
  IRenderTarget* rt_ = nullptr;
};

class RowAdapter : public SAdapterBase {
 public:
  explicit RowAdapter(int n) : n_(n) {}
  int GetCount() override { return n_; }
  void BindItemView(int position, SWindow* item, pugi::xml_node tpl) override {
    if (item->GetChildrenCount() == 0) item->CreateChildren(tpl);
    item->FindDescendantByName(SStringW(L"text"))->SetText(SStringW().Format(L"row %d", position));
  }

 private:
  int n_;
};

struct Bench {
  SRenderPlugins plugins;
  IRenderFactory* factory = nullptr;
  SApplication* app = nullptr;
  IResProvider* provider = nullptr;

  bool Start() {
    factory = plugins.CreateRenderFactory();
    if (!factory) {
      fprintf(stderr, "list_bench: no render plug-in: %ls\n", plugins.LastError().c_str());
      return false;
    }
    SObjectDefaultRegister reg;
    app = new SApplication(factory, GetModuleHandleW(nullptr), L"ListBench", &reg, FALSE);
    MakeResProvider(kResProviderPE, &provider);
    if (!provider->Init(reinterpret_cast<WPARAM>(GetModuleHandleW(nullptr)), 0) ||
        (app->LoadSystemResources(provider) & 1)) {
      fprintf(stderr, "list_bench: the framework's resources were not found beside the program\n");
      return false;
    }
    return true;
  }
  ~Bench() {
    if (provider) provider->Release();
    delete app;
    if (factory) factory->Release();
  }
};

BenchHost* MakeWindow(int rows, SListView** viewOut) {
  auto* host = new BenchHost;
  host->CreateChildrenFromString(
      L"<listview pos='0,0,-0,-0'><template itemHeight='24'><window name='text' pos='8,0,-0,-0'/>"
      L"</template></listview>");
  auto* view = static_cast<SListView*>(host->GetRelative(GSW_FIRSTCHILD));
  if (rows >= 0) {
    auto* adapter = new RowAdapter(rows);
    view->SetAdapter(adapter);
    adapter->Release();
  }
  host->Paint();
  *viewOut = view;
  return host;
}

// Milliseconds per frame: Page Down (Home at the end) and a full repaint.
double PageDownFrames(int rows, bool scroll) {
  SListView* view = nullptr;
  BenchHost* host = MakeWindow(rows, &view);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i) {
    if (scroll) {
      const int before = view->GetScrollPos(true);
      view->SendSwndMessage(WM_KEYDOWN, VK_NEXT, 0);
      if (view->GetScrollPos(true) == before) view->SendSwndMessage(WM_KEYDOWN, VK_HOME, 0);
    }
    host->Paint();
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  host->SendSwndMessage(SWM_DESTROY);
  host->Release();
  return ms / kFrames;
}

long ResidentKb() {
  FILE* f = fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  while (fgets(line, sizeof line, f))
    if (strncmp(line, "VmRSS:", 6) == 0) kb = strtol(line + 6, nullptr, 10);
  fclose(f);
  return kb;
}

// One window in this process, scrolled through a few pages.
int RssChild(int rows) {
  Bench bench;
  if (!bench.Start()) return 1;
  SListView* view = nullptr;
  BenchHost* host = MakeWindow(rows, &view);
  for (int i = 0; i < 50; ++i) {
    view->SendSwndMessage(WM_KEYDOWN, VK_NEXT, 0);
    host->Paint();
  }
  view->SendSwndMessage(WM_KEYDOWN, VK_END, 0);
  host->Paint();
  printf("%ld\n", ResidentKb());
  host->SendSwndMessage(SWM_DESTROY);
  host->Release();
  return 0;
}

long RssInFreshProcess(int rows) {
  const std::string cmd = "/proc/" + std::to_string(getpid()) + "/exe rss " + std::to_string(rows);
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  long kb = -1;
  if (fscanf(p, "%ld", &kb) != 1) kb = -1;
  pclose(p);
  return kb;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "rss") == 0) return RssChild(atoi(argv[2]));

  {
    Bench bench;
    if (!bench.Start()) return 1;
    PageDownFrames(1000, true);  // warm the font and glyph caches
    const double plain = PageDownFrames(100000, false);
    const double small = PageDownFrames(1000, true);
    const double large = PageDownFrames(100000, true);
    printf("page down, %dx%d, %d frames: 100,000 rows %.3f ms/frame, 1,000 rows %.3f ms/frame, "
           "plain repaint %.3f ms/frame\n",
           kWidth, kHeight, kFrames, large, small, plain);
    printf("ratios: 100,000 / 1,000 = %.2f, 100,000 / plain repaint = %.2f\n", large / small, large / plain);

    auto* adapter = new RowAdapter(100000);
    auto* flex = new SListViewItemLocatorFlex(SLayoutSize(24, SLayoutSize::px), SLayoutSize(0, SLayoutSize::px));
    flex->SetAdapter(adapter);
    printf("flexible locator: %.2f bytes per item at 100,000 items (%d segments)\n",
           static_cast<double>(flex->MemoryUse()) / 100000, flex->SegmentCount());
    flex->SetAdapter(nullptr);
    flex->Release();
    adapter->Release();
  }

  const long none = RssInFreshProcess(-1), thousand = RssInFreshProcess(1000), large = RssInFreshProcess(100000);
  printf("resident memory, fresh process each: no adapter %ld kB, 1,000 rows %ld kB, 100,000 rows %ld kB "
         "(100,000 - 1,000 = %+ld kB)\n",
         none, thousand, large, large - thousand);
  return none > 0 && thousand > 0 && large > 0 ? 0 : 1;
}
