// A download that fills the disk fails and leaves no part file behind: kept
// for a resume, the part would hold the disk full. The disk is a small
// tmpfs mounted in a child process's own mount namespace (where mounting
// is allowed), and /dev/full standing in as the part file (everywhere).
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "local_server.h"
#include "online/CurlHttpFile.h"

namespace {

using online_test::LocalServer;
namespace fs = std::filesystem;

constexpr size_t kDiskBytes = 256 * 1024;

bool WriteText(const char* path, const std::string& text) {
  const int fd = open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  return ok;
}

// A mount namespace of this process's own: directly as root, else inside a
// user namespace where this user is root.
bool OwnMountNamespace() {
  if (unshare(CLONE_NEWNS) != 0) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    WriteText("/proc/self/setgroups", "deny");
    if (!WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
      return false;
  }
  return mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

struct DiskOutcome {
  bool mounted = false;
  bool result = true;
  bool partLeft = true;
  bool fileLeft = true;
  unsigned long long freeBefore = 0, freeAfter = 0;
  std::string error;
};

unsigned long long FreeBytes(const fs::path& folder) {
  struct statvfs info {};
  if (statvfs(folder.c_str(), &info) != 0) return 0;
  return static_cast<unsigned long long>(info.f_bavail) * info.f_frsize;
}

// Runs the download in a child with a kDiskBytes tmpfs mounted on folder;
// the child reports what it saw, the parent's view of folder is untouched.
DiskOutcome DownloadOntoSmallDisk(const fs::path& folder, const std::function<void(CCurlHttpFile&)>& setUp,
                                  const std::string& url) {
  DiskOutcome outcome;
  int fds[2];
  if (pipe(fds) != 0) return outcome;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    std::string report = "0\n";
    if (OwnMountNamespace() &&
        mount("tmpfs", folder.c_str(), "tmpfs", 0, ("size=" + std::to_string(kDiskBytes)).c_str()) == 0) {
      const fs::path target = folder / "a.bin";
      CCurlHttpFile file(Utf8ToWStringRet(target.string()), url, "", 0, 10000, false);
      setUp(file);
      const unsigned long long before = FreeBytes(folder);
      const bool result = file.performSafe();
      report = "1\n" + std::to_string(result) + "\n" + std::to_string(fs::exists(folder / "a.bin.part")) + "\n" +
               std::to_string(fs::exists(target)) + "\n" + std::to_string(before) + "\n" +
               std::to_string(FreeBytes(folder)) + "\n" + WStringToUtf8Ret(file.getLastError());
    }
    (void)!write(fds[1], report.data(), report.size());
    _exit(0);
  }
  close(fds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  std::istringstream in(text);
  int mounted = 0, result = 1, part = 1, file = 1;
  in >> mounted >> result >> part >> file >> outcome.freeBefore >> outcome.freeAfter;
  in.ignore(1);
  std::getline(in, outcome.error, '\0');
  outcome.mounted = mounted == 1;
  outcome.result = result == 1;
  outcome.partLeft = part == 1;
  outcome.fileLeft = file == 1;
  return outcome;
}

// Fills the disk behind the download's back at its first progress call.
class DiskFiller : public CCurlHttpFileInterface {
 public:
  explicit DiskFiller(fs::path filler) : filler_(std::move(filler)) {}
  int onProgress(CCurlHttpFile*, int64_t downloaded, int64_t) override {
    if (!filled_ && downloaded > 0) {
      filled_ = true;
      std::ofstream(filler_, std::ios::binary) << std::string(kDiskBytes / 2, 'f');
    }
    return 0;
  }

 private:
  fs::path filler_;
  bool filled_ = false;
};

class FullDiskDownload : public online_test::ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    ASSERT_TRUE(server_.running());
    fs::create_directory(Path("disk"));
  }
  LocalServer server_;
};

TEST_F(FullDiskDownload, APartThatFillsTheDiskIsRemovedAndTheRoomComesBack) {
  struct Case {
    const char* name;
    std::string path;
    bool resume;
    bool fillBehind;  // another writer takes the room the free-space check saw
  } cases[] = {
      {"size unknown", "/file?size=1048576&nolength=1", false, false},
      {"resuming a part", "/file?size=1048576&nolength=1", true, false},
      {"disk filled meanwhile", "/file?size=196608&chunk=16384&delay_ms=10", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path disk = Path("disk");
    DiskFiller filler(disk / "filler");
    const DiskOutcome outcome = DownloadOntoSmallDisk(
        disk,
        [&](CCurlHttpFile& file) {
          if (c.resume) online_test::WriteFileBytes(disk / "a.bin.part", online_test::PatternBytes(0, 20000));
          file.setResume(c.resume);
          if (c.fillBehind) file.setListener(&filler);
        },
        server_.url(c.path));
    if (!outcome.mounted) GTEST_SKIP() << "no mount namespace here; the /dev/full test stands in";
    EXPECT_FALSE(outcome.result);
    EXPECT_FALSE(outcome.partLeft) << outcome.error;
    EXPECT_FALSE(outcome.fileLeft);
    EXPECT_NE(outcome.error.find("No space left on device"), std::string::npos) << outcome.error;
    EXPECT_NE(outcome.error.find("a.bin.part removed"), std::string::npos) << outcome.error;
    // All the download took is given back (the filler keeps its half).
    const unsigned long long kept = c.fillBehind ? kDiskBytes / 2 + 4096 : 4096;
    EXPECT_GE(outcome.freeAfter + kept, outcome.freeBefore) << outcome.freeAfter << " of " << outcome.freeBefore;
  }
}

// /dev/full as the part file: every write fails as on a full disk.
TEST_F(FullDiskDownload, AWriteRefusedForWantOfRoomRemovesThePart) {
  fs::create_symlink("/dev/full", Path("b.bin.part"));
  CCurlHttpFile file(WPath("b.bin"), server_.url("/file?size=200000"), "", 0, 10000, false);
  EXPECT_FALSE(file.performSafe());
  const std::wstring error = file.getLastError();
  EXPECT_NE(error.find(L"No space left on device"), std::wstring::npos) << error;
  EXPECT_FALSE(fs::exists(fs::symlink_status(Path("b.bin.part")))) << error;
  EXPECT_FALSE(fs::exists(Path("b.bin")));
  EXPECT_TRUE(fs::exists("/dev/full"));
}

}  // namespace
