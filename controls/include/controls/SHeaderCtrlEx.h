// "header2": the framework's header whose columns can share its width in
// the proportions of their layout widths ("matchParent"), with a divider
// skin between the columns (and after the last with "dividerRight"). It
// never shows the column-resize cursor.
#pragma once

#include <vector>

#include "control/SHeaderCtrl.h"

namespace ORIEL {

// The widths of columns whose layout widths are `xmlWidths` in a header
// `total` pixels wide: from the last column down to the one after the
// first column with a non-zero layout width (the filler), each non-zero
// one gets its share (truncated); zero ones keep `current`; the filler
// takes what is left, so that the shared columns add up to `total`.
std::vector<int> ShareColumnWidths(const std::vector<int>& xmlWidths, const std::vector<int>& current, int total);

class SHeaderCtrlEx : public SHeaderCtrl {
  SOBJ_CLASS(SHeaderCtrlEx, SHeaderCtrl, L"header2", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"header"; }

  SHeaderCtrlEx() = default;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SHeaderCtrl::ApplyAttribute;
  // Fails without an "items" child.
  BOOL CreateChildren(pugi::xml_node element) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL ApplyStyleCursor(POINT pt) override;
  void DrawItem(IRenderTarget* rt, const RECT& rc, const SHeaderItem& item) override;

  int GetMatchParent() const { return matchParent_; }
  const std::vector<int>& GetXmlWidths() const { return xmlWidths_; }

 private:
  void ShareWidth();

  std::vector<int> xmlWidths_;
  int matchParent_ = 0;
  bool dividerRight_ = false;
  ISkinObj* dividerSkin_ = nullptr;  // skins belong to their pools
};

}  // namespace ORIEL
