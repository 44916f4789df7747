// Fonts by description ("face:微软雅黑,size:14,bold:1"), relative to the
// current UI definition's default font, one pooled IFont per distinct
// result; and the holder a window keeps per font attribute.
#pragma once

#include "core/SMap.h"
#include "core/SObject.h"
#include "core/SSingleton.h"
#include "core/SXml.h"
#include "render/IRender.h"
#include "res.mgr/SFontInfo.h"

namespace ORIEL {

struct SFontKey {
  FontInfo info;
  uint32_t hash = 0;
  uint32_t Hash() const { return hash; }
  bool operator==(const SFontKey& o) const;
};

class SFontPool : public SSingleton2<SFontPool, SINGLETON_FONTPOOL> {
 public:
  explicit SFontPool(IRenderFactory* factory);
  ~SFontPool() override;
  // Owned by the pool; callers that keep it take a reference.
  IFont* GetFontByDescription(const SStringW& description, int scale);
  IFont* GetFont(const FontInfo& info, pugi::xml_node extra);
  size_t GetCount() const { return fonts_.GetCount(); }
  // The key a description gives at a scale (what GetFontByDescription looks up).
  FontInfo DescribeFont(const SStringW& description, int scale, SXmlDoc& extra);

 private:
  SRefPtr<IRenderFactory> factory_;
  SMap<SFontKey, IFont*> fonts_;
};

class SScaledFont {
 public:
  void SetDescription(const SStringW& description, int scale);
  void Rescale(int scale);
  IFont* GetFont() const { return font_; }
  const SStringW& GetDescription() const { return description_; }

 private:
  SStringW description_;
  SRefPtr<IFont> font_;
};

}  // namespace ORIEL
