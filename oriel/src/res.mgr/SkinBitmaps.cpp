#include "SkinBitmaps.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace ORIEL {

int MulDivRound(int value, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const long long p = static_cast<long long>(value) * numerator;
  const long long half = std::llabs(static_cast<long long>(denominator)) / 2;
  const long long q = (p >= 0) == (denominator > 0) ? (std::llabs(p) + half) / std::llabs(static_cast<long long>(denominator))
                                                    : -((std::llabs(p) + half) / std::llabs(static_cast<long long>(denominator)));
  return static_cast<int>(q);
}

bool CopyPixels(IBitmap* from, IBitmap* to) {
  if (!from || !to || from->Width() != to->Width() || from->Height() != to->Height()) return false;
  const void* src = from->GetPixelBits();
  void* dst = to->LockPixelBits();
  if (!src || !dst) {
    if (dst) to->UnlockPixelBits(dst);
    return false;
  }
  memcpy(dst, src, static_cast<size_t>(from->Width()) * from->Height() * 4);
  to->UnlockPixelBits(dst);
  return true;
}

IBitmap* ScaleCells(IBitmap* image, IBitmap* source, int states, bool vertical, SIZE newCell) {
  const int newW = vertical ? newCell.cx : newCell.cx * states;
  const int newH = vertical ? newCell.cy * states : newCell.cy;
  if (newW <= 0 || newH <= 0) return nullptr;
  IBitmap* out = nullptr;
  if (FAILED(image->Scale(&out, newW, newH, kFilterHigh)) || !out) return nullptr;
  const int cw = static_cast<int>(source->Width()) / (vertical ? 1 : states);
  const int ch = static_cast<int>(source->Height()) / (vertical ? states : 1);
  const auto* src = static_cast<const uint32_t*>(source->GetPixelBits());
  IRenderFactory* factory = image->GetRenderFactory();
  auto* dst = static_cast<uint32_t*>(out->LockPixelBits());
  if (!src || !dst || cw <= 0 || ch <= 0 || !factory) {
    if (dst) out->UnlockPixelBits(dst);
    return out;
  }
  const int srcStride = static_cast<int>(source->Width());
  std::vector<uint32_t> cell(static_cast<size_t>(cw) * ch);
  for (int i = 0; i < states; ++i) {
    const int sx = vertical ? 0 : i * cw, sy = vertical ? i * ch : 0;
    for (int y = 0; y < ch; ++y)
      memcpy(&cell[static_cast<size_t>(y) * cw], src + static_cast<size_t>(sy + y) * srcStride + sx,
             static_cast<size_t>(cw) * 4);
    IBitmap* one = nullptr;
    IBitmap* scaled = nullptr;
    if (factory->CreateBitmap(&one) && one && SUCCEEDED(one->Init(cw, ch, cell.data())) &&
        SUCCEEDED(one->Scale(&scaled, newCell.cx, newCell.cy, kFilterHigh)) && scaled) {
      const auto* sp = static_cast<const uint32_t*>(scaled->GetPixelBits());
      const int dx = vertical ? 0 : i * newCell.cx, dy = vertical ? i * newCell.cy : 0;
      for (int y = 0; sp && y < newCell.cy; ++y)
        memcpy(dst + static_cast<size_t>(dy + y) * newW + dx, sp + static_cast<size_t>(y) * newCell.cx,
               static_cast<size_t>(newCell.cx) * 4);
    }
    if (scaled) scaled->Release();
    if (one) one->Release();
  }
  out->UnlockPixelBits(dst);
  return out;
}

}  // namespace ORIEL
