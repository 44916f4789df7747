#include "core/SObjectFactory.h"

#include <cwctype>

#include "core/SLog.h"
#include "core/SObjDefAttr.h"
#include "res.mgr/SUiDef.h"

namespace ORIEL {

SObjectInfo::SObjectInfo(LPCWSTR name, int type) : mName(name ? name : L""), mType(type) { mName.MakeLower(); }

uint32_t SObjectInfo::Hash() const {
  uint32_t h = 0;
  for (const wchar_t* p = mName.c_str(); *p; ++p) h = h * 33 + static_cast<uint32_t>(*p);
  return (h << 5) + static_cast<uint32_t>(mType);
}

SObjectFactoryMgr::SObjectFactoryMgr() : factories_(17, 0.75f, 0.25f, 2.25f, 10) {}

SObjectFactoryMgr::~SObjectFactoryMgr() {
  for (SPOSITION pos = factories_.GetStartPosition(); pos;) delete factories_.GetNext(pos)->m_value;
  factories_.RemoveAll();
}

IObject* SObjectFactoryMgr::CreateObject(const SObjectInfo& info) {
  SObjectFactory* factory = nullptr;
  if (!factories_.Lookup(info, factory) || !factory) {
    SLOGW(SLOG_LEVEL_WARN, "ORIEL::SObjectFactoryMgr::CreateObject", L"Warning: no object %s of type:%d in ORIEL!!",
          info.mName.c_str(), info.mType);
    return nullptr;
  }
  IObject* obj = factory->MakeObject();
  ApplyDefaultAttributes(obj);
  return obj;
}

bool SObjectFactoryMgr::RegisterFactory(const SObjectFactory& factory, bool replace) {
  const SObjectInfo key = factory.DescribeClass();
  SObjectFactory* existing = nullptr;
  if (factories_.Lookup(key, existing)) {
    if (!replace) return false;
    delete existing;
    factories_.RemoveKey(key);
  }
  factories_.SetAt(key, factory.Clone());
  return true;
}

bool SObjectFactoryMgr::UnregisterFactory(const SObjectInfo& info) {
  SObjectFactory* existing = nullptr;
  if (!factories_.Lookup(info, existing)) return false;
  delete existing;
  factories_.RemoveKey(info);
  return true;
}

bool SObjectFactoryMgr::HasFactory(const SObjectInfo& info) const { return factories_.Lookup(info) != nullptr; }

SObjectInfo SObjectFactoryMgr::BaseClassInfo(const SObjectInfo& info) const {
  SObjectFactory* factory = nullptr;
  if (!factories_.Lookup(info, factory) || !factory) return SObjectInfo(L"", kObjNone);
  const LPCWSTR base = factory->BaseClassName();
  if (info.mName == base) return SObjectInfo(L"", kObjNone);
  return SObjectInfo(base, info.mType);
}

void SObjectFactoryMgr::ApplyDefaultAttributes(IObject* obj) {
  if (!obj || obj->GetObjectType() != kObjWindow) return;
  SUiDef* def = SUiDef::getSingletonPtr();
  IUiDefInfo* info = def ? def->GetUiDef() : nullptr;
  SObjDefAttr* defaults = info ? info->GetObjDefAttr() : nullptr;
  if (!defaults) return;
  pugi::xml_node entry = defaults->FindClassEntry(obj->GetObjectClass());
  if (!entry) return;
  pugi::xml_attribute cls = XmlAttr(entry, L"class");
  if (cls) obj->ApplyAttribute(SStringW(L"class"), XmlValue(cls), TRUE);
  for (pugi::xml_attribute a = entry.first_attribute(); a; a = a.next_attribute()) {
    if (a == cls) continue;
    obj->ApplyAttribute(XmlText(a.name()), XmlValue(a), TRUE);
  }
}

}  // namespace ORIEL
