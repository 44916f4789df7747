// Clipboard texts larger than one property write travel by the INCR
// protocol both ways. The other client here is plain Xlib on a connection
// and thread of its own, following the selection conventions step by step,
// so our side is checked against the protocol rather than against itself.
// The bell: MessageBeep rings the X bell, which XKB reports to clients.
#include "display_helper.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace {

std::wstring wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

// About 300 KB of UTF-8 with Chinese, Latin and line breaks, and a
// position mark every line so that a lost or doubled chunk shows.
std::string bigText() {
  std::string text;
  for (int i = 0; text.size() < 300 * 1024; ++i)
    text += "第" + std::to_string(i) + "行 录音 recording line with some text\n";
  return text;
}

bool setClipboardText(const std::wstring& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  return ok;
}

// Waits on `d` for an event matching `pred`, up to `ms`.
template <class Pred>
bool nextEvent(Display* d, XEvent* event, int ms, Pred pred) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < deadline) {
    while (XPending(d) > 0) {
      XNextEvent(d, event);
      if (pred(*event)) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

class ClipboardIncr : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display"; }
};

// Another client owns the selection and answers with INCR, in chunks of
// 20000 bytes; we read the whole text.
TEST_F(ClipboardIncr, LargeTextFromAnotherClientArrivesWhole) {
  const std::string text = bigText();
  std::atomic<bool> owning{false}, done{false};
  std::atomic<int> chunksSent{0};
  std::thread owner([&] {
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    const Atom targets = XInternAtom(d, "TARGETS", False);
    const Atom incr = XInternAtom(d, "INCR", False);
    const ::Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, clipboard, w, CurrentTime);
    XSync(d, False);
    owning = XGetSelectionOwner(d, clipboard) == w;
    XEvent event;
    while (!done) {
      if (!nextEvent(d, &event, 200, [](const XEvent& e) { return e.type == SelectionRequest; })) continue;
      const XSelectionRequestEvent req = event.xselectionrequest;
      XSelectionEvent reply{};
      reply.type = SelectionNotify;
      reply.requestor = req.requestor;
      reply.selection = req.selection;
      reply.target = req.target;
      reply.time = req.time;
      reply.property = req.property;
      if (req.target == targets) {
        Atom offered[] = {targets, utf8};
        XChangeProperty(d, req.requestor, req.property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(offered), 2);
        XSendEvent(d, req.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(d);
        continue;
      }
      if (req.target != utf8) {
        reply.property = 0;
        XSendEvent(d, req.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(d);
        continue;
      }
      XSelectInput(d, req.requestor, PropertyChangeMask);
      const long size = static_cast<long>(text.size());
      XChangeProperty(d, req.requestor, req.property, incr, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&size), 1);
      XSendEvent(d, req.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
      XFlush(d);
      size_t sent = 0;
      for (;;) {
        const bool deleted = nextEvent(d, &event, 5000, [&](const XEvent& e) {
          return e.type == PropertyNotify && e.xproperty.window == req.requestor &&
                 e.xproperty.atom == req.property && e.xproperty.state == PropertyDelete;
        });
        if (!deleted) break;
        const size_t n = std::min<size_t>(20000, text.size() - sent);
        XChangeProperty(d, req.requestor, req.property, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data() + sent), static_cast<int>(n));
        XFlush(d);
        sent += n;
        ++chunksSent;
        if (n == 0) break;
      }
    }
    XDestroyWindow(d, w);
    XCloseDisplay(d);
  });
  ASSERT_TRUE(pumpUntil([&] { return owning.load(); }));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::wstring got = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
  CloseClipboard();
  done = true;
  owner.join();
  EXPECT_GT(chunksSent.load(), 10) << "the text came in chunks";
  EXPECT_EQ(got.size(), wide(text).size());
  EXPECT_TRUE(got == wide(text));
}

// We own a large text; another client asks for it and follows INCR,
// deleting each chunk to ask for the next, until the empty one.
TEST_F(ClipboardIncr, LargeTextWeOwnReachesAnotherClientWhole) {
  const std::string text = bigText();
  ASSERT_TRUE(setClipboardText(wide(text)));
  std::atomic<bool> finished{false};
  std::string received;
  bool announcedIncr = false;
  int chunks = 0;
  std::thread requestor([&] {
    Display* d = XOpenDisplay(nullptr);
    const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    const Atom incr = XInternAtom(d, "INCR", False);
    const Atom property = XInternAtom(d, "QV_TEST_INCR", False);
    const ::Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, w, PropertyChangeMask);
    XConvertSelection(d, clipboard, utf8, property, w, CurrentTime);
    XFlush(d);
    XEvent event;
    auto take = [&](Atom* type) {
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      std::string bytes;
      if (XGetWindowProperty(d, w, property, 0, 0x7FFFFFF, True, AnyPropertyType, type, &format, &count, &after,
                             &data) == Success && data)
        bytes.assign(reinterpret_cast<char*>(data), count * (format == 32 ? sizeof(long) : 1));
      if (data) XFree(data);
      XFlush(d);
      return bytes;
    };
    if (nextEvent(d, &event, 5000, [](const XEvent& e) { return e.type == SelectionNotify; }) &&
        event.xselection.property == property) {
      Atom type = 0;
      take(&type);  // the size announcement; deleting it asks for the first chunk
      announcedIncr = type == incr;
      while (announcedIncr) {
        if (!nextEvent(d, &event, 5000, [&](const XEvent& e) {
              return e.type == PropertyNotify && e.xproperty.atom == property &&
                     e.xproperty.state == PropertyNewValue;
            }))
          break;
        const std::string chunk = take(&type);
        if (chunk.empty()) break;
        received += chunk;
        ++chunks;
      }
    }
    XDestroyWindow(d, w);
    XCloseDisplay(d);
    finished = true;
  });
  EXPECT_TRUE(pumpUntil([&] { return finished.load(); }, 20000));
  requestor.join();
  EXPECT_TRUE(announcedIncr);
  EXPECT_GT(chunks, 1);
  EXPECT_EQ(received.size(), text.size());
  EXPECT_TRUE(received == text);
}

// A small text still goes in one property, as before.
TEST_F(ClipboardIncr, SmallTextStaysOneWrite) {
  ASSERT_TRUE(setClipboardText(L"短 text"));
  std::atomic<bool> finished{false};
  Atom type = 0;
  std::string bytes;
  std::thread requestor([&] {
    Display* d = XOpenDisplay(nullptr);
    const Atom property = XInternAtom(d, "QV_TEST_SMALL", False);
    const ::Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XConvertSelection(d, XInternAtom(d, "CLIPBOARD", False), XInternAtom(d, "UTF8_STRING", False), property, w,
                      CurrentTime);
    XFlush(d);
    XEvent event;
    if (nextEvent(d, &event, 5000, [](const XEvent& e) { return e.type == SelectionNotify; })) {
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      XGetWindowProperty(d, w, property, 0, 1 << 20, True, AnyPropertyType, &type, &format, &count, &after, &data);
      if (data) {
        bytes.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
      }
    }
    XDestroyWindow(d, w);
    XCloseDisplay(d);
    finished = true;
  });
  EXPECT_TRUE(pumpUntil([&] { return finished.load(); }, 10000));
  requestor.join();
  EXPECT_EQ(type, XInternAtom(userDisplay(), "UTF8_STRING", False));
  EXPECT_EQ(bytes, "短 text");
}

TEST(Bell, MessageBeepRingsTheXBell) {
  ASSERT_TRUE(Win32HasDisplay());
  Display* d = userDisplay();
  int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
  ASSERT_TRUE(XkbQueryExtension(d, &opcode, &event, &error, &major, &minor)) << "the server has no XKB";
  XkbSelectEvents(d, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
  XSync(d, False);
  EXPECT_TRUE(MessageBeep(MB_OK));
  XEvent e;
  const bool rang = nextEvent(d, &e, 5000, [&](const XEvent& x) {
    return x.type == event && reinterpret_cast<const XkbAnyEvent&>(x).xkb_type == XkbBellNotify;
  });
  EXPECT_TRUE(rang);
  XkbSelectEvents(d, XkbUseCoreKbd, XkbBellNotifyMask, 0);
}

}  // namespace
