// Objects made by class name: one registry of factories keyed by (lower-case
// class name, object type), which also answers the class a registered class
// derives from, so default attributes follow the class chain.
#pragma once

#include "core/SMap.h"
#include "core/SObject.h"

namespace ORIEL {

struct SObjectInfo {
  SObjectInfo() = default;
  SObjectInfo(LPCWSTR name, int type);  // lower-cases the name
  SObjectInfo(const SStringW& name, int type) : SObjectInfo(name.c_str(), type) {}
  uint32_t Hash() const;
  bool operator==(const SObjectInfo& o) const { return mType == o.mType && mName == o.mName; }
  bool IsValid() const { return !mName.IsEmpty(); }
  SStringW mName;
  int mType = kObjNone;
};

class SObjectFactory {
 public:
  virtual ~SObjectFactory() = default;
  virtual IObject* MakeObject() const = 0;
  virtual LPCWSTR BaseClassName() const = 0;
  virtual SObjectInfo DescribeClass() const = 0;
  virtual SObjectFactory* Clone() const = 0;
};

// The factory of one class T, which declares its name, type and base name
// (SOBJ_CLASS and a static BaseClassName()).
template <class T>
class TplSObjectFactory : public SObjectFactory {
 public:
  IObject* MakeObject() const override { return new T; }
  LPCWSTR BaseClassName() const override { return T::BaseClassName(); }
  SObjectInfo DescribeClass() const override { return SObjectInfo(T::GetClassName(), T::GetClassType()); }
  SObjectFactory* Clone() const override { return new TplSObjectFactory<T>(); }
};

class SObjectFactoryMgr {
 public:
  SObjectFactoryMgr();
  virtual ~SObjectFactoryMgr();
  SObjectFactoryMgr(const SObjectFactoryMgr&) = delete;
  SObjectFactoryMgr& operator=(const SObjectFactoryMgr&) = delete;

  // A new object with the class's default attributes applied, or null
  // with the "no object" warning.
  virtual IObject* CreateObject(const SObjectInfo& info);
  // Stores a clone; false when the key exists and replace is off.
  bool RegisterFactory(const SObjectFactory& factory, bool replace = false);
  bool UnregisterFactory(const SObjectInfo& info);
  bool HasFactory(const SObjectInfo& info) const;
  // The base class's key of the same type; empty name and type -1 when
  // the class is not registered or names itself.
  SObjectInfo BaseClassInfo(const SObjectInfo& info) const;
  // The current UI definition's per-class defaults, for windows.
  void ApplyDefaultAttributes(IObject* obj);

  template <class T>
  bool RegisterClass(bool replace = false) {
    return RegisterFactory(TplSObjectFactory<T>(), replace);
  }

 private:
  SMap<SObjectInfo, SObjectFactory*> factories_;
};

// What the application is told to register, in this order.
struct ISystemObjectRegister {
  virtual ~ISystemObjectRegister() = default;
  virtual void RegisterLayoutClasses(SObjectFactoryMgr*) {}
  virtual void RegisterSkinClasses(SObjectFactoryMgr*) {}
  virtual void RegisterWindowClasses(SObjectFactoryMgr*) {}
  virtual void RegisterInterpolatorClasses(SObjectFactoryMgr*) {}
};

// The framework's built-in classes. A table row joins when its class is
// built.
class SObjectDefaultRegister : public ISystemObjectRegister {
 public:
  void RegisterLayoutClasses(SObjectFactoryMgr* mgr) override;
  void RegisterSkinClasses(SObjectFactoryMgr* mgr) override;
  void RegisterWindowClasses(SObjectFactoryMgr* mgr) override;
  void RegisterInterpolatorClasses(SObjectFactoryMgr* mgr) override;
};

}  // namespace ORIEL
