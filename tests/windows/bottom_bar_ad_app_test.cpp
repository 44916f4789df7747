// The bottom bar's advertising panel in the running program: with the
// advertisement switched on in the product configuration, the page of the
// service (a local server on 127.0.0.1) shows inside "ui_ad"; the status
// record sent to the main window runs its script in that page, which
// reports to the server; a record one byte short runs nothing.
#include <filesystem>
#include <fstream>

#include "app_fixture.h"
#include "../online/local_server.h"
#include "base/CodePage.h"
#include "base/UrlCoding.h"
#include "controls/SWkeWebkit.h"
#include "online/AdStatusRecord.h"

using namespace ORIEL;
namespace fs = std::filesystem;

namespace {

// A green page that reports its loading and every status it is given to
// the server it came from.
const char* kAdPage =
    "<html><head><meta charset='utf-8'><script>"
    "function report(s) { fetch('/echo?ad=' + encodeURIComponent(s)); }"
    "function adStatus(s) { report('status-' + s); }"
    "window.onload = function() { report('loaded'); };"
    "</script></head><body style='margin:0;background:#20c040'></body></html>";

class BottomBarAd : public AppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.running());
    folder = fs::path(getenv("HOME")) / "bottom-ad";
    fs::create_directories(folder);
    std::ofstream(folder / "product.ini") << "[product]\nad_enabled=1\nservice_url="
                                          << server.url("/html/" + UrlEncode(kAdPage, false) + "/") << "\n";
    setenv("QUORVALE_PRODUCT_INI", (folder / "product.ini").c_str(), 1);
    AppTest::SetUp();
  }
  void TearDown() override {
    AppTest::TearDown();
    unsetenv("QUORVALE_PRODUCT_INI");
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  // The values the page reported, in order.
  std::vector<std::string> Reports() {
    std::vector<std::string> out;
    for (const online_test::RecordedRequest& r : server.requests()) {
      const size_t at = r.path.find("/echo?ad=");
      if (at != std::string::npos) out.push_back(online_test::FormDecode(r.path.substr(at + 9)));
    }
    return out;
  }
  bool Reported(const std::string& value) {
    const auto all = Reports();
    return std::find(all.begin(), all.end(), value) != all.end();
  }
  LRESULT SendRecord(const wchar_t* script, DWORD size) {
    AdStatusRecord record = MakeAdStatusRecord(script);
    COPYDATASTRUCT data{0, size, &record};
    return SendMessageW(Hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  }

  online_test::LocalServer server;
  fs::path folder;
};

TEST_F(BottomBarAd, ThePageShowsInTheBarAndOnlyTheStatusRecordRunsInIt) {
  auto* ad = dynamic_cast<SWkeWebkit*>(Element(L"ui_ad"));
  ASSERT_NE(ad, nullptr);
  EXPECT_TRUE(ad->IsVisible());
  // Inside the window, with room for the page.
  EXPECT_GE(Height(L"ui_ad"), 20);
  RECT client{};
  GetClientRect(Hwnd(), &client);
  EXPECT_LE(ad->GetWindowRect().bottom, client.bottom);
  ASSERT_NE(ad->GetWebView(), nullptr) << "the program started no web engine";
  ASSERT_TRUE(pumpUntil([&] { return Reported("loaded"); }, 20000)) << "the page did not load";
  const auto requests = server.requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_NE(requests[0].path.find("/Index/advertising"), std::string::npos) << requests[0].path;
  // Its colour on the screen, inside the bar.
  const POINT centre = ScreenPoint(L"ui_ad");
  EXPECT_TRUE(pumpUntil([&] { return screenPixel(centre.x, centre.y) == 0x20C040; }, 10000))
      << std::hex << screenPixel(centre.x, centre.y) << " at " << std::dec << centre.x << "," << centre.y;

  // One byte short: not the record, nothing runs.
  SendRecord(L"adStatus('short')", kAdStatusRecordSize - 1);
  // The record: its script runs in the page, which tells the server.
  SendRecord(L"adStatus('x')", kAdStatusRecordSize);
  ASSERT_TRUE(pumpUntil([&] { return Reported("status-x"); }, 10000));
  // Scripts run in order: had the short one run, its report came first.
  pumpFor(300);
  EXPECT_EQ(Reports(), (std::vector<std::string>{"loaded", "status-x"}));
}

}  // namespace
