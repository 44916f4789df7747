#include "core/SApplication.h"

#include "core/CSimpleWndHelper.h"
#include "core/SMessageBoxImpl.h"
#include "core/SMessageLoop.h"
#include "core/SRenderPlugins.h"
#include "core/SRicheditMenuDef.h"
#include "core/SScriptTimer.h"
#include "core/STextServiceHelper.h"
#include "core/STimer2.h"
#include "core/SWin32Utils.h"
#include "core/SWindowFinder.h"
#include "core/SWindowMgr.h"
#include "core/SInterpolator.h"
#include "res.mgr/ISkinObj.h"
#include "res.mgr/SFontPool.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SStylePool.h"
#include "res.mgr/STemplatePool.h"
#include "res.mgr/SUiDef.h"

namespace ORIEL {

namespace {
SApplication::SingletonTrace g_trace = nullptr;
void Trace(int index, bool created) {
  if (g_trace) g_trace(index, created);
}
}  // namespace

void SApplication::SetSingletonTrace(SingletonTrace trace) { g_trace = trace; }

void* GetAppSingleton(int index) {
  SApplication* app = SApplication::getSingletonPtr();
  return app ? app->GetSingleton(index) : nullptr;
}

SApplication::SApplication(IRenderFactory* renderFactory, HINSTANCE module, LPCWSTR hostClassName,
                           ISystemObjectRegister* registrar, BOOL imeClass)
    : renderFactory_(renderFactory), module_(module), hostClassName_(hostClassName ? hostClassName : L"") {
  InstallPlatformWiring();
  LoadLayeredUpdateEntryPoints();
  CreateSingletons(imeClass);
  translator_.Attach(new SNullTranslator);
  toolTipFactory_.Attach(new SDefToolTipFactory);
  msgLoopFactory_.Attach(new SDefMsgLoopFactory);
  appDir_ = ModuleFolder(module_);
  msgLoop_ = msgLoopFactory_->CreateMsgLoop();
  if (registrar) {
    registrar->RegisterLayoutClasses(this);
    registrar->RegisterSkinClasses(this);
    registrar->RegisterWindowClasses(this);
    registrar->RegisterInterpolatorClasses(this);
  }
}

SApplication::~SApplication() {
  msgLoopFactory_->DestroyMsgLoop(msgLoop_);
  msgLoop_ = nullptr;
  // The message box's template came with this application's resources.
  ClearMessageBoxTemplate();
  ReleaseAll();
  DeleteSingletons();
  appDir_.Empty();
  attrObserverFactory_.reset();
  logger_.reset();
  msgLoopFactory_.reset();
  toolTipFactory_.reset();
  translator_.reset();
  renderFactory_.reset();
  scriptFactory_.reset();
  realWndHandler_.reset();
}

void SApplication::CreateSingletons(BOOL imeClass) {
  // Creation order differs from the index order: the skin pool manager is
  // made after the font pool but sits at index 7.
  singletons_[SINGLETON_UIDEF] = new SUiDef;
  Trace(SINGLETON_UIDEF, true);
  singletons_[SINGLETON_WINDOWMGR] = new SWindowMgr;
  Trace(SINGLETON_WINDOWMGR, true);
  singletons_[SINGLETON_TIMER2] = new STimer2;
  Trace(SINGLETON_TIMER2, true);
  singletons_[SINGLETON_SCRIPTTIMER] = new SScriptTimer;
  Trace(SINGLETON_SCRIPTTIMER, true);
  singletons_[SINGLETON_FONTPOOL] = new SFontPool(renderFactory_);
  Trace(SINGLETON_FONTPOOL, true);
  singletons_[SINGLETON_SKINPOOLMGR] = new SSkinPoolMgr;
  Trace(SINGLETON_SKINPOOLMGR, true);
  singletons_[SINGLETON_STYLEPOOLMGR] = new SStylePoolMgr;
  Trace(SINGLETON_STYLEPOOLMGR, true);
  singletons_[SINGLETON_TEMPLATEPOOLMGR] = new STemplatePoolMgr;
  Trace(SINGLETON_TEMPLATEPOOLMGR, true);
  singletons_[SINGLETON_WINDOWFINDER] = new SWindowFinder;
  Trace(SINGLETON_WINDOWFINDER, true);
  singletons_[SINGLETON_TEXTSERVICEHELPER] = new STextServiceHelper;
  Trace(SINGLETON_TEXTSERVICEHELPER, true);
  singletons_[SINGLETON_RICHEDITMENUDEF] = new SRicheditMenuDef;
  Trace(SINGLETON_RICHEDITMENUDEF, true);
  singletons_[SINGLETON_SIMPLEWNDHELPER] = new CSimpleWndHelper(module_, hostClassName_, imeClass);
  Trace(SINGLETON_SIMPLEWNDHELPER, true);
}

void SApplication::DeleteSingletons() {
  static constexpr int kOrder[] = {11, 10, 9, 8, 5, 6, 7, 4, 3, 2, 1, 0};
  for (int index : kOrder) {
    delete singletons_[index];
    singletons_[index] = nullptr;
    Trace(index, false);
  }
}

void* SApplication::GetSingleton(int index) const {
  if (index < 0 || index >= SINGLETON_COUNT) return nullptr;
  return singletons_[index];
}

int SApplication::Run(HWND mainWnd) {
  mainWnd_ = mainWnd;
  const int result = msgLoop_->Run();
  if (mainWnd_ && IsWindow(mainWnd_)) DestroyWindow(mainWnd_);
  return result;
}

IObject* SApplication::NewWindowByClass(LPCWSTR name) {
  const SStringW full(name ? name : L"");
  const int dot = full.ReverseFind(L'.');
  IObject* obj = CreateObject(SObjectInfo(dot >= 0 ? full.Left(dot) : full, kObjWindow));
  if (obj && dot >= 0) obj->ApplyAttribute(SStringW(L"class"), full, TRUE);
  return obj;
}

ISkinObj* SApplication::NewSkinByClass(LPCWSTR name) {
  IObject* obj = CreateObject(SObjectInfo(name, kObjSkin));
  auto* skin = dynamic_cast<ISkinObj*>(obj);
  if (obj && !skin) obj->Release();
  return skin;
}

IInterpolator* SApplication::NewInterpolatorByClass(LPCWSTR name) {
  IObject* obj = CreateObject(SObjectInfo(name, kObjInterpolator));
  auto* ip = dynamic_cast<IInterpolator*>(obj);
  if (obj && !ip) obj->Release();
  return ip;
}

BOOL SApplication::LoadXmlDocument(SXmlDoc& doc, const SStringW& name, const SStringW& type,
                                   IResProvider* provider) {
  if (!provider) {
    if (type.CompareNoCase(L"file") == 0) return doc.LoadFile(name);
    provider = FindProvider(type, name);
    if (!provider) return FALSE;
  }
  const size_t size = provider->ResourceByteSize(type, name);
  if (size == 0) return FALSE;
  SArray<char> bytes;
  if (!bytes.SetSize(static_cast<int>(size))) return FALSE;
  if (!provider->ReadResourceBytes(type, name, bytes.GetData(), size)) return FALSE;
  return doc.LoadBuffer(bytes.GetData(), size);
}

BOOL SApplication::LoadXmlById(SXmlDoc& doc, const SStringW& id) {
  SStringW type, name;
  if (!SplitResId(id, type, name)) return FALSE;
  return LoadXmlDocument(doc, name, type, nullptr);
}

int SApplication::LoadSystemResources(IResProvider* provider) {
  int failures = 0;
  AttachProvider(provider, nullptr);
  SXmlDoc skins;
  if (LoadXmlDocument(skins, L"SYS_XML_SKIN", L"XML", provider)) {
    SSkinPoolMgr::getSingleton().GetSystemPool()->AddSkinsFromXml(XmlChild(skins, L"skin"));
  } else {
    failures |= kSysResSkinMissing;
  }
  SXmlDoc menu;
  if (LoadXmlDocument(menu, L"SYS_XML_EDITMENU", L"XML", provider)) {
    SRicheditMenuDef::getSingleton().SetMenuDef(XmlChild(menu, L"editmenu"));
  } else {
    failures |= kSysResEditMenuMissing;
  }
  SXmlDoc msgBox;
  if (!LoadXmlDocument(msgBox, L"SYS_XML_MSGBOX", L"XML", provider) ||
      !InstallMessageBoxTemplate(XmlChild(msgBox, L"ORIEL")))
    failures |= kSysResMsgBoxMissing;
  DetachProvider(provider);
  return failures;
}

SStringW SApplication::Translate(const SStringW& text, const SStringW& context) const {
  if (!translator_) return text;
  const int size = translator_->TranslateInContext(text, context, nullptr, 0);
  if (size <= 0) return text;
  SStringW out;
  wchar_t* buf = out.GetBuffer(size);
  if (!buf) return text;
  translator_->TranslateInContext(text, context, buf, size);
  out.ReleaseBuffer(-1);
  return out;
}

void SApplication::LoadNamedIdTable(const SNamedIdRecord* records, int count, bool sorted) {
  namedIds_.SetItems(reinterpret_cast<const SNamedID::Entry*>(records), count, sorted);
}

int SApplication::LookupNamedId(const SStringW& name) const {
  const int* id = namedIds_.Find(name);
  return id ? *id : 0;
}

HRESULT SApplication::CreateScriptModule(IObjRef** slot) {
  if (!scriptFactory_) return E_FAIL;
  return scriptFactory_->CreateScriptModule(slot);
}

bool SApplication::ReplaceMsgLoopFactory(IMsgLoopFactory* factory) {
  if (!factory || (msgLoop_ && msgLoop_->IsRunning())) return false;
  msgLoopFactory_->DestroyMsgLoop(msgLoop_);
  msgLoopFactory_ = factory;
  msgLoop_ = msgLoopFactory_->CreateMsgLoop();
  return true;
}

}  // namespace ORIEL

static_assert(sizeof(ORIEL::SNamedIdRecord) == sizeof(ORIEL::SNamedID::Entry), "named-id records are table entries");
