// Places the children in the cells of a table, row by row, each over its
// column and row span; columns and rows are as wide and high as their
// largest cell, and spare room goes out by weight.
#pragma once

#include "layout/ILayout.h"

namespace ORIEL {

class SGridLayout : public SObjectImpl<TObjRefImpl<ILayout>> {
  SOBJ_CLASS(SGridLayout, SObjectImpl<TObjRefImpl<ILayout>>, L"gridLayout", kObjLayout)
 public:
  static LPCWSTR BaseClassName() { return L"object"; }

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SObjectImpl<TObjRefImpl<ILayout>>::ApplyAttribute;

  BOOL IsParamAcceptable(const ILayoutParam* param) const override;
  void PlaceAll(IWindow* window) override;
  ILayoutParam* CreateLayoutParam() const override;
  SIZE MeasureAll(IWindow* window, int width, int height) override;

  int nCols = -1;  // -1: derived from the row count
  int nRows = -1;  // -1: derived from the column count
  SLayoutSize xInterval;
  SLayoutSize yInterval;
  int xGravity = 1;  // centre
  int yGravity = 1;

 private:
  struct Table;
  // Cells, origins and the columns' and rows' sizes; false when the grid
  // has no counts at all.
  bool Build(IWindow* window, Table& table) const;
};

}  // namespace ORIEL
