// The picture fetch against the local test server: the agent it sends,
// redirects, and each way a try fails (error status, short body, oversize
// body, a stall, an abort from another thread).
#include <chrono>
#include <thread>

#include "../online/local_server.h"
#include "image_test_pictures.h"
#include "online/CurlHttpImage.h"

namespace {

using online_test::LocalServer;

class ImageFetchTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.running()); }
  LocalServer server;
};

TEST_F(ImageFetchTest, SendsTheBrowserAgentAndFollowsRedirects) {
  const std::string picture = image_test::SolidBmp(4, 0x70, 0x20, 0x10);
  const std::string target = "/status?body=" + image_test::PercentEncoded(picture);
  CCurlHttpImage fetch(server.url("/redirect?to=" + image_test::PercentEncoded(target)), 3000, 3000, 3000);
  ASSERT_TRUE(fetch.performSafe()) << fetch.getLastError();
  EXPECT_EQ(std::string(fetch.getBody(), fetch.getBodySize()), picture);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].header("User-Agent"), "Microsoft Internet Explorer");
  EXPECT_EQ(requests[1].header("User-Agent"), "Microsoft Internet Explorer");
}

TEST_F(ImageFetchTest, FailedTriesReportWhy) {
  struct Case {
    std::string path;
    std::wstring reason;
  };
  const Case cases[] = {
      {"/status?code=404&body=missing", L"HTTP status 404"},
      {"/status?code=500&body=broken", L"HTTP status 500"},
      {"/file?claim=5000", L""},                 // announced, never sent
      {"/file?size=4000&drop=1000", L""},        // cut off half way
      {"/file?size=9000000", L"picture larger than"},
      {"/file?size=9000000&nolength=1", L"picture larger than"},
      {"/loop", L""},
  };
  for (const Case& c : cases) {
    CCurlHttpImage fetch(server.url(c.path), 3000, 3000, 3000);
    EXPECT_FALSE(fetch.performSafe()) << c.path;
    EXPECT_FALSE(fetch.isSucceeded()) << c.path;
    EXPECT_LE(fetch.getBodySize(), CCurlHttpImage::kMaxBody) << c.path;
    const std::wstring error = fetch.getLastError();
    EXPECT_FALSE(error.empty()) << c.path;
    EXPECT_NE(error.find(c.reason), std::wstring::npos) << c.path;
  }
  // The loop gave up after the redirect limit.
  size_t loops = 0;
  for (const auto& r : server.requests()) loops += r.path == "/loop";
  EXPECT_EQ(loops, static_cast<size_t>(CCurlHttpImage::kMaxRedirects) + 1);
}

TEST_F(ImageFetchTest, AStallEndsTheTryAfterTheReceiveTimeOut) {
  CCurlHttpImage fetch(server.url("/stall"), 3000, 0, 400);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(fetch.performSafe());
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(400));
  EXPECT_LT(took, std::chrono::seconds(10));  // far below the server's hour
  EXPECT_NE(std::wstring(fetch.getLastError()).find(L"no data for 400 ms"), std::wstring::npos);
}

TEST_F(ImageFetchTest, AbortFromAnotherThreadEndsAStalledTransferAtOnce) {
  CCurlHttpImage fetch(server.url("/stall"), 3000, 60000, 60000);
  std::thread runner([&] { fetch.performSafe(); });
  for (int i = 0; i < 500 && server.requests().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_FALSE(server.requests().empty());
  const auto start = std::chrono::steady_clock::now();
  fetch.abort();
  runner.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_FALSE(fetch.isSucceeded());
  EXPECT_TRUE(fetch.isAborted());
}

}  // namespace
