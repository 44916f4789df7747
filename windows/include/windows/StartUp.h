// The program from start to end: the start-up steps, the message loop and
// the shut-down, in one object so that tests can run start-up in-process,
// drive the main window and take everything down again.
#pragma once

#include <memory>
#include <string>

#include "base/TrevalinDll.h"
#include "logic/TimerClock.h"
#include "online/DumpCatchUpload.h"
#include "render/IRender.h"
#include "controls/SOrielResourceLoader.h"
#include "windows/ModuleLoader.h"
#include "windows/SDlgMain.h"

namespace ORIEL {
class SApplication;
struct IResProvider;
}  // namespace ORIEL

// The host window class, which a second start looks for with the title.
inline constexpr const wchar_t* kMainHostClass = L"MainClsPXReord";

class CQuorvaleApp {
 public:
  enum StartResult {
    kStartRun,            // the main window is up: run the loop
    kStartOtherInstance,  // another instance runs and was brought up: exit 0
    kStartFailed,         // something the program needs is missing: exit 1
  };

  CQuorvaleApp() = default;
  ~CQuorvaleApp();
  CQuorvaleApp(const CQuorvaleApp&) = delete;
  CQuorvaleApp& operator=(const CQuorvaleApp&) = delete;

  StartResult StartUp(HINSTANCE instance);
  // The clock the timer tasks run on, given before StartUp (the system's
  // when none is given).
  void SetTimerClock(std::shared_ptr<ITimerClock> clock) { timerClock_ = std::move(clock); }
  // The message loop until the main window quits it; its result.
  int Run();
  // Takes everything down in order (after Run, or after a start-up that
  // did not reach the loop); returns `code`.
  int ShutDown(int code);

  SDlgMain* MainWindow() const { return main_.get(); }
  ORIEL::SApplication* Application() const { return app_; }
  // Why start-up failed; empty otherwise.
  const std::wstring& FailureText() const { return failure_; }
  // The crash observer, when the crash module took it.
  const CBLLDumpCatchUpload* CrashObserver() const { return crashObserverRegistered_ ? &crashObserver_ : nullptr; }

 private:
  StartResult Fail(const std::wstring& text);
  void ReleasePlugins();

  void RegisterCrashObserver();

  // Declared first: it outlives everything else the program makes, and the
  // module's handler may call it until the destructor takes it back.
  CBLLDumpCatchUpload crashObserver_;
  bool crashObserverRegistered_ = false;
  std::unique_ptr<CTrevalinDll> crashModule_;
  std::unique_ptr<ModuleLoader> loader_;
  IRenderFactory* render_ = nullptr;
  IImgDecoderFactory* decoder_ = nullptr;
  ORIEL::SApplication* app_ = nullptr;
  ORIEL::IResProvider* provider_ = nullptr;
  std::unique_ptr<ORIEL::SGlobalUiResources> globals_;
  bool controller_ = false;
  bool notifier_ = false;
  std::unique_ptr<SDlgMain> main_;
  std::wstring failure_;
  std::shared_ptr<ITimerClock> timerClock_;
};

// The program's entry: start-up, the loop, shut-down. The command line and
// the show command are not used.
int wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);
