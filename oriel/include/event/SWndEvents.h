// The events every window can fire, and the animated image's two.
#pragma once

#include "event/EventArgs.h"

namespace ORIEL {

class EventSetFocus : public TplEventArgs<EventSetFocus> {
  ORIEL_EVENT(EventSetFocus, 8100, L"on_set_focus")
};

class EventKillFocus : public TplEventArgs<EventKillFocus> {
  ORIEL_EVENT(EventKillFocus, 8101, L"on_kill_focus")
};

class EventSwndCreate : public TplEventArgs<EventSwndCreate> {
  ORIEL_EVENT(EventSwndCreate, 8102, L"on_create")
};

class EventSwndDestroy : public TplEventArgs<EventSwndDestroy> {
  ORIEL_EVENT(EventSwndDestroy, 8103, L"on_destroy")
};

class EventSwndSize : public TplEventArgs<EventSwndSize> {
  ORIEL_EVENT(EventSwndSize, 8104, L"on_size")
  SIZE szWnd{0, 0};
};

class EventSwndVisibleChanged : public TplEventArgs<EventSwndVisibleChanged> {
  ORIEL_EVENT(EventSwndVisibleChanged, 8105, L"on_visible_changed")
};

class EventSwndStateChanged : public TplEventArgs<EventSwndStateChanged> {
  ORIEL_EVENT(EventSwndStateChanged, 8106, L"on_state_changed")
  DWORD dwOldState = 0;
  DWORD dwNewState = 0;
};

class EventLButtonDown : public TplEventArgs<EventLButtonDown> {
  ORIEL_EVENT(EventLButtonDown, 8107, L"on_mouse_lbutton_down")
  POINT pt{0, 0};
};

class EventLButtonUp : public TplEventArgs<EventLButtonUp> {
  ORIEL_EVENT(EventLButtonUp, 8108, L"on_mouse_lbutton_up")
  POINT pt{0, 0};
};

// A subscriber that fills the text sets bUpdated.
class EventSwndUpdateTooltip : public TplEventArgs<EventSwndUpdateTooltip> {
  ORIEL_EVENT(EventSwndUpdateTooltip, 8109, L"on_update_tooltip")
  SStringW strToolTip;
  int bUpdated = 0;
};

class EventSwndMouseHover : public TplEventArgs<EventSwndMouseHover> {
  ORIEL_EVENT(EventSwndMouseHover, 9000, L"on_mouse_hover")
};

class EventSwndMouseLeave : public TplEventArgs<EventSwndMouseLeave> {
  ORIEL_EVENT(EventSwndMouseLeave, 9001, L"on_mouse_leave")
};

class EventCmd : public TplEventArgs<EventCmd> {
  ORIEL_EVENT(EventCmd, 10000, L"on_command")
};

// The name keeps the spelling that layouts and scripts already use.
// A subscriber that showed a menu sets bCancel.
class EventCtxMenu : public TplEventArgs<EventCtxMenu> {
  ORIEL_EVENT(EventCtxMenu, 10001, L"on_conext_menu")
  POINT pt{0, 0};
  int bCancel = 0;
};

class EventAnimateStart : public TplEventArgs<EventAnimateStart> {
  ORIEL_EVENT(EventAnimateStart, 22100, L"on_animate_start")
};

class EventAnimateStop : public TplEventArgs<EventAnimateStop> {
  ORIEL_EVENT(EventAnimateStop, 22101, L"EVT_ANI_STOP")
};

class SEventSet;
// Registers the fourteen window events in the order a window's
// constructor gives them.
void AddWindowEvents(SEventSet* set);

}  // namespace ORIEL
