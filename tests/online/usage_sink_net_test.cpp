// The usage-event sink against a local server: records arrive in order as
// the service's form, a burst past the queue drops the oldest, and the
// sink is off without an address.
#include <chrono>

#include "local_server.h"
#include "online/UsageEventSink.h"

namespace {

using online_test::LocalServer;

using online_test::FormDecode;

TEST(UsageSink, PostsRecordsInOrderAsTheForm) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  {
    CHttpUsageEventSink sink(server.url("/echo"));
    ASSERT_TRUE(sink.IsEnabled());
    sink.Send(L"1", L"{\"a\":\"x y\"}");
    sink.Send(L"1", L"{\"b\":\"&=\"}");
    sink.Send(L"7", L"{\"c\":\"\\u5f55\"}");
  }  // destruction lets the queue drain
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  const char* expected[] = {"event=1&data={\"a\":\"x y\"}", "event=1&data={\"b\":\"&=\"}",
                            "event=7&data={\"c\":\"\\u5f55\"}"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(requests[i].method, "POST");
    EXPECT_EQ(requests[i].path, "/echo");
    EXPECT_EQ(FormDecode(requests[i].body), expected[i]);
  }
  // Values are escaped, so a record's own '&' and '=' cannot split the form.
  EXPECT_EQ(requests[1].body.find("&", requests[1].body.find("data=")), std::string::npos);
}

TEST(UsageSink, ABurstPastTheQueueDropsTheOldestAndExitWaitsAtMostTwoSeconds) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  const auto start = std::chrono::steady_clock::now();
  {
    CHttpUsageEventSink sink(server.url("/stall"));  // the first post never ends
    for (int i = 0; i < 105; ++i) sink.Send(L"1", std::to_wstring(i).c_str());
    // One record may already be in the worker's hands; of the rest, 100 wait.
    EXPECT_GE(sink.DroppedCount(), 4u);
    EXPECT_LE(sink.DroppedCount(), 5u);
  }
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_LT(waited, std::chrono::seconds(4));  // 2 s of grace, not the 5 s time-out per record
}

TEST(UsageSink, OffWithoutAnAddress) {
  CHttpUsageEventSink sink{std::string()};
  EXPECT_FALSE(sink.IsEnabled());
  sink.Send(L"1", L"{}");  // ignored, no worker
  EXPECT_EQ(sink.DroppedCount(), 0u);
}

}  // namespace
