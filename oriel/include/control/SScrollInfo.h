// The scroll-bar record and its codes, as the framework's scrolling
// windows keep them: a record layout only, no system call behind it.
#pragma once

#include "event/EventArgs.h"
#include "win32/scroll_codes.h"
#include "win32/types.h"

namespace ORIEL {

struct SCROLLINFO {
  UINT cbSize = 0;
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = -1;  // -1 while no thumb is dragged
};

enum : UINT { SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_TRACKPOS = 0x10 };

// A scroll code raised by a scroll bar or a scrolling view.
class EventScroll : public TplEventArgs<EventScroll> {
  ORIEL_EVENT(EventScroll, 10004, L"on_scroll")
  int nSbCode = 0;
  int nPos = 0;
  BOOL bVertical = FALSE;
};

}  // namespace ORIEL
