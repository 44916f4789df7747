// Animated skins: "skinani", a skin made of frames each with its own delay,
// and "gif", whose frames come from a picture decoded by the render
// factory's image decoder. Scaled copies share the decoded frames.
#pragma once

#include <memory>
#include <vector>

#include "res.mgr/SSkinObjBase.h"

namespace ORIEL {

struct SAniFrame {
  SRefPtr<IBitmap> bitmap;
  int delay = 0;  // hundredths of a second; 0 when the picture gave none
};
using SAniFrames = std::vector<SAniFrame>;

class SSkinAni : public SSkinObjBase {
  SOBJ_CLASS(SSkinAni, SSkinObjBase, L"skinani", kObjSkin)

 public:
  static LPCWSTR BaseClassName() { return L"skinObjBase"; }
  SIZE NaturalSize() const override;
  int StateCount() const override { return GetFrameCount(); }
  void ApplyColorize(COLORREF) override {}

  int GetFrameCount() const { return frames_ ? static_cast<int>(frames_->size()) : 0; }
  // The frame's delay in hundredths of a second; 0 past the last frame.
  int GetFrameDelay(int index) const;
  int GetCurrentFrame() const { return current_; }
  // Makes `index` the current frame when there are several and it exists.
  void SelectFrame(int index);

  // The number of frames loaded; a plain animated skin loads nothing.
  virtual int LoadFromFile(LPCWSTR) { return 0; }
  virtual int LoadFromMemory(const void*, size_t) { return 0; }

 protected:
  void CopyToScaled(ISkinObj* copy, int scale) override;
  void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) override;
  // Takes every frame of a decoded picture; the number taken.
  int TakeFrames(struct IImgX* image);

 private:
  std::shared_ptr<const SAniFrames> frames_;
  int current_ = 0;
};

class SSkinGif : public SSkinAni {
  SOBJ_CLASS(SSkinGif, SSkinAni, L"gif", kObjSkin)

 public:
  static LPCWSTR BaseClassName() { return L"skinani"; }
  // "src": "TYPE:NAME" or "NAME" (type "gif") in the application's
  // resources. A picture that cannot be read leaves the skin without frames.
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SSkinAni::ApplyAttribute;

  int LoadFromFile(LPCWSTR path) override;
  int LoadFromMemory(const void* data, size_t size) override;

 private:
  int Decode(bool fromFile, LPCWSTR path, const void* data, size_t size);
};

}  // namespace ORIEL
