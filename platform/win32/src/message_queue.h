// Per-thread message queues. A queue belongs to one thread; other threads
// only post into it, hand it sent messages, or wake it.
#pragma once

#include <array>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "win32/messaging.h"

namespace win32::detail {

struct Queue;

// A message sent from another thread, waiting for the owner to handle it.
// `done` and `result` are guarded by the sender's queue mutex.
struct SentMessage {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result = 0;
  bool done = false;
  std::shared_ptr<Queue> sender;
};

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  std::chrono::milliseconds period;
  TIMERPROC proc;
  std::chrono::steady_clock::time_point due;
};

// The state of every virtual key (0x80 down, 0x01 toggled), as GetKeyState
// reports it.
using KeyStates = std::array<unsigned char, 256>;

// A posted message; input from the display carries the key state as it was
// when that input happened, which becomes the thread's state once the
// message is retrieved.
struct PostedMessage : MSG {
  PostedMessage(const MSG& msg) : MSG(msg) {}  // NOLINT: a plain post carries no state
  std::shared_ptr<const KeyStates> keys;
};

struct Queue {
  explicit Queue(DWORD thread);
  ~Queue();
  Queue(const Queue&) = delete;
  Queue& operator=(const Queue&) = delete;

  void wake();
  // Owner thread only: takes a pending wake, reading the descriptor only
  // when the last wait saw it readable. A wake that came in while the owner
  // was awake keeps the descriptor readable, so the next wait returns at once
  // and takes it then: nothing is lost, and a wait that ended by its
  // time-out (a timer's tick) costs no read.
  void drainWake();

  const DWORD threadId;
  const int wakeFd;
  bool wakeSeen = true;  // owner thread only: the last wait saw wakeFd readable
  std::mutex mutex;
  std::deque<PostedMessage> posted;
  // The key state as of the last input message retrieved; null until one is.
  std::shared_ptr<const KeyStates> keys;
  std::deque<std::shared_ptr<SentMessage>> incoming;
  std::vector<Timer> timers;
  bool quitPending = false;
  int quitCode = 0;
  bool alive = true;
};

// Most posted messages a queue holds before PostMessageW fails, as on Windows.
constexpr size_t kPostedLimit = 10000;

std::shared_ptr<Queue> currentQueue();
// Null when the calling thread has no queue yet.
std::shared_ptr<Queue> existingCurrentQueue();
std::shared_ptr<Queue> queueOfThread(DWORD threadId);

// A message stamped with the current tick count.
MSG makeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the window procedure of a window owned by the calling thread.
LRESULT callWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Handles every message other threads sent to this thread; true if any.
bool handleIncomingSends(Queue& queue);
// True while the calling thread handles a message another thread sent.
bool inForeignSend();
// The next message by Windows priority (posted, quit, timer, paint) that
// passes the filter; sent messages are not in it (handle them first).
bool takeMessage(Queue& queue, MSG* out, HWND filter, UINT first, UINT last, bool remove);
// Milliseconds until the timers that pass the filter want the thread woken
// (timerWakeTime); -1 when there is none.
int nextTimerWait(Queue& queue, HWND filter, UINT first, UINT last);
// Sleeps until the queue is woken, the backend has input (when watched) or
// the timeout ends; -1 waits without limit. True when the backend was
// watched and had nothing to read as the wait ended.
bool waitForWake(Queue& queue, int timeoutMs, bool watchBackend = true);
// Whether a wait of the calling thread ended with the backend's connection
// watched and quiet a moment ago: a check of the connection made now would
// almost surely find it quiet too, and what arrived since wakes the next wait
// (or the input reader) all the same.
bool connectionJustQuiet();
// Drops posted messages and timers of a window that is going away.
void purgeWindow(Queue& queue, HWND hwnd);
// Puts a message at the head of a window's queue, so it is the next one
// retrieved (TranslateMessage's characters come before later input).
bool postNext(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Posts display input to a window, with the key state as of that input.
bool postInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
               std::shared_ptr<const KeyStates> keys);
// The calling thread's key state as of the input it has retrieved, or null
// when it has retrieved none.
std::shared_ptr<const KeyStates> retrievedKeyStates();
// Clears a key's down bit in the calling thread's retrieved state: its
// release was never delivered (a window manager took it).
void forgetRetrievedKeyDown(int vk);
// Runs the display backend's pump, if one is installed. `connectionQuiet`:
// the backend's connection need not be read (a wait that watched it just
// found it quiet, or the thread is about to wait on it), so only what the
// backend holds already is routed.
void pumpBackend(bool connectionQuiet = false);
int backendFd();

}  // namespace win32::detail
