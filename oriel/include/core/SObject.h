// The object model shared by everything XML can describe: a reference
// count, a class name tested along the class chain, an object type, and
// attributes applied by name and text value.
#pragma once

#include <pugixml.hpp>

#include "core/SString.h"
#include "gdi/gdi.h"
#include "render/IObjRef.h"
#include "render/TObjRefImpl.h"

namespace ORIEL {

// Object types of GetObjectType and the factory keys.
enum SObjectType { kObjNone = -1, kObjWindow = 1, kObjSkin = 2, kObjLayout = 3, kObjInterpolator = 4 };

// Attribute results beyond the HRESULTs: which part of a window took it.
constexpr HRESULT kAttrByStyle = 0x10000;
constexpr HRESULT kAttrByLayout = 0x20000;
constexpr HRESULT kAttrByLayoutParam = 0x40000;

struct IObject : IObjRef {
  virtual ~IObject() = default;
  virtual BOOL IsClass(LPCWSTR className) const = 0;
  virtual LPCWSTR GetObjectClass() const = 0;
  virtual int GetObjectType() const = 0;
  virtual HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) = 0;
  virtual HRESULT ApplyAttribute(const SStringA& name, const SStringA& value, BOOL loading) = 0;
  virtual HRESULT ApplyAttribute(const char* name, const char* value, BOOL loading) = 0;
  virtual HRESULT FinishAttribute(const SStringW& name, const SStringW& value, BOOL loading, HRESULT hr) = 0;
  virtual int GetId() const = 0;
  virtual SStringW GetName() const = 0;
  virtual BOOL LoadXmlNode(pugi::xml_node element) = 0;
  virtual HRESULT HandleUnknownAttribute(const SStringW& name, const SStringW& value, BOOL loading) = 0;
  virtual void OnXmlLoaded(pugi::xml_node element) = 0;
  virtual SStringW GetAttribute(const SStringW& name) const = 0;
};

// The last release deletes the object as its most derived class.
template <class Interface, class Derived>
class TObjRefImpl2 : public TObjRefImpl<Interface> {
 public:
  void OnLastRelease() override { delete static_cast<Derived*>(this); }
};

// Applies every attribute of an element that is not marked as applied,
// then OnXmlLoaded; false for an empty element.
BOOL LoadXmlAttributes(IObject* obj, pugi::xml_node element);

// Defaults of IObject over an interface derived from it.
template <class Interface>
class SObjectImpl : public Interface {
 public:
  static LPCWSTR GetClassName() { return L""; }
  static int GetClassType() { return kObjNone; }
  BOOL IsClass(LPCWSTR) const override { return FALSE; }
  LPCWSTR GetObjectClass() const override { return L""; }
  int GetObjectType() const override { return kObjNone; }
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override {
    return this->HandleUnknownAttribute(name, value, loading);
  }
  HRESULT ApplyAttribute(const SStringA& name, const SStringA& value, BOOL loading) override {
    return this->ApplyAttribute(AnsiToWide(name), AnsiToWide(value), loading);
  }
  HRESULT ApplyAttribute(const char* name, const char* value, BOOL loading) override {
    return this->ApplyAttribute(AnsiToWide(SStringA(name ? name : "")), AnsiToWide(SStringA(value ? value : "")),
                                loading);
  }
  HRESULT FinishAttribute(const SStringW&, const SStringW&, BOOL, HRESULT hr) override { return hr; }
  int GetId() const override { return 0; }
  SStringW GetName() const override { return SStringW(); }
  BOOL LoadXmlNode(pugi::xml_node element) override { return LoadXmlAttributes(this, element); }
  HRESULT HandleUnknownAttribute(const SStringW&, const SStringW&, BOOL) override { return E_FAIL; }
  void OnXmlLoaded(pugi::xml_node) override {}
  SStringW GetAttribute(const SStringW&) const override { return SStringW(); }

 private:
  static SStringW AnsiToWide(const SStringA& text);
};

SStringW ObjectAnsiToWide(const SStringA& text);
template <class Interface>
SStringW SObjectImpl<Interface>::AnsiToWide(const SStringA& text) {
  return ObjectAnsiToWide(text);
}

// Declares a class's name, type and its place on the class chain.
#define SOBJ_CLASS(ThisClass, BaseClass, name, type)                                           \
 public:                                                                                       \
  static LPCWSTR GetClassName() { return name; }                                               \
  static int GetClassType() { return type; }                                                   \
  BOOL IsClass(LPCWSTR cls) const override {                                                   \
    if (cls && wcscmp(cls, name) == 0) return TRUE;                                            \
    return BaseClass::IsClass(cls);                                                            \
  }                                                                                            \
  LPCWSTR GetObjectClass() const override { return name; }                                     \
  int GetObjectType() const override { return type; }

// One held reference: assigning another pointer releases the old one and
// references the new one; the same pointer again changes nothing.
template <class T>
class SRefPtr {
 public:
  SRefPtr() = default;
  SRefPtr(T* p) : p_(p) {  // NOLINT: implicit, as a holder
    if (p_) p_->AddRef();
  }
  SRefPtr(const SRefPtr& other) : SRefPtr(other.p_) {}
  ~SRefPtr() { reset(); }
  SRefPtr& operator=(T* p) {
    if (p == p_) return *this;
    if (p) p->AddRef();
    T* old = p_;
    p_ = p;
    if (old) old->Release();
    return *this;
  }
  SRefPtr& operator=(const SRefPtr& other) { return *this = other.p_; }
  // Takes over a reference the caller owns.
  void Attach(T* p) {
    T* old = p_;
    p_ = p;
    if (old) old->Release();
  }
  T* Detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  void reset() {
    T* old = p_;
    p_ = nullptr;
    if (old) old->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  operator T*() const { return p_; }  // NOLINT
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// Attribute value readers shared by the classes: decimal or "0x" hex.
int ParseAttrInt(const SStringW& value);
// false only for "0" and "false".
bool ParseAttrBool(const SStringW& value);
// "%f"; false when no number could be read.
bool ParseAttrFloat(const SStringW& value, float& out);
bool AttrNameIs(const SStringW& name, const wchar_t* expected);

}  // namespace ORIEL
