#include "windows/GlobalUiResources.h"

#include "core/SApplication.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SStylePool.h"
#include "res.mgr/SUiDef.h"
#include "windows/ResourceNames.h"

using namespace ORIEL;

GlobalUiResources::~GlobalUiResources() { Unload(); }

void GlobalUiResources::Unload() {
  if (skins_) {
    if (SSkinPoolMgr* mgr = SSkinPoolMgr::getSingletonPtr()) mgr->PopPool(skins_);
    skins_->Release();
    skins_ = nullptr;
  }
  if (styles_) {
    if (SStylePoolMgr* mgr = SStylePoolMgr::getSingletonPtr()) mgr->PopStylePool(styles_);
    styles_->Release();
    styles_ = nullptr;
  }
}

int GlobalUiResources::Load(SApplication& app) {
  Unload();
  int failed = 0;
  SXmlDoc skinDoc, styleDoc, colorDoc;
  if (app.LoadXmlById(skinDoc, kResourceIds.UIDEFGLOBAL.global_skin) && skinDoc.child("skin")) {
    skins_ = new SSkinPool;
    skins_->AddSkinsFromXml(skinDoc.child("skin"));
    SSkinPoolMgr::getSingleton().PushSkinPool(skins_);
  } else {
    failed |= 1;
  }
  if (app.LoadXmlById(styleDoc, kResourceIds.UIDEFGLOBAL.global_style) && styleDoc.child("style")) {
    styles_ = new SStylePool;
    styles_->Init(styleDoc.child("style"));
    SStylePoolMgr::getSingleton().PushStylePool(styles_);
  } else {
    failed |= 2;
  }
  IUiDefInfo* def = SUiDef::getSingletonPtr() ? SUiDef::getSingleton().GetUiDef() : nullptr;
  if (def && app.LoadXmlById(colorDoc, kResourceIds.UIDEFGLOBAL.global_color) && colorDoc.child("color"))
    def->GetNamedColor()->Init(colorDoc.child("color"));
  else
    failed |= 4;
  return failed;
}
