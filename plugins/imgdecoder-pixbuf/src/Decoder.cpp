// The image-decoder plug-in: image objects that decode PNG, JPEG, BMP, GIF
// (every frame with its delay) and ICO through gdk-pixbuf into premultiplied
// BGRA frames.
#include <atomic>
#include <cstdio>
#include <string>

#include "gdiplus/ImageDecode.h"
#include "render/IImgDecoder.h"

namespace {

template <class Interface>
class RefCounted : public Interface {
 public:
  long AddRef() override { return ++refs_; }
  long Release() override {
    long n = --refs_;
    if (n == 0) this->OnLastRelease();
    return n;
  }
  void OnLastRelease() override { delete this; }
  virtual ~RefCounted() = default;

 private:
  std::atomic<long> refs_{1};
};

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

std::string Utf8(LPCWSTR w) {
  std::string out;
  for (; *w; ++w) {
    unsigned u = (unsigned)*w;
    if (u < 0x80) {
      out += (char)u;
    } else if (u < 0x800) {
      out += (char)(0xC0 | (u >> 6));
      out += (char)(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
      out += (char)(0xE0 | (u >> 12));
      out += (char)(0x80 | ((u >> 6) & 0x3F));
      out += (char)(0x80 | (u & 0x3F));
    } else {
      out += (char)(0xF0 | (u >> 18));
      out += (char)(0x80 | ((u >> 12) & 0x3F));
      out += (char)(0x80 | ((u >> 6) & 0x3F));
      out += (char)(0x80 | (u & 0x3F));
    }
  }
  return out;
}

class ImgX final : public RefCounted<IImgX> {
 public:
  int LoadFromFile(LPCWSTR path) override {
    frames_.clear();
    if (!path) return 0;
    DecodedImage d;
    std::string why;
    if (!DecodeImageFile(Utf8(path), &d, &why)) {
      fprintf(stderr, "imgdecoder-pixbuf: %s: %s\n", Utf8(path).c_str(), why.c_str());
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

class DecoderFactory final : public RefCounted<IImgDecoderFactory> {
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
