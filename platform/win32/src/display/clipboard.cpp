// The clipboard: CF_UNICODETEXT over the X CLIPBOARD selection. Text set
// here is offered as UTF8_STRING by the process's hidden helper window;
// text of another owner is asked for with XConvertSelection and read back
// from the helper's property. Texts larger than one chunk travel by the
// INCR protocol both ways: the owner writes chunk after chunk as the
// requestor deletes each one. Without a display the text stays in memory.
#include <X11/Xatom.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>
#include <vector>

#include "event_routing.h"
#include "hooks.h"
#include "win32/errors.h"
#include "win32/kernel32.h"
#include "win32/user32.h"
#include "x_display.h"

namespace win32::display {
namespace {

struct Clipboard {
  DWORD openThread = 0;
  bool hasOwnText = false;
  std::wstring ownText;
  HGLOBAL ownHandle = nullptr;   // the handle given to SetClipboardData
  HGLOBAL readHandle = nullptr;  // the copy GetClipboardData handed out
  // The answer to our last XConvertSelection.
  bool replyArrived = false;
  Atom replyProperty = 0;
  // New values written to the helper's reply property (INCR chunks).
  unsigned long replyWrites = 0;
};

// A text we are handing to another client chunk by chunk: the next chunk
// goes when the requestor deletes the property holding the last one; an
// empty chunk ends the transfer.
struct OutgoingTransfer {
  ::Window requestor = 0;
  Atom property = 0;
  Atom type = 0;
  std::string bytes;
  size_t sent = 0;
  bool ended = false;
  std::chrono::steady_clock::time_point lastActivity;
};
std::vector<OutgoingTransfer> g_outgoing;

std::mutex g_mutex;
Clipboard g_clipboard;

constexpr auto kReplyWait = std::chrono::seconds(2);
// Texts above one chunk go by INCR; each property write carries one chunk.
constexpr size_t kChunkBytes = 64 * 1024;
// A requestor that stops taking chunks is given up after this long.
constexpr auto kTransferIdle = std::chrono::seconds(10);

HGLOBAL textHandle(const std::wstring& text) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!handle) return nullptr;
  std::memcpy(GlobalLock(handle), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(handle);
  return handle;
}

void replaceReadHandle(HGLOBAL handle) {
  if (g_clipboard.readHandle) GlobalFree(g_clipboard.readHandle);
  g_clipboard.readHandle = handle;
}

bool weOwnSelection(XDisplay* x) {
  return XGetSelectionOwner(x->dpy, x->atoms.clipboard) == x->helper;
}

// STRING is Latin-1 by the selection conventions: the text in it, or
// nothing when it has characters Latin-1 cannot hold.
bool toLatin1(const std::wstring& text, std::string* out) {
  out->clear();
  out->reserve(text.size());
  for (wchar_t ch : text) {
    if (static_cast<unsigned long>(ch) > 0xFF) return false;
    out->push_back(static_cast<char>(static_cast<unsigned char>(ch)));
  }
  return true;
}

// Announces the size with an INCR property and waits for the requestor to
// delete it; the chunks follow from handleClipboardEvent.
void startIncr(XDisplay* x, ::Window requestor, Atom property, Atom type, std::string bytes) {
  const auto now = std::chrono::steady_clock::now();
  const long size = static_cast<long>(bytes.size());
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    // Transfers whose requestor went quiet (or away) are dropped.
    g_outgoing.erase(std::remove_if(g_outgoing.begin(), g_outgoing.end(),
                                    [&](const OutgoingTransfer& t) {
                                      return now - t.lastActivity > kTransferIdle ||
                                             (t.requestor == requestor && t.property == property);
                                    }),
                     g_outgoing.end());
    OutgoingTransfer transfer;
    transfer.requestor = requestor;
    transfer.property = property;
    transfer.type = type;
    transfer.bytes = std::move(bytes);
    transfer.lastActivity = now;
    g_outgoing.push_back(std::move(transfer));
  }
  withErrorTrap(x, [&] { XSelectInput(x->dpy, requestor, PropertyChangeMask); });
  XChangeProperty(x->dpy, requestor, property, x->atoms.incr, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&size), 1);
}

// The requestor deleted the property: the next chunk, or the empty one that
// ends the transfer. Answers whether the event belonged to a transfer.
bool continueIncr(XDisplay* x, const XPropertyEvent& event) {
  if (event.state != PropertyDelete) return false;
  std::string chunk;
  Atom type = 0;
  bool finished = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = std::find_if(g_outgoing.begin(), g_outgoing.end(), [&](const OutgoingTransfer& t) {
      return t.requestor == event.window && t.property == event.atom;
    });
    if (it == g_outgoing.end()) return false;
    if (it->ended) {
      g_outgoing.erase(it);
      finished = true;
    } else {
      const size_t n = std::min(kChunkBytes, it->bytes.size() - it->sent);
      chunk = it->bytes.substr(it->sent, n);
      it->sent += n;
      it->ended = n == 0;
      it->lastActivity = std::chrono::steady_clock::now();
      type = it->type;
    }
  }
  if (finished) {
    withErrorTrap(x, [&] { XSelectInput(x->dpy, event.window, NoEventMask); });
    return true;
  }
  withErrorTrap(x, [&] {
    XChangeProperty(x->dpy, event.window, event.atom, type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(chunk.data()), static_cast<int>(chunk.size()));
  });
  XFlush(x->dpy);
  return true;
}

void answerRequest(XDisplay* x, const XSelectionRequestEvent& request) {
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.display = request.display;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  reply.property = None;
  const Atom property = request.property != None ? request.property : request.target;
  std::wstring text;
  bool have = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    have = g_clipboard.hasOwnText;
    if (have) text = g_clipboard.ownText;
  }
  const Atom& a = x->atoms.targets;
  if (have && request.selection == x->atoms.clipboard) {
    if (request.target == a) {
      Atom offered[] = {x->atoms.targets, x->atoms.utf8String, x->atoms.text, XA_STRING};
      XChangeProperty(x->dpy, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(offered), 4);
      reply.property = property;
    } else if (request.target == x->atoms.utf8String || request.target == x->atoms.text ||
               request.target == XA_STRING) {
      // TEXT lets the owner choose: UTF-8, which holds every character.
      std::string bytes;
      Atom type = x->atoms.utf8String;
      bool encoded = true;
      if (request.target == XA_STRING) {
        type = XA_STRING;
        encoded = toLatin1(text, &bytes);
      } else {
        bytes = toUtf8(text);
      }
      if (encoded && bytes.size() <= kChunkBytes) {
        XChangeProperty(x->dpy, request.requestor, property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<int>(bytes.size()));
        reply.property = property;
      } else if (encoded) {
        startIncr(x, request.requestor, property, type, std::move(bytes));
        reply.property = property;
      }
    }
  }
  XSendEvent(x->dpy, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
  XFlush(x->dpy);
}

// Reads and deletes the helper's property: its type and bytes; false when
// it cannot be read.
bool takeProperty(XDisplay* x, Atom property, Atom* type, int* format, std::string* bytes) {
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool ok = XGetWindowProperty(x->dpy, x->helper, property, 0, 0x7FFFFFF, True, AnyPropertyType, type,
                                     format, &count, &after, &data) == Success;
  if (ok && data) {
    const size_t unit = *format == 32 ? sizeof(long) : *format == 16 ? 2 : 1;
    bytes->assign(reinterpret_cast<char*>(data), count * unit);
  } else {
    bytes->clear();
  }
  if (data) XFree(data);
  XFlush(x->dpy);
  return ok;
}

// Waits until the owner writes the property again; false after the wait.
bool waitForWrite(XDisplay* x, unsigned long seen) {
  const auto deadline = std::chrono::steady_clock::now() + kReplyWait;
  for (;;) {
    pumpEvents(x);
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      if (g_clipboard.replyWrites != seen) return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd fd{x->fd, POLLIN, 0};
    poll(&fd, 1, static_cast<int>(std::min<long>(left.count(), 50)));
  }
}

// The INCR answer: deleting the announcement asks for the first chunk,
// deleting each chunk for the next, until an empty one.
// `seen` is the count of writes from before the announcement was deleted:
// another thread may read the connection and count the first chunk's write
// before this one looks.
bool readIncr(XDisplay* x, Atom property, std::string* text, unsigned long seen) {
  text->clear();
  for (;;) {
    if (!waitForWrite(x, seen)) {
      std::fprintf(stderr, "display: the clipboard owner stopped sending its text (INCR)\n");
      return false;
    }
    {
      // Counted before this take deletes the chunk and so asks for the next.
      std::lock_guard<std::mutex> lock(g_mutex);
      seen = g_clipboard.replyWrites;
    }
    Atom type = 0;
    int format = 0;
    std::string chunk;
    if (!takeProperty(x, property, &type, &format, &chunk)) return false;
    if (type == None) continue;  // a write we already took with the last chunk
    if (chunk.empty()) return true;
    text->append(chunk);
  }
}

// Reads the reply property; null when there is no text.
HGLOBAL readReply(XDisplay* x, Atom property) {
  Atom type = 0;
  int format = 0;
  std::string bytes;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_clipboard.replyWrites = 0;
  }
  if (!takeProperty(x, property, &type, &format, &bytes)) return nullptr;
  if (type == x->atoms.incr) {
    if (!readIncr(x, property, &bytes, 0)) return nullptr;
    return textHandle(fromUtf8(bytes));
  }
  if (format != 8 || type == None) return nullptr;
  return textHandle(fromUtf8(bytes));
}

HGLOBAL requestForeignText(XDisplay* x) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_clipboard.replyArrived = false;
  }
  XConvertSelection(x->dpy, x->atoms.clipboard, x->atoms.utf8String, x->atoms.clipboardProperty,
                    x->helper, CurrentTime);
  XFlush(x->dpy);
  const auto deadline = std::chrono::steady_clock::now() + kReplyWait;
  for (;;) {
    pumpEvents(x);
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      if (g_clipboard.replyArrived) {
        const Atom property = g_clipboard.replyProperty;
        if (property == None) return nullptr;
        break;
      }
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      std::fprintf(stderr, "display: the clipboard owner did not answer\n");
      return nullptr;
    }
    pollfd fd{x->fd, POLLIN, 0};
    poll(&fd, 1, static_cast<int>(std::min<long>(left.count(), 50)));
  }
  return readReply(x, x->atoms.clipboardProperty);
}

bool openedHere() {
  return g_clipboard.openThread == GetCurrentThreadId();
}

}  // namespace

bool handleClipboardEvent(XDisplay* x, const XEvent& event) {
  switch (event.type) {
    case SelectionRequest:
      if (event.xselectionrequest.owner != x->helper) return false;
      answerRequest(x, event.xselectionrequest);
      return true;
    case SelectionClear:
      if (event.xselectionclear.window != x->helper) return false;
      {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_clipboard.hasOwnText = false;
        g_clipboard.ownText.clear();
      }
      return true;
    case SelectionNotify:
      if (event.xselection.requestor != x->helper) return false;
      {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_clipboard.replyArrived = true;
        g_clipboard.replyProperty = event.xselection.property;
      }
      return true;
    case PropertyNotify:
      if (event.xproperty.window == x->helper) {
        if (event.xproperty.atom == x->atoms.clipboardProperty && event.xproperty.state == PropertyNewValue) {
          std::lock_guard<std::mutex> lock(g_mutex);
          ++g_clipboard.replyWrites;
        }
        return true;
      }
      return continueIncr(x, event.xproperty);
    default:
      return false;
  }
}

}  // namespace win32::display

using namespace win32::display;

BOOL OpenClipboard(HWND) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_clipboard.openThread && !openedHere()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  g_clipboard.openThread = GetCurrentThreadId();
  return TRUE;
}

BOOL CloseClipboard() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!openedHere()) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  g_clipboard.openThread = 0;
  return TRUE;
}

BOOL EmptyClipboard() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!openedHere()) {
      SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
      return FALSE;
    }
    g_clipboard.hasOwnText = false;
    g_clipboard.ownText.clear();
    if (g_clipboard.ownHandle) GlobalFree(g_clipboard.ownHandle);
    g_clipboard.ownHandle = nullptr;
  }
  if (XDisplay* x = xdisplay()) {
    XSetSelectionOwner(x->dpy, x->atoms.clipboard, x->helper, CurrentTime);
    XFlush(x->dpy);
  }
  return TRUE;
}

HANDLE SetClipboardData(UINT uFormat, HANDLE hMem) {
  if (uFormat != CF_UNICODETEXT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const auto* text = static_cast<const wchar_t*>(GlobalLock(hMem));
  if (!text) return nullptr;
  const size_t capacity = GlobalSize(hMem) / sizeof(wchar_t);
  const std::wstring copy(text, wcsnlen(text, capacity));  // never past the block
  GlobalUnlock(hMem);
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!openedHere()) {
      SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
      return nullptr;
    }
    if (g_clipboard.ownHandle && g_clipboard.ownHandle != hMem) GlobalFree(g_clipboard.ownHandle);
    g_clipboard.ownHandle = hMem;
    g_clipboard.ownText = copy;
    g_clipboard.hasOwnText = true;
  }
  if (XDisplay* x = xdisplay()) {
    XSetSelectionOwner(x->dpy, x->atoms.clipboard, x->helper, CurrentTime);
    XFlush(x->dpy);
    if (!weOwnSelection(x)) {
      // Reported as failure, the caller keeps the block and frees it: we
      // must not free it again later.
      std::lock_guard<std::mutex> lock(g_mutex);
      g_clipboard.hasOwnText = false;
      if (g_clipboard.ownHandle == hMem) g_clipboard.ownHandle = nullptr;
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
  }
  return hMem;
}

HANDLE GetClipboardData(UINT uFormat) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!openedHere()) {
      SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
      return nullptr;
    }
  }
  if (uFormat != CF_UNICODETEXT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  XDisplay* x = xdisplay();
  if (!x || weOwnSelection(x)) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_clipboard.hasOwnText) return nullptr;
    replaceReadHandle(textHandle(g_clipboard.ownText));
    return g_clipboard.readHandle;
  }
  if (XGetSelectionOwner(x->dpy, x->atoms.clipboard) == None) return nullptr;
  HGLOBAL handle = requestForeignText(x);
  std::lock_guard<std::mutex> lock(g_mutex);
  replaceReadHandle(handle);
  return handle;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (format != CF_UNICODETEXT) return FALSE;
  XDisplay* x = xdisplay();
  if (!x || weOwnSelection(x)) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_clipboard.hasOwnText ? TRUE : FALSE;
  }
  return XGetSelectionOwner(x->dpy, x->atoms.clipboard) != None ? TRUE : FALSE;
}
