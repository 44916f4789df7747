// The declarations every layout parameter class shares.
#pragma once

#include "layout/ILayout.h"

// Inside a parameter class: the ILayoutParam operations and IObject's
// attribute entry.
#define ORIEL_LAYOUT_PARAM_DECL()                                                      \
 public:                                                                               \
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override; \
  using SObjectImpl<TObjRefImpl<ILayoutParam>>::ApplyAttribute;                        \
  void Clear() override;                                                               \
  BOOL IsMatchParent(ORIENTATION o) const override;                                    \
  BOOL IsWrapContent(ORIENTATION o) const override;                                    \
  BOOL HasFixedSize(ORIENTATION o) const override;                                     \
  SLayoutSize GetSpecifiedSize(ORIENTATION o) const override;                          \
  void SetMatchParent(ORIENTATION o) override;                                         \
  void SetWrapContent(ORIENTATION o) override;                                         \
  void SetSpecifiedSize(ORIENTATION o, const SLayoutSize& size) override;              \
  void* GetRawData() override { return &data; }                                        \
  ILayoutParam* Clone() const override;
