// Drop targets for drags from other programs, over the X drag-and-drop
// protocol (version 5). A top-level window with a registered window in it
// carries XdndAware; the source's Enter/Position/Leave/Drop messages arrive
// on the thread that owns it and become DragEnter/DragOver/DragLeave/Drop
// on the registered window under the pointer (the nearest one up the parent
// chain). Status answers carry the target's effect; Finished follows Drop.
#include <X11/Xatom.h>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "../user/geometry.h"
#include "event_routing.h"
#include "keyboard.h"
#include "native.h"
#include "win32/ole.h"
#include "win32/windowing.h"
#include "x_display.h"
#include "xdnd_data.h"

namespace win32::display {
namespace {

constexpr long kVersion = 5;
constexpr long kOldestVersion = 3;

std::mutex g_mutex;
std::map<HWND, IDropTarget*>& targets() {
  static auto* map = new std::map<HWND, IDropTarget*>();
  return *map;
}

// One drag over one of our top-level windows. Touched only on the thread
// that owns that window.
struct Session {
  ::Window source = 0;
  IDataObject* data = nullptr;
  HWND current = nullptr;            // the registered window under the pointer
  IDropTarget* target = nullptr;     // its target, held while it is current
  Atom requested = None;             // the source's suggested action
  DWORD effect = DROPEFFECT_NONE;    // the current target's last answer
  POINTL point{};
};
std::map<HWND, std::unique_ptr<Session>>& sessions() {
  static auto* map = new std::map<HWND, std::unique_ptr<Session>>();
  return *map;
}

Session& sessionOf(HWND top) {
  std::vector<std::unique_ptr<Session>> dead;
  Session* session = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto& slot = sessions()[top];
    if (!slot) {
      slot = std::make_unique<Session>();
      // Drags over windows destroyed mid-way never end: let theirs go.
      for (auto it = sessions().begin(); it != sessions().end();) {
        if (it->first != top && !IsWindow(it->first)) {
          dead.push_back(std::move(it->second));
          it = sessions().erase(it);
        } else {
          ++it;
        }
      }
    }
    session = slot.get();
  }
  for (auto& old : dead) {
    if (old->target) old->target->Release();
    if (old->data) old->data->Release();
  }
  return *session;
}

// The registered window at or above `hwnd`, with its target held.
HWND registeredAt(HWND hwnd, IDropTarget** target) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (HWND at = hwnd; at; at = GetParent(at)) {
    auto it = targets().find(at);
    if (it != targets().end()) {
      it->second->AddRef();
      *target = it->second;
      return at;
    }
    if (detail::rootOf(at) == at) break;  // owners are not parents
  }
  return nullptr;
}

DWORD effectOf(const XdndAtoms& a, Atom action) {
  if (action == a.actionCopy) return DROPEFFECT_COPY;
  if (action == a.actionMove) return DROPEFFECT_MOVE;
  if (action == a.actionLink) return DROPEFFECT_LINK;
  // Ask, private or unknown: the target may choose.
  return DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
}

// The action to report for a target's effect: the requested one when the
// effect allows it, else the first the effect names.
Atom actionOf(const XdndAtoms& a, DWORD effect, Atom requested) {
  const DWORD wanted = effectOf(a, requested);
  if (wanted != (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK) && (effect & wanted))
    return requested;
  if (effect & DROPEFFECT_COPY) return a.actionCopy;
  if (effect & DROPEFFECT_MOVE) return a.actionMove;
  if (effect & DROPEFFECT_LINK) return a.actionLink;
  return None;
}

DWORD keysNow(XDisplay* x) {
  ::Window root = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned int mask = 0;
  XQueryPointer(x->dpy, x->root, &root, &child, &rootX, &rootY, &winX, &winY, &mask);
  return static_cast<DWORD>(mouseKeyState(mask));
}

void sendToSource(XDisplay* x, ::Window source, Atom type, long l1, long l2, long l3, long l4,
                  ::Window self) {
  XEvent event{};
  XClientMessageEvent& m = event.xclient;
  m.type = ClientMessage;
  m.display = x->dpy;
  m.window = source;
  m.message_type = type;
  m.format = 32;
  m.data.l[0] = static_cast<long>(self);
  m.data.l[1] = l1;
  m.data.l[2] = l2;
  m.data.l[3] = l3;
  m.data.l[4] = l4;
  withErrorTrap(x, [&] {  // the source may be gone
    XSendEvent(x->dpy, source, False, NoEventMask, &event);
    XFlush(x->dpy);
  });
}

void leaveCurrent(Session& s) {
  if (!s.target) return;
  IDropTarget* target = s.target;
  s.target = nullptr;
  s.current = nullptr;
  s.effect = DROPEFFECT_NONE;
  target->DragLeave();
  target->Release();
}

void endSession(HWND top, Session& s) {
  if (s.data) s.data->Release();
  s.data = nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  sessions().erase(top);
}

std::vector<Atom> offeredTypes(XDisplay* x, const XClientMessageEvent& e) {
  std::vector<Atom> types;
  if (e.data.l[1] & 1) {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int error = withErrorTrap(x, [&] {
      XGetWindowProperty(x->dpy, static_cast<::Window>(e.data.l[0]), xdndAtoms(x).typeList, 0,
                         0x10000, False, XA_ATOM, &actual, &format, &count, &after, &data);
    });
    if (!error && data && format == 32) {
      const auto* atoms = reinterpret_cast<const unsigned long*>(data);
      types.assign(atoms, atoms + count);
    }
    if (data) XFree(data);
  }
  for (int i = 2; i <= 4; ++i) {
    if (e.data.l[i]) types.push_back(static_cast<Atom>(e.data.l[i]));
  }
  return types;
}

void onEnter(XDisplay* x, HWND top, ::Window self, const XClientMessageEvent& e) {
  const long version = (e.data.l[1] >> 24) & 0xFF;
  Session& s = sessionOf(top);
  leaveCurrent(s);  // a new drag without the old one's Leave
  endSession(top, s);
  if (version < kOldestVersion) return;
  Session& fresh = sessionOf(top);
  fresh.source = static_cast<::Window>(e.data.l[0]);
  fresh.data = createXdndData(x, self, offeredTypes(x, e));
}

void onPosition(XDisplay* x, HWND top, ::Window self, const XClientMessageEvent& e) {
  const XdndAtoms& a = xdndAtoms(x);
  Session& s = sessionOf(top);
  const auto source = static_cast<::Window>(e.data.l[0]);
  if (!s.data || s.source != source) return;
  // Root coordinates, each a signed 16-bit value.
  s.point = POINTL{static_cast<SHORT>((e.data.l[2] >> 16) & 0xFFFF),
                   static_cast<SHORT>(e.data.l[2] & 0xFFFF)};
  s.requested = static_cast<Atom>(e.data.l[4]);
  setXdndDataTime(s.data, static_cast<Time>(e.data.l[3]));
  const DWORD keys = keysNow(x);
  IDropTarget* target = nullptr;
  HWND under = detail::childAt(top, POINT{s.point.x, s.point.y});
  HWND registered = under ? registeredAt(under, &target) : nullptr;
  if (registered != s.current || !IsWindow(s.current)) {
    leaveCurrent(s);
    if (target) {
      DWORD effect = effectOf(a, s.requested);
      if (FAILED(target->DragEnter(s.data, keys, s.point, &effect))) effect = DROPEFFECT_NONE;
      s.current = registered;
      s.target = target;
      s.effect = effect;
      target = nullptr;
    }
  } else if (s.target) {
    DWORD effect = effectOf(a, s.requested);
    if (FAILED(s.target->DragOver(keys, s.point, &effect))) effect = DROPEFFECT_NONE;
    s.effect = effect;
  }
  if (target) target->Release();  // the current one, already held
  const Atom action = s.target ? actionOf(a, s.effect, s.requested) : None;
  // Bit 1: keep sending positions, since windows inside differ.
  sendToSource(x, source, a.status, (action != None ? 1 : 0) | 2, 0, 0, static_cast<long>(action),
               self);
}

void onLeave(HWND top, const XClientMessageEvent& e) {
  Session& s = sessionOf(top);
  if (s.source != static_cast<::Window>(e.data.l[0])) return;
  leaveCurrent(s);
  endSession(top, s);
}

void onDrop(XDisplay* x, HWND top, ::Window self, const XClientMessageEvent& e) {
  const XdndAtoms& a = xdndAtoms(x);
  Session& s = sessionOf(top);
  const auto source = static_cast<::Window>(e.data.l[0]);
  if (!s.data || s.source != source) {
    endSession(top, s);
    sendToSource(x, source, a.finished, 0, None, 0, 0, self);
    return;
  }
  setXdndDataTime(s.data, static_cast<Time>(e.data.l[2]));
  Atom done = None;
  if (s.target && s.effect != DROPEFFECT_NONE) {
    IDropTarget* target = s.target;
    s.target = nullptr;
    s.current = nullptr;
    DWORD effect = effectOf(a, s.requested);
    if (FAILED(target->Drop(s.data, keysNow(x), s.point, &effect))) effect = DROPEFFECT_NONE;
    target->Release();
    done = actionOf(a, effect, s.requested);
  } else {
    leaveCurrent(s);  // refused: the target hears that the drag left
  }
  endSession(top, s);
  sendToSource(x, source, a.finished, done != None ? 1 : 0, static_cast<long>(done), 0, 0, self);
}

void setAware(HWND top, bool aware) {
  XDisplay* x = activeDisplay();
  const ::Window xid = x ? xidOf(top) : 0;
  if (!xid) return;
  const XdndAtoms& a = xdndAtoms(x);
  if (aware) {
    const long version = kVersion;
    XChangeProperty(x->dpy, xid, a.aware, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
  } else {
    XDeleteProperty(x->dpy, xid, a.aware);
  }
  // Done on the server when the call returns, for sources that look next.
  XSync(x->dpy, False);
  // The round trip may have queued events that a waiting thread must read.
  if (XEventsQueued(x->dpy, QueuedAlready) > 0) wakeEventReaders();
}

}  // namespace

bool handleXdndMessage(XDisplay* x, HWND top, const XClientMessageEvent& e) {
  const XdndAtoms& a = xdndAtoms(x);
  const ::Window self = e.window;
  if (e.message_type == a.enter) onEnter(x, top, self, e);
  else if (e.message_type == a.position) onPosition(x, top, self, e);
  else if (e.message_type == a.leave) onLeave(top, e);
  else if (e.message_type == a.drop) onDrop(x, top, self, e);
  else return false;
  return true;
}

}  // namespace win32::display

using namespace win32::display;

HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* pDropTarget) {
  if (!IsWindow(hwnd)) return DRAGDROP_E_INVALIDHWND;
  if (!pDropTarget) return E_INVALIDARG;
  std::vector<IDropTarget*> dead;
  bool taken = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    // Windows destroyed without revoking: their targets are let go here.
    for (auto it = targets().begin(); it != targets().end();) {
      if (IsWindow(it->first)) {
        ++it;
      } else {
        dead.push_back(it->second);
        it = targets().erase(it);
      }
    }
    taken = targets().count(hwnd) != 0;
    if (!taken) {
      pDropTarget->AddRef();
      targets()[hwnd] = pDropTarget;
    }
  }
  for (IDropTarget* target : dead) target->Release();
  if (taken) return DRAGDROP_E_ALREADYREGISTERED;
  setAware(win32::detail::rootOf(hwnd), true);
  return S_OK;
}

HRESULT RevokeDragDrop(HWND hwnd) {
  IDropTarget* target = nullptr;
  bool othersInTop = false;
  const HWND top = win32::detail::rootOf(hwnd);
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = targets().find(hwnd);
    if (it == targets().end()) return DRAGDROP_E_NOTREGISTERED;
    target = it->second;
    targets().erase(it);
    for (const auto& [other, ignored] : targets()) {
      if (top && win32::detail::rootOf(other) == top) othersInTop = true;
    }
  }
  target->Release();
  if (top && !othersInTop) setAware(top, false);
  return S_OK;
}
