// Window-message input turned into GDK events on the view's own window, so
// that WebKit sees them as it sees a user's.
#include <cstring>

#include "Engine.h"

namespace {

constexpr UINT kMouseMove = 0x200, kMouseLeave = 0x2A3;
constexpr UINT kMkLButton = 0x1, kMkRButton = 0x2, kMkShift = 0x4, kMkControl = 0x8, kMkMButton = 0x10;

GdkDevice* Pointer() { return gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())); }
GdkDevice* Keyboard() { return gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())); }

GdkModifierType ModifiersOf(UINT flags) {
  unsigned m = 0;
  if (flags & kMkLButton) m |= GDK_BUTTON1_MASK;
  if (flags & kMkMButton) m |= GDK_BUTTON2_MASK;
  if (flags & kMkRButton) m |= GDK_BUTTON3_MASK;
  if (flags & kMkShift) m |= GDK_SHIFT_MASK;
  if (flags & kMkControl) m |= GDK_CONTROL_MASK;
  return static_cast<GdkModifierType>(m);
}

// Hands the event to GTK as if it came from the display, then frees it.
void Deliver(WkeViewImpl* v, GdkEvent* event) {
  GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(v->web));
  if (!window) {
    gdk_event_free(event);
    return;
  }
  reinterpret_cast<GdkEventAny*>(event)->window = GDK_WINDOW(g_object_ref(window));
  reinterpret_cast<GdkEventAny*>(event)->send_event = TRUE;
  gdk_event_set_device(event, event->type == GDK_KEY_PRESS || event->type == GDK_KEY_RELEASE ? Keyboard()
                                                                                              : Pointer());
  gtk_main_do_event(event);
  gdk_event_free(event);
}

GdkEvent* Crossing(GdkEventType type, double x, double y) {
  GdkEvent* event = gdk_event_new(type);
  event->crossing.x = x;
  event->crossing.y = y;
  event->crossing.time = GDK_CURRENT_TIME;
  event->crossing.mode = GDK_CROSSING_NORMAL;
  event->crossing.detail = GDK_NOTIFY_NONLINEAR;
  return event;
}

GdkEvent* Button(GdkEventType type, unsigned button, double x, double y, UINT flags) {
  GdkEvent* event = gdk_event_new(type);
  event->button.x = x;
  event->button.y = y;
  event->button.button = button;
  event->button.state = ModifiersOf(flags);
  event->button.time = static_cast<guint32>(g_get_monotonic_time() / 1000);
  return event;
}

// The GDK key of a virtual key that has no character of its own; 0 for
// keys that type text (those arrive as characters).
guint KeyvalOfVirtualKey(UINT vk) {
  switch (vk) {
    case 0x08: return GDK_KEY_BackSpace;
    case 0x09: return GDK_KEY_Tab;
    case 0x0D: return GDK_KEY_Return;
    case 0x1B: return GDK_KEY_Escape;
    case 0x21: return GDK_KEY_Page_Up;
    case 0x22: return GDK_KEY_Page_Down;
    case 0x23: return GDK_KEY_End;
    case 0x24: return GDK_KEY_Home;
    case 0x25: return GDK_KEY_Left;
    case 0x26: return GDK_KEY_Up;
    case 0x27: return GDK_KEY_Right;
    case 0x28: return GDK_KEY_Down;
    case 0x2E: return GDK_KEY_Delete;
    default: return 0;
  }
}

void SendKey(WkeViewImpl* v, GdkEventType type, guint keyval) {
  GdkEvent* event = gdk_event_new(type);
  event->key.keyval = keyval;
  event->key.time = static_cast<guint32>(g_get_monotonic_time() / 1000);
  unsigned state = 0;
  if (v->shift) state |= GDK_SHIFT_MASK;
  if (v->control) state |= GDK_CONTROL_MASK;
  event->key.state = state;
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), keyval, &keys, &count) &&
      count > 0)
    event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
  g_free(keys);
  gunichar c = gdk_keyval_to_unicode(keyval);
  char text[8] = {};
  if (c) g_unichar_to_utf8(c, text);
  event->key.string = g_strdup(text);
  event->key.length = static_cast<gint>(strlen(text));
  Deliver(v, event);
}

}  // namespace

WKE_EXPORT bool wkeFireMouseEvent(wkeWebView v, UINT message, int x, int y, UINT flags) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v)) return false;
  const double dx = x, dy = y;
  if (message == kMouseLeave) {
    Deliver(v, Crossing(GDK_LEAVE_NOTIFY, dx, dy));
    return true;
  }
  if (message == kMouseMove) {
    GdkEvent* event = gdk_event_new(GDK_MOTION_NOTIFY);
    event->motion.x = dx;
    event->motion.y = dy;
    event->motion.state = ModifiersOf(flags);
    event->motion.time = static_cast<guint32>(g_get_monotonic_time() / 1000);
    Deliver(v, event);
    return true;
  }
  // 0x201-0x209: down, up, double click of the left, right, middle buttons.
  if (message < 0x201 || message > 0x209) return false;
  static const unsigned kButtons[3] = {1, 3, 2};
  const unsigned index = (message - 0x201) / 3, kind = (message - 0x201) % 3;
  const unsigned button = kButtons[index];
  if (kind == 1) {
    Deliver(v, Button(GDK_BUTTON_RELEASE, button, dx, dy, flags));
    return true;
  }
  Deliver(v, Button(GDK_BUTTON_PRESS, button, dx, dy, flags));
  if (kind == 2) Deliver(v, Button(GDK_2BUTTON_PRESS, button, dx, dy, flags));
  return true;
}

WKE_EXPORT bool wkeMouseEvent(wkeWebView v, UINT message, int x, int y, UINT flags) {
  return wkeFireMouseEvent(v, message, x, y, flags);
}

WKE_EXPORT bool wkeFireMouseWheelEvent(wkeWebView v, int x, int y, int delta, UINT flags) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v)) return false;
  GdkEvent* event = gdk_event_new(GDK_SCROLL);
  event->scroll.x = x;
  event->scroll.y = y;
  event->scroll.direction = delta > 0 ? GDK_SCROLL_UP : GDK_SCROLL_DOWN;
  event->scroll.state = ModifiersOf(flags);
  event->scroll.time = static_cast<guint32>(g_get_monotonic_time() / 1000);
  Deliver(v, event);
  return true;
}

WKE_EXPORT bool wkeFireKeyDownEvent(wkeWebView v, UINT code, UINT, bool) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v)) return false;
  if (code == 0x10) v->shift = true;
  if (code == 0x11) v->control = true;
  const guint keyval = KeyvalOfVirtualKey(code);
  if (!keyval) return false;
  SendKey(v, GDK_KEY_PRESS, keyval);
  return true;
}

WKE_EXPORT bool wkeFireKeyUpEvent(wkeWebView v, UINT code, UINT, bool) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v)) return false;
  if (code == 0x10) v->shift = false;
  if (code == 0x11) v->control = false;
  const guint keyval = KeyvalOfVirtualKey(code);
  if (!keyval) return false;
  SendKey(v, GDK_KEY_RELEASE, keyval);
  return true;
}

// A typed character: its key pressed and released, which WebKit's input
// method turns into the text. Control characters came as their keys.
WKE_EXPORT bool wkeFireKeyPressEvent(wkeWebView v, UINT code, UINT, bool) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v) || code < 0x20 || code == 0x7F) return false;
  const guint keyval = gdk_unicode_to_keyval(code);
  SendKey(v, GDK_KEY_PRESS, keyval);
  SendKey(v, GDK_KEY_RELEASE, keyval);
  return true;
}

WKE_EXPORT void wkeSetFocus(wkeWebView v) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v)) return;
  gtk_widget_grab_focus(GTK_WIDGET(v->web));
  GdkEvent* e = gdk_event_new(GDK_FOCUS_CHANGE);
  e->focus_change.in = TRUE;
  gtk_widget_send_focus_change(GTK_WIDGET(v->web), e);
  gdk_event_free(e);
}

WKE_EXPORT void wkeKillFocus(wkeWebView v) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v)) return;
  GdkEvent* e = gdk_event_new(GDK_FOCUS_CHANGE);
  e->focus_change.in = FALSE;
  gtk_widget_send_focus_change(GTK_WIDGET(v->web), e);
  gdk_event_free(e);
}
