// Images through the render factory, and the file reads every provider shares.
#include <sys/stat.h>

#include <cstdio>

#include "core/SApplication.h"
#include "core/SXml.h"
#include "res.mgr/IResProvider.h"
#include "win32/windows.h"

namespace ORIEL {
namespace {

IRenderFactory* Factory() {
  SApplication* app = SApplication::getSingletonPtr();
  return app ? app->GetRenderFactory() : nullptr;
}

IBitmap* NewBitmap() {
  IRenderFactory* f = Factory();
  IBitmap* bmp = nullptr;
  if (!f || !f->CreateBitmap(&bmp)) return nullptr;
  return bmp;
}

IImgX* NewImgX() {
  IRenderFactory* f = Factory();
  IImgDecoderFactory* dec = f ? f->GetImgDecoderFactory() : nullptr;
  IImgX* img = nullptr;
  if (!dec || !dec->CreateImgX(&img)) return nullptr;
  return img;
}

}  // namespace

IBitmap* LoadImageFromFile(const SStringW& path) {
  IBitmap* bmp = NewBitmap();
  if (bmp && FAILED(bmp->LoadFromFile(path))) {
    bmp->Release();
    return nullptr;
  }
  return bmp;
}

IBitmap* LoadImageFromMemory(const void* data, size_t size) {
  IBitmap* bmp = NewBitmap();
  if (bmp && FAILED(bmp->LoadFromMemory(data, size))) {
    bmp->Release();
    return nullptr;
  }
  return bmp;
}

IImgX* LoadImageExFromFile(const SStringW& path) {
  IImgX* img = NewImgX();
  if (img && img->LoadFromFile(path) == 0) {
    img->Release();
    return nullptr;
  }
  return img;
}

IImgX* LoadImageExFromMemory(const void* data, size_t size) {
  IImgX* img = NewImgX();
  if (img && img->LoadFromMemory(data, size) == 0) {
    img->Release();
    return nullptr;
  }
  return img;
}

size_t FileByteSize(const SStringW& path) {
  struct stat st {};
  if (stat(XmlUtf8(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return static_cast<size_t>(st.st_size) & 0xFFFFFFFFu;
}

BOOL ReadFileBytes(const SStringW& path, void* buffer, size_t size) {
  FILE* f = fopen(XmlUtf8(path).c_str(), "rb");
  if (!f) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  fseek(f, 0, SEEK_END);
  const long length = ftell(f);
  fseek(f, 0, SEEK_SET);
  if (length < 0 || static_cast<size_t>(length) > size) {
    fclose(f);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const size_t read = fread(buffer, 1, static_cast<size_t>(length), f);
  fclose(f);
  return read == static_cast<size_t>(length);
}

}  // namespace ORIEL
