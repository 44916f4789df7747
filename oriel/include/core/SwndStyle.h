// How a window's text and frame look: background and border colours, text
// colour and font per state, margin (the non-client band), padding, text
// alignment, cursor, alpha and a few flags. It takes the attributes the
// window itself does not know.
#pragma once

#include "core/SLayoutSize.h"
#include "core/SObject.h"
#include "res.mgr/SFontPool.h"

namespace ORIEL {

class SwndStyle : public SObjectImpl<TObjRefImpl<IObject>> {
  SOBJ_CLASS(SwndStyle, SObjectImpl<TObjRefImpl<IObject>>, L"style", kObjNone)
 public:
  static LPCWSTR BaseClassName() { return L""; }

  // The four text states.
  enum { kStateNormal = 0, kStateHover = 1, kStatePush = 2, kStateDisable = 3, kStateCount = 4 };
  // Alignments as the attributes give them.
  enum { kAlignLeft = 0, kAlignCenter = 256, kAlignRight = 512 };
  enum { kVAlignTop = 0, kVAlignMiddle = 4096, kVAlignBottom = 8192 };

  SwndStyle();

  // E_NOTIMPL for names the style does not know, so the window offers
  // them to its layout next.
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SObjectImpl<TObjRefImpl<IObject>>::ApplyAttribute;

  RECT GetScaledMargin() const;
  RECT GetScaledPadding() const;
  UINT GetDrawTextFormat() const;
  COLORREF GetTextColorForState(int state) const;
  IFont* GetFontForState(int state) const;
  // 1 to 4: how many states draw differently, by colours or by fonts.
  int GetStateCount() const;
  // Stores the scale and fetches the fonts again at it.
  void SetScale(int scale);
  int GetScale() const { return scale_; }

  COLORREF GetBkgndColor() const { return crBg_; }
  COLORREF GetBorderColor() const { return crBorder_; }
  const SStringW& GetCursor() const { return cursor_; }
  BYTE GetAlpha() const { return alpha_; }
  BYTE GetSepSpace() const { return sepSpace_; }
  bool IsDotted() const { return dotted_; }
  bool IsTrackMouse() const { return trackMouse_; }
  bool IsBkgndBlend() const { return bkgndBlend_; }
  int GetTextMode() const { return textMode_; }
  int GetAlign() const { return align_; }
  int GetVAlign() const { return valign_; }
  const SLayoutSize* GetMargin() const { return margin_; }
  const SLayoutSize* GetPadding() const { return padding_; }

 private:
  static RECT Scaled(const SLayoutSize (&sides)[4], int scale);

  COLORREF crBg_;
  COLORREF crBorder_;
  SStringW cursor_;
  BYTE alpha_ = 255;
  BYTE sepSpace_ = 5;
  bool dotted_ = false;
  bool trackMouse_ = false;
  bool bkgndBlend_ = true;
  SLayoutSize margin_[4];   // left, top, right, bottom
  SLayoutSize padding_[4];  // left, top, right, bottom
  int textMode_ = 0;
  int align_ = kAlignCenter;
  int valign_ = kVAlignMiddle;
  COLORREF crText_[kStateCount];
  SScaledFont fonts_[kStateCount];
  int scale_ = 100;
};

}  // namespace ORIEL
