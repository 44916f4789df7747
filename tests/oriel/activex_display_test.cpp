// The component-object windows in a real window. This system has no
// component objects and no movie player: "activex" with the movie player's
// class id and "flash" with a movie load, show their parent's background
// and say once each, naming the class id, that the object cannot be
// created; with delay="1" that comes at the first show only. Nothing is
// created, played or forwarded.
#include <string>

#include "SwndWindowHost.h"
#include "control/SActiveX.h"
#include "list_test_input.h"

namespace {

constexpr int kX = 180, kY = 140, kW = 300, kH = 200;
constexpr const char* kFlashId = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";

struct CapturingLog : TObjRefImpl<ILog> {
  BOOL PrintLog(int, int) override { return TRUE; }
  void WriteLog(int, int level, const char*, const char* text, const char*, int, const char*, const void*) override {
    if (level >= SLOG_LEVEL_WARN) lines.push_back(text);
  }
  int Count(const std::string& needle) const {
    int n = 0;
    for (const std::string& l : lines) n += l.find(needle) != std::string::npos;
    return n;
  }
  std::vector<std::string> lines;
};

class ActiveXDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    log = new CapturingLog;
    app->SetLogger(log);
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(L"<window name='back' pos='0,0,-0,-0' colorBkgnd='#30a050'/>");
    back = host->FindDescendantByName(SStringW(L"back"));
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    app->SetLogger(nullptr);
    log->Release();
    OrielAppTest::TearDown();
  }
  SActiveX* Add(const wchar_t* xml) {
    back->CreateChildrenFromString(xml);
    host->ApplyLayout();
    return static_cast<SActiveX*>(back->GetRelative(GSW_LASTCHILD));
  }
  CapturingLog* log = nullptr;
  SwndWindowHost* host = nullptr;
  SWindow* back = nullptr;
};

TEST_F(ActiveXDisplayTest, BothLoadStayEmptyAndWarnOnceEach) {
  SActiveX* ax = Add(L"<activex pos='10,10,@120,@80' clsID='{d27cdb6e-ae6d-11cf-96b8-444553540000}'/>");
  auto* flash = static_cast<SFlashCtrl*>(Add(L"<flash pos='150,10,@120,@80' url='http://127.0.0.1/movie.swf'/>"));
  ASSERT_NE(ax, nullptr);
  ASSERT_NE(flash, nullptr);
  EXPECT_STREQ(flash->GetObjectClass(), L"flash");
  EXPECT_EQ(SActiveX::FormatClsid(ax->GetClsid()), SStringW(L"{D27CDB6E-AE6D-11CF-96B8-444553540000}"));
  EXPECT_EQ(flash->GetUrl(), SStringW(L"http://127.0.0.1/movie.swf"));
  EXPECT_EQ(log->Count(kFlashId), 2) << "one warning each, at creation";

  ShowWindow(host->Hwnd(), SW_SHOW);
  ASSERT_TRUE(waitViewable(host->Hwnd()));
  // Inside both: the parent's background, nothing of their own.
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 70, kY + 50) == 0x30A050; }))
      << std::hex << screenPixel(kX + 70, kY + 50);
  EXPECT_EQ(screenPixel(kX + 210, kY + 50), 0x30A050u);

  // Input and use change nothing: no object, no movie, no new warnings.
  moveMouse(kX + 70, kY + 50);
  pumpFor(30);
  clickButton(1);
  tapKey(XK_a);
  pumpFor(100);
  ax->SetVisible(FALSE);
  ax->SetVisible(TRUE);
  EXPECT_EQ(ax->GetControl(), nullptr);
  EXPECT_EQ(flash->GetControl(), nullptr);
  EXPECT_FALSE(flash->Play(SStringW(L"http://127.0.0.1/other.swf")));
  EXPECT_EQ(log->Count(kFlashId), 2);
  EXPECT_EQ(screenPixel(kX + 70, kY + 50), 0x30A050u);
}

TEST_F(ActiveXDisplayTest, WithDelayTheWarningComesAtTheFirstShowOnly) {
  SActiveX* ax = Add(L"<activex pos='10,10,@120,@80' visible='0' delay='1' clsID='{0002DF01-0000-0000-C000-000000000046}'/>");
  ShowWindow(host->Hwnd(), SW_SHOW);
  ASSERT_TRUE(waitViewable(host->Hwnd()));
  pumpFor(50);
  EXPECT_TRUE(log->lines.empty()) << "nothing while it was never shown";
  ax->SetVisible(TRUE);
  EXPECT_EQ(log->Count("{0002DF01-0000-0000-C000-000000000046}"), 1);
  ax->SetVisible(FALSE);
  ax->SetVisible(TRUE);
  EXPECT_EQ(log->lines.size(), 1u);
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 70, kY + 50) == 0x30A050; }));
}

TEST_F(ActiveXDisplayTest, AProgIdOrAMalformedIdNamesNothing) {
  SActiveX* byName = Add(L"<activex pos='10,10,@50,@50' clsID='ShockwaveFlash.ShockwaveFlash'/>");
  SActiveX* broken = Add(L"<activex pos='70,10,@50,@50' clsID='{D27CDB6E-AE6D-11CF-96B8-44455354000}'/>");
  const CLSID zero{};
  EXPECT_TRUE(IsEqualGUID(byName->GetClsid(), zero));
  EXPECT_TRUE(IsEqualGUID(broken->GetClsid(), zero));
  EXPECT_TRUE(log->lines.empty()) << "no class id: nothing to create, nothing to warn about";
  EXPECT_EQ(byName->ApplyAttribute(SStringW(L"clsID"), SStringW(L"not a guid"), FALSE), S_FALSE);
}

}  // namespace
