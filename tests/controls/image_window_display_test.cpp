// The picture window in a real window, fed by the local test server: the
// downloaded picture square or round, the skin when a load fails, retries
// on a stall, repeated URLs, local files, a reload that fails, and
// destruction in the middle of a transfer.
#include <chrono>
#include <filesystem>

#include "../oriel/OrielTestApp.h"
#include "../oriel/SwndWindowHost.h"
#include "../online/local_server.h"
#include "../platform-display/display_helper.h"
#include "res.mgr/SResProviderFiles.h"
#include "win32/backend.h"
#include "controls/SImageWndEx.h"
#include "controls/SSkinAni.h"
#include "gif_writer.h"
#include "image_test_pictures.h"
#include "res.mgr/SSkinPool.h"

namespace {

constexpr int kX = 260, kY = 180, kSize = 60;
constexpr unsigned long kPicture = 0x702010, kSkin = 0xFF0000, kWhite = 0xFFFFFF;

using online_test::LocalServer;

// The host's hand-off of finished loads, hooked in front of the test
// host's window procedure.
WNDPROC g_hostProc = nullptr;
int g_loadedMessages = 0;
LPARAM g_lastLoaded = 0;
LRESULT CALLBACK HookedHostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == UM_IMAGE_LOADED) {
    ++g_loadedMessages;
    g_lastLoaded = lParam;
    SImageWndEx::DeliverImageLoaded(lParam);
    return 0;
  }
  return CallWindowProcW(g_hostProc, hwnd, msg, wParam, lParam);
}

class ImageWindowDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    ASSERT_TRUE(server.running());
    OrielAppTest::SetUp();
    app->RegisterClass<SImageWndEx>();
    app->RegisterClass<SSkinGif>();
    bundle.Write("skin.gif", gif_writer::Write(8, 8, {{0xFF0000, 0}}));
    bundle.WriteIndex({{"gif", "skin", "skin.gif"}});
    IResProvider* provider = nullptr;
    ASSERT_TRUE(MakeResProvider(kResProviderFiles, &provider));
    const std::wstring folder = bundle.WFolder();
    ASSERT_TRUE(provider->Init(reinterpret_cast<WPARAM>(folder.c_str()), 0));
    app->AttachProvider(provider);
    provider->Release();
    pool = new SSkinPool;
    SXmlDoc doc;
    ASSERT_TRUE(doc.load_string("<skins><gif name='red' src='gif:skin'/></skins>"));
    pool->AddSkinsFromXml(doc.child("skins"));
    SSkinPoolMgr::getSingleton().PushSkinPool(pool);
    g_loadedMessages = 0;
    host = new SwndWindowHost(kX, kY, kSize, kSize);
    g_hostProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(host->Hwnd(), GWLP_WNDPROC));
    ASSERT_NE(g_hostProc, nullptr);
    SetWindowLongPtrW(host->Hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookedHostProc));
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    SSkinPoolMgr::getSingleton().PopPool(pool);
    pool->Release();
    OrielAppTest::TearDown();
  }

  // A picture window over the whole host with the given attributes; the
  // URL, when given, goes last so that the other attributes apply to it.
  SImageWndEx* Make(const std::string& attrs, const std::string& url = "") {
    std::string xml = "<imgex id='5' pos='0,0,60,60' " + attrs;
    if (!url.empty()) xml += " url='" + Escaped(url) + "'";
    xml += "/>";
    host->CreateChildrenFromString(SStringW(XmlText(xml.c_str()).c_str()));
    if (!IsWindowVisible(host->Hwnd())) {
      ShowWindow(host->Hwnd(), SW_SHOWNA);
      EXPECT_TRUE(waitViewable(host->Hwnd()));
    }
    return dynamic_cast<SImageWndEx*>(host->FindDescendantById(5));
  }
  static std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '&' ? std::string("&amp;") : std::string(1, c);
    return out;
  }
  // The picture travels through a redirect: its bytes (NULs included) stay
  // escaped in the Location the client follows as it is.
  std::string PictureUrl(const std::string& statusQuery = "", const std::string& mark = "") {
    const std::string target =
        "/status?" + statusQuery + "body=" + image_test::PercentEncoded(image_test::SolidBmp(16, 0x70, 0x20, 0x10));
    return server.url("/redirect?" + mark + "to=" + image_test::PercentEncoded(target));
  }
  bool Settled(SImageWndEx* w) { return pumpUntil([&] { return !w->IsLoading(); }, 15000); }
  unsigned long At(int x, int y) { return screenPixel(kX + x, kY + y); }
  bool Shows(int x, int y, unsigned long rgb) {
    return pumpUntil([&] { return At(x, y) == rgb; });
  }
  size_t RequestsTo(const std::string& prefix) {
    size_t n = 0;
    for (const auto& r : server.requests()) n += r.path.rfind(prefix, 0) == 0;
    return n;
  }

  LocalServer server;
  ScratchBundle bundle{"imgex"};
  SSkinPool* pool = nullptr;
  SwndWindowHost* host = nullptr;
};

TEST_F(ImageWindowDisplayTest, DownloadedPictureFillsTheWindowSquare) {
  SImageWndEx* w = Make("skin='red'", PictureUrl());
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(pumpUntil([&] { return g_loadedMessages == 1; })) << "no finished-load message";
  EXPECT_EQ(g_lastLoaded, static_cast<LPARAM>(w->GetHandle()));
  EXPECT_TRUE(Shows(kSize / 2, kSize / 2, kPicture)) << std::hex << At(kSize / 2, kSize / 2);
  EXPECT_EQ(At(3, 3), kPicture) << std::hex << At(3, 3);
  EXPECT_TRUE(w->Holder()->Test(CASyncBitmap::kLoaded));
}

TEST_F(ImageWindowDisplayTest, CircleShapeLeavesTheCornersToWhatIsBehind) {
  SImageWndEx* w = Make("shape='circle'", PictureUrl());
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(pumpUntil([&] { return g_loadedMessages == 1; }));
  EXPECT_TRUE(Shows(kSize / 2, kSize / 2, kPicture)) << std::hex << At(kSize / 2, kSize / 2);
  EXPECT_EQ(At(2, 2), kWhite) << std::hex << At(2, 2);
  EXPECT_EQ(At(kSize - 3, kSize - 3), kWhite);
  EXPECT_EQ(At(kSize / 2, 8), kPicture);  // the circle reaches up to the edges' middles
}

TEST_F(ImageWindowDisplayTest, ErrorStatusShowsTheSkin) {
  SImageWndEx* w = Make("skin='red' url_retries='2'", PictureUrl("code=404&"));
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(Settled(w));
  EXPECT_EQ(RequestsTo("/status"), 2u);
  EXPECT_EQ(g_loadedMessages, 0);
  EXPECT_TRUE(Shows(kSize / 2, kSize / 2, kSkin)) << std::hex << At(kSize / 2, kSize / 2);
  EXPECT_FALSE(w->Holder()->Test(CASyncBitmap::kLoaded));
}

TEST_F(ImageWindowDisplayTest, StalledServerIsTriedUrlRetriesTimesThenTheSkin) {
  SImageWndEx* w = Make("skin='red' url_retries='3' url_torecv='300' url_tosend='0'", server.url("/stall"));
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(Settled(w));
  EXPECT_EQ(RequestsTo("/stall"), 3u);
  EXPECT_TRUE(Shows(kSize / 2, kSize / 2, kSkin));
}

TEST_F(ImageWindowDisplayTest, ChangeLoadSkipsTheSameUrl) {
  for (const bool changeLoad : {true, false}) {
    SImageWndEx* w = Make(changeLoad ? "url_changeLoad='1'" : "");
    ASSERT_NE(w, nullptr);
    const std::string url = PictureUrl("", "n=" + std::to_string(changeLoad) + "&");
    w->LoadUrl(SStringW(XmlText(url.c_str()).c_str()));
    ASSERT_TRUE(Settled(w));
    w->LoadUrl(SStringW(XmlText(url.c_str()).c_str()));
    ASSERT_TRUE(Settled(w));
    EXPECT_EQ(RequestsTo("/redirect?n=" + std::to_string(changeLoad)), changeLoad ? 1u : 2u);
    host->DeleteChild(w);
  }
}

TEST_F(ImageWindowDisplayTest, FileUrlLoadsTheDecodedLocalPath) {
  const std::string path = bundle.folder + "/a picture.bmp";
  online_test::WriteFileBytes(path, image_test::SolidBmp(16, 0x70, 0x20, 0x10));
  std::string url = "file://";
  for (char c : path) url += c == ' ' ? std::string("%20") : std::string(1, c);
  SImageWndEx* w = Make("skin='red'", url);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(pumpUntil([&] { return g_loadedMessages == 1; }));
  EXPECT_TRUE(Shows(kSize / 2, kSize / 2, kPicture)) << std::hex << At(kSize / 2, kSize / 2);
}

TEST_F(ImageWindowDisplayTest, FailedReloadKeepsThePictureAndAnEmptyUrlDropsIt) {
  SImageWndEx* w = Make("skin='red' url_retries='1'", PictureUrl());
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(pumpUntil([&] { return g_loadedMessages == 1; }));
  ASSERT_TRUE(Shows(kSize / 2, kSize / 2, kPicture));
  w->LoadUrl(SStringW(XmlText(server.url("/status?code=500&body=x").c_str()).c_str()));
  ASSERT_TRUE(Settled(w));
  w->Invalidate();
  pumpFor(200);
  EXPECT_EQ(At(kSize / 2, kSize / 2), kPicture);
  w->LoadUrl(SStringW());
  ASSERT_TRUE(Settled(w));
  EXPECT_TRUE(Shows(kSize / 2, kSize / 2, kSkin));
}

TEST_F(ImageWindowDisplayTest, KeepSkinRatioShowsASmallSkinCentredAtItsSize) {
  SImageWndEx* w = Make("skin='red' keepSkinRatio='1'");
  ASSERT_NE(w, nullptr);

  ASSERT_TRUE(Shows(kSize / 2, kSize / 2, kSkin));
  EXPECT_EQ(At(kSize / 2 - 3, kSize / 2 + 3), kSkin);  // the 8 x 8 skin spans 26..33
  EXPECT_EQ(At(kSize / 2 - 6, kSize / 2), kWhite);
  EXPECT_EQ(At(5, 5), kWhite);
}

TEST_F(ImageWindowDisplayTest, DestroyingMidTransferReturnsWithinASecond) {
  SImageWndEx* w = Make("url_torecv='60000' url_tosend='60000'", server.url("/stall"));
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(pumpUntil([&] { return RequestsTo("/stall") == 1; }));
  const SWND handle = w->GetHandle();
  const auto start = std::chrono::steady_clock::now();
  host->DeleteChild(w);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  pumpFor(100);
  EXPECT_EQ(g_loadedMessages, 0);
  // A finished-load message naming a window that has gone reaches nothing.
  EXPECT_FALSE(SImageWndEx::DeliverImageLoaded(static_cast<LPARAM>(handle)));
}

}  // namespace
