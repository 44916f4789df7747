#include "res.mgr/SSkinImgList.h"

#include <cstring>
#include <vector>

#include "core/SApplication.h"
#include "core/SStringSplit.h"
#include "res.mgr/SBitmapTint.h"
#include "res.mgr/SkinBitmaps.h"

namespace ORIEL {

// ---- SSkinImgList

HRESULT SSkinImgList::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"src")) {
    hr = SetImageById(value);
  } else if (AttrNameIs(name, L"states")) {
    states_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"tile")) {
    tile_ = ParseAttrInt(value) != 0;
  } else if (AttrNameIs(name, L"autoFit")) {
    autoFit_ = ParseAttrInt(value) != 0;
  } else if (AttrNameIs(name, L"vertical")) {
    vertical_ = ParseAttrInt(value) != 0;
  } else if (AttrNameIs(name, L"filterLevel")) {
    static const wchar_t* const kLevels[] = {L"none", L"low", L"medium", L"high"};
    hr = E_FAIL;
    for (int i = 0; i < 4; ++i) {
      if (value == kLevels[i]) {
        filterLevel_ = i;
        hr = S_FALSE;
      }
    }
  } else if (AttrNameIs(name, L"stateMap")) {
    SStringWArray pieces;
    SplitByChar(value, L'-', pieces);
    stateMap_.RemoveAll();
    for (int i = 0; i < pieces.GetCount(); ++i) stateMap_.Add(static_cast<int>(wcstol(pieces[i], nullptr, 10)));
  } else {
    return SSkinObjBase::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

void SSkinImgList::ReplaceImage(IBitmap* image) {
  image_ = image;
  IBitmap* clone = nullptr;
  if (image && SUCCEEDED(image->Clone(&clone)))
    source_.Attach(clone);
  else
    source_ = image;
}

void SSkinImgList::SetImage(IBitmap* image) {
  image_ = image;
  source_ = image;
}

HRESULT SSkinImgList::SetImageById(const SStringW& id) {
  SApplication* app = SApplication::getSingletonPtr();
  IBitmap* bmp = app ? app->LoadImageById(id) : nullptr;
  if (!bmp) return E_FAIL;
  ReplaceImage(bmp);
  bmp->Release();
  return S_FALSE;
}

SIZE SSkinImgList::NaturalSize() const {
  if (!image_ || states_ <= 0) return SIZE{0, 0};
  SIZE sz{static_cast<LONG>(image_->Width()), static_cast<LONG>(image_->Height())};
  if (vertical_)
    sz.cy /= states_;
  else
    sz.cx /= states_;
  return sz;
}

int SSkinImgList::StateCount() const { return stateMap_.IsEmpty() ? states_ : stateMap_.GetCount(); }

UINT SSkinImgList::GetExpandMode() const {
  const UINT mode = autoFit_ ? (tile_ ? EM_TILE : EM_STRETCH) : EM_NULL;
  return MakeExpandMode(mode, static_cast<UINT>(filterLevel_));
}

RECT SSkinImgList::CellRect(int index) const {
  const SIZE cell = NaturalSize();
  RECT rc{0, 0, cell.cx, cell.cy};
  if (vertical_)
    OffsetRect(&rc, 0, index * cell.cy);
  else
    OffsetRect(&rc, index * cell.cx, 0);
  return rc;
}

void SSkinImgList::DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) {
  if (!image_) return;
  if (index >= 0 && index < stateMap_.GetCount()) index = stateMap_[index];
  const RECT src = CellRect(index);
  rt->DrawBitmapEx(&rc, image_, &src, GetExpandMode(), alpha);
}

void SSkinImgList::CopyToScaled(ISkinObj* copyObj, int scale) {
  SSkinObjBase::CopyToScaled(copyObj, scale);
  auto* copy = dynamic_cast<SSkinImgList*>(copyObj);
  if (!copy) return;
  copy->states_ = states_;
  copy->tile_ = tile_;
  copy->vertical_ = vertical_;
  copy->filterLevel_ = filterLevel_;
  copy->autoFit_ = autoFit_;
  copy->stateMap_ = stateMap_;
  if (!image_ || states_ <= 0) return;
  const SIZE cell = NaturalSize();
  const SIZE newCell{MulDivRound(cell.cx, scale, 100), MulDivRound(cell.cy, scale, 100)};
  const SIZE newSize{vertical_ ? newCell.cx : newCell.cx * states_, vertical_ ? newCell.cy * states_ : newCell.cy};
  if (colorizeBackup_) {
    IBitmap* scaled = nullptr;
    if (SUCCEEDED(colorizeBackup_->Scale(&scaled, newSize.cx, newSize.cy, kFilterHigh)))
      copy->colorizeBackup_.Attach(scaled);
  }
  IBitmap* scaled = ScaleCells(image_, source_ ? source_.get() : image_.get(), states_, vertical_, newCell);
  if (!scaled) return;
  copy->image_.Attach(scaled);
  copy->source_ = scaled;
}

void SSkinImgList::ApplyColorize(COLORREF color) {
  if (!enableColorize_ || color == colorize_) return;
  colorize_ = color;
  if (!image_) return;
  if (colorizeBackup_) {
    CopyPixels(colorizeBackup_, image_);
  } else {
    IBitmap* clone = nullptr;
    if (FAILED(image_->Clone(&clone)) || !clone) return;
    colorizeBackup_.Attach(clone);
  }
  if (color != 0)
    SBitmapTint::ColorizeBitmap(image_, color);
  else
    colorizeBackup_.reset();
}

// ---- SSkinImgCenter

void SSkinImgCenter::DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) {
  if (!image_) return;
  const SIZE cell = NaturalSize();
  RECT dst;
  dst.left = rc.left + (rc.right - rc.left - cell.cx) / 2;
  dst.top = rc.top + (rc.bottom - rc.top - cell.cy) / 2;
  dst.right = dst.left + cell.cx;
  dst.bottom = dst.top + cell.cy;
  const RECT src = CellRect(index);
  rt->DrawBitmapEx(&dst, image_, &src, GetExpandMode(), alpha);
}

// ---- SSkinImgFrame

HRESULT SSkinImgFrame::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"margin")) {
    SStringWArray parts;
    SplitByChar(value, L',', parts);
    LONG* fields[] = {&margin_.left, &margin_.top, &margin_.right, &margin_.bottom};
    for (int i = 0; i < parts.GetCount() && i < 4; ++i) *fields[i] = ParseAttrInt(parts[i]);
  } else if (AttrNameIs(name, L"left")) {
    margin_.left = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"top")) {
    margin_.top = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"right")) {
    margin_.right = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"bottom")) {
    margin_.bottom = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"margin-x")) {
    margin_.left = margin_.right = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"margin-y")) {
    margin_.top = margin_.bottom = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"margin2")) {
    SStringWArray parts;
    SplitByChar(value, L',', parts);
    if (parts.GetCount() != 4) {
      hr = E_INVALIDARG;
    } else {
      margin_.left = SResProviderMgr::LookupNamedDimension(parts[0]).ToPixels(100);
      margin_.top = SResProviderMgr::LookupNamedDimension(parts[1]).ToPixels(100);
      margin_.right = SResProviderMgr::LookupNamedDimension(parts[2]).ToPixels(100);
      margin_.bottom = SResProviderMgr::LookupNamedDimension(parts[3]).ToPixels(100);
    }
  } else {
    return SSkinImgList::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

UINT SSkinImgFrame::GetExpandMode() const {
  return MakeExpandMode(tile_ ? EM_TILE : EM_STRETCH, static_cast<UINT>(filterLevel_));
}

void SSkinImgFrame::DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) {
  if (!image_) return;
  const RECT src = CellRect(index);
  rt->DrawBitmap9Patch(&rc, image_, &src, &margin_, GetExpandMode(), alpha);
}

void SSkinImgFrame::CopyToScaled(ISkinObj* copyObj, int scale) {
  SSkinImgList::CopyToScaled(copyObj, scale);
  if (auto* copy = dynamic_cast<SSkinImgFrame*>(copyObj)) {
    copy->margin_ = RECT{MulDivRound(margin_.left, scale, 100), MulDivRound(margin_.top, scale, 100),
                         MulDivRound(margin_.right, scale, 100), MulDivRound(margin_.bottom, scale, 100)};
  }
}

// ---- SSkinImgFrame2

HRESULT SSkinImgFrame2::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (!AttrNameIs(name, L"src")) return SSkinImgFrame::ApplyAttribute(name, value, loading);
  SApplication* app = SApplication::getSingletonPtr();
  IBitmap* bmp = app ? app->LoadImageById(value) : nullptr;
  HRESULT hr = E_FAIL;
  if (bmp) {
    hr = SetNinePatch(bmp);
    bmp->Release();
  }
  return FinishAttribute(name, value, loading, hr);
}

HRESULT SSkinImgFrame2::SetNinePatch(IBitmap* bmp) {
  const int w = static_cast<int>(bmp->Width()), h = static_cast<int>(bmp->Height());
  if (w < 2 || h < 2) return E_INVALIDARG;
  const auto* px = static_cast<const uint32_t*>(bmp->GetPixelBits());
  if (!px) return E_FAIL;
  auto marked = [&](int x, int y) { return (px[static_cast<size_t>(y) * w + x] >> 24) != 0; };
  const int cw = w - 2, ch = h - 2;
  // The first run of marked pixels after the corner, along the top row and the left column.
  auto run = [&](bool horizontal, int length, LONG& before, LONG& after) {
    int start = -1, end = -1;
    for (int i = 1; i <= length; ++i) {
      const bool m = horizontal ? marked(i, 0) : marked(0, i);
      if (m && start < 0) start = i;
      if (start >= 0) {
        if (!m) break;
        end = i;
      }
    }
    if (start < 0) {
      before = length;
      after = 0;
    } else {
      before = start - 1;
      after = length - end;
    }
  };
  RECT margin{};
  run(true, cw, margin.left, margin.right);
  run(false, ch, margin.top, margin.bottom);
  IBitmap* content = nullptr;
  if (!bmp->GetRenderFactory()->CreateBitmap(&content) || !content) return E_OUTOFMEMORY;
  std::vector<uint32_t> pixels(static_cast<size_t>(cw) * ch);
  for (int y = 0; y < ch; ++y)
    memcpy(&pixels[static_cast<size_t>(y) * cw], px + static_cast<size_t>(y + 1) * w + 1, static_cast<size_t>(cw) * 4);
  const HRESULT hr = content->Init(cw, ch, pixels.data());
  if (FAILED(hr)) {
    content->Release();
    return hr;
  }
  margin_ = margin;
  ReplaceImage(content);
  content->Release();
  return S_FALSE;
}

}  // namespace ORIEL
