// Every format decodes to the pixels of its raw reference (made by another
// encoder, FFmpeg, from raw RGBA), animated GIFs give every frame with its
// delay, and damaged images fail cleanly. Both the image-decoder plug-in
// and GDI+ are checked.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gdiplus/gdiplus.h"
#include "render/IImgDecoder.h"

namespace {

std::vector<unsigned char> ReadFile(const std::string& name) {
  std::ifstream in(std::string(QUORVALE_IMAGES) + "/" + name, std::ios::binary);
  return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::wstring ImagePath(const std::string& name) {
  std::string p = std::string(QUORVALE_IMAGES) + "/" + name;
  return std::wstring(p.begin(), p.end());
}

// Raw straight RGBA to premultiplied BGRA words, the layout decoders give.
std::vector<uint32_t> Reference(const std::string& rawName) {
  std::vector<unsigned char> raw = ReadFile(rawName);
  std::vector<uint32_t> out(raw.size() / 4);
  for (size_t i = 0; i < out.size(); ++i) {
    uint32_t r = raw[4 * i], g = raw[4 * i + 1], b = raw[4 * i + 2], a = raw[4 * i + 3];
    auto pm = [a](uint32_t c) { return (c * a + 127) / 255; };
    out[i] = (a << 24) | (pm(r) << 16) | (pm(g) << 8) | pm(b);
  }
  return out;
}

// Largest channel difference, and the mean one.
void Compare(const uint32_t* got, const std::vector<uint32_t>& want, int* worst, double* mean) {
  long sum = 0;
  *worst = 0;
  for (size_t i = 0; i < want.size(); ++i)
    for (int c = 0; c < 32; c += 8) {
      int d = std::abs((int)((got[i] >> c) & 0xFF) - (int)((want[i] >> c) & 0xFF));
      *worst = std::max(*worst, d);
      sum += d;
    }
  *mean = (double)sum / (want.size() * 4);
}

// A 32-bit icon (BMP inside ICO) written here from the raw reference.
std::vector<unsigned char> MakeIco(const std::vector<unsigned char>& rgba, int w, int h) {
  std::vector<unsigned char> f;
  auto u16 = [&](int v) { f.push_back(v & 0xFF); f.push_back((v >> 8) & 0xFF); };
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) f.push_back((v >> (8 * i)) & 0xFF); };
  const uint32_t maskRow = ((w + 31) / 32) * 4;
  const uint32_t bytes = 40 + w * h * 4 + maskRow * h;
  u16(0); u16(1); u16(1);                        // icon directory, one image
  f.push_back(w); f.push_back(h); f.push_back(0); f.push_back(0);
  u16(1); u16(32); u32(bytes); u32(6 + 16);
  u32(40); u32(w); u32(h * 2); u16(1); u16(32);  // BITMAPINFOHEADER, height doubled
  u32(0); u32(w * h * 4); u32(0); u32(0); u32(0); u32(0);
  for (int y = h - 1; y >= 0; --y)               // bottom-up BGRA rows
    for (int x = 0; x < w; ++x) {
      const unsigned char* p = &rgba[(y * w + x) * 4];
      f.push_back(p[2]); f.push_back(p[1]); f.push_back(p[0]); f.push_back(p[3]);
    }
  f.insert(f.end(), maskRow * h, 0);              // AND mask: alpha decides
  return f;
}

struct FormatCase {
  const char* file;
  const char* reference;
  int worst;     // largest channel error allowed
  double mean;   // mean channel error allowed
};

const FormatCase kFormats[] = {
    {"opaque.png", "opaque.rgba", 0, 0},
    {"opaque.bmp", "opaque.rgba", 0, 0},
    {"opaque.gif", "opaque.rgba", 0, 0},
    {"opaque.jpg", "opaque.rgba", 60, 3.0},   // lossy: close, not equal
    {"translucent.png", "translucent.rgba", 1, 0.5},  // premultiplying may round either way
};

class PluginDecoder : public ::testing::Test {
 protected:
  void SetUp() override {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    ASSERT_GT(n, 0);
    std::string dir(buf, (size_t)n);
    dir = dir.substr(0, dir.find_last_of('/') + 1);
    module_ = dlopen((dir + "imgdecoder-pixbuf.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module_, nullptr) << dlerror();
    auto create = reinterpret_cast<BOOL (*)(IObjRef**)>(dlsym(module_, "SCreateInstance"));
    ASSERT_NE(create, nullptr);
    IObjRef* obj = nullptr;
    ASSERT_TRUE(create(&obj));
    factory_ = static_cast<IImgDecoderFactory*>(obj);
  }
  void TearDown() override {
    if (factory_) {
      EXPECT_EQ(factory_->Release(), 0);
    }
  }
  IImgX* NewImage() {
    IImgX* img = nullptr;
    EXPECT_TRUE(factory_->CreateImgX(&img));
    return img;
  }
  IImgDecoderFactory* factory_ = nullptr;
  void* module_ = nullptr;
};

TEST_F(PluginDecoder, EveryFormatMatchesItsReference) {
  for (const FormatCase& c : kFormats) {
    SCOPED_TRACE(c.file);
    std::vector<uint32_t> want = Reference(c.reference);
    IImgX* img = NewImage();
    ASSERT_EQ(img->LoadFromFile(ImagePath(c.file).c_str()), 1);
    const IImgFrame* f = img->Frame(0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ((size_t)f->Width() * f->Height(), want.size());
    int worst;
    double mean;
    Compare(static_cast<const uint32_t*>(f->Pixels()), want, &worst, &mean);
    EXPECT_LE(worst, c.worst);
    EXPECT_LE(mean, c.mean);
    // From memory the same bytes give the same pixels.
    std::vector<unsigned char> bytes = ReadFile(c.file);
    IImgX* mem = NewImage();
    ASSERT_EQ(mem->LoadFromMemory(bytes.data(), bytes.size()), 1);
    EXPECT_EQ(0, memcmp(mem->Frame(0)->Pixels(), f->Pixels(), want.size() * 4));
    mem->Release();
    img->Release();
  }
}

TEST_F(PluginDecoder, IconWithAlphaMatchesItsReference) {
  std::vector<unsigned char> raw = ReadFile("translucent.rgba");
  std::vector<unsigned char> ico = MakeIco(raw, 32, 32);
  IImgX* img = NewImage();
  ASSERT_EQ(img->LoadFromMemory(ico.data(), ico.size()), 1);
  ASSERT_EQ(img->Frame(0)->Width(), 32u);
  int worst;
  double mean;
  Compare(static_cast<const uint32_t*>(img->Frame(0)->Pixels()), Reference("translucent.rgba"), &worst, &mean);
  EXPECT_LE(worst, 1);
  img->Release();
}

TEST_F(PluginDecoder, AnimatedGifGivesEveryFrameComposedWithItsDelay) {
  IImgX* img = NewImage();
  ASSERT_EQ(img->LoadFromFile(ImagePath("anim.gif").c_str()), 4);
  const char* refs[] = {"anim0.rgba", "anim1.rgba", "anim2.rgba", "anim2.rgba"};
  const int delays[] = {12, 24, 48, 48};  // as the file stores them, 1/100 s
  for (UINT i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const IImgFrame* f = img->Frame(i);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Delay(), delays[i]);
    int worst;
    double mean;
    Compare(static_cast<const uint32_t*>(f->Pixels()), Reference(refs[i]), &worst, &mean);
    EXPECT_EQ(worst, 0);
  }
  EXPECT_EQ(img->Frame(4), nullptr);
  img->Release();
}

std::vector<std::pair<std::string, std::vector<unsigned char>>> DamagedImages() {
  std::vector<std::pair<std::string, std::vector<unsigned char>>> out;
  std::vector<unsigned char> png = ReadFile("translucent.png");
  out.push_back({"truncated png", std::vector<unsigned char>(png.begin(), png.begin() + png.size() / 2)});
  std::vector<unsigned char> crc = png;
  crc[40] ^= 0x5A;  // inside the image data: its checksum no longer matches
  out.push_back({"png with a bad checksum", crc});
  std::vector<unsigned char> gif = ReadFile("anim.gif");
  out.push_back({"truncated animated gif", std::vector<unsigned char>(gif.begin(), gif.begin() + gif.size() * 2 / 3)});
  std::vector<unsigned char> bmp = ReadFile("opaque.bmp");
  out.push_back({"truncated bmp", std::vector<unsigned char>(bmp.begin(), bmp.begin() + 200)});
  out.push_back({"not an image", std::vector<unsigned char>(300, 0x42)});
  return out;
}

TEST_F(PluginDecoder, DamagedImagesFailCleanly) {
  for (auto& [what, bytes] : DamagedImages()) {
    SCOPED_TRACE(what);
    IImgX* img = NewImage();
    EXPECT_EQ(img->LoadFromMemory(bytes.data(), bytes.size()), 0);
    EXPECT_EQ(img->FrameCount(), 0u);
    EXPECT_EQ(img->Frame(0), nullptr);
    img->Release();
  }
  IImgX* img = NewImage();
  EXPECT_EQ(img->LoadFromFile(L"/nonexistent/picture.png"), 0);
  EXPECT_EQ(img->LoadFromMemory(nullptr, 0), 0);
  img->Release();
}

using namespace Gdiplus;

TEST(GdiplusDecode, EveryFormatMatchesItsReference) {
  for (const FormatCase& c : kFormats) {
    SCOPED_TRACE(c.file);
    std::vector<uint32_t> want = Reference(c.reference);
    Bitmap bmp(ImagePath(c.file).c_str());
    ASSERT_EQ(bmp.GetLastStatus(), Ok);
    BitmapData data{};
    Rect all(0, 0, bmp.GetWidth(), bmp.GetHeight());
    ASSERT_EQ(bmp.LockBits(&all, ImageLockModeRead, PixelFormat32bppPARGB, &data), Ok);
    int worst;
    double mean;
    Compare(static_cast<const uint32_t*>(data.Scan0), want, &worst, &mean);
    EXPECT_LE(worst, c.worst);
    EXPECT_LE(mean, c.mean);
    bmp.UnlockBits(&data);
  }
}

TEST(GdiplusDecode, GifFramesAndDelaysThroughFrameDimensionTime) {
  Image* img = Image::FromFile(ImagePath("anim.gif").c_str());
  ASSERT_EQ(img->GetLastStatus(), Ok);
  ASSERT_EQ(img->GetFrameDimensionsCount(), 1u);
  GUID dim;
  img->GetFrameDimensionsList(&dim, 1);
  EXPECT_EQ(memcmp(&dim, &FrameDimensionTime, sizeof dim), 0);
  EXPECT_EQ(img->GetFrameCount(&FrameDimensionTime), 4u);
  UINT size = img->GetPropertyItemSize(PropertyTagFrameDelay);
  ASSERT_EQ(size, sizeof(PropertyItem) + 16);
  std::vector<unsigned char> buf(size);
  auto* item = reinterpret_cast<PropertyItem*>(buf.data());
  ASSERT_EQ(img->GetPropertyItem(PropertyTagFrameDelay, size, item), Ok);
  EXPECT_EQ(item->type, PropertyTagTypeLong);
  EXPECT_EQ(static_cast<LONG*>(item->value)[1], 24);
  EXPECT_EQ(img->SelectActiveFrame(&FrameDimensionTime, 2), Ok);
  Image* thumb = img->GetThumbnailImage(16, 16);
  ASSERT_NE(thumb, nullptr);
  Bitmap* frame = static_cast<Bitmap*>(img);
  Color c;
  ASSERT_EQ(frame->GetPixel(8, 8, &c), Ok);
  EXPECT_EQ(c.GetB(), 220);
  EXPECT_EQ(img->SelectActiveFrame(&FrameDimensionTime, 4), InvalidParameter);
  delete thumb;
  delete img;
  // A still image has one page and no frame delays.
  Image* still = Image::FromFile(ImagePath("opaque.png").c_str());
  EXPECT_EQ(still->GetFrameCount(&FrameDimensionPage), 1u);
  EXPECT_EQ(still->GetPropertyItemSize(PropertyTagFrameDelay), 0u);
  EXPECT_EQ(still->GetLastStatus(), PropertyNotFound);
  delete still;
}

TEST(GdiplusDecode, FromAMemoryStreamAndDamagedData) {
  std::vector<unsigned char> bytes = ReadFile("opaque.png");
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  ULONG written = 0;
  ASSERT_EQ(stream->Write(bytes.data(), (ULONG)bytes.size(), &written), S_OK);
  Bitmap* bmp = Bitmap::FromStream(stream);
  stream->Release();
  ASSERT_EQ(bmp->GetLastStatus(), Ok);
  EXPECT_EQ(bmp->GetWidth(), 48u);
  delete bmp;
  for (auto& [what, bad] : DamagedImages()) {
    SCOPED_TRACE(what);
    IStream* s = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &s);
    s->Write(bad.data(), (ULONG)bad.size(), nullptr);
    Bitmap* b = Bitmap::FromStream(s);
    s->Release();
    EXPECT_NE(b->GetLastStatus(), Ok);
    EXPECT_EQ(b->GetWidth(), 0u);
    delete b;
  }
  Bitmap missing(L"/nonexistent/picture.png");
  EXPECT_EQ(missing.GetLastStatus(), FileNotFound);
}

// File names leave the process as UTF-8: a picture under a Chinese name is
// found by the plug-in and by GDI+ alike.
TEST_F(PluginDecoder, ChineseFileNamesAreOpenedByTheirUtf8Bytes) {
  // A folder of this test's own, so parallel runs and the user's files are
  // never touched.
  std::string folder = ::testing::TempDir() + "decode-test-XXXXXX";
  ASSERT_NE(mkdtemp(folder.data()), nullptr);
  const std::string file = folder + "/录音封面.png";
  const std::vector<unsigned char> bytes = ReadFile("opaque.png");
  {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
    ASSERT_TRUE(out.good());
  }
  const std::wstring path = std::wstring(folder.begin(), folder.end()) + L"/录音封面.png";
  IImgX* img = NewImage();
  EXPECT_EQ(img->LoadFromFile(path.c_str()), 1);
  img->Release();
  Bitmap bmp(path.c_str());
  EXPECT_EQ(bmp.GetLastStatus(), Ok);
  EXPECT_EQ(bmp.GetWidth(), 48u);
  unlink(file.c_str());
  rmdir(folder.c_str());
}

}  // namespace
