// The crash upload end to end: a child program registers the observer with
// the real crash-capture module and crashes; the helper it starts posts the
// report to a local server and shows the reply (headless: on its standard
// error). The child dies of its own signal in every case.
#include <signal.h>

#include "../online/local_server.h"
#include "crash_upload_helper.h"

namespace {

using online_test::LocalServer;
using online_test::ScratchTest;

class CrashUploadTest : public ScratchTest {
 protected:
  std::string Ini(const std::string& host) {
    return crashtest::WriteProductIni(root_, "upload_host=" + host +
                                                 "\nuid=user 7&x=1\nmcode=AB-12\nvform=3.6.0-test\n");
  }
  // Runs the child to its end and the helper to its end.
  void CrashAndWait(crashtest::CrashRun& run, const std::string& how, const std::string& ini) {
    ASSERT_TRUE(crashtest::StartCrash(run, how, ini));
    ASSERT_TRUE(crashtest::ReadStderr(run, nullptr, 90000)) << run.stderrText;
  }
};

std::vector<online_test::RecordedRequest> Uploads(const LocalServer& server) {
  std::vector<online_test::RecordedRequest> uploads;
  for (const auto& r : server.requests())
    if (r.path == "/DoLoadLog.php") uploads.push_back(r);
  return uploads;
}

TEST_F(CrashUploadTest, OneCrashPostsTheDecodableFormOnceAndShowsTheReply) {
  for (const char* how : {"one", "two"}) {
    SCOPED_TRACE(how);
    LocalServer server;
    ASSERT_TRUE(server.running());
    crashtest::CrashRun run;
    CrashAndWait(run, how, Ini("127.0.0.1:" + std::to_string(server.port())));
    EXPECT_EQ(crashtest::WaitForSignal(run), SIGSEGV) << run.stderrText;

    const auto uploads = Uploads(server);
    ASSERT_EQ(uploads.size(), 1u) << run.stderrText;
    EXPECT_EQ(uploads[0].method, "POST");
    EXPECT_EQ(uploads[0].header("Content-Type"), "application/x-www-form-urlencoded");
    const auto form = online_test::DecodeForm(uploads[0].body);
    ASSERT_EQ(form.size(), 4u) << uploads[0].body;
    const std::string& exception = form.at("exception");
    EXPECT_NE(exception.find("Crash: SIGSEGV"), std::string::npos) << exception;
    EXPECT_NE(exception.find("Blast::operator&="), std::string::npos) << exception;
    EXPECT_EQ(form.at("uid"), "user 7&x=1");
    EXPECT_EQ(form.at("mcode"), "AB-12");
    EXPECT_EQ(form.at("vform"), "3.6.0-test");
    // The keys in their order, as the service expects them.
    EXPECT_EQ(uploads[0].body.rfind("exception=", 0), 0u);
    EXPECT_LT(uploads[0].body.find("&mcode="), uploads[0].body.find("&uid="));
    EXPECT_LT(uploads[0].body.find("&uid="), uploads[0].body.find("&vform="));

    const std::string reply = "[提示] received " + std::to_string(uploads[0].body.size()) + " bytes";
    EXPECT_EQ(crashtest::CountOf(run.stderrText, reply), 1u) << run.stderrText;
    EXPECT_EQ(crashtest::CountOf(run.stderrText, "[错误]"), 0u) << run.stderrText;
  }
}

TEST_F(CrashUploadTest, AServerThatIsDownGivesLibcurlsTextInTheErrorBox) {
  crashtest::CrashRun run;
  CrashAndWait(run, "one", Ini("127.0.0.1:" + std::to_string(online_test::UnusedPort())));
  EXPECT_EQ(crashtest::WaitForSignal(run), SIGSEGV);
  EXPECT_EQ(crashtest::CountOf(run.stderrText, "[错误] Couldn't connect to server"), 1u) << run.stderrText;
  EXPECT_EQ(crashtest::CountOf(run.stderrText, "[提示]"), 0u) << run.stderrText;
}

TEST_F(CrashUploadTest, WithoutAHostNothingIsSentAndNoHelperRuns) {
  LocalServer server;
  ASSERT_TRUE(server.running());
  crashtest::CrashRun run;
  CrashAndWait(run, "one", crashtest::WriteProductIni(root_, "uid=someone\n"));
  EXPECT_EQ(crashtest::WaitForSignal(run), SIGSEGV);
  EXPECT_TRUE(server.requests().empty());
  EXPECT_EQ(run.stderrText.find("[提示]"), std::string::npos) << run.stderrText;
  EXPECT_EQ(run.stderrText.find("[错误]"), std::string::npos) << run.stderrText;
  // The report itself was still written by the module.
  EXPECT_NE(run.stderrText.find("crash report written to"), std::string::npos) << run.stderrText;
}

}  // namespace
