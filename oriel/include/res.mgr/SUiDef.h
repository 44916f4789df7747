// The UI definition: one XML document giving the default font and unit,
// the named strings, colours and dimensions, and the global skins, styles,
// templates and per-class default attributes. SUiDef holds the current one.
#pragma once

#include "core/SObject.h"
#include "core/SSingleton.h"
#include "res.mgr/IResProvider.h"
#include "res.mgr/SFontInfo.h"
#include "res.mgr/SNamedValue.h"

namespace ORIEL {

class SSkinPool;
class SStylePool;
class STemplatePool;
class SObjDefAttr;

struct IUiDefInfo : IObjRef {
  virtual void SetSkinPool(SSkinPool* pool) = 0;
  virtual SSkinPool* GetSkinPool() = 0;
  virtual void SetStylePool(SStylePool* pool) = 0;
  virtual SStylePool* GetStylePool() = 0;
  virtual void SetObjDefAttr(SObjDefAttr* attrs) = 0;
  virtual SObjDefAttr* GetObjDefAttr() = 0;
  virtual STemplatePool* GetTemplatePool() = 0;
  virtual void SetTemplatePool(STemplatePool* pool) = 0;
  virtual SNamedColor* GetNamedColor() = 0;
  virtual SNamedString* GetNamedString() = 0;
  virtual SNamedDimension* GetNamedDimension() = 0;
  virtual const FontInfo& GetDefFontInfo() = 0;
};

class SUiDefInfo : public TObjRefImpl<IUiDefInfo> {
 public:
  SUiDefInfo();
  ~SUiDefInfo() override;
  // Loads the definition (type:name) from `provider`; false (with a
  // warning line) when it is missing, does not parse or has no "uidef" root.
  bool Init(IResProvider* provider, LPCWSTR uidefId);
  bool IsLoaded() const { return loaded_; }

  void SetSkinPool(SSkinPool* pool) override;
  SSkinPool* GetSkinPool() override { return skinPool_; }
  void SetStylePool(SStylePool* pool) override;
  SStylePool* GetStylePool() override { return stylePool_; }
  void SetObjDefAttr(SObjDefAttr* attrs) override;
  SObjDefAttr* GetObjDefAttr() override { return objDefAttr_; }
  STemplatePool* GetTemplatePool() override { return templatePool_; }
  void SetTemplatePool(STemplatePool* pool) override;
  SNamedColor* GetNamedColor() override { return &colors_; }
  SNamedString* GetNamedString() override { return &strings_; }
  SNamedDimension* GetNamedDimension() override { return &dims_; }
  const FontInfo& GetDefFontInfo() override { return defFont_; }

 private:
  void LoadFont(pugi::xml_node font);
  void LoadSection(IResProvider* provider, pugi::xml_node root, const wchar_t* name);

  SSkinPool* skinPool_ = nullptr;
  SStylePool* stylePool_ = nullptr;
  SObjDefAttr* objDefAttr_ = nullptr;
  STemplatePool* templatePool_ = nullptr;
  SNamedColor colors_;
  SNamedString strings_;
  SNamedDimension dims_;
  FontInfo defFont_;
  bool loaded_ = false;
};

class SUiDef : public SSingleton2<SUiDef, SINGLETON_UIDEF> {
 public:
  ~SUiDef() override;
  // A new definition (one reference for the caller), loaded while it is
  // current so that its own references resolve against it; its pools are
  // pushed on their managers.
  IUiDefInfo* BuildDefinition(IResProvider* provider, LPCWSTR uidefId);
  // Makes `info` current. A definition that failed to load does not
  // replace a current one; with none current it stands in, with the
  // default font.
  void SetUiDef(IUiDefInfo* info);
  IUiDefInfo* GetUiDef() const { return current_; }
  // The current definition of the running application, or null.
  static IUiDefInfo* CurrentInfo();

  // Whether the system has a font face; replaceable for tests.
  using FontFaceCheck = bool (*)(LPCWSTR face);
  static void SetFontFaceCheck(FontFaceCheck check);
  static bool FontFaceExists(LPCWSTR face);

 private:
  IUiDefInfo* current_ = nullptr;
};

}  // namespace ORIEL
