// Window messages the application logic sends and posts to the main window.
#pragma once

// A recorder event; lParam is a heap COutputCallInfo that the receiver
// frees; wParam 0.
inline constexpr unsigned UM_OUTPUT_EVENT = 0x2F06;
// A timer task, sent synchronously; lParam points to the task's
// CTimertaskInfo for the time of the call. wParam: 0 due (answer 0 when
// its recording started, -1 when refused), 1 its recording has finished,
// 2 its time is up.
inline constexpr unsigned UM_TIMERTASK_EVENT = 0x2F13;

enum TimerTaskEvent { kTimerTaskStart = 0, kTimerTaskFinished = 1, kTimerTaskCancel = 2 };

// Failure codes of the timer-task log.
inline constexpr int kTaskExpired = -100;        // its time had passed when it was due
inline constexpr int kTaskBusy = -101;           // another recording was running
inline constexpr int kTaskInvalidDate = -102;    // its stored date names no real time
