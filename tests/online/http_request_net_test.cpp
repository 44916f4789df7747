// Requests of the HTTP family against a local server: the fixed headers,
// bodies, error statuses, failures with libcurl's texts, time-outs, TLS
// verification and the refusal of a nested request.
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/DebugStr.h"
#include "local_server.h"
#include "online/CurlHttpBase.h"
#include "online/CurlHttpPost.h"
#include "online/CurlHttpQuery.h"
#include "online/UploadHost.h"

namespace {

using online_test::Certificates;
using online_test::LocalServer;
using online_test::RecordedRequest;

const char kAccept[] =
    "text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8";
const char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/69.0.3497.100 Safari/537.36";

std::wstring Error(CCurlHttpBase& http) { return http.getLastError(); }

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.rfind(prefix, 0) == 0;
}

// The request's headers other than those libcurl adds for the transport.
std::vector<std::pair<std::string, std::string>> OwnHeaders(const RecordedRequest& request) {
  std::vector<std::pair<std::string, std::string>> own;
  for (const auto& header : request.headers)
    if (header.first != "Host" && header.first != "Content-Length" && header.first != "Content-Type")
      own.push_back(header);
  return own;
}

TEST(HttpRequest, FixedHeadersOnceInOrderAndEachRequestStartsWithAnEmptyBody) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  CCurlHttpBase http(server.url("/echo"), "", 0, 0, false);
  ASSERT_TRUE(http.performSafe()) << Error(http);
  EXPECT_TRUE(http.isSucceeded());
  const std::string firstBody(http.getBody(), http.getBodySize());

  http.setUrl(server.url("/status?code=200&body=second"));
  ASSERT_TRUE(http.performSafe()) << Error(http);
  EXPECT_EQ(std::string(http.getBody()), "second");
  EXPECT_EQ(http.getBodySize(), 6u);

  const std::vector<std::pair<std::string, std::string>> expected = {{"Accept", kAccept},
                                                                     {"User-Agent", kUserAgent}};
  const std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(OwnHeaders(requests[0]), expected);
  EXPECT_EQ(OwnHeaders(requests[1]), expected);  // the same list, not appended again
  EXPECT_NE(firstBody.find(std::string("User-Agent: ") + kUserAgent), std::string::npos) << firstBody;
}

TEST(HttpRequest, HeadersAppendedBeforeTheFirstRequestReplaceTheFixedOnes) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  CCurlHttpBase http(server.url("/echo"), "", 0, 0, false);
  ASSERT_TRUE(http.appendHeader("X-Only: 1"));
  ASSERT_TRUE(http.performSafe()) << Error(http);
  const std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].header("X-Only"), "1");
  EXPECT_EQ(requests[0].header("User-Agent"), "");
  EXPECT_EQ(requests[0].header("Accept"), "*/*");  // libcurl's own, not the fixed line
}

TEST(HttpRequest, PostGoesToTheConfiguredUploadHostWithItsBodyWhole) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  SetUploadHost("127.0.0.1:" + std::to_string(server.port()));
  CCurlHttpPost post;
  EXPECT_EQ(post.getUrl(), "http://127.0.0.1:" + std::to_string(server.port()) + "/DoLoadLog.php");
  EXPECT_EQ(post.getCaFile(), "");
  EXPECT_EQ(post.getConnectTimeout(), 0);
  EXPECT_EQ(post.getTimeout(), 0);

  std::string body = "exception=a&b=c d%20\xE4\xB8\xAD";
  while (body.size() < 200000) body += "&k" + std::to_string(body.size()) + "=v";
  post.setPostData(body);
  ASSERT_TRUE(post.performSafe()) << post.getLastError();
  EXPECT_EQ(std::string(post.getBody()), "received " + std::to_string(body.size()) + " bytes");

  const std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].path, "/DoLoadLog.php");
  EXPECT_EQ(requests[0].header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(requests[0].body, body);
  SetUploadHost("");
}

TEST(HttpRequest, PostWithNoUploadHostConfiguredFailsWithoutARequest) {
  SetUploadHost("");
  CCurlHttpPost post;
  EXPECT_EQ(post.getUrl(), "");
  post.setPostData("a=b");
  EXPECT_FALSE(post.performSafe());
  EXPECT_TRUE(StartsWith(post.getLastError(), L"URL using bad/illegal format or missing URL"))
      << post.getLastError();
}

TEST(HttpRequest, AnErrorStatusIsAReplyWithItsPage) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  CCurlHttpBase http(server.url("/status?code=500&body=x"), "", 0, 0, false);
  ASSERT_TRUE(http.performSafe()) << Error(http);
  EXPECT_TRUE(http.isSucceeded());
  EXPECT_EQ(std::string(http.getBody()), "x");
  EXPECT_EQ(http.getBodySize(), 1u);
  EXPECT_STREQ(http.getLastError(), L"");
}

TEST(HttpRequest, RefusedConnectionGivesLibcurlsTextAlone) {
  CCurlHttpBase http("http://127.0.0.1:" + std::to_string(online_test::UnusedPort()) + "/", "", 0, 0,
                     false);
  EXPECT_FALSE(http.performSafe());
  EXPECT_FALSE(http.isSucceeded());
  EXPECT_FALSE(http.isBusy());
  EXPECT_TRUE(StartsWith(Error(http), L"Couldn't connect to server: ")) << Error(http);
  EXPECT_NE(Error(http).find(L"127.0.0.1"), std::wstring::npos) << Error(http);
}

TEST(HttpRequest, ServerThatNeverAnswersEndsAtTheTimeOut) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  CCurlHttpBase http(server.url("/stall"), "", 300, 600, false);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(http.performSafe());
  const auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_TRUE(StartsWith(Error(http), L"Timeout was reached")) << Error(http);
  EXPECT_GE(elapsed, std::chrono::milliseconds(550));
  // The server waits an hour: only the time-out ends the request this soon.
  EXPECT_LT(elapsed, std::chrono::seconds(10));
}

TEST(HttpRequest, QueryIsAGetWithItsFixedTimeOuts) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  CCurlHttpQuery query(server.url("/status?code=200&body=q"));
  EXPECT_EQ(query.getConnectTimeout(), 8000);
  EXPECT_EQ(query.getTimeout(), 10000);
  EXPECT_EQ(query.getCaFile(), "");
  EXPECT_FALSE(query.isVerbose());
  ASSERT_TRUE(query.performSafe()) << query.getLastError();
  EXPECT_EQ(std::string(query.getBody()), "q");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].method, "GET");
}

TEST(HttpRequest, HttpsTrustsOnlyTheGivenCaAndChecksTheHostName) {
  const auto& certificates = Certificates();
  ASSERT_FALSE(certificates.caFile.empty()) << "openssl could not make the test certificates";
  LocalServer server(certificates.ipCert, certificates.ipKey);
  ASSERT_TRUE(server.running());

  CCurlHttpBase http(server.url("/status?code=200&body=secure"), certificates.caFile, 0, 0, false);
  ASSERT_TRUE(http.performSafe()) << Error(http);
  EXPECT_EQ(std::string(http.getBody()), "secure");

  // The same object without a CA file trusts only the system's store.
  http.setCaFile("");
  EXPECT_FALSE(http.performSafe());
  EXPECT_TRUE(StartsWith(Error(http), L"SSL peer certificate or SSH remote key was not OK: "))
      << Error(http);
  EXPECT_NE(Error(http).find(L"certificate"), std::wstring::npos) << Error(http);

  LocalServer otherHost(certificates.otherHostCert, certificates.otherHostKey);
  ASSERT_TRUE(otherHost.running());
  CCurlHttpBase wrongHost(otherHost.url("/status?code=200&body=x"), certificates.caFile, 0, 0, false);
  EXPECT_FALSE(wrongHost.performSafe());
  EXPECT_NE(Error(wrongHost).find(L"host name"), std::wstring::npos) << Error(wrongHost);
  EXPECT_EQ(std::string(wrongHost.getBody()), "");
}

// Starts a second request of the same object from inside its write callback.
class NestingRequest : public CCurlHttpBase {
 public:
  using CCurlHttpBase::CCurlHttpBase;
  size_t onWrite(const char* data, size_t size, size_t count) override {
    if (!nestedTried_) {
      nestedTried_ = true;
      nestedResult_ = performSafe();
      nestedError_ = getLastError();
      busyInside_ = isBusy();
    }
    return CCurlHttpBase::onWrite(data, size, count);
  }
  bool nestedTried_ = false;
  bool nestedResult_ = true;
  bool busyInside_ = false;
  std::wstring nestedError_;
};

TEST(HttpRequest, NestedRequestIsRefusedAndTheRunningOneGoesOn) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  NestingRequest http(server.url("/status?code=200&body=outer"), "", 0, 0, false);
  ASSERT_TRUE(http.performSafe()) << Error(http);
  ASSERT_TRUE(http.nestedTried_);
  EXPECT_FALSE(http.nestedResult_);
  EXPECT_EQ(http.nestedError_, L"request already running,CCurlHttpBase::perform");
  EXPECT_TRUE(http.busyInside_);  // the refused call left the running request busy
  EXPECT_EQ(std::string(http.getBody()), "outer");
  EXPECT_EQ(server.requests().size(), 1u);
  EXPECT_FALSE(http.isBusy());
}

TEST(HttpRequest, VerboseRequestWritesLibcurlsTextToTheDebugChannel) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  std::vector<std::wstring> outputs;
  base::SetDebugSink([&outputs](const std::wstring& text) { outputs.push_back(text); });
  CCurlHttpBase http(server.url("/status?code=200&body=v"), "", 0, 0, true);
  const bool done = http.performSafe();
  base::SetDebugSink(nullptr);
  ASSERT_TRUE(done) << Error(http);
  bool sawRequestLine = false;
  for (size_t i = 0; i + 1 < outputs.size(); ++i) {
    if (outputs[i].rfind(L"Type:2,GET /status", 0) == 0) {  // CURLINFO_HEADER_OUT
      sawRequestLine = true;
      EXPECT_EQ(outputs[i + 1], L"\r\n");
    }
  }
  EXPECT_TRUE(sawRequestLine) << outputs.size() << " outputs";

  outputs.clear();
  base::SetDebugSink([&outputs](const std::wstring& text) { outputs.push_back(text); });
  http.setVerbose(false);
  const bool quiet = http.performSafe();
  base::SetDebugSink(nullptr);
  ASSERT_TRUE(quiet) << Error(http);
  EXPECT_TRUE(outputs.empty());
}

// A body limit takes a reply of exactly that size, and stops one that is a
// byte longer whether it announced its length or not; the next request of
// the same object starts with the flag cleared.
TEST(HttpRequest, BodyLimitTakesUpToItsSizeAndStopsOneByteMore) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  struct Case {
    std::string path;
    bool taken;
  } cases[] = {
      {"/files/a.bin?size=1000", true},
      {"/files/a.bin?size=1000&nolength=1", true},
      {"/files/a.bin?size=1001", false},
      {"/files/a.bin?size=1001&nolength=1", false},
      {"/endless?chunk=300", false},
  };
  CCurlHttpBase http("", "", 0, 5000, false);
  http.setBodyLimit(1000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    http.setUrl(server.url(c.path));
    EXPECT_EQ(http.performSafe(), c.taken) << Error(http);
    EXPECT_EQ(http.isBodyLimitExceeded(), !c.taken);
    EXPECT_LE(http.getBodySize(), 1000u);
    if (c.taken) EXPECT_EQ(http.getBodySize(), 1000u);
    else EXPECT_FALSE(Error(http).empty());
  }
}

}  // namespace
