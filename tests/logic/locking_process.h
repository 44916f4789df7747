// Another process that holds the recordings database in a transaction of
// its own (a writer's exclusive lock, or a reader's shared one) until it
// is released or the object goes: what the program meets when a second
// copy of it, or any other tool, has the file open.
#pragma once

#include <signal.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

class LockingProcess {
 public:
  enum Kind { kWriter, kReader };
  // `db` in UTF-8. Returns once the other process holds its lock or failed
  // to take it (see Locked()).
  explicit LockingProcess(const std::string& db, Kind kind = kWriter) {
    int locked[2], release[2];
    if (pipe(locked) != 0 || pipe(release) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      // Never left behind by a test that dies.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      close(locked[0]);
      close(release[1]);
      sqlite3* conn = nullptr;
      const char* sql = kind == kWriter ? "BEGIN EXCLUSIVE" : "BEGIN; SELECT count(*) FROM RecordInfo;";
      char ok = sqlite3_open(db.c_str(), &conn) == SQLITE_OK &&
                        sqlite3_exec(conn, sql, nullptr, nullptr, nullptr) == SQLITE_OK
                    ? 'y'
                    : 'n';
      if (write(locked[1], &ok, 1) != 1) _exit(1);
      char go = 0;
      if (read(release[0], &go, 1) < 0) _exit(1);
      sqlite3_exec(conn, "COMMIT", nullptr, nullptr, nullptr);
      sqlite3_close(conn);
      _exit(0);
    }
    close(locked[1]);
    close(release[0]);
    release_ = release[1];
    char ok = 0;
    locked_ = read(locked[0], &ok, 1) == 1 && ok == 'y';
    close(locked[0]);
  }
  ~LockingProcess() { Release(); }
  LockingProcess(const LockingProcess&) = delete;
  LockingProcess& operator=(const LockingProcess&) = delete;
  bool Locked() const { return locked_; }
  // Ends the transaction and the process.
  void Release() {
    if (pid_ <= 0) return;
    char go = 'g';
    if (write(release_, &go, 1) != 1) kill(pid_, SIGKILL);
    close(release_);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool locked_ = false;
};
