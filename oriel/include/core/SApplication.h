// The application object: the framework's root. It owns the factory
// registry, the resource providers, the twelve framework singletons, the
// replaceable services and the main message loop.
#pragma once

#include "core/SDefServices.h"
#include "core/SLog.h"
#include "res.mgr/SNamedValue.h"
#include "core/SObjectFactory.h"
#include "core/SSingleton.h"
#include "core/SXml.h"
#include "render/IRender.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

class SMessageLoop;
struct ISkinObj;
struct IInterpolator;

// Failure bits of LoadSystemResources.
enum {
  kSysResSkinMissing = 1,
  kSysResEditMenuMissing = 2,
  kSysResMsgBoxMissing = 4,
};

// Services a program may install; the program installs none. Their own
// operations come with the parts that call them (real child windows, host
// window scripts, attribute observers).
class SRealWnd;
// Makes, places and destroys the real windows of "realwnd" controls.
struct IRealWindowFactory : IObjRef {
  virtual HWND CreateRealWindow(SRealWnd* control) = 0;
  virtual void DestroyRealWindow(SRealWnd* control) = 0;
  virtual void InitRealWindow(SRealWnd* control) = 0;
  // True when the factory has placed the new window itself.
  virtual BOOL PlaceRealWindow(SRealWnd* control) = 0;
  // True when the factory has moved the window to `rc` itself.
  virtual BOOL ResizeRealWindow(SRealWnd* control, const RECT* rc) = 0;
};
using IRealWndHandler = IRealWindowFactory;
struct IAttrObserverFactory : IObjRef {};
struct IScriptFactory : IObjRef {
  // Fills `slot` with a new script module (one reference).
  virtual HRESULT CreateScriptModule(IObjRef** slot) = 0;
};

class SApplication : public SSingleton<SApplication>, public SResProviderMgr, public SObjectFactoryMgr {
 public:
  SApplication(IRenderFactory* renderFactory, HINSTANCE module, LPCWSTR hostClassName,
               ISystemObjectRegister* registrar, BOOL imeClass = FALSE);
  ~SApplication() override;

  // Runs the main loop; destroys the main window when it still exists.
  int Run(HWND mainWnd);
  void* GetSingleton(int index) const;
  // Told of each singleton as it is made (true) and deleted (false): the
  // order matters to what the singletons release.
  using SingletonTrace = void (*)(int index, bool created);
  static void SetSingletonTrace(SingletonTrace trace);

  // A class name "cls.style" creates cls and applies the style class.
  virtual IObject* NewWindowByClass(LPCWSTR name);
  virtual ISkinObj* NewSkinByClass(LPCWSTR name);
  virtual IInterpolator* NewInterpolatorByClass(LPCWSTR name);

  BOOL LoadXmlDocument(SXmlDoc& doc, const SStringW& name, const SStringW& type, IResProvider* provider = nullptr);
  BOOL LoadXmlDocByType(SXmlDoc& doc, const SStringW& name, const SStringW& type) {
    return LoadXmlDocument(doc, name, type, nullptr);
  }
  // "TYPE:NAME"; false without a colon.
  BOOL LoadXmlById(SXmlDoc& doc, const SStringW& id);
  // The framework's own XML resources; a mask of kSysRes* failures.
  int LoadSystemResources(IResProvider* provider);

  SStringW Translate(const SStringW& text, const SStringW& context) const;
  void LoadNamedIdTable(const SNamedIdRecord* records, int count, bool sorted);
  int LookupNamedId(const SStringW& name) const;
  // Refused (false) while the main loop runs.
  bool ReplaceMsgLoopFactory(IMsgLoopFactory* factory);

  // E_FAIL without a script factory.
  HRESULT CreateScriptModule(IObjRef** slot);

  IRenderFactory* GetRenderFactory() const { return renderFactory_; }
  IRealWndHandler* GetRealWndHandler() const { return realWndHandler_; }
  IAttrObserverFactory* GetAttrObserverFactory() const { return attrObserverFactory_; }
  IScriptFactory* GetScriptFactory() const { return scriptFactory_; }
  ITranslatorMgr* GetTranslator() const { return translator_; }
  IToolTipFactory* GetToolTipFactory() const { return toolTipFactory_; }
  IMsgLoopFactory* GetMsgLoopFactory() const { return msgLoopFactory_; }
  ILog* GetLogger() const { return logger_; }
  SStringW GetAppDir() const { return appDir_; }
  HINSTANCE GetModule() const { return module_; }
  HWND GetMainWnd() const { return mainWnd_; }
  SMessageLoop* GetMsgLoop() const { return msgLoop_; }
  LPCWSTR GetHostClassName() const { return hostClassName_; }

  void SetTranslator(ITranslatorMgr* t) { translator_ = t; }
  void SetToolTipFactory(IToolTipFactory* f) { toolTipFactory_ = f; }
  void SetLogger(ILog* log) { logger_ = log; }
  void SetAppDir(const SStringW& dir) { appDir_ = dir; }
  void SetRealWndHandler(IRealWndHandler* h) { realWndHandler_ = h; }
  void SetAttrObserverFactory(IAttrObserverFactory* f) { attrObserverFactory_ = f; }
  void SetScriptFactory(IScriptFactory* f) { scriptFactory_ = f; }

 private:
  void CreateSingletons(BOOL imeClass);
  void DeleteSingletons();

  SRefPtr<IRealWndHandler> realWndHandler_;
  SRefPtr<IScriptFactory> scriptFactory_;
  SRefPtr<IRenderFactory> renderFactory_;
  SRefPtr<ITranslatorMgr> translator_;
  SRefPtr<IToolTipFactory> toolTipFactory_;
  SRefPtr<IMsgLoopFactory> msgLoopFactory_;
  SRefPtr<ILog> logger_;
  SRefPtr<IAttrObserverFactory> attrObserverFactory_;
  SNamedID namedIds_;
  SStringW appDir_;
  HINSTANCE module_ = nullptr;
  HWND mainWnd_ = nullptr;
  SMessageLoop* msgLoop_ = nullptr;
  SStringW hostClassName_;
  SSingletonBase* singletons_[SINGLETON_COUNT] = {};
};

}  // namespace ORIEL
