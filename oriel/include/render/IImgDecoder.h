// The image-decoder plug-in's interface: an image object decodes a file or a
// memory block into frames of premultiplied 32-bit BGRA pixels, top row
// first, with each frame's delay for animations.
#pragma once

#include <cstddef>

#include "render/IObjRef.h"
#include "win32/types.h"

struct IImgFrame {
  virtual UINT Width() const = 0;
  virtual UINT Height() const = 0;
  // Width x height premultiplied BGRA pixels, no row padding.
  virtual const void* Pixels() const = 0;
  // How long the frame shows, in 1/100 s (0 for still images).
  virtual int Delay() const = 0;

 protected:
  ~IImgFrame() = default;
};

struct IImgX : IObjRef {
  // Each returns the number of frames decoded; 0 means the data could not
  // be read and the object holds no frames.
  virtual int LoadFromFile(LPCWSTR path) = 0;
  virtual int LoadFromMemory(const void* data, size_t size) = 0;
  virtual UINT FrameCount() const = 0;
  // Null for an index past the last frame.
  virtual const IImgFrame* Frame(UINT index) const = 0;
};

struct IImgDecoderFactory : IObjRef {
  // A new image object with one reference for the caller.
  virtual BOOL CreateImgX(IImgX** out) = 0;
  virtual LPCWSTR Description() const = 0;
};
