// The cost of two live waveform controls in a host window: process CPU
// (every thread: capture, the engines' threads, painting) as a share of one
// core while both controls monitor, beside the same window with both idle,
// in the same run. A tone plays into "speakers" from a child process, so its
// own work is not counted. Two ways of presenting a repaint are measured:
// the paint rectangle only, and the whole window (as the test host does).
//   wave_host_bench [seconds per phase, default 30]
// Needs $DISPLAY and the test PulseAudio daemon ($PULSE_SERVER).
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "audio/CaptureDeviceMatch.h"
#include "audio/SCtrlAudio.h"
#include "bench_tones.h"
#include "SwndTestHost.h"
#include "core/SRenderPlugins.h"

using namespace ORIEL;

namespace {

constexpr int kHostW = 800, kHostH = 600;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Times any thread of the process went to sleep: each is a wake-up later,
// and a wake-up costs more than most of the work it does.
long Sleeps() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_nvcsw;
}

// A host window over the headless host's target that presents either the
// paint rectangle or the whole window, and times both halves of a repaint.
class BenchHost : public SwndTestHost {
 public:
  BenchHost() : SwndTestHost(kHostW, kHostH) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &BenchHost::Proc;
    wc.lpszClassName = L"WaveHostBenchHost";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_POPUP, 40, 40, kHostW, kHostH, nullptr, nullptr,
                            nullptr, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~BenchHost() override {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  HWND GetHostHwnd() override { return hwnd_; }
  void InvalidateHostRect(const RECT& rc) override {
    SwndTestHost::InvalidateHostRect(rc);
    ::InvalidateRect(hwnd_, &rc, FALSE);
  }
  HWND Hwnd() const { return hwnd_; }

  bool presentWhole = false;
  long ticks = 0;  // window timer messages handled (each control asks for 100 a second)
  long repaints = 0;
  double paintSeconds = 0, presentSeconds = 0, presentedPixels = 0;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<BenchHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_PAINT) {
      self->OnPaintMessage();
      return 0;
    }
    if (msg == WM_TIMER && IsSwndTimerId(wParam)) {
      ++self->ticks;
      if (SWindow* w = SWindowMgr::getSingleton().LookupWindow(SwndTimerHandle(wParam)))
        w->SendSwndMessage(WM_TIMER, SwndTimerWindowId(wParam), 0);
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  void OnPaintMessage() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    const auto t0 = std::chrono::steady_clock::now();
    Paint();
    const auto t1 = std::chrono::steady_clock::now();
    const RECT whole{0, 0, kHostW, kHostH};
    const RECT& r = presentWhole ? whole : ps.rcPaint;
    HDC src = Target()->GetDC(0);
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, src, r.left, r.top, SRCCOPY);
    Target()->ReleaseDC(src);
    EndPaint(hwnd_, &ps);
    GdiFlush();
    const auto t2 = std::chrono::steady_clock::now();
    ++repaints;
    paintSeconds += Seconds(t1 - t0);
    presentSeconds += Seconds(t2 - t1);
    presentedPixels += static_cast<double>(r.right - r.left) * (r.bottom - r.top);
  }
  HWND hwnd_;
};

void Pump(double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

struct Phase {
  const char* name;
  double cpuShare;  // of one core
  double sleepsPerSecond;
  double ticksPerSecond;
  long repaints;
  double paintMs, presentMs, pixelsPerRepaint;
};

Phase Measure(const char* name, BenchHost& host, double seconds) {
  Pump(1.0);  // settle
  host.repaints = 0;
  host.ticks = 0;
  host.paintSeconds = host.presentSeconds = host.presentedPixels = 0;
  const double cpu0 = CpuSeconds();
  const long sleeps0 = Sleeps();
  const auto t0 = std::chrono::steady_clock::now();
  Pump(seconds);
  const double wall = Seconds(std::chrono::steady_clock::now() - t0);
  const double cpu = CpuSeconds() - cpu0;
  const double sleeps = static_cast<double>(Sleeps() - sleeps0) / wall;
  const long n = host.repaints;
  return Phase{name, cpu / wall, sleeps, host.ticks / wall, n, n ? host.paintSeconds * 1000 / n : 0, n ? host.presentSeconds * 1000 / n : 0,
               n ? host.presentedPixels / n : 0};
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? atof(argv[1]) : 30.0;
  if (!Win32HasDisplay()) {
    fprintf(stderr, "wave_host_bench: no X display\n");
    return 1;
  }
  // The tone comes from a child process: its work is not the controls'.
  const pid_t tonePid = fork();
  if (tonePid == 0) {
    BenchTone tone("speakers", 440, 0.5);
    if (!tone.Started()) _exit(2);
    pause();
    _exit(0);
  }
  SRenderPlugins plugins;
  IRenderFactory* factory = plugins.CreateRenderFactory();
  if (!factory) {
    fprintf(stderr, "wave_host_bench: no render plug-in: %s\n", XmlUtf8(plugins.LastError()).c_str());
    kill(tonePid, SIGTERM);
    return 1;
  }
  int status = 0;
  {
    SObjectDefaultRegister reg;
    SApplication app(factory, GetModuleHandleW(nullptr), L"WaveHostBench", &reg, FALSE);
    RegisterAudioWaveClass();
    auto* host = new BenchHost;
    host->CreateChildrenFromString(
        L"<window pos='0,0,800,600' colorBkgnd='#f0f0f0'/>"
        L"<audioWave name='wave_speaker' pos='40,100,340,160' colorBkgnd='#102030'/>"
        L"<audioWave name='wave_mic' pos='40,200,340,260' colorBkgnd='#102030'/>"
        L"<window name='bare' pos='0,0,0,0'/>");
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    auto* speaker = host->FindChildByName2<SCtrlAudio>(L"wave_speaker");
    auto* mic = host->FindChildByName2<SCtrlAudio>(L"wave_mic");
    speaker->Monitor().SetName(kDeviceOutDefault);
    speaker->Monitor().SetLoopback(1);
    mic->Monitor().SetName(kDeviceInDefault);
    mic->Monitor().SetLoopback(0);
    for (int slot = 0; slot < 8; ++slot) mic->SetChannelBrush(slot, 0);

    const Phase idle = Measure("both idle", *host, seconds);
    speaker->StartMonitor();
    mic->StartMonitor();
    const Phase live = Measure("both live, paint rectangle presented", *host, seconds);
    host->presentWhole = true;
    const Phase whole = Measure("both live, whole window presented", *host, seconds);
    // The same capture and engines without any repaint: what painting adds.
    speaker->KillTimer(SCtrlAudio::kRepaintTimer);
    mic->KillTimer(SCtrlAudio::kRepaintTimer);
    const Phase unpainted = Measure("both live, never repainted", *host, seconds);
    speaker->StopMonitor();
    mic->StopMonitor();
    // Only the two 10 ms ticks, handled by windows that do nothing with
    // them: the floor the refresh period itself sets.
    SWindow* bare = host->FindDescendantByName(L"bare");
    bare->SetTimer(1, SCtrlAudio::kRepaintMs);
    bare->SetTimer(2, SCtrlAudio::kRepaintMs);
    const Phase ticks = Measure("two bare 10 ms window timers", *host, seconds);
    bare->KillTimer(1);
    bare->KillTimer(2);

    printf("%d s per phase, 2 controls of 300x60 in an %dx%d host window, tone in \"speakers\"\n",
           static_cast<int>(seconds), kHostW, kHostH);
    printf("%-40s %10s %9s %8s %10s %10s %12s %14s\n", "phase", "cpu %core", "sleeps/s", "ticks/s", "repaints/s",
           "paint ms", "present ms", "pixels/repaint");
    for (const Phase& p : {idle, live, whole, unpainted, ticks})
      printf("%-40s %10.2f %9.0f %8.0f %10.1f %10.3f %12.3f %14.0f\n", p.name, p.cpuShare * 100, p.sleepsPerSecond,
             p.ticksPerSecond, p.repaints / seconds, p.paintMs, p.presentMs, p.pixelsPerRepaint);
    printf("live minus idle: %.2f %% of one core (goal < 2 %%)\n", (live.cpuShare - idle.cpuShare) * 100);
    printf("pictures converted: speaker %d, mic %d\n", speaker->GetConvertCount(), mic->GetConvertCount());
    host->SendSwndMessage(2);
    host->Release();
  }
  factory->Release();
  kill(tonePid, SIGTERM);
  waitpid(tonePid, &status, 0);
  return 0;
}
