// Skins cut from a bitmap: SSkinImgList (a strip of equal cells),
// SSkinImgCenter (a cell centred at its own size), SSkinImgFrame (cells
// drawn as nine-grids with fixed margins) and SSkinImgFrame2 (a nine-patch
// image whose margins are marked in its outer pixels).
#pragma once

#include "core/SArray.h"
#include "res.mgr/SSkinObjBase.h"

namespace ORIEL {

class SSkinImgList : public SSkinObjBase {
  SOBJ_CLASS(SSkinImgList, SSkinObjBase, L"imglist", kObjSkin)
 public:
  static LPCWSTR BaseClassName() { return L"skinObjBase"; }
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SSkinObjBase::ApplyAttribute;

  SIZE NaturalSize() const override;
  BOOL IgnoreState() const override { return StateCount() == 1; }
  int StateCount() const override;
  void ApplyColorize(COLORREF color) override;

  void SetStates(int states) { states_ = states; }
  // Sets the image and the source of scaled copies.
  void SetImage(IBitmap* image);
  IBitmap* GetImage() const { return image_; }
  void SetTile(bool tile) { tile_ = tile; }
  bool IsTile() const { return tile_; }
  void SetVertical(bool vertical) { vertical_ = vertical; }
  bool IsVertical() const { return vertical_; }
  HRESULT SetImageById(const SStringW& id);
  virtual UINT GetExpandMode() const;
  int GetFilterLevel() const { return filterLevel_; }
  // The source rectangle of cell `index` (no state map).
  RECT CellRect(int index) const;

 protected:
  void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;
  void CopyToScaled(ISkinObj* copy, int scale) override;
  void ReplaceImage(IBitmap* image);

  SRefPtr<IBitmap> image_;
  SRefPtr<IBitmap> source_;
  int states_ = 1;
  bool tile_ = false;
  bool autoFit_ = true;
  bool vertical_ = false;
  SRefPtr<IBitmap> colorizeBackup_;
  int filterLevel_ = 0;
  SArray<int> stateMap_;
};

class SSkinImgCenter : public SSkinImgList {
  SOBJ_CLASS(SSkinImgCenter, SSkinImgList, L"imgCenter", kObjSkin)
 public:
  static LPCWSTR BaseClassName() { return L"imglist"; }

 protected:
  void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;
};

class SSkinImgFrame : public SSkinImgList {
  SOBJ_CLASS(SSkinImgFrame, SSkinImgList, L"imgframe", kObjSkin)
 public:
  static LPCWSTR BaseClassName() { return L"imglist"; }
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SSkinImgList::ApplyAttribute;
  UINT GetExpandMode() const override;
  RECT GetMargin() const { return margin_; }

 protected:
  void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;
  void CopyToScaled(ISkinObj* copy, int scale) override;
  RECT margin_{0, 0, 0, 0};  // left, top, right, bottom
};

class SSkinImgFrame2 : public SSkinImgFrame {
  SOBJ_CLASS(SSkinImgFrame2, SSkinImgFrame, L"imgframe2", kObjSkin)
 public:
  static LPCWSTR BaseClassName() { return L"imgframe"; }
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SSkinImgFrame::ApplyAttribute;
  // Reads a nine-patch bitmap: margins from the marked outer pixels, the
  // content without them becomes the image.
  HRESULT SetNinePatch(IBitmap* bitmap);
};

}  // namespace ORIEL
