// Named mutexes across processes: the second creator, in this process or in
// another one, sees ERROR_ALREADY_EXISTS; the name is free again once every
// holder has closed it or ended.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "win32/windows.h"

namespace {

// Runs the probe and returns its exit code (0 created, 1 existed, 2 failed).
int probe(const std::string& name) {
  const std::string command = std::string(NAMED_MUTEX_PROBE) + " " + name;
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string uniqueName(const char* base) {
  return std::string(base) + "_" + std::to_string(getpid());
}

}  // namespace

TEST(NamedMutex, ASecondProcessSeesItExists) {
  const std::string name = uniqueName("MUTEX_QuorvalePROJECT");
  HANDLE mine = CreateMutexW(nullptr, FALSE, wide(name).c_str());
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(probe(name), 1);
  CloseHandle(mine);
  EXPECT_EQ(probe(name), 0) << "closed by its only holder, the name is free";
}

TEST(NamedMutex, ThisProcessSeesAnotherProcessHoldingIt) {
  const std::string name = uniqueName("held");
  const std::string command = std::string(NAMED_MUTEX_PROBE) + " " + name + " hold";
  int toChild[2], fromChild[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(fromChild), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(toChild[0], 0);
    dup2(fromChild[1], 1);
    close(toChild[1]);
    close(fromChild[0]);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  char ready[8] = {};
  ASSERT_GT(read(fromChild[0], ready, sizeof ready - 1), 0);
  EXPECT_STREQ(ready, "ready\n");

  HANDLE second = CreateMutexW(nullptr, FALSE, wide(name).c_str());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

  close(toChild[1]);  // lets the holder end
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the holder created it";
  close(fromChild[0]);
  CloseHandle(second);
  HANDLE third = CreateMutexW(nullptr, FALSE, wide(name).c_str());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  CloseHandle(third);
}

TEST(NamedMutex, WithinOneProcessTheSecondCreatorSharesIt) {
  const std::wstring name = wide(uniqueName("local"));
  HANDLE first = CreateMutexW(nullptr, TRUE, name.c_str());
  ASSERT_NE(first, nullptr);
  HANDLE second = CreateMutexW(nullptr, TRUE, name.c_str());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_NE(first, second);
  // The first creator owns it; another thread cannot take it until released.
  DWORD otherResult = 0;
  std::thread([&] { otherResult = WaitForSingleObject(second, 0); }).join();
  EXPECT_EQ(otherResult, static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(ReleaseMutex(second));
  EXPECT_FALSE(ReleaseMutex(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
  std::thread([&] { otherResult = WaitForSingleObject(second, 0); }).join();
  EXPECT_EQ(otherResult, static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(first);
  CloseHandle(second);
}

TEST(NamedMutex, WithoutARuntimeFolderTheLockLivesUnderTmp) {
  // Put back even when an assertion ends the test early, so later tests of
  // this process keep the fresh runtime folder.
  struct RuntimeDirBack {
    const char* saved = getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    ~RuntimeDirBack() {
      if (saved) setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    }
  } back;
  unsetenv("XDG_RUNTIME_DIR");
  const std::string name = uniqueName("tmpfallback");
  HANDLE mine = CreateMutexW(nullptr, FALSE, wide(name).c_str());
  ASSERT_NE(mine, nullptr);
  const std::string lock = "/tmp/quorvale-" + std::to_string(getuid()) + "/" + name + ".lock";
  EXPECT_EQ(access(lock.c_str(), F_OK), 0) << lock;
  EXPECT_EQ(probe(name), 1);
  CloseHandle(mine);
  unlink(lock.c_str());
}
