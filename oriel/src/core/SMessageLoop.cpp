#include "core/SMessageLoop.h"

#include "core/SDefServices.h"
#include "core/SLog.h"

namespace ORIEL {

BOOL SMessageLoop::AddMessageFilter(IMessageFilter* filter) {
  filters_.Add(filter);
  return TRUE;
}

BOOL SMessageLoop::RemoveMessageFilter(IMessageFilter* filter) {
  const int i = filters_.Find(filter);
  return i >= 0 && filters_.RemoveAt(i);
}

BOOL SMessageLoop::AddIdleHandler(IIdleHandler* handler) {
  idleHandlers_.Add(handler);
  return TRUE;
}

BOOL SMessageLoop::RemoveIdleHandler(IIdleHandler* handler) {
  const int i = idleHandlers_.Find(handler);
  return i >= 0 && idleHandlers_.RemoveAt(i);
}

BOOL SMessageLoop::PreTranslate(MSG* msg) {
  for (int i = filters_.GetCount() - 1; i >= 0; --i) {
    IMessageFilter* f = filters_[i];
    if (f && f->PreFilter(msg)) return TRUE;
  }
  return FALSE;
}

BOOL SMessageLoop::RunIdle(int) {
  for (int i = 0; i < idleHandlers_.GetCount(); ++i) {
    if (IIdleHandler* h = idleHandlers_[i]) h->OnIdle();
  }
  return FALSE;
}

void SMessageLoop::DispatchOne(MSG* msg) {
  if (PreTranslate(msg)) return;
  TranslateMessage(msg);
  DispatchMessageW(msg);
}

void SMessageLoop::Quit() {
  if (running_) quit_ = TRUE;
}

BOOL SMessageLoop::ResetsIdle(const MSG* msg) {
  switch (msg->message) {
    case WM_PAINT:
    case 0x00A0:  // WM_NCMOUSEMOVE
    case 0x0118:  // WM_SYSTIMER, the caret blink
    case WM_MOUSEMOVE: return FALSE;
    default: return TRUE;
  }
}

int SMessageLoop::Run() {
  quit_ = FALSE;
  running_ = TRUE;
  BOOL idle = TRUE;
  int idleCount = 0;
  for (;;) {
    while (idle && !PeekMessageW(&msg_, nullptr, 0, 0, PM_NOREMOVE)) {
      idle = idle && RunIdle(idleCount);
      ++idleCount;
      if (quit_) {
        running_ = FALSE;
        return static_cast<int>(msg_.wParam);
      }
    }
    const BOOL got = GetMessageW(&msg_, nullptr, 0, 0);
    if (got == -1) {
      SLOGW(SLOG_LEVEL_ERROR, "ORIEL::SMessageLoop::Run", L"::GetMessage returned -1 (error)");
      continue;
    }
    if (!got) {
      SLOGW(SLOG_LEVEL_WARN, "ORIEL::SMessageLoop::Run", L"SMessageLoop::Run - exiting,code = %d",
            static_cast<int>(msg_.wParam));
      break;
    }
    DispatchOne(&msg_);
    if (ResetsIdle(&msg_)) {
      idle = TRUE;
      idleCount = 0;
    }
    if (quit_) break;
  }
  running_ = FALSE;
  return static_cast<int>(msg_.wParam);
}

SMessageLoop* SDefMsgLoopFactory::CreateMsgLoop() { return new SMessageLoop; }

void SDefMsgLoopFactory::DestroyMsgLoop(SMessageLoop* loop) { delete loop; }

}  // namespace ORIEL
