// Posting, sending and the message-loop calls.
#include "backend_hooks.h"
#include "message_queue.h"
#include "win32/kernel32.h"
#include "window_table.h"

using namespace win32::detail;

namespace {

thread_local DWORD t_lastMessageTime = 0;

HWND anyThreadMessages() { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1)); }

bool postTo(const std::shared_ptr<Queue>& queue, HWND hwnd, UINT message, WPARAM wParam,
            LPARAM lParam) {
  {
    std::lock_guard<std::mutex> lock(queue->mutex);
    if (!queue->alive) {
      SetLastError(ERROR_INVALID_THREAD_ID);
      return false;
    }
    if (queue->posted.size() >= kPostedLimit) {
      SetLastError(ERROR_NOT_ENOUGH_QUOTA);
      return false;
    }
    queue->posted.push_back(makeMessage(hwnd, message, wParam, lParam));
  }
  queue->wake();
  return true;
}

// Blocks until the owner thread has handled the message, handling meanwhile
// whatever other threads send to this one, so two threads that send to each
// other cannot deadlock.
LRESULT sendAcrossThreads(const std::shared_ptr<Queue>& target, HWND hwnd, UINT message,
                          WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Queue> self = currentQueue();
  auto sent = std::make_shared<SentMessage>();
  sent->hwnd = hwnd;
  sent->message = message;
  sent->wParam = wParam;
  sent->lParam = lParam;
  sent->sender = self;
  {
    std::lock_guard<std::mutex> lock(target->mutex);
    if (!target->alive) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    target->incoming.push_back(sent);
  }
  target->wake();
  for (;;) {
    self->drainWake();
    handleIncomingSends(*self);
    {
      std::lock_guard<std::mutex> lock(self->mutex);
      if (sent->done) return sent->result;
    }
    waitForWake(*self, -1, false);
  }
}

// GetMessage and PeekMessage accept null, -1 (thread messages only) or a
// window of the calling thread.
bool validFilter(HWND filter) {
  if (filter == nullptr || filter == anyThreadMessages()) return true;
  auto window = lookupWindow(filter);
  if (window && window->threadId == GetCurrentThreadId()) return true;
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return false;
}

bool retrieve(Queue& queue, LPMSG msg, HWND filter, UINT first, UINT last, bool remove,
              bool connectionQuiet = false) {
  queue.drainWake();
  pumpBackend(connectionQuiet);
  handleIncomingSends(queue);
  if (!takeMessage(queue, msg, filter, first, last, remove)) return false;
  if (remove) t_lastMessageTime = msg->time;
  return true;
}

}  // namespace

bool win32::detail::postNext(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Queue> queue;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hwnd);
    if (window) queue = window->queue;
  }
  if (!queue) return false;
  {
    std::lock_guard<std::mutex> lock(queue->mutex);
    if (!queue->alive) return false;
    queue->posted.push_front(makeMessage(hwnd, message, wParam, lParam));
  }
  queue->wake();
  return true;
}

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd == nullptr) return postTo(currentQueue(), nullptr, Msg, wParam, lParam) ? TRUE : FALSE;
  std::shared_ptr<Queue> queue;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = lookupWindowLocked(hWnd);
    if (window) queue = window->queue;
  }
  if (!queue) {
    if (isForeignWindow(hWnd)) {
      const Win32DisplayBackend* backend = displayBackend();
      return backend->postForeign ? backend->postForeign(hWnd, Msg, wParam, lParam, backend->context)
                                  : FALSE;
    }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return postTo(queue, hWnd, Msg, wParam, lParam) ? TRUE : FALSE;
}

BOOL PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Queue> queue = queueOfThread(idThread);
  if (!queue) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return postTo(queue, nullptr, Msg, wParam, lParam) ? TRUE : FALSE;
}

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Queue> owner;
  DWORD ownerThread = 0;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    auto window = hWnd ? lookupWindowLocked(hWnd) : nullptr;
    if (window) {
      owner = window->queue;
      ownerThread = window->threadId;
    }
  }
  if (!owner) {
    // Another process's window: delivered there, with no answer to wait for.
    if (isForeignWindow(hWnd)) {
      const Win32DisplayBackend* backend = displayBackend();
      if (backend->postForeign) backend->postForeign(hWnd, Msg, wParam, lParam, backend->context);
      return 0;
    }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (ownerThread == GetCurrentThreadId()) return callWindow(hWnd, Msg, wParam, lParam);
  return sendAcrossThreads(owner, hWnd, Msg, wParam, lParam);
}

void PostQuitMessage(int nExitCode) {
  std::shared_ptr<Queue> queue = currentQueue();
  {
    std::lock_guard<std::mutex> lock(queue->mutex);
    queue->quitPending = true;
    queue->quitCode = nExitCode;
  }
  queue->wake();
}

BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (!lpMsg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (!validFilter(hWnd)) return -1;
  std::shared_ptr<Queue> queue = currentQueue();
  // The display connection is read after a wait that found input there;
  // before waiting it need not be, as the wait watches it (and the input
  // reader routes what arrives while the thread is busy).
  bool connectionQuiet = true;
  for (;;) {
    if (retrieve(*queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true, connectionQuiet))
      return lpMsg->message == WM_QUIT ? FALSE : TRUE;
    connectionQuiet = waitForWake(*queue, nextTimerWait(*queue, hWnd, wMsgFilterMin, wMsgFilterMax));
  }
}

BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                  UINT wRemoveMsg) {
  if (!lpMsg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!validFilter(hWnd)) return FALSE;
  std::shared_ptr<Queue> queue = currentQueue();
  // A loop that peeks right after its wait found the connection quiet (each
  // idle wake-up of a peeking loop) is spared reading it again.
  return retrieve(*queue, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax,
                  (wRemoveMsg & PM_REMOVE) != 0, connectionJustQuiet())
             ? TRUE
             : FALSE;
}

BOOL WaitMessage() {
  std::shared_ptr<Queue> queue = currentQueue();
  bool connectionQuiet = true;  // as in GetMessageW
  for (;;) {
    queue->drainWake();
    pumpBackend(connectionQuiet);
    if (handleIncomingSends(*queue)) return TRUE;
    MSG msg;
    if (takeMessage(*queue, &msg, nullptr, 0, 0, false)) return TRUE;
    connectionQuiet = waitForWake(*queue, nextTimerWait(*queue, nullptr, 0, 0));
  }
}

BOOL TranslateMessage(const MSG* lpMsg) {
  if (!lpMsg) return FALSE;
  const Win32DisplayBackend* backend = displayBackend();
  if (backend && backend->translate) return backend->translate(lpMsg, backend->context);
  return FALSE;
}

LRESULT DispatchMessageW(const MSG* lpMsg) {
  if (!lpMsg) return 0;
  if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
    // Only a procedure of a timer that still exists is called, so a killed
    // timer's last WM_TIMER and forged lParam values call nothing.
    auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
    bool known = false;
    if (auto queue = existingCurrentQueue()) {
      std::lock_guard<std::mutex> lock(queue->mutex);
      for (const Timer& timer : queue->timers) {
        if (timer.hwnd == lpMsg->hwnd && timer.id == lpMsg->wParam && timer.proc == proc)
          known = true;
      }
    }
    if (known) proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
    return 0;
  }
  if (!lpMsg->hwnd) return 0;
  auto window = lookupWindow(lpMsg->hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (window->threadId != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return 0;
  }
  return callWindow(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

DWORD GetMessageTime() { return t_lastMessageTime; }

BOOL InSendMessage() { return inForeignSend() ? TRUE : FALSE; }
