// Downloads into files against a local server: whole files, progress, the
// part file and resuming, the bad replies that must never become a file,
// and the names taken from the server or the URL.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "local_server.h"
#include "online/CurlHttpFile.h"

namespace {

using online_test::Certificates;
using online_test::LocalServer;
using online_test::PatternBytes;
using online_test::ReadFileBytes;
using online_test::RecordedRequest;
using online_test::SameBytes;
using online_test::WriteFileBytes;
namespace fs = std::filesystem;

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

// Records every progress call, and whether the final file was there then.
class ProgressRecorder : public CCurlHttpFileInterface {
 public:
  explicit ProgressRecorder(fs::path finalPath) : finalPath_(std::move(finalPath)) {}
  int onProgress(CCurlHttpFile*, int64_t downloaded, int64_t remoteSize) override {
    downloaded_.push_back(downloaded);
    remote_.push_back(remoteSize);
    if (fs::exists(finalPath_)) finalSeenEarly_ = true;
    return answer_;
  }
  fs::path finalPath_;
  std::vector<int64_t> downloaded_;
  std::vector<int64_t> remote_;
  bool finalSeenEarly_ = false;
  int answer_ = 0;
};

class FileDownload : public online_test::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    ASSERT_TRUE(server_.running());
  }
  // A download of path on the server into the scratch file name.
  std::unique_ptr<CCurlHttpFile> Download(const std::string& path, const std::string& name) {
    return std::make_unique<CCurlHttpFile>(WPath(name), server_.url(path), "", 0, 0, false);
  }
  LocalServer server_;
};

TEST_F(FileDownload, WholeFileArrivesIdenticalWithRisingProgressAndAppearsOnlyAtTheEnd) {
  const size_t size = 1 << 20;
  auto file = Download("/file?size=" + std::to_string(size) + "&chunk=65536&delay_ms=5", "a.bin");
  ProgressRecorder progress(Path("a.bin"));
  file->setListener(&progress);
  ASSERT_TRUE(file->performSafe()) << file->getLastError();
  EXPECT_TRUE(file->isSucceeded());
  EXPECT_FALSE(file->isBusy());

  EXPECT_TRUE(SameBytes(ReadFileBytes(Path("a.bin")), PatternBytes(0, size)));
  EXPECT_FALSE(fs::exists(Path("a.bin.part")));
  EXPECT_FALSE(progress.finalSeenEarly_);
  EXPECT_EQ(file->getDownloadedSize(), static_cast<int64_t>(size));
  ASSERT_FALSE(progress.downloaded_.empty());
  for (size_t i = 1; i < progress.downloaded_.size(); ++i)
    EXPECT_LE(progress.downloaded_[i - 1], progress.downloaded_[i]) << "call " << i;
  EXPECT_EQ(progress.downloaded_.back(), static_cast<int64_t>(size));
  EXPECT_GT(std::count_if(progress.downloaded_.begin(), progress.downloaded_.end(),
                          [&](int64_t n) { return n > 0 && n < static_cast<int64_t>(size); }),
            0);
  for (int64_t remote : progress.remote_) EXPECT_EQ(remote, static_cast<int64_t>(size));
  EXPECT_GT(file->getDownloadSpeed(), 0.0);

  // The transfer itself carries the fixed headers; the probe before it does not.
  const std::vector<RecordedRequest> requests = server_.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].header("User-Agent"), "");
  EXPECT_NE(requests[1].header("User-Agent"), "");
  EXPECT_EQ(requests[1].header("Range"), "");
}

TEST_F(FileDownload, DroppedConnectionKeepsThePartAndResumeCompletesIt) {
  const size_t size = 300000;
  const size_t dropAt = 120000;
  auto file = Download("/file?size=" + std::to_string(size) + "&drop=" + std::to_string(dropAt), "b.bin");
  EXPECT_FALSE(file->performSafe());
  EXPECT_EQ(std::wstring(file->getLastError()).rfind(L"Transferred a partial file", 0), 0u)
      << file->getLastError();
  EXPECT_FALSE(fs::exists(Path("b.bin")));
  EXPECT_TRUE(SameBytes(ReadFileBytes(Path("b.bin.part")), PatternBytes(0, dropAt)));

  file->setResume(true);
  ASSERT_TRUE(file->performSafe()) << file->getLastError();
  EXPECT_EQ(server_.requests().back().header("Range"), "bytes=" + std::to_string(dropAt) + "-");
  EXPECT_TRUE(SameBytes(ReadFileBytes(Path("b.bin")), PatternBytes(0, size)));
  EXPECT_FALSE(fs::exists(Path("b.bin.part")));
  EXPECT_EQ(file->getDownloadedSize(), static_cast<int64_t>(size));
}

TEST_F(FileDownload, CompleteFileWithResumeIsDoneWithoutATransfer) {
  WriteFileBytes(Path("c.bin"), PatternBytes(0, 5000));
  auto file = Download("/file?size=5000", "c.bin");
  file->setResume(true);
  ASSERT_TRUE(file->performSafe()) << file->getLastError();
  EXPECT_EQ(server_.requests().size(), 1u);  // the probe only
  EXPECT_TRUE(SameBytes(ReadFileBytes(Path("c.bin")), PatternBytes(0, 5000)));
  EXPECT_EQ(file->getDownloadedSize(), 5000);

  // Without resume the file is fetched again, and replaced whole.
  WriteFileBytes(Path("c.bin"), std::string(5000, 'x'));
  file->setResume(false);
  ASSERT_TRUE(file->performSafe()) << file->getLastError();
  EXPECT_EQ(server_.requests().size(), 3u);
  EXPECT_TRUE(SameBytes(ReadFileBytes(Path("c.bin")), PatternBytes(0, 5000)));
}

TEST_F(FileDownload, UnknownSizeSkipsTheChecksAndACleanEndCompletesIt) {
  auto file = Download("/file?size=70000&nolength=1", "d.bin");
  ProgressRecorder progress(Path("d.bin"));
  file->setListener(&progress);
  EXPECT_EQ(file->getRemoteFileSize(server_.url("/file?size=70000&nolength=1")), -1);
  ASSERT_TRUE(file->performSafe()) << file->getLastError();
  EXPECT_TRUE(SameBytes(ReadFileBytes(Path("d.bin")), PatternBytes(0, 70000)));
  ASSERT_FALSE(progress.remote_.empty());
  EXPECT_EQ(progress.remote_.back(), -1);
}

TEST_F(FileDownload, RemoteSizeIsTheAnnouncedLengthOrZeroOnFailure) {
  CCurlHttpFile file;
  EXPECT_EQ(file.getRemoteFileSize(server_.url("/file?size=12345")), 12345);
  EXPECT_EQ(file.getRemoteFileSize(server_.url("/status?code=404")), 0);
  EXPECT_TRUE(Contains(file.getLastError(), L"404")) << file.getLastError();
  EXPECT_EQ(file.getRemoteFileSize(""), 0);
}

TEST_F(FileDownload, ListenerThatAnswersNonZeroStopsTheTransfer) {
  auto file = Download("/file?size=400000&chunk=20000&delay_ms=20", "e.bin");
  ProgressRecorder progress(Path("e.bin"));
  progress.answer_ = 1;
  file->setListener(&progress);
  EXPECT_FALSE(file->performSafe());
  EXPECT_EQ(std::wstring(file->getLastError()).rfind(L"Operation was aborted by an application callback", 0), 0u)
      << file->getLastError();
  EXPECT_FALSE(fs::exists(Path("e.bin")));
}

struct BadReply {
  const char* name;
  std::string path;
  std::wstring expected;   // a piece of the last error
  bool resumeFromPart;     // a part of 1000 bytes is there, resume on
  bool otherHostTls;       // served over TLS with another host's certificate
};

TEST_F(FileDownload, BadRepliesFailWithTheirOwnTextAndNeverBecomeTheFile) {
  const auto& certificates = Certificates();
  ASSERT_FALSE(certificates.caFile.empty()) << "openssl could not make the test certificates";
  LocalServer otherHost(certificates.otherHostCert, certificates.otherHostKey);
  ASSERT_TRUE(otherHost.running());

  const BadReply cases[] = {
      {"404", "/status?code=404&body=missing", L"The requested URL returned error: 404", false, false},
      {"500", "/status?code=500&body=broken", L"The requested URL returned error: 500", false, false},
      {"redirect loop", "/loop", L"Number of redirects hit maximum amount", false, false},
      {"no answer", "/stall", L"Operation too slow", false, false},
      {"stall mid-body", "/file?size=200000&chunk=1&delay_ms=60000", L"Operation too slow", false,
       false},
      {"shorter than its Content-Length", "/file?size=100000&drop=40000", L"Transferred a partial file",
       false, false},
      {"shorter than announced", "/file?size=60000&first_size=100000",
       L"file download not finish,CCurlHttpFile::downloadChkFinish", false, false},
      {"longer than announced", "/file?size=200000&first_size=100000",
       L"file down size is not match,CCurlHttpFile::onWrite", false, false},
      {"whole file to a resume", "/file?size=50000&ignore_range=1",
       L"Requested range was not delivered by the server", true, false},
      {"a part past the end of a file of unknown size", "/file?size=500&nolength=1",
       L"The requested URL returned error: 416", true, false},
      {"bigger than the disk", "/file?claim=1125899906842624000",
       L"disk not enough space,", false, false},
      {"another host's certificate", "/file?size=1000", L"host name", false, true},
  };
  int runs = 0;
  for (const BadReply& c : cases) {
    for (bool olderFile : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (olderFile ? ", older file there" : ", no file yet"));
      const fs::path target = Path("bad.bin");
      const fs::path part = Path("bad.bin.part");
      fs::remove(target);
      fs::remove(part);
      if (olderFile) WriteFileBytes(target, "older");
      if (c.resumeFromPart) WriteFileBytes(part, PatternBytes(0, 1000));

      // Each run its own URL: the server counts requests per URL.
      const std::string path =
          c.path + (c.path.find('?') == std::string::npos ? "?" : "&") + "run=" + std::to_string(++runs);
      const std::string url = c.otherHostTls ? otherHost.url(path) : server_.url(path);
      CCurlHttpFile file(WPath("bad.bin"), url, certificates.caFile, 10000, 0, false);
      // Only the stall rows shorten the stall guard: a loaded machine may
      // pause the other replies for a moment.
      if (c.expected == L"Operation too slow") file.setLowSpeedLimit(1, 1);
      file.setResume(c.resumeFromPart);
      EXPECT_FALSE(file.performSafe());
      EXPECT_TRUE(Contains(file.getLastError(), c.expected)) << file.getLastError();
      EXPECT_FALSE(file.isSucceeded());
      if (olderFile) {
        EXPECT_EQ(ReadFileBytes(target), "older");
      } else {
        EXPECT_FALSE(fs::exists(target));
      }
      // A part that a whole-file answer made useless is dropped, so the
      // next try starts at zero instead of appending a second copy.
      if (c.resumeFromPart) {
        EXPECT_FALSE(fs::exists(part));
      }
    }
  }
}

TEST_F(FileDownload, StalledServerEndsWithinTheLowSpeedTime) {
  auto file = Download("/stall", "f.bin");
  file->setConnectTimeout(2000);
  file->setLowSpeedLimit(1, 1);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(file->performSafe());
  const auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_TRUE(Contains(file->getLastError(), L"Timeout was reached")) << file->getLastError();
  EXPECT_TRUE(Contains(file->getLastError(), L"remote file size can't get,")) << file->getLastError();
  // The server waits an hour: only the low-speed limit ends this so soon.
  EXPECT_LT(elapsed, std::chrono::seconds(15));
}

struct NameCase {
  const char* name;
  std::string path;
  std::wstring expected;
};

std::string Escaped(const std::string& text) {
  std::string out;
  const char hex[] = "0123456789ABCDEF";
  for (unsigned char c : text) {
    if (isalnum(c) || c == '.' || c == '-' || c == '_') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

TEST_F(FileDownload, NamesComeFromTheServerOrTheUrlAndStayInsideTheFolder) {
  const NameCase cases[] = {
      {"bare name with ';'", "/file?size=10&disposition=" + Escaped("attachment; filename=a.mp3;"),
       L"a.mp3"},
      {"path in quotes", "/file?size=10&disposition=" + Escaped("attachment; filename=\"../../x\""),
       L"x"},
      {"quoted name with a blank", "/file?size=10&disposition=" + Escaped("attachment; filename=\"my song.mp3\""),
       L"my song.mp3"},
      {"'..' falls back to the URL",
       "/named/" + Escaped("attachment; filename=\"..\"") + "/fallback.mp3", L"fallback.mp3"},
      {"no header: the decoded URL", "/files/" + Escaped("中 song.mp3"), L"中 song.mp3"},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    CCurlHttpFile file;
    std::wstring name;
    const bool found = file.getRemoteFileName(server_.url(c.path), name);
    EXPECT_TRUE(found);
    EXPECT_EQ(name, c.expected);
  }

  CCurlHttpFile file;
  ASSERT_TRUE(file.setLocalPathFromUrl(
      server_.url("/file?size=10&disposition=" + Escaped("attachment; filename=\"../../x\"")),
      WPath("sub")));
  EXPECT_EQ(file.getLocalPath(), WPath("sub") + L"/x");

  // A URL whose path ends in '/' and a server with no name give no path.
  EXPECT_FALSE(file.setLocalPathFromUrl(server_.url("/files/"), WPath("")));
  EXPECT_EQ(file.getLocalPath(), L"");
}

}  // namespace
