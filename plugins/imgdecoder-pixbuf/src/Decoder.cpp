// The image-decoder plug-in: image objects that decode PNG, JPEG, BMP, GIF
// (every frame with its delay) and ICO through gdk-pixbuf into premultiplied
// BGRA frames.
#include <cstdio>
#include <string>

#include "crt/utf8.h"
#include "gdiplus/ImageDecode.h"
#include "render/IImgDecoder.h"
#include "render/TObjRefImpl.h"

namespace {

class Frame final : public IImgFrame {
 public:
  explicit Frame(DecodedFrame f) : f_(std::move(f)) {}
  UINT Width() const override { return (UINT)f_.width; }
  UINT Height() const override { return (UINT)f_.height; }
  const void* Pixels() const override { return f_.pixels.data(); }
  int Delay() const override { return f_.delay; }

 private:
  DecodedFrame f_;
};

class ImgX final : public TObjRefImpl<IImgX> {
 public:
  int LoadFromFile(LPCWSTR path) override {
    frames_.clear();
    if (!path) return 0;
    DecodedImage d;
    std::string why;
    if (!DecodeImageFile(crt::WideToUtf8(path), &d, &why)) {
      fprintf(stderr, "imgdecoder-pixbuf: %s: %s\n", crt::WideToUtf8(path).c_str(), why.c_str());
      return 0;
    }
    return Take(d);
  }
  int LoadFromMemory(const void* data, size_t size) override {
    frames_.clear();
    DecodedImage d;
    std::string why;
    if (!DecodeImageBytes(data, size, &d, &why)) {
      fprintf(stderr, "imgdecoder-pixbuf: image in memory: %s\n", why.c_str());
      return 0;
    }
    return Take(d);
  }
  UINT FrameCount() const override { return (UINT)frames_.size(); }
  const IImgFrame* Frame(UINT index) const override { return index < frames_.size() ? &frames_[index] : nullptr; }

 private:
  int Take(DecodedImage& d) {
    for (DecodedFrame& f : d.frames) frames_.emplace_back(std::move(f));
    return (int)frames_.size();
  }
  std::vector<::Frame> frames_;
};

class DecoderFactory final : public TObjRefImpl<IImgDecoderFactory> {
 public:
  BOOL CreateImgX(IImgX** out) override {
    if (!out) return FALSE;
    *out = new ImgX;
    return TRUE;
  }
  LPCWSTR Description() const override { return L"gdk-pixbuf"; }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL SCreateInstance(IObjRef** out) {
  if (!out) return FALSE;
  *out = new DecoderFactory;
  return TRUE;
}
