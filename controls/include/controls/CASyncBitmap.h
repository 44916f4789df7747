// The picture a background load hands to a picture window: decoded on the
// worker, kept under a mutex, dropped when the window stops wanting it.
// Flag 1 of the state word is set after a successful load.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>

#include "base/StateUtil.h"
#include "core/SObject.h"
#include "render/IRender.h"

namespace ORIEL {

class CASyncBitmap : public CStateUtil {
 public:
  static constexpr uint32_t kLoaded = 1;
  static constexpr int kShapeCircle = 0;
  static constexpr int kShapeAsLoaded = 1;

  // False drops the picture.
  void SetActive(bool active);
  bool IsActive() const { return active_.load(); }
  // The picture, none when inactive; the caller holds Mutex().
  SRefPtr<IBitmap> GetPicture() const;
  std::mutex& Mutex() { return mutex_; }
  void SetShape(int shape);
  int GetShape();

  // Decode, round when the shape asks, then replace the picture. A failure
  // keeps the picture there was. False when inactive or undecodable.
  bool LoadFromMemory(const void* bytes, size_t size);
  bool LoadFromFile(const wchar_t* path);

 private:
  std::mutex mutex_;
  std::atomic<bool> active_{true};
  SRefPtr<IBitmap> picture_;
  int shape_ = kShapeAsLoaded;
};

}  // namespace ORIEL
