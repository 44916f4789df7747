#include "controls/CASyncBitmap.h"

#include <fstream>
#include <memory>
#include <vector>

#include "base/GdiplusHelpers.h"
#include "core/SApplication.h"
#include "base/CodePage.h"

namespace ORIEL {

namespace {
// Files above this size are not pictures this window shows.
constexpr size_t kMaxFileBytes = 8 * 1024 * 1024;
}  // namespace

void CASyncBitmap::SetActive(bool active) {
  active_.store(active);
  if (!active) {
    std::lock_guard<std::mutex> lock(mutex_);
    picture_ = nullptr;
  }
}

SRefPtr<IBitmap> CASyncBitmap::GetPicture() const { return active_.load() ? picture_ : SRefPtr<IBitmap>(); }

void CASyncBitmap::SetShape(int shape) {
  std::lock_guard<std::mutex> lock(mutex_);
  shape_ = shape;
}

int CASyncBitmap::GetShape() {
  std::lock_guard<std::mutex> lock(mutex_);
  return shape_;
}

bool CASyncBitmap::LoadFromMemory(const void* bytes, size_t size) {
  if (!active_.load() || !bytes || !size) return false;
  IRenderFactory* factory = SApplication::getSingleton().GetRenderFactory();
  SRefPtr<IBitmap> decoded;
  decoded.Attach(LoadOrielBitmapFromMemory(bytes, size, factory));
  if (!decoded) return false;
  if (GetShape() == kShapeCircle) {
    std::unique_ptr<Gdiplus::Bitmap> square(OrielBitmapToGdiBitmap(decoded));
    std::unique_ptr<Gdiplus::Bitmap> round(MakeRoundImage(square.get()));
    SRefPtr<IBitmap> rounded;
    rounded.Attach(GdiBitmapToOrielBitmap(round.get(), factory));
    if (!rounded) return false;
    decoded = rounded;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  // The window may have let go while this decoded.
  if (!active_.load()) return false;
  picture_ = decoded;
  return true;
}

bool CASyncBitmap::LoadFromFile(const wchar_t* path) {
  if (!active_.load() || !path) return false;
  std::ifstream in(WideToUtf8(path).c_str(), std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size <= 0 || static_cast<size_t>(size) > kMaxFileBytes) return false;
  std::vector<char> bytes(static_cast<size_t>(size));
  in.seekg(0);
  if (!in.read(bytes.data(), size)) return false;
  return LoadFromMemory(bytes.data(), bytes.size());
}

}  // namespace ORIEL
