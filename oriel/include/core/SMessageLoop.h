// The framework's message pump: messages go through the filters (newest
// first) before they are translated and dispatched, and idle handlers run
// once when the queue empties after a message that counts as activity.
#pragma once

#include "core/IMessageFilter.h"
#include "core/SArray.h"
#include "win32/windows.h"

namespace ORIEL {

struct IIdleHandler {
  virtual ~IIdleHandler() = default;
  virtual void OnIdle() = 0;
};

class SMessageLoop {
 public:
  SMessageLoop() = default;
  virtual ~SMessageLoop() = default;

  virtual BOOL PreTranslate(MSG* msg);
  virtual BOOL RunIdle(int idleCount);
  virtual int Run();
  virtual BOOL IsRunning() const { return running_; }
  virtual void DispatchOne(MSG* msg);
  // Ends a running loop after the message being handled; ignored otherwise.
  virtual void Quit();

  BOOL AddMessageFilter(IMessageFilter* filter);
  BOOL RemoveMessageFilter(IMessageFilter* filter);
  BOOL AddIdleHandler(IIdleHandler* handler);
  BOOL RemoveIdleHandler(IIdleHandler* handler);
  // False for paints, mouse moves and the caret blink, which do not make
  // the idle handlers run again.
  static BOOL ResetsIdle(const MSG* msg);

 private:
  SArray<IMessageFilter*> filters_;
  SArray<IIdleHandler*> idleHandlers_;
  MSG msg_{};
  BOOL running_ = FALSE;
  BOOL quit_ = FALSE;
};

}  // namespace ORIEL
