#include "controls/SSkinAni.h"

#include <vector>

#include "core/SApplication.h"
#include "core/SLog.h"
#include "render/IImgDecoder.h"

namespace ORIEL {

SIZE SSkinAni::NaturalSize() const {
  if (!GetFrameCount() || !(*frames_)[0].bitmap) return SIZE{0, 0};
  return (*frames_)[0].bitmap->Size();
}

int SSkinAni::GetFrameDelay(int index) const {
  if (index < 0 || index >= GetFrameCount()) return 0;
  return (*frames_)[index].delay;
}

void SSkinAni::SelectFrame(int index) {
  if (GetFrameCount() > 1 && index >= 0 && index < GetFrameCount()) current_ = index;
}

void SSkinAni::CopyToScaled(ISkinObj* copy, int scale) {
  SSkinObjBase::CopyToScaled(copy, scale);
  // The frames are drawn stretched, so a copy at another scale shows the
  // same pictures: share them instead of decoding again.
  if (auto* ani = dynamic_cast<SSkinAni*>(copy)) ani->frames_ = frames_;
}

void SSkinAni::DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) {
  if (!GetFrameCount()) return;
  if (index != -1) SelectFrame(index);
  const SAniFrame& frame = (*frames_)[current_];
  if (!frame.bitmap) return;
  const SIZE size = NaturalSize();
  const RECT src{0, 0, size.cx, size.cy};
  rt->DrawBitmapEx(&rc, frame.bitmap, &src, EM_STRETCH, alpha);
}

int SSkinAni::TakeFrames(IImgX* image) {
  auto frames = std::make_shared<SAniFrames>();
  IRenderFactory* factory = SApplication::getSingleton().GetRenderFactory();
  for (UINT i = 0; image && i < image->FrameCount(); ++i) {
    const IImgFrame* source = image->Frame(i);
    IBitmap* bitmap = nullptr;
    if (!source || !factory->CreateBitmap(&bitmap)) break;
    SAniFrame frame;
    frame.bitmap.Attach(bitmap);
    if (FAILED(bitmap->Init(static_cast<int>(source->Width()), static_cast<int>(source->Height()),
                            source->Pixels())))
      break;
    frame.delay = source->Delay() > 0 ? source->Delay() : 0;
    frames->push_back(std::move(frame));
  }
  current_ = 0;
  frames_ = std::move(frames);
  return GetFrameCount();
}

HRESULT SSkinGif::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (!AttrNameIs(name, L"src")) return SSkinAni::ApplyAttribute(name, value, loading);
  SStringW type = L"gif", resName = value;
  const int colon = value.Find(L':');
  if (colon >= 0) {
    type = value.Left(colon);
    resName = value.Mid(colon + 1);
  }
  SApplication& app = SApplication::getSingleton();
  const size_t size = app.ResourceByteSize(type, resName);
  std::vector<unsigned char> bytes(size);
  if (!size || !app.ReadResourceBytes(type, resName, bytes.data(), size)) {
    SLOGW(SLOG_LEVEL_WARN, "SSkinGif::src", L"animated skin: no resource %s", value.c_str());
    TakeFrames(nullptr);
  } else if (!LoadFromMemory(bytes.data(), size)) {
    SLOGW(SLOG_LEVEL_WARN, "SSkinGif::src", L"animated skin: resource %s is no readable picture", value.c_str());
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

int SSkinGif::LoadFromFile(LPCWSTR path) { return Decode(true, path, nullptr, 0); }

int SSkinGif::LoadFromMemory(const void* data, size_t size) { return Decode(false, nullptr, data, size); }

int SSkinGif::Decode(bool fromFile, LPCWSTR path, const void* data, size_t size) {
  IImgDecoderFactory* decoders = SApplication::getSingleton().GetRenderFactory()->GetImgDecoderFactory();
  IImgX* image = nullptr;
  if (!decoders || !decoders->CreateImgX(&image)) return TakeFrames(nullptr);
  const int loaded = fromFile ? image->LoadFromFile(path) : (data && size ? image->LoadFromMemory(data, size) : 0);
  const int taken = TakeFrames(loaded > 0 ? image : nullptr);
  image->Release();
  return taken;
}

}  // namespace ORIEL
