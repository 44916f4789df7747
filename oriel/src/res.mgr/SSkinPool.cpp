#include "res.mgr/SSkinPool.h"

#include "core/SApplication.h"
#include "core/SWin32Utils.h"

namespace ORIEL {
namespace {

const wchar_t* const kSystemSkinNames[kSystemSkinCount] = {
    L"_skin.sys.checkbox",      L"_skin.sys.radio",         L"_skin.sys.focuscheckbox",  L"_skin.sys.focusradio",
    L"_skin.sys.btn.normal",    L"_skin.sys.scrollbar",     L"_skin.sys.border",         L"_skin.sys.dropbtn",
    L"_skin.sys.tree.toggle",   L"_skin.sys.tree.checkbox", L"_skin.sys.tree.lines",     L"_skin.sys.tab.page",
    L"_skin.sys.header",        L"_skin.sys.split.vert",    L"_skin.sys.split.horz",     L"_skin.sys.prog.bkgnd",
    L"_skin.sys.prog.bar",      L"_skin.sys.vert.prog.bkgnd", L"_skin.sys.vert.prog.bar", L"_skin.sys.slider.thumb",
    L"_skin.sys.btn.close",     L"_skin.sys.btn.minimize",  L"_skin.sys.btn.maxmize",    L"_skin.sys.btn.restore",
    L"_skin.sys.menu.check",    L"_skin.sys.menu.sep",      L"_skin.sys.menu.arrow",     L"_skin.sys.menu.border",
    L"_skin.sys.menu.skin",     L"_skin.sys.icons",         L"_skin.sys.wnd.bkgnd",      L"_skin.sys.btn.prev",
    L"_skin.sys.btn.next",      L"_skin.sys.spin.down",     L"_skin.sys.spin.up",
};

}  // namespace

LPCWSTR SystemSkinName(int index) {
  return index >= 0 && index < kSystemSkinCount ? kSystemSkinNames[index] : nullptr;
}

uint32_t SkinKey::Hash() const { return name.Hash() * 32 + static_cast<uint32_t>(scale); }

SSkinPool::SSkinPool() : skins_(17, 0.75f, 0.25f, 2.25f, 10) {}

SSkinPool::~SSkinPool() {
  for (SPOSITION pos = skins_.GetStartPosition(); pos;) skins_.GetNext(pos)->m_value->Release();
  skins_.RemoveAll();
}

ISkinObj* SSkinPool::GetSkin(const SStringW& name, int scale) {
  ISkinObj* skin = nullptr;
  if (skins_.Lookup(SkinKey{name, scale}, skin)) return skin;
  const int step = RoundScale(scale);
  if (skins_.Lookup(SkinKey{name, step}, skin)) return skin;
  for (int s : kScaleSteps) {
    ISkinObj* source = nullptr;
    if (!skins_.Lookup(SkinKey{name, s}, source)) continue;
    ISkinObj* copy = source->Scale(step);
    if (!copy) return source;
    skins_.SetAt(SkinKey{name, step}, copy);  // keeps the creation reference
    return copy;
  }
  return nullptr;
}

bool SSkinPool::AddSkin(const SStringW& name, int scale, ISkinObj* skin) {
  const SkinKey key{name, scale};
  if (!skin || skins_.Lookup(key)) return false;
  skin->AddRef();
  skins_.SetAt(key, skin);
  return true;
}

int SSkinPool::AddSkinsFromXml(pugi::xml_node node) {
  if (!node) return 0;
  SSkinPoolMgr& mgr = SSkinPoolMgr::getSingleton();
  mgr.PushSkinPool(this);  // skins made now find the skins of this pool by name
  int count = 0;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    pugi::xml_attribute name = XmlAttr(c, L"name");
    if (!name || !*c.name()) continue;
    ISkinObj* skin = SApplication::getSingleton().NewSkinByClass(XmlName(c));
    if (!skin) continue;
    skin->LoadXmlNode(c);
    ++count;
    AddSkin(skin->GetName(), skin->GetScale(), skin);
    skin->Release();
  }
  mgr.PopPool(nullptr);
  return count;
}

SSkinPoolMgr::SSkinPoolMgr() : pools_(10), systemPool_(new SSkinPool) { PushSkinPool(systemPool_); }

SSkinPoolMgr::~SSkinPoolMgr() {
  for (SPOSITION pos = pools_.GetHeadPosition(); pos;) pools_.GetNext(pos)->Release();
  pools_.RemoveAll();
  systemPool_->Release();
}

void SSkinPoolMgr::PushSkinPool(SSkinPool* pool) {
  if (!pool) return;
  pools_.AddTail(pool);
  pool->AddRef();
}

void SSkinPoolMgr::PopPool(SSkinPool* pool) {
  if (pools_.IsEmpty()) return;
  if (!pool) {
    SSkinPool* newest = pools_.GetTail();
    pools_.RemoveTail();
    newest->Release();
    return;
  }
  if (pool == systemPool_) return;
  for (SPOSITION pos = pools_.GetHeadPosition(); pos;) {
    SPOSITION here = pos;
    if (pools_.GetNext(pos) == pool) {
      pools_.RemoveAt(here);
      pool->Release();
      return;
    }
  }
}

ISkinObj* SSkinPoolMgr::GetSkin(const SStringW& name, int scale) {
  for (SPOSITION pos = pools_.GetTailPosition(); pos;) {
    if (ISkinObj* skin = pools_.GetPrev(pos)->GetSkin(name, scale)) return skin;
  }
  return nullptr;
}

ISkinObj* SSkinPoolMgr::FindSystemSkin(int index, int scale) {
  LPCWSTR name = SystemSkinName(index);
  return name ? systemPool_->GetSkin(name, scale) : nullptr;
}

}  // namespace ORIEL
