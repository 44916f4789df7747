// The application's singletons and main loop, window handles and timers,
// and the small shared tables: scale steps, interpolators, calendar,
// HIMETRIC, alpha saving and the log line.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "OrielTestApp.h"
#include "core/CSimpleWndHelper.h"
#include "core/SCalendarCore.h"
#include "core/SGdiUtils.h"
#include "core/SInterpolator.h"
#include "core/SMessageLoop.h"
#include "core/SRicheditMenuDef.h"
#include "core/SScriptTimer.h"
#include "core/STextServiceHelper.h"
#include "core/STimer2.h"
#include "core/SWin32Utils.h"
#include "core/SWindowFinder.h"
#include "core/SWindowMgr.h"
#include "crt/utf8.h"
#include "gdi/GdiCairo.h"
#include "res.mgr/SFontPool.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SStylePool.h"
#include "res.mgr/STemplatePool.h"
#include "res.mgr/SUiDef.h"

namespace {

std::vector<std::pair<int, bool>> g_trace;

TEST(ApplicationLifetime, SingletonsAreMadeAndDeletedInTheirOrder) {
  SRenderPlugins plugins;
  IRenderFactory* factory = plugins.CreateRenderFactory();
  ASSERT_NE(factory, nullptr);
  g_trace.clear();
  SApplication::SetSingletonTrace([](int index, bool created) { g_trace.emplace_back(index, created); });
  SObjectDefaultRegister reg;
  auto* app = new SApplication(factory, GetModuleHandleW(nullptr), L"MainClsPXReord", &reg, FALSE);
  EXPECT_EQ(SApplication::getSingletonPtr(), app);
  EXPECT_NE(dynamic_cast<SUiDef*>(static_cast<SSingletonBase*>(app->GetSingleton(0))), nullptr);
  EXPECT_NE(dynamic_cast<SSkinPoolMgr*>(static_cast<SSingletonBase*>(app->GetSingleton(7))), nullptr);
  EXPECT_NE(dynamic_cast<CSimpleWndHelper*>(static_cast<SSingletonBase*>(app->GetSingleton(11))), nullptr);
  EXPECT_EQ(app->GetSingleton(12), nullptr);
  EXPECT_EQ(app->GetSingleton(-1), nullptr);
  EXPECT_EQ(CSimpleWndHelper::getSingleton().GetClassStyle(), (UINT)CS_DBLCLKS);
  EXPECT_NE(CSimpleWndHelper::getSingleton().GetAtom(), 0);
  EXPECT_TRUE(STextServiceHelper::getSingleton().HasService());
  EXPECT_EQ(app->Translate(L"录音", L"ctx"), L"录音");
  EXPECT_EQ(app->GetAppDir(), XmlText(ProgramFolder().c_str()));
  delete app;
  SApplication::SetSingletonTrace(nullptr);
  EXPECT_EQ(SApplication::getSingletonPtr(), nullptr);
  const std::vector<int> made = {0, 1, 2, 3, 4, 7, 5, 6, 8, 9, 10, 11};
  const std::vector<int> deleted = {11, 10, 9, 8, 5, 6, 7, 4, 3, 2, 1, 0};
  std::vector<int> gotMade, gotDeleted;
  for (auto& [index, created] : g_trace) (created ? gotMade : gotDeleted).push_back(index);
  EXPECT_EQ(gotMade, made);
  EXPECT_EQ(gotDeleted, deleted);
  EXPECT_EQ(factory->Release(), 0);
}

TEST(ApplicationLifetime, ImeClassStyle) {
  SRenderPlugins plugins;
  IRenderFactory* factory = plugins.CreateRenderFactory();
  auto* app = new SApplication(factory, GetModuleHandleW(nullptr), L"ImeClassTest", nullptr, TRUE);
  EXPECT_EQ(CSimpleWndHelper::getSingleton().GetClassStyle(), 0x1000Bu);
  delete app;
  factory->Release();
}

// A filter that acts on thread messages posted to the loop.
struct ScriptedFilter : IMessageFilter {
  std::function<BOOL(MSG*)> on;
  BOOL PreFilter(MSG* msg) override { return on(msg); }
};

class CoreTest : public OrielAppTest {};

TEST_F(CoreTest, RunEndsOnQuitAndDestroysTheMainWindow) {
  HWND main = CreateWindowExW(0, L"MainClsPXReord", L"main", 0, 0, 0, 100, 100, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(main, nullptr);
  struct Factory : TObjRefImpl<IMsgLoopFactory> {
    SMessageLoop* CreateMsgLoop() override { return new SMessageLoop; }
    void DestroyMsgLoop(SMessageLoop* loop) override { delete loop; }
  };
  auto* replacement = new Factory;
  ScriptedFilter filter;
  bool replacedDuringRun = true;
  filter.on = [&](MSG* msg) {
    if (msg->message == WM_USER + 1) {
      replacedDuringRun = app->ReplaceMsgLoopFactory(replacement);
      PostQuitMessage(7);
      return TRUE;
    }
    return FALSE;
  };
  app->GetMsgLoop()->AddMessageFilter(&filter);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 1, 0, 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(app->Run(main), 7);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(log.rfind("SMessageLoop::Run - exiting,code = 7 ORIEL::SMessageLoop::Run ", 0), 0u) << log;
  EXPECT_FALSE(replacedDuringRun);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(app->GetMainWnd(), main);
  // Not running any more: the factory can be replaced.
  EXPECT_TRUE(app->ReplaceMsgLoopFactory(replacement));
  EXPECT_EQ(app->GetMsgLoopFactory(), replacement);
  replacement->Release();
}

TEST_F(CoreTest, QuitFromAHandlerEndsRightAfterThatMessageAndFiltersRunNewestFirst) {
  SMessageLoop* loop = app->GetMsgLoop();
  std::vector<int> asked;
  ScriptedFilter first, second;
  first.on = [&](MSG*) {
    asked.push_back(1);
    return FALSE;
  };
  second.on = [&](MSG* msg) {
    asked.push_back(2);
    if (msg->message == WM_USER + 2) loop->Quit();
    return msg->message == WM_USER + 2;
  };
  loop->AddMessageFilter(&first);
  loop->AddMessageFilter(&second);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 2, 42, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 3, 0, 0);
  EXPECT_EQ(loop->Run(), 42);
  EXPECT_EQ(asked, (std::vector<int>{2}));  // consumed by the newest filter; the next message waits
  EXPECT_TRUE(loop->RemoveMessageFilter(&second));
  EXPECT_FALSE(loop->RemoveMessageFilter(&second));
  MSG left{};
  EXPECT_TRUE(PeekMessageW(&left, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(left.message, (UINT)WM_USER + 3);
  loop->Quit();  // not running: ignored
  EXPECT_FALSE(loop->IsRunning());
}

TEST_F(CoreTest, WindowHandlesAreNeverReused) {
  SWindowMgr& mgr = SWindowMgr::getSingleton();
  int a = 0, b = 0, c = 0;
  auto* wa = reinterpret_cast<SWindow*>(&a);
  auto* wb = reinterpret_cast<SWindow*>(&b);
  auto* wc = reinterpret_cast<SWindow*>(&c);
  EXPECT_EQ(mgr.NewWindow(wa), 1u);
  EXPECT_EQ(mgr.NewWindow(wb), 2u);
  EXPECT_TRUE(mgr.DestroyWindow(1));
  EXPECT_FALSE(mgr.DestroyWindow(1));
  EXPECT_EQ(mgr.NewWindow(wc), 3u);
  EXPECT_EQ(mgr.LookupWindow(0), nullptr);
  EXPECT_EQ(mgr.LookupWindow(1), nullptr);
  EXPECT_EQ(mgr.LookupWindow(3), wc);
  // The finder forgets windows that are gone.
  SWindowFinder& finder = SWindowFinder::getSingleton();
  finder.CacheResultForID(3, 7, 1, 2);
  finder.CacheResultForName(3, L"ok", 2, 2);
  EXPECT_EQ(finder.FindChildById(3, 7, 1), wb);
  EXPECT_EQ(finder.FindChildByName(3, L"ok", 2), wb);
  EXPECT_EQ(finder.FindChildById(3, 0, 1), nullptr);
  mgr.DestroyWindow(2);
  EXPECT_EQ(finder.FindChildById(3, 7, 1), nullptr);
}

TEST_F(CoreTest, SetTimer2TwiceLeavesOneTimerAndTicksReachLiveWindows) {
  SWindowMgr& mgr = SWindowMgr::getSingleton();
  int dummy = 0;
  const SWND w = mgr.NewWindow(reinterpret_cast<SWindow*>(&dummy));
  STimer2& timers = STimer2::getSingleton();
  ASSERT_TRUE(timers.SetTimer(w, 5, 15));
  ASSERT_TRUE(timers.SetTimer(w, 5, 15));
  EXPECT_EQ(timers.GetCount(), 1u);
  ASSERT_TRUE(timers.SetTimer(w, 6, 15));
  EXPECT_EQ(timers.GetCount(), 2u);
  static std::vector<std::pair<UINT, WPARAM>> ticks;
  ticks.clear();
  STimer2::SetDeliver([](SWindow*, UINT message, WPARAM wParam, LPARAM) {
    ticks.emplace_back(message, wParam);
    if (ticks.size() >= 4) SApplication::getSingleton().GetMsgLoop()->Quit();
  });
  app->GetMsgLoop()->Run();
  STimer2::SetDeliver(nullptr);
  ASSERT_GE(ticks.size(), 4u);
  for (auto& [message, id] : ticks) {
    EXPECT_EQ(message, UM_STIMER);
    EXPECT_TRUE(id == 5 || id == 6);
  }
  mgr.DestroyWindow(w);
  EXPECT_EQ(timers.GetCount(), 0u);
}

LRESULT CALLBACK ScriptHost(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  static int fired = 0;
  if (msg == UM_SCRIPTTIMER) {
    ++fired;
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(lParam), L"onTick");
    EXPECT_FALSE(SScriptTimer::getSingleton().HasTimer(wParam));  // a one-shot is gone before it is sent
    PostQuitMessage(fired);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST_F(CoreTest, OneShotScriptTimerFiresOnce) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ScriptHost;
  wc.lpszClassName = L"ScriptHostTest";
  RegisterClassExW(&wc);
  HWND host = CreateWindowExW(0, L"ScriptHostTest", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  const UINT_PTR id = SScriptTimer::getSingleton().StartTimer(host, L"onTick", 10, false);
  ASSERT_NE(id, 0u);
  EXPECT_TRUE(SScriptTimer::getSingleton().HasTimer(id));
  EXPECT_EQ(app->GetMsgLoop()->Run(), 1);
  EXPECT_FALSE(SScriptTimer::getSingleton().HasTimer(id));
  DestroyWindow(host);
}

TEST(SharedTables, RoundScale) {
  const std::pair<int, int> cases[] = {{96, 100}, {-5, 100}, {124, 100}, {125, 125}, {149, 125},
                                       {299, 275}, {300, 300}, {500, 300}};
  for (auto [in, out] : cases) EXPECT_EQ(RoundScale(in), out) << in;
}

TEST(SharedTables, ModuleFolderIsTheProgramsFolder) {
  EXPECT_EQ(ModuleFolder(GetModuleHandleW(nullptr)), XmlText(ProgramFolder().c_str()));
  EXPECT_EQ(ModuleFolder(reinterpret_cast<HINSTANCE>(0x1234)), L"");
  EXPECT_TRUE(LoadLayeredUpdateEntryPoints());
  EXPECT_NE(LayeredUpdateIndirect(), nullptr);
}

TEST_F(CoreTest, Interpolators) {
  struct Case {
    const wchar_t* cls;
    const char* attrs;
    float in, out;
  } cases[] = {
      {L"Linear", "", 0.3f, 0.3f},
      {L"Accelerate", "", 0.5f, 0.25f},
      {L"Accelerate", "factor=\"2\"", 0.5f, 0.0625f},
      {L"Decelerate", "", 0.5f, 0.75f},
      {L"Decelerate", "factor=\"0.5\"", 0.3f, 0.3f},
      {L"Decelerate", "factor=\"none\"", 0.5f, 0.75f},  // no number: the parameter stays
      {L"AccelerateDecelerate", "", 0.0f, 0.0f},
      {L"AccelerateDecelerate", "", 1.0f, 1.0f},
      {L"AccelerateDecelerate", "", 0.5f, 0.5f},
      {L"Anticipate", "", 0.5f, -0.125f},
      {L"Anticipate", "", 1.0f, 1.0f},
      {L"Overshoot", "", 0.5f, 1.125f},
      {L"Overshoot", "", 0.0f, 0.0f},
      {L"AnticipateOvershoot", "", 0.0f, 0.0f},
      {L"AnticipateOvershoot", "", 1.0f, 1.0f},
      {L"Bounce", "", 1.0f, 8 * (1.1226f - 1.0435f) * (1.1226f - 1.0435f) + 0.95f},
      {L"Bounce", "", 0.0f, 0.0f},
      {L"Cycle", "", 0.25f, 1.0f},
      {L"Cycle", "", 0.5f, 0.0f},
      {L"Cycle", "cycles=\"2\"", 0.125f, 1.0f},
  };
  for (const Case& c : cases) {
    IInterpolator* ip = app->NewInterpolatorByClass(c.cls);
    ASSERT_NE(ip, nullptr) << XmlUtf8(c.cls).c_str();
    EXPECT_EQ(ip->GetObjectType(), kObjInterpolator);
    EXPECT_TRUE(ip->IsClass(L"interpolator_base"));
    SXmlDoc doc;
    ASSERT_TRUE(doc.load_string((std::string("<i ") + c.attrs + "/>").c_str()));
    ip->LoadXmlNode(doc.first_child());
    EXPECT_NEAR(ip->GetInterpolation(c.in), c.out, 1e-6) << XmlUtf8(c.cls).c_str() << " " << c.attrs << " at " << c.in;
    ip->Release();
  }
  IInterpolator* lin = app->NewInterpolatorByClass(L"linear");
  ASSERT_NE(lin, nullptr);
  EXPECT_EQ(lin->ApplyAttribute(SStringW(L"factor"), SStringW(L"2"), FALSE), E_FAIL);
  lin->Release();
}

TEST(SharedTables, Calendar) {
  struct Dow {
    int y, m, d, dow;
  } dows[] = {{2024, 1, 1, 1}, {2000, 2, 29, 2}, {1600, 1, 1, 6}, {2026, 12, 10, 4},
              {1599, 12, 31, -1}, {7000, 1, 1, -1}, {2023, 2, 29, -1}, {2024, 13, 1, -1}};
  for (const Dow& c : dows) EXPECT_EQ(CalendarDayOfWeek(c.y, c.m, c.d), c.dow) << c.y << "-" << c.m << "-" << c.d;
  struct Days {
    int y, m, days;
  } days[] = {{2024, 2, 29}, {2023, 2, 28}, {1900, 2, 28}, {2000, 2, 29}, {2024, 4, 30},
              {2024, 12, 31}, {1500, 12, 31}, {1500, 1, 0}, {2024, 0, 0}, {2024, 13, 0}};
  for (const Days& c : days) EXPECT_EQ(CalendarDaysOfMonth(c.y, c.m), c.days) << c.y << "-" << c.m;
  struct Valid {
    unsigned short y, m, d;
    bool ok;
  } valid[] = {{2024, 2, 29, true}, {2023, 2, 29, false}, {1500, 2, 29, false}, {1500, 1, 31, true},
               {2024, 4, 31, false}, {2024, 0, 1, false},  {2024, 1, 0, false},   {9999, 12, 31, true}};
  for (const Valid& c : valid) EXPECT_EQ(CalendarIsDateValid(c.y, c.m, c.d), c.ok) << c.y << "-" << c.m << "-" << c.d;
}

TEST_F(CoreTest, HiMetricAndAlphaSaving) {
  SIZE px{}, hm{};
  const SIZE inch{2540, 2540};
  HiMetricToPixel(&inch, &px);
  EXPECT_EQ(px.cx, 96);
  EXPECT_EQ(px.cy, 96);
  const SIZE one{1, 1};
  PixelToHiMetric(&one, &hm);
  EXPECT_EQ(hm.cx, 26);

  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 8;
  bi.bmiHeader.biHeight = -8;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  auto* px32 = static_cast<uint32_t*>(bits);
  for (int i = 0; i < 64; ++i) px32[i] = static_cast<uint32_t>(i) << 24;
  GdiAlphaRecord first, second, outside;
  const RECT a{-2, -2, 1, 1}, b{6, 6, 20, 20}, left{-9, 0, -5, 3};
  EXPECT_TRUE(GdiAlphaSave(dc, &a, &first));    // clipped to (0, 0)-(2, 2)
  EXPECT_TRUE(GdiAlphaSave(dc, &b, &second));   // both outstanding at once
  EXPECT_TRUE(GdiAlphaSave(dc, &left, &outside));
  EXPECT_FALSE(outside.saved);
  for (int i = 0; i < 64; ++i) px32[i] &= 0x00FFFFFF;  // GDI drawing clobbers the alpha
  GdiAlphaRestore(&second);
  GdiAlphaRestore(&first);
  GdiAlphaRestore(&outside);
  EXPECT_EQ(px32[0] >> 24, 0u);
  EXPECT_EQ(px32[1 * 8 + 1] >> 24, 9u);
  EXPECT_EQ(px32[2 * 8 + 2] >> 24, 0u);  // outside both rectangles
  EXPECT_EQ(px32[7 * 8 + 7] >> 24, 63u);
  EXPECT_EQ(px32[6 * 8 + 6] >> 24, 54u);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST_F(CoreTest, LogTextOfTenThousandBytesIsCutAtACharacterBoundary) {
  std::wstring text(6000, L'录');  // 12000 bytes in GBK
  testing::internal::CaptureStderr();
  SLOGW(SLOG_LEVEL_WARN, "ORIEL::Test", L"%s", text.c_str());
  const std::string err = testing::internal::GetCapturedStderr();
  std::wstring decoded;
  ASSERT_TRUE(crt::Utf8ToWideStrict(err, decoded)) << "not whole characters";
  ASSERT_FALSE(decoded.empty());
  // Whole characters of the message, then as much of the line's tail as fits
  // the 10240-byte buffer with its terminator.
  const size_t run = decoded.find_first_not_of(L'录');
  ASSERT_NE(run, std::wstring::npos);
  EXPECT_EQ(run, 10238u / 2);
  const std::wstring tail = decoded.substr(run);
  EXPECT_EQ(std::wstring(L" ORIEL::Test").rfind(tail, 0), 0u);
  EXPECT_LE(run * 2 + tail.size(), 10239u);
  testing::internal::CaptureStderr();
  SLOGW(SLOG_LEVEL_WARN, "ORIEL::Test", L"short %d", 5);
  const std::string line = testing::internal::GetCapturedStderr();
  EXPECT_EQ(line.rfind("short 5 ORIEL::Test ", 0), 0u) << line;
  EXPECT_NE(line.find("core_test.cpp:"), std::string::npos) << line;
}

}  // namespace

namespace {

TEST_F(CoreTest, StartUpWiringAndPlatformModuleCalls) {
  // Window DCs are the GDI layer's, over the window's surface.
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
  HDC dc = Win32CreateSurfaceDC(surface);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(Win32SurfaceOfDC(dc), surface);
  EXPECT_EQ(GdiSurfaceOfDC(dc), surface);  // a DC GDI itself understands
  Win32DeleteSurfaceDC(dc);
  cairo_surface_destroy(surface);
  // GDI answers the display's DPI, which start-up handed in.
  EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSX), static_cast<int>(Win32DisplayDpi()));
  GdiSetScreenDpi(144);
  SIZE px{};
  const SIZE inch{2540, 2540};
  HiMetricToPixel(&inch, &px);
  EXPECT_EQ(px.cx, 144);
  GdiSetScreenDpi(static_cast<int>(Win32DisplayDpi()));

  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(XmlUtf8(path).c_str(), ProgramFolder() + "/oriel_core_test");
  wchar_t small[5];
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), small, 5), 5u);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(wcslen(small), 4u);
  EXPECT_EQ(GetModuleHandleW(L"USER32.DLL"), GetModuleHandleW(L"user32"));
  EXPECT_EQ(GetModuleHandleW(L"kernel32"), nullptr);
  EXPECT_EQ(GetProcAddress(GetModuleHandleW(L"user32"), "NoSuchCall"), nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);

  // Bitmaps from files are 32-bit DIB sections.
  const std::wstring png = XmlText((ProgramFolder() + "/res/PNGSYSTEM/SYS_CHECKBOX.png").c_str()).c_str();
  HBITMAP bmp = app->LoadBitmap(png.c_str(), TRUE);
  ASSERT_NE(bmp, nullptr);
  BITMAP bm{};
  GetObjectW(bmp, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 128);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  DeleteObject(bmp);
  EXPECT_EQ(LoadImageW(nullptr, L"/nonexistent.png", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

}  // namespace

namespace {

TEST_F(CoreTest, ReplaceableServicesFollowTheAssignmentRule) {
  IObjRef* module = nullptr;
  EXPECT_EQ(app->CreateScriptModule(&module), E_FAIL);
  struct Module : TObjRefImpl<IObjRef> {};
  struct Scripts : TObjRefImpl<IScriptFactory> {
    HRESULT CreateScriptModule(IObjRef** slot) override {
      *slot = new Module;
      return S_OK;
    }
  };
  auto* scripts = new Scripts;
  app->SetScriptFactory(scripts);
  app->SetScriptFactory(scripts);  // the same object again changes nothing
  EXPECT_EQ(scripts->AddRef(), 3);  // ours, ours again, the application's one
  scripts->Release();
  EXPECT_EQ(app->CreateScriptModule(&module), S_OK);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->Release(), 0);
  app->SetScriptFactory(nullptr);
  EXPECT_EQ(scripts->Release(), 0);
  // The default translator translates nothing; a replaced one is released.
  struct Upper : TObjRefImpl<ITranslatorMgr> {
    void SetLanguage(const SStringW&) override {}
    void GetLanguage(wchar_t* b) override { b[0] = 0; }
    int InstallTranslator(void*) override { return 0; }
    int UninstallTranslator(void*) override { return 0; }
    int CreateTranslator(void**) override { return 0; }
    int TranslateInContext(const wchar_t* src, const wchar_t*, wchar_t* buf, int size) override {
      const int need = static_cast<int>(wcslen(src)) + 1;
      if (buf && size >= need)
        for (int i = 0; i < need; ++i) buf[i] = static_cast<wchar_t>(towupper(src[i]));
      return need;
    }
  };
  auto* upper = new Upper;
  app->SetTranslator(upper);
  upper->Release();
  EXPECT_EQ(app->Translate(L"rec", L""), L"REC");
}

}  // namespace

namespace {

struct CountingIdle : IIdleHandler {
  std::function<void(int)> on;
  int calls = 0;
  void OnIdle() override { on(++calls); }
};

TEST_F(CoreTest, MouseMovesDoNotRunTheIdleHandlersAgain) {
  SMessageLoop* loop = app->GetMsgLoop();
  CountingIdle idle;
  idle.on = [&](int n) {
    if (n != 1) return;
    PostThreadMessageW(GetCurrentThreadId(), WM_MOUSEMOVE, 0, 0);
    SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      SApplication::getSingleton().GetMsgLoop()->Quit();
    });
  };
  loop->AddIdleHandler(&idle);
  loop->Run();
  EXPECT_EQ(idle.calls, 1);
  EXPECT_TRUE(loop->RemoveIdleHandler(&idle));
  EXPECT_FALSE(loop->RemoveIdleHandler(&idle));
}

LRESULT CALLBACK NeverCalled(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  EXPECT_NE(msg, UM_SCRIPTTIMER);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST_F(CoreTest, ScriptTimerOfAClosedWindowKeepsARepeatingEntry) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = NeverCalled;
  wc.lpszClassName = L"ClosedHostTest";
  RegisterClassExW(&wc);
  HWND host = CreateWindowExW(0, L"ClosedHostTest", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  SScriptTimer& timers = SScriptTimer::getSingleton();
  const UINT_PTR repeating = timers.StartTimer(host, L"tick", 10, true);
  const UINT_PTR once = timers.StartTimer(host, L"tock", 10, false);
  DestroyWindow(host);
  static int ticks = 0;
  ticks = 0;
  const UINT_PTR watch = SetTimer(nullptr, 0, 15, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (++ticks == 4) {
      KillTimer(nullptr, id);
      SApplication::getSingleton().GetMsgLoop()->Quit();
    }
  });
  ASSERT_NE(watch, 0u);
  app->GetMsgLoop()->Run();
  EXPECT_TRUE(timers.HasTimer(repeating));
  EXPECT_FALSE(timers.HasTimer(once));
  EXPECT_TRUE(timers.StopTimer(repeating));
  EXPECT_FALSE(timers.StopTimer(repeating));
}

}  // namespace
