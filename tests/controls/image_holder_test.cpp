// The picture holder and the load task without a window: decoding,
// rounding, a failed decode keeping the old picture, letting go, and the
// local path a "file:///" URL names.
#include <thread>

#include "../oriel/OrielTestApp.h"
#include "controls/CASyncBitmap.h"
#include "controls/CLoadFile.h"
#include "image_test_pictures.h"

namespace {

class ImageHolderTest : public OrielAppTest {
 protected:
  // The premultiplied BGRA pixel of the held picture.
  static uint32_t At(const SRefPtr<IBitmap>& bmp, int x, int y) {
    const auto* px = static_cast<const uint32_t*>(bmp->GetPixelBits());
    return px[y * static_cast<int>(bmp->Width()) + x];
  }
  std::string picture = image_test::SolidBmp(20, 0x70, 0x20, 0x10);
};

TEST_F(ImageHolderTest, DecodesSquareOrRound) {
  CASyncBitmap square;
  ASSERT_TRUE(square.LoadFromMemory(picture.data(), picture.size()));
  SRefPtr<IBitmap> bmp = square.GetPicture();
  ASSERT_TRUE(bmp);
  EXPECT_EQ(bmp->Width(), 20u);
  EXPECT_EQ(At(bmp, 0, 0), 0xFF702010u);
  EXPECT_EQ(At(bmp, 10, 10), 0xFF702010u);

  CASyncBitmap round;
  round.SetShape(CASyncBitmap::kShapeCircle);
  ASSERT_TRUE(round.LoadFromMemory(picture.data(), picture.size()));
  bmp = round.GetPicture();
  ASSERT_TRUE(bmp);
  EXPECT_EQ(At(bmp, 0, 0) >> 24, 0u);  // transparent outside the circle
  EXPECT_EQ(At(bmp, 19, 19) >> 24, 0u);
  EXPECT_EQ(At(bmp, 10, 10), 0xFF702010u);
}

TEST_F(ImageHolderTest, DecodesOnAWorkerThread) {
  // Loads run on the window's task thread, not the UI thread.
  CASyncBitmap holder;
  const std::string small = image_test::SolidBmp(4, 0x70, 0x20, 0x10);
  bool loaded = false;
  std::thread worker([&] { loaded = holder.LoadFromMemory(small.data(), small.size()); });
  worker.join();
  ASSERT_TRUE(loaded);
  EXPECT_EQ(At(holder.GetPicture(), 3, 3), 0xFF702010u);
}

TEST_F(ImageHolderTest, FailedDecodeKeepsThePictureAndLettingGoDropsIt) {
  CASyncBitmap holder;
  ASSERT_TRUE(holder.LoadFromMemory(picture.data(), picture.size()));
  const std::string broken = picture.substr(0, 30);
  EXPECT_FALSE(holder.LoadFromMemory(broken.data(), broken.size()));
  EXPECT_FALSE(holder.LoadFromMemory("not a picture", 13));
  EXPECT_FALSE(holder.LoadFromMemory(nullptr, 0));
  EXPECT_TRUE(holder.GetPicture());
  holder.SetActive(false);
  EXPECT_FALSE(holder.GetPicture());
  EXPECT_FALSE(holder.LoadFromMemory(picture.data(), picture.size()));
  holder.SetActive(true);
  EXPECT_FALSE(holder.GetPicture());  // dropped, not hidden
}

TEST(ImageLoadPath, FileUrlsKeepTheirLeadingSlashAndDecodeEscapes) {
  struct Case {
    const wchar_t* url;
    const wchar_t* path;
  };
  const Case cases[] = {
      {L"file:///tmp/a.png", L"/tmp/a.png"},
      {L"FILE:///tmp/a.png", L"/tmp/a.png"},
      {L"file:///tmp/my%20pic%2525.png", L"/tmp/my pic%25.png"},
      {L"file:///tmp/%E5%9B%BE.png", L"/tmp/\u56fe.png"},
      {L"file:///tmp/file:///x.png", L"/tmp/file:///x.png"},
      {L"file:///tmp/bad%zz.png", L"/tmp/bad%zz.png"},
      {L"http://127.0.0.1/a.png", L""},
      {L"file://", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(CLoadFile::LocalPath(c.url), std::wstring(c.path)) << c.url;
}

}  // namespace
