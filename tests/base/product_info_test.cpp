// The deployment settings file: read in either encoding people or the
// program write it in, every key empty until configured.
#include <stdlib.h>

#include "base/ProductInfo.h"
#include "scratch_folder.h"

namespace {

std::string Utf16Le(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>((c >> 8) & 0xFF);
  }
  return bytes;
}

class ProductInfoTest : public scratch::ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    path_ = root_ / "product.ini";
    setenv("QUORVALE_PRODUCT_INI", path_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("QUORVALE_PRODUCT_INI");
    ScratchFolder::TearDown();
  }
  std::filesystem::path path_;
};

TEST_F(ProductInfoTest, ReadsTheProductSectionInEitherEncoding) {
  const std::string utf8Body =
      "; service addresses\n[other]\nusage_url=wrong\n[Product]\n"
      "Usage_URL = http://127.0.0.1:8080/usage \nname=\"录音 机\"\nempty=\n";
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"utf-8", utf8Body},
      {"utf-8 with a byte-order mark", "\xEF\xBB\xBF" + utf8Body},
      {"utf-16le", Utf16Le(L"[other]\r\nusage_url=wrong\r\n[Product]\r\nUsage_URL = http://127.0.0.1:8080/usage \r\n"
                           L"name=\"录音 机\"\r\nempty=\r\n")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    scratch::WriteBytes(path_, c.bytes);
    EXPECT_EQ(GetProductInfo(L"usage_url"), L"http://127.0.0.1:8080/usage");
    EXPECT_EQ(GetProductInfo(L"NAME"), L"录音 机");
    EXPECT_EQ(GetProductInfo(L"empty"), L"");
    EXPECT_EQ(GetProductInfo(L"update_url"), L"");
  }
  scratch::WriteBytes(path_, "[product]\r\nupload_host=logs.example.test\r\n");  // plain ASCII
  EXPECT_EQ(GetProductInfo(L"upload_host"), L"logs.example.test");
}

TEST_F(ProductInfoTest, NothingIsConfiguredWithoutAReadableFile) {
  EXPECT_EQ(GetProductInfoPath(), Utf8ToWStringRet(path_.string()));
  EXPECT_EQ(GetProductInfo(L"usage_url"), L"");  // no file

  scratch::WriteBytes(path_, "[product]\nusage_url=\xC3\x28\n");  // not UTF-8
  EXPECT_EQ(GetProductInfo(L"usage_url"), L"");

  scratch::WriteBytes(path_, "[product]\nusage_url=\xE5\xBD\n");  // a sequence cut short
  EXPECT_EQ(GetProductInfo(L"usage_url"), L"");

  scratch::WriteBytes(path_, "\xFF\xFE[");  // UTF-16 cut inside a character
  EXPECT_EQ(GetProductInfo(L"usage_url"), L"");

  scratch::WriteBytes(path_, "");
  EXPECT_EQ(GetProductInfo(L"usage_url"), L"");
}

TEST(ProductInfoPath, DefaultsToTheProgramsFolder) {
  unsetenv("QUORVALE_PRODUCT_INI");
  const std::wstring path = GetProductInfoPath();
  ASSERT_GT(path.size(), 12u);
  EXPECT_EQ(path.substr(path.size() - 12), L"/product.ini");
}

}  // namespace
