// Another program dragging onto our windows: a second X connection that
// owns XdndSelection, sends the X drag-and-drop messages, answers the
// conversion of what it offers and records the replies it gets.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "win32/windows.h"

class XdndTestSource {
 public:
  using Offers = std::vector<std::pair<std::string, std::string>>;  // type, bytes

  explicit XdndTestSource(Offers offers) : offers_(std::move(offers)) {
    XInitThreads();
    dpy_ = XOpenDisplay(nullptr);
    window_ = XCreateWindow(dpy_, DefaultRootWindow(dpy_), -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent, 0,
                            nullptr);
    for (const auto& offer : offers_) types_.push_back(Intern(offer.first.c_str()));
    XSetSelectionOwner(dpy_, Intern("XdndSelection"), window_, CurrentTime);
    XSync(dpy_, False);
    thread_ = std::thread([this] { Serve(); });
  }
  XdndTestSource(const XdndTestSource&) = delete;
  ~XdndTestSource() {
    stop_ = true;
    thread_.join();
    XDestroyWindow(dpy_, window_);
    XCloseDisplay(dpy_);
  }

  // Up to three offered types travel in the enter message itself.
  void Enter(Window target) {
    Send(target, "XdndEnter", 5L << 24, At(0), At(1), At(2));
  }
  void Position(Window target, POINT screen) {
    Send(target, "XdndPosition", 0, (screen.x << 16) | (screen.y & 0xFFFF), CurrentTime,
         static_cast<long>(Intern("XdndActionCopy")));
  }
  void Leave(Window target) { Send(target, "XdndLeave", 0, 0, 0, 0); }
  void Drop(Window target) { Send(target, "XdndDrop", 0, CurrentTime, 0, 0); }

  // The names of the replies so far ("XdndStatus", "XdndFinished") and
  // their accept flags.
  std::vector<std::pair<std::string, bool>> Replies() {
    std::lock_guard<std::mutex> lock(mutex_);
    return replies_;
  }
  size_t ReplyCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return replies_.size();
  }

 private:
  long At(size_t i) const { return i < types_.size() ? static_cast<long>(types_[i]) : 0; }
  Atom Intern(const char* name) { return XInternAtom(dpy_, name, False); }

  void Send(Window target, const char* type, long l1, long l2, long l3, long l4) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = Intern(type);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(window_);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(dpy_, target, False, NoEventMask, &event);
    XFlush(dpy_);
  }

  void Serve() {
    while (!stop_) {
      pollfd fd{ConnectionNumber(dpy_), POLLIN, 0};
      poll(&fd, 1, 20);
      while (XPending(dpy_) > 0) {
        XEvent event;
        XNextEvent(dpy_, &event);
        if (event.type == SelectionRequest) Answer(event.xselectionrequest);
        if (event.type != ClientMessage) continue;
        char* name = XGetAtomName(dpy_, event.xclient.message_type);
        std::lock_guard<std::mutex> lock(mutex_);
        replies_.emplace_back(name, (event.xclient.data.l[1] & 1) != 0);
        XFree(name);
      }
    }
  }

  void Answer(const XSelectionRequestEvent& request) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = 0;
    for (const auto& [type, bytes] : offers_) {
      if (Intern(type.c_str()) != request.target) continue;
      XChangeProperty(dpy_, request.requestor, request.property, request.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
      reply.xselection.property = request.property;
    }
    XSendEvent(dpy_, request.requestor, False, NoEventMask, &reply);
    XFlush(dpy_);
  }

  Offers offers_;
  std::vector<Atom> types_;
  Display* dpy_ = nullptr;
  Window window_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::pair<std::string, bool>> replies_;
};
