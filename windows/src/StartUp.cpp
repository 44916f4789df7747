#include "windows/StartUp.h"

#include "audio/DeviceNotifier.h"
#include "base/AppFolders.h"
#include "base/SingleInstance.h"
#include "controls/ControlFactories.h"
#include "controls/WkeApi.h"
#include "core/SApplication.h"
#include "core/SObjectFactory.h"
#include "logic/BllMain.h"
#include "res.mgr/IResProvider.h"
#include "windows/ExitSignals.h"
#include "windows/ModuleFiles.h"
#include "windows/ResourceNames.h"
#include "windows/UpdateTipDialog.h"

using namespace ORIEL;

CQuorvaleApp::~CQuorvaleApp() {
  // A start-up that never reached the loop still releases what it made.
  if (app_ || render_ || loader_) ShutDown(0);
  // The module stays loaded after this object: it must not call an
  // observer that is gone.
  if (crashObserverRegistered_) crashModule_->getInterface()->GetCatcher()->RegisterObserver(nullptr);
}

void CQuorvaleApp::RegisterCrashObserver() {
  // A crash-module failure has shown its message: the program runs on
  // without a crash report.
  crashModule_ = std::make_unique<CTrevalinDll>();
  IDumpCatchMgr* manager = crashModule_->getInterface();
  IDumpCatcher* catcher = manager ? manager->GetCatcher() : nullptr;
  crashObserverRegistered_ = catcher && catcher->RegisterObserver(&crashObserver_);
}

CQuorvaleApp::StartResult CQuorvaleApp::Fail(const std::wstring& text) {
  failure_ = text;
  MessageBoxW(nullptr, text.c_str(), L"提示", MB_OK);
  return kStartFailed;
}

CQuorvaleApp::StartResult CQuorvaleApp::StartUp(HINSTANCE instance) {
  RegisterCrashObserver();

  InstallModuleFileMap();
  loader_ = std::make_unique<ModuleLoader>();
  SetCurrentDirToExeDir();
  IObjRef* render = nullptr;
  if (!loader_->CreateRender(&render) || !render)
    return Fail(L"无法加载渲染模块 render-skia.dll: " + std::wstring(loader_->GetLastError().c_str()));
  render_ = static_cast<IRenderFactory*>(render);
  IObjRef* decoder = nullptr;
  if (!loader_->CreateImgDecoder(&decoder) || !decoder)
    return Fail(L"无法加载图片解码模块 imgdecoder-gdip.dll: " + std::wstring(loader_->GetLastError().c_str()));
  decoder_ = static_cast<IImgDecoderFactory*>(decoder);
  render_->SetImgDecoderFactory(decoder_);

  SObjectDefaultRegister registrar;
  app_ = new SApplication(render_, instance, kMainHostClass, &registrar, FALSE);
  RegisterControlFactories(*app_, 1);
  // The web engine before any layout uses a web view; without it the
  // program runs and its web views stay empty (the advertising panel hidden).
  StartWebEngine();
  RegisterControlFactories(*app_, 2);

  if (instance) {
    IResProvider* system = nullptr;
    if (MakeResProvider(kResProviderPE, &system) && system) {
      if (system->Init(reinterpret_cast<WPARAM>(instance), 0)) app_->LoadSystemResources(system);
      system->Release();
    }
  }
  if (!MakeResProvider(kResProviderPE, &provider_) || !provider_ ||
      !provider_->Init(reinterpret_cast<WPARAM>(instance), 0))
    return Fail(L"无法读取程序资源 res/uires.idx");
  InstallNamedIdTable(*app_);
  app_->AttachProvider(provider_, L"uidef:xml_init");

  // The instance is decided once per process: a process that took the
  // mutex stays the first instance for any later start-up it runs.
  static bool firstInstance = false;
  if (!firstInstance) {
    if (CheckRunningInstance()) return kStartOtherInstance;
    firstInstance = true;
  }

  globals_ = std::make_unique<SGlobalUiResources>();
  globals_->LoadGlobalUiResources(instance);
  // The update tips use the program's tip dialog once its resources are in.
  SetUpdateTipShower(ShowUpdateTipDialog);
  SStringW dataDir;
  std::wstring ignored;
  PrepareDataDir(dataDir, ignored);
  CBllMain& bll = CBllMain::Instance(timerClock_);
  controller_ = true;
  GetDeviceNotifier();
  notifier_ = true;

  main_ = std::make_unique<SDlgMain>();
  HWND hwnd = main_->CreateDefault(GetActiveWindow());
  if (!hwnd) return Fail(L"无法创建主窗口 LAYOUT:dlg_main");
  SendMessageW(hwnd, WM_INITDIALOG, 0, 0);

  CFileMoreSetting& more = bll.GetMoreSetting();
  SetAutoStart(more.common_auto_open != 0);
  main_->RegisterHotKeys(more.hotkeys, true);
  main_->ShowFloatingWindow(more.common_showflow_desktop != 0);
  main_->CenterOnOwner(hwnd);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  return kStartRun;
}

int CQuorvaleApp::Run() {
  if (!app_ || !main_) return 1;
  return app_->Run(main_->GetHwnd());
}

void CQuorvaleApp::ReleasePlugins() {
  if (render_) render_->Release();
  render_ = nullptr;
  if (decoder_) decoder_->Release();
  decoder_ = nullptr;
  loader_.reset();
}

int CQuorvaleApp::ShutDown(int code) {
  SetExitSignalTarget(nullptr);
  SetUpdateTipShower(nullptr);
  if (notifier_) ReleaseDeviceNotifier();
  notifier_ = false;
  if (controller_) CBllMain::DeleteInstance();
  controller_ = false;
  if (main_ && IsWindow(main_->GetHwnd())) main_->DestroyHostWindow();
  main_.reset();
  globals_.reset();
  delete app_;
  app_ = nullptr;
  if (provider_) provider_->Release();
  provider_ = nullptr;
  StopWebEngine();
  ReleasePlugins();
  return code;
}

int wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  WatchExitSignals();
  CQuorvaleApp program;
  switch (program.StartUp(instance)) {
    case CQuorvaleApp::kStartOtherInstance:
      return program.ShutDown(0);
    case CQuorvaleApp::kStartFailed:
      return program.ShutDown(1);
    case CQuorvaleApp::kStartRun:
      break;
  }
  SetExitSignalTarget(program.MainWindow()->GetHwnd());
  const int code = program.Run();
  return program.ShutDown(code);
}
