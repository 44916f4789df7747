// Fetching the update information from providers that misbehave: a reply
// that never ends, one that trickles, one behind redirects.
#include <sys/resource.h>

#include <chrono>
#include <string>

#include "../online/local_server.h"
#include "base/CodePage.h"
#include "base/UrlCoding.h"
#include "online/UpdateCheck.h"

namespace {

using Clock = std::chrono::steady_clock;
using online_test::LocalServer;

long PeakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

const std::string kInfo = R"({"version":"9.1.0","ForceUpdate":"1","verinfo":"moved"})";

class UpdateFetchTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.running()); }
  std::string InfoPath() const { return "/status?code=200&body=" + UrlEncode(kInfo, false); }
  LocalServer server;
};

// Without a cap the body grew until the time-out (hundreds of megabytes);
// the fetch stops at the cap, long before it, with its own reason.
TEST_F(UpdateFetchTest, AReplyWithoutEndIsCutAtTheCapWithoutWaitingForTheTimeOut) {
  for (const char* path : {"/endless", "/endless?length=10000000000", "/endless?chunk=1000&delay_ms=1"}) {
    SCOPED_TRACE(path);
    const long peakBefore = PeakResidentKb();
    const auto start = Clock::now();
    UpdateInfo info;
    std::wstring reason;
    EXPECT_FALSE(FetchUpdateInfo(Utf8ToWStringRet(server.url(path)), info, reason));
    // A megabyte at local speed; seconds spare for a loaded machine, well
    // under the 10 s time-out.
    EXPECT_LT(SecondsSince(start), 6.0);
    EXPECT_EQ(reason, L"更新信息超过1048576字节");
    EXPECT_LT(PeakResidentKb() - peakBefore, 64 * 1024);
    EXPECT_TRUE(info.version.empty());
  }
}

// A reply under the cap that trickles on ends at the query's 10 s time-out.
TEST_F(UpdateFetchTest, ATricklingReplyEndsAtTheTimeOut) {
  const auto start = Clock::now();
  UpdateInfo info;
  std::wstring reason;
  EXPECT_FALSE(FetchUpdateInfo(Utf8ToWStringRet(server.url("/endless?chunk=20&delay_ms=100")), info, reason));
  const double seconds = SecondsSince(start);
  EXPECT_GE(seconds, 9.5);
  EXPECT_LT(seconds, 12.0);
  EXPECT_NE(reason.find(L"Timeout was reached"), std::wstring::npos) << reason;
}

TEST_F(UpdateFetchTest, AProviderBehindRedirectsIsFollowedAFewHopsAtMost) {
  auto behind = [&](int hops) { return "/hops?n=" + std::to_string(hops) + "&to=" + UrlEncode(InfoPath(), false); };
  for (int hops : {1, static_cast<int>(kUpdateMaxRedirects)}) {
    SCOPED_TRACE(hops);
    UpdateInfo info;
    std::wstring reason;
    EXPECT_TRUE(FetchUpdateInfo(Utf8ToWStringRet(server.url(behind(hops))), info, reason)) << reason;
    EXPECT_EQ(info.version, L"9.1.0");
    EXPECT_EQ(info.verinfo, L"moved");
  }

  const size_t before = server.requests().size();
  UpdateInfo info;
  std::wstring reason;
  EXPECT_FALSE(FetchUpdateInfo(Utf8ToWStringRet(server.url("/loop")), info, reason));
  EXPECT_NE(reason.find(L"redirect"), std::wstring::npos) << reason;
  EXPECT_EQ(server.requests().size() - before, static_cast<size_t>(kUpdateMaxRedirects) + 1);

  // A hop to anything but HTTP or HTTPS is not taken.
  EXPECT_FALSE(FetchUpdateInfo(Utf8ToWStringRet(server.url("/redirect?to=file%3A%2F%2F%2Fetc%2Fpasswd")), info,
                               reason));
  EXPECT_TRUE(info.version.empty());
}

}  // namespace
