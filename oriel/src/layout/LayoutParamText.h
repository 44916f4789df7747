// Readers and tests shared by the layout parameter classes.
#pragma once

#include "core/SStringSplit.h"
#include "layout/ILayout.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

// "matchParent" (and, where allowed, "full") or "wrapContent", any case;
// otherwise a length, named dimensions resolved.
inline SLayoutSize ReadLayoutSize(const SStringW& value, bool acceptFull) {
  SLayoutSize size;
  if (value.CompareNoCase(L"matchParent") == 0 || (acceptFull && value.CompareNoCase(L"full") == 0))
    size.SetMatchParent();
  else if (value.CompareNoCase(L"wrapContent") == 0)
    size.SetWrapContent();
  else
    size = SResProviderMgr::LookupNamedDimension(value);
  return size;
}

// "size": exactly two non-empty pieces, applied as width and height.
inline bool ReadSizePair(const SStringW& value, bool acceptFull, SLayoutSize& width, SLayoutSize& height) {
  SArray<SStringW> parts;
  if (SplitByChar(value, L',', parts) != 2) return false;
  width = ReadLayoutSize(parts[0], acceptFull);
  height = ReadLayoutSize(parts[1], acceptFull);
  return true;
}

// An orientation test over the two axes' answers.
inline BOOL TestAxes(ORIENTATION orientation, bool horz, bool vert) {
  switch (orientation) {
    case Horz: return horz;
    case Vert: return vert;
    case Any: return horz || vert;
    case Both: return horz && vert;
  }
  return FALSE;
}

// The axes a setter changes.
inline bool SetsHorz(ORIENTATION orientation) { return orientation == Horz || orientation == Both; }
inline bool SetsVert(ORIENTATION orientation) { return orientation == Vert || orientation == Both; }

// The size operations of a parameter class Cls over its width and height
// fields (the wrap-content test is each class's own).
#define ORIEL_LAYOUT_PARAM_SIZES_IMPL(Cls, width, height)                                          \
  BOOL Cls::IsMatchParent(ORIENTATION o) const {                                                 \
    return TestAxes(o, width.IsMatchParent(), height.IsMatchParent());                           \
  }                                                                                              \
  BOOL Cls::HasFixedSize(ORIENTATION o) const { return TestAxes(o, width.IsValid(), height.IsValid()); } \
  SLayoutSize Cls::GetSpecifiedSize(ORIENTATION o) const {                                       \
    return o == Horz ? width : (o == Vert ? height : SLayoutSize());                             \
  }                                                                                              \
  void Cls::SetMatchParent(ORIENTATION o) {                                                      \
    if (SetsHorz(o)) width.SetMatchParent();                                                     \
    if (SetsVert(o)) height.SetMatchParent();                                                    \
  }                                                                                              \
  void Cls::SetWrapContent(ORIENTATION o) {                                                      \
    if (SetsHorz(o)) width.SetWrapContent();                                                     \
    if (SetsVert(o)) height.SetWrapContent();                                                    \
  }                                                                                              \
  void Cls::SetSpecifiedSize(ORIENTATION o, const SLayoutSize& size) {                           \
    if (SetsHorz(o)) width = size;                                                               \
    if (SetsVert(o)) height = size;                                                              \
  }

}  // namespace ORIEL
