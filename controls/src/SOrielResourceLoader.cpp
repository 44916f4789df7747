#include "controls/SOrielResourceLoader.h"

#include "core/SApplication.h"
#include "core/SStringSplit.h"
#include "res.mgr/SNamedValue.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SStylePool.h"
#include "res.mgr/SUiDef.h"

namespace ORIEL {

namespace {

// The definition's pool, made and put on its manager's stack when the
// definition has none yet.
SSkinPool* SkinPoolOf(IUiDefInfo* info) {
  if (SSkinPool* pool = info->GetSkinPool()) return pool;
  auto* pool = new SSkinPool;
  info->SetSkinPool(pool);
  SSkinPoolMgr::getSingleton().PushSkinPool(pool);
  pool->Release();
  return info->GetSkinPool();
}

SStylePool* StylePoolOf(IUiDefInfo* info) {
  if (SStylePool* pool = info->GetStylePool()) return pool;
  auto* pool = new SStylePool;
  info->SetStylePool(pool);
  SStylePoolMgr::getSingleton().PushStylePool(pool);
  pool->Release();
  return info->GetStylePool();
}

}  // namespace

SOrielResourceLoader::~SOrielResourceLoader() {
  if (!provider_) return;
  if (SApplication* app = SApplication::getSingletonPtr()) app->DetachProvider(provider_);
  provider_->Release();
  provider_ = nullptr;
}

bool SOrielResourceLoader::Load(HINSTANCE module, LPCWSTR resName) {
  // A kind with nothing to apply loads nothing.
  if (kind_ < kStyle || kind_ > kString) return false;
  SApplication* app = SApplication::getSingletonPtr();
  if (!app) return false;
  if (!provider_) {
    IResProvider* made = nullptr;
    if (!MakeResProvider(kResProviderPE, &made) || !made) return false;
    provider_ = made;
    app->AttachProvider(provider_);
  }
  provider_->Init(reinterpret_cast<WPARAM>(module), 0);
  SStringWArray parts;
  if (ParseResName(SStringW(resName ? resName : L""), parts) != 2) return false;
  SXmlDoc doc;
  if (!app->LoadXmlDocByType(doc, parts[1], parts[0])) return false;
  return Apply(doc);
}

bool SOrielResourceLoader::Apply(pugi::xml_node root) const {
  static const wchar_t* const kElements[] = {L"style", L"skin", L"color", L"string"};
  pugi::xml_node node = XmlChild(root, kElements[kind_]);
  IUiDefInfo* info = SUiDef::CurrentInfo();
  if (!node || !info) return false;
  switch (kind_) {
    case kStyle: StylePoolOf(info)->Init(node); break;
    case kSkin: SkinPoolOf(info)->AddSkinsFromXml(node); break;
    case kColor: info->GetNamedColor()->Init(node); break;
    case kString: info->GetNamedString()->Init(node); break;
  }
  return true;
}

bool SGlobalUiResources::LoadGlobalUiResources(HINSTANCE module) {
  // The old loaders go first, taking their providers with them.
  skin.reset();
  style.reset();
  color.reset();
  skin = std::make_shared<SOrielResourceLoader>(SOrielResourceLoader::kSkin);
  style = std::make_shared<SOrielResourceLoader>(SOrielResourceLoader::kStyle);
  color = std::make_shared<SOrielResourceLoader>(SOrielResourceLoader::kColor);
  const bool skins = skin->Load(module, L"UIDEFGLOBAL:global_skin");
  const bool styles = style->Load(module, L"UIDEFGLOBAL:global_style");
  const bool colors = color->Load(module, L"UIDEFGLOBAL:global_color");
  return skins && styles && colors;
}

}  // namespace ORIEL
