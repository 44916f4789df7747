// Files and text dragged in from another program: a drag source of the
// test's own, on a second X connection that owns XdndSelection, speaks the
// X drag-and-drop protocol to our windows, and each registered window's
// IDropTarget hears DragEnter/DragOver/DragLeave/Drop.
#include "display_helper.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <poll.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "win32/ole.h"

namespace {

// The other program: answers conversions of what it offers and records
// what our windows send back.
class DragSource {
 public:
  struct Reply {
    std::string type;  // "XdndStatus" or "XdndFinished"
    long flags;
    Atom action;
  };

  using Offers = std::vector<std::pair<std::string, std::string>>;  // type, bytes

  explicit DragSource(Offers offers) : offers_(std::move(offers)) {
    XInitThreads();
    dpy_ = XOpenDisplay(nullptr);
    window_ = XCreateWindow(dpy_, DefaultRootWindow(dpy_), -10, -10, 1, 1, 0, 0, InputOnly,
                            CopyFromParent, 0, nullptr);
    for (const auto& [type, bytes] : offers_) types_.push_back(atom(type.c_str()));
    XChangeProperty(dpy_, window_, atom("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(types_.data()), static_cast<int>(types_.size()));
    XSetSelectionOwner(dpy_, atom("XdndSelection"), window_, CurrentTime);
    XSync(dpy_, False);
    service_ = std::thread([this] { serve(); });
  }
  DragSource(const DragSource&) = delete;
  ~DragSource() {
    stop_ = true;
    service_.join();
    XDestroyWindow(dpy_, window_);
    XCloseDisplay(dpy_);
  }

  bool ownsSelection() { return XGetSelectionOwner(dpy_, atom("XdndSelection")) == window_; }

  // The XdndAware version on a window, or 0 when it has none.
  long awareVersion(Window target) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long version = 0;
    XGetWindowProperty(dpy_, target, atom("XdndAware"), 0, 1, False, XA_ATOM, &type, &format,
                       &count, &after, &data);
    if (data && format == 32 && count == 1) version = reinterpret_cast<long*>(data)[0];
    if (data) XFree(data);
    return version;
  }

  void enter(Window target) {
    long flags = 5L << 24;
    if (types_.size() > 3) flags |= 1;
    send(target, "XdndEnter", flags, types_.size() > 0 ? static_cast<long>(types_[0]) : 0,
         types_.size() > 1 ? static_cast<long>(types_[1]) : 0,
         types_.size() > 2 ? static_cast<long>(types_[2]) : 0);
  }
  void position(Window target, POINT screen, const char* action = "XdndActionCopy") {
    send(target, "XdndPosition", 0, (screen.x << 16) | (screen.y & 0xFFFF), CurrentTime,
         static_cast<long>(atom(action)));
  }
  void leave(Window target) { send(target, "XdndLeave", 0, 0, 0, 0); }
  void drop(Window target) { send(target, "XdndDrop", 0, CurrentTime, 0, 0); }

  // Pumps our side until the source has `count` replies.
  bool waitReplies(size_t count) {
    return pumpUntil([&] {
      std::lock_guard<std::mutex> lock(mutex_);
      return replies_.size() >= count;
    });
  }
  std::vector<Reply> replies() {
    std::lock_guard<std::mutex> lock(mutex_);
    return replies_;
  }
  int conversions() const { return conversions_; }
  Atom atom(const char* name) { return XInternAtom(dpy_, name, False); }

 private:
  void send(Window target, const char* type, long l1, long l2, long l3, long l4) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = atom(type);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(window_);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(dpy_, target, False, NoEventMask, &event);
    XFlush(dpy_);
  }

  void serve() {
    while (!stop_) {
      pollfd fd{ConnectionNumber(dpy_), POLLIN, 0};
      poll(&fd, 1, 20);
      while (XPending(dpy_) > 0) {
        XEvent event;
        XNextEvent(dpy_, &event);
        if (event.type == SelectionRequest) answer(event.xselectionrequest);
        if (event.type == ClientMessage) {
          char* name = XGetAtomName(dpy_, event.xclient.message_type);
          std::lock_guard<std::mutex> lock(mutex_);
          replies_.push_back(Reply{name, event.xclient.data.l[1],
                                   static_cast<Atom>(event.xclient.data.l[
                                       std::string(name) == "XdndStatus" ? 4 : 2])});
          XFree(name);
        }
      }
    }
  }

  void answer(const XSelectionRequestEvent& request) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    for (const auto& [type, bytes] : offers_) {
      if (atom(type.c_str()) != request.target) continue;
      XChangeProperty(dpy_, request.requestor, request.property, request.target, 8,
                      PropModeReplace, reinterpret_cast<const unsigned char*>(bytes.data()),
                      static_cast<int>(bytes.size()));
      reply.xselection.property = request.property;
      ++conversions_;
    }
    XSendEvent(dpy_, request.requestor, False, NoEventMask, &reply);
    XFlush(dpy_);
  }

  std::vector<std::pair<std::string, std::string>> offers_;
  std::vector<Atom> types_;
  Display* dpy_ = nullptr;
  Window window_ = 0;
  std::thread service_;
  std::atomic<bool> stop_{false};
  std::atomic<int> conversions_{0};
  std::mutex mutex_;
  std::vector<Reply> replies_;
};

struct Call {
  std::string what;
  DWORD keys = 0;
  POINTL pt{};
  DWORD effectIn = 0;
  DWORD thread = GetCurrentThreadId();
};

// A window's drop target: records each call, answers `answer`, and reads
// what the drag carries where a program would.
class RecordingTarget final : public IDropTarget {
 public:
  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDropTarget) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }  // lives on the test's stack

  HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
    calls.push_back(Call{"DragEnter", keys, pt, *effect});
    FORMATETC files{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC text{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    offersFiles = data->QueryGetData(&files) == S_OK;
    offersText = data->QueryGetData(&text) == S_OK;
    if (offersText) enteredText = readText(data);
    *effect = answer;
    return S_OK;
  }
  HRESULT DragOver(DWORD keys, POINTL pt, DWORD* effect) override {
    calls.push_back(Call{"DragOver", keys, pt, *effect});
    *effect = answer;
    return S_OK;
  }
  HRESULT DragLeave() override {
    calls.push_back(Call{"DragLeave"});
    return S_OK;
  }
  HRESULT Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
    calls.push_back(Call{"Drop", keys, pt, *effect});
    FORMATETC files{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data->GetData(&files, &medium) == S_OK) {
      auto drop = static_cast<HDROP>(medium.hGlobal);
      const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
      for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0), L'\0');
        const UINT copied = DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
        path.resize(copied);
        droppedFiles.push_back(path);
      }
      wchar_t shortBuffer[4] = {L'x', L'x', L'x', L'x'};
      shortCopy = DragQueryFileW(drop, 0, shortBuffer, 4);
      shortText = shortBuffer;
      pastEnd = DragQueryFileW(drop, count, shortBuffer, 4);
      ReleaseStgMedium(&medium);
    }
    *effect = answer;
    return S_OK;
  }

  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& call : calls) out.push_back(call.what);
    return out;
  }

  static std::wstring readText(IDataObject* data) {
    FORMATETC text{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data->GetData(&text, &medium) != S_OK) return L"<none>";
    std::wstring result = static_cast<const wchar_t*>(GlobalLock(medium.hGlobal));
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return result;
  }

  ULONG refs = 0;
  DWORD answer = DROPEFFECT_COPY;
  std::vector<Call> calls;
  bool offersFiles = false, offersText = false;
  std::wstring enteredText;
  std::vector<std::wstring> droppedFiles;
  UINT shortCopy = 0, pastEnd = 99;
  std::wstring shortText;
};

// A link list as file managers write it: CRLF lines, a comment, a link to
// somewhere else, a file of another machine and the localhost form.
const char kUriList[] =
    "# two files\r\n"
    "file:///tmp/qv%20drop/%E5%BD%95%E9%9F%B3%20%E4%B8%80.wav\r\n"
    "http://example.invalid/not-a-file.wav\r\n"
    "file://elsewhere.invalid/tmp/far.wav\r\n"
    "file://localhost/tmp/plain.wav\r\n";
const std::vector<std::wstring> kDroppedPaths = {L"/tmp/qv drop/录音 一.wav", L"/tmp/plain.wav"};

// One top-level window, 400 x 200 at (60, 60): a child with a drop target
// on the left half, a neighbour without one on the right half.
class Xdnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    top = CreateWindowExW(0, windows.name(), L"drop here", WS_POPUP | WS_VISIBLE, 60, 60, 400, 200,
                          nullptr, nullptr, nullptr, nullptr);
    withTarget = CreateWindowExW(0, windows.name(), L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 200, top,
                                 nullptr, nullptr, nullptr);
    neighbour = CreateWindowExW(0, windows.name(), L"", WS_CHILD | WS_VISIBLE, 200, 0, 200, 200,
                                top, nullptr, nullptr, nullptr);
    ASSERT_TRUE(top && withTarget && neighbour);
    ASSERT_TRUE(waitViewable(top));
    ASSERT_EQ(RegisterDragDrop(withTarget, &target), S_OK);
    topX = Win32XWindowOf(top);
    overTarget = screenOf(withTarget, 50, 60);
    overNeighbour = screenOf(neighbour, 50, 60);
  }
  void TearDown() override {
    RevokeDragDrop(withTarget);
    if (top) DestroyWindow(top);
  }

  static POINT screenOf(HWND hwnd, int x, int y) {
    POINT point{x, y};
    ClientToScreen(hwnd, &point);
    return point;
  }

  RecordingClass windows{L"XdndTestWindow"};
  RecordingTarget target;
  HWND top = nullptr, withTarget = nullptr, neighbour = nullptr;
  Window topX = 0;
  POINT overTarget{}, overNeighbour{};
};

TEST_F(Xdnd, TwoFilesDropOnTheTargetAndNowhereElse) {
  DragSource source(DragSource::Offers{{"text/uri-list", kUriList},
                     {"text/plain;charset=utf-8", "two files"},
                     {"x-test/one", "1"},
                     {"x-test/two", "2"}});
  ASSERT_TRUE(source.ownsSelection());
  EXPECT_EQ(source.awareVersion(topX), 5);

  source.enter(topX);
  source.position(topX, overNeighbour);
  ASSERT_TRUE(source.waitReplies(1));
  EXPECT_EQ(source.replies()[0].type, "XdndStatus");
  EXPECT_EQ(source.replies()[0].flags & 1, 0) << "the neighbour has no target";
  EXPECT_TRUE(target.calls.empty());

  pressKey(XK_Shift_L);
  source.position(topX, overTarget);
  ASSERT_TRUE(source.waitReplies(2));
  releaseKey(XK_Shift_L);
  source.position(topX, POINT{overTarget.x + 7, overTarget.y + 3});
  ASSERT_TRUE(source.waitReplies(3));
  source.position(topX, overNeighbour);
  ASSERT_TRUE(source.waitReplies(4));
  source.position(topX, overTarget);
  ASSERT_TRUE(source.waitReplies(5));
  source.drop(topX);
  ASSERT_TRUE(source.waitReplies(6));

  EXPECT_EQ(target.names(),
            (std::vector<std::string>{"DragEnter", "DragOver", "DragLeave", "DragEnter", "Drop"}));
  ASSERT_EQ(target.calls.size(), 5u);
  const Call& enter = target.calls[0];
  EXPECT_EQ(enter.pt.x, overTarget.x);
  EXPECT_EQ(enter.pt.y, overTarget.y);
  EXPECT_TRUE(enter.keys & MK_SHIFT) << "keys held during the drag come as MK_*";
  EXPECT_EQ(enter.effectIn, static_cast<DWORD>(DROPEFFECT_COPY));
  for (const Call& call : target.calls) EXPECT_EQ(call.thread, GetCurrentThreadId()) << call.what;
  EXPECT_EQ(target.calls[1].pt.x, overTarget.x + 7);
  EXPECT_FALSE(target.calls[1].keys & MK_SHIFT);
  EXPECT_TRUE(target.offersFiles);
  EXPECT_TRUE(target.offersText);

  EXPECT_EQ(target.droppedFiles, kDroppedPaths);
  EXPECT_EQ(target.shortCopy, 3u) << "a short buffer gets what fits and a terminator";
  EXPECT_EQ(target.shortText, L"/tm");
  EXPECT_EQ(target.pastEnd, 0u);

  const auto replies = source.replies();
  const Atom copy = source.atom("XdndActionCopy");
  const std::vector<long> accepted = {0, 1, 1, 0, 1};
  for (size_t i = 0; i < accepted.size(); ++i) {
    EXPECT_EQ(replies[i].type, "XdndStatus") << i;
    EXPECT_EQ(replies[i].flags & 1, accepted[i]) << i;
    EXPECT_EQ(replies[i].action, accepted[i] ? copy : None) << i;
  }
  EXPECT_EQ(replies[5].type, "XdndFinished");
  EXPECT_EQ(replies[5].flags & 1, 1);
  EXPECT_EQ(replies[5].action, copy);
}

TEST_F(Xdnd, LeavingGivesDragLeaveAndTextArrivesAsUnicode) {
  DragSource source(DragSource::Offers{{"text/plain;charset=utf-8", "录音 – 拖放 ✓"}});
  source.enter(topX);
  source.position(topX, overTarget);
  ASSERT_TRUE(source.waitReplies(1));
  source.leave(topX);
  ASSERT_TRUE(pumpUntil([&] { return target.calls.size() >= 2; }));
  pumpFor(200);
  EXPECT_EQ(target.names(), (std::vector<std::string>{"DragEnter", "DragLeave"}));
  EXPECT_FALSE(target.offersFiles) << "text is no file list";
  EXPECT_EQ(target.enteredText, L"录音 – 拖放 ✓");
  EXPECT_EQ(source.replies().size(), 1u) << "no XdndFinished without a drop";
}

TEST_F(Xdnd, StatusCarriesTheTargetsEffect) {
  struct Case {
    const char* requested;
    DWORD answer;
    const char* expected;  // nullptr: refused
  };
  const Case cases[] = {
      {"XdndActionCopy", DROPEFFECT_COPY, "XdndActionCopy"},
      {"XdndActionMove", DROPEFFECT_COPY | DROPEFFECT_MOVE, "XdndActionMove"},
      {"XdndActionMove", DROPEFFECT_COPY, "XdndActionCopy"},
      {"XdndActionCopy", DROPEFFECT_NONE, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.requested) + " answered " + std::to_string(c.answer));
    target.calls.clear();
    target.answer = c.answer;
    DragSource source(DragSource::Offers{{"text/uri-list", kUriList}});
    source.enter(topX);
    source.position(topX, overTarget, c.requested);
    ASSERT_TRUE(source.waitReplies(1));
    source.drop(topX);
    ASSERT_TRUE(source.waitReplies(2));
    const auto replies = source.replies();
    const Atom expected = c.expected ? source.atom(c.expected) : None;
    EXPECT_EQ(replies[0].flags & 1, c.expected ? 1 : 0);
    EXPECT_EQ(replies[0].action, expected);
    EXPECT_EQ(replies[1].type, "XdndFinished");
    EXPECT_EQ(replies[1].flags & 1, c.expected ? 1 : 0);
    EXPECT_EQ(replies[1].action, expected);
    EXPECT_EQ(target.names(), (std::vector<std::string>{
                                  "DragEnter", c.expected ? "Drop" : "DragLeave"}));
    EXPECT_EQ(source.conversions(), c.expected ? 1 : 0) << "data is fetched only when asked for";
  }
}

TEST_F(Xdnd, RegistrationRulesAndTheAwareMark) {
  RecordingTarget other;
  EXPECT_EQ(RegisterDragDrop(withTarget, &other), DRAGDROP_E_ALREADYREGISTERED);
  EXPECT_EQ(RegisterDragDrop(neighbour, nullptr), E_INVALIDARG);
  EXPECT_EQ(RegisterDragDrop(reinterpret_cast<HWND>(0x7FFF0001), &other), DRAGDROP_E_INVALIDHWND);
  EXPECT_EQ(RevokeDragDrop(neighbour), DRAGDROP_E_NOTREGISTERED);
  EXPECT_EQ(other.refs, 0u);
  EXPECT_EQ(target.refs, 1u) << "a registered target is held";

  HWND plain = CreateWindowExW(0, windows.name(), L"no targets", WS_POPUP | WS_VISIBLE, 500, 60,
                               100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(waitViewable(plain));
  DragSource source(DragSource::Offers{{"text/uri-list", kUriList}});
  EXPECT_EQ(source.awareVersion(Win32XWindowOf(plain)), 0);
  // A source that ignores the mark still gets a refusal.
  source.enter(Win32XWindowOf(plain));
  source.position(Win32XWindowOf(plain), screenOf(plain, 10, 10));
  ASSERT_TRUE(source.waitReplies(1));
  EXPECT_EQ(source.replies()[0].flags & 1, 0);
  DestroyWindow(plain);

  // The mark stays while any window of the top-level one has a target.
  ASSERT_EQ(RegisterDragDrop(neighbour, &other), S_OK);
  EXPECT_EQ(RevokeDragDrop(withTarget), S_OK);
  EXPECT_EQ(target.refs, 0u);
  EXPECT_EQ(source.awareVersion(topX), 5);
  EXPECT_EQ(RevokeDragDrop(neighbour), S_OK);
  EXPECT_EQ(source.awareVersion(topX), 0);
}

TEST_F(Xdnd, AWindowDestroyedMidDragLetsItsTargetGo) {
  HWND other = CreateWindowExW(0, windows.name(), L"closes mid-drag", WS_POPUP | WS_VISIBLE, 500,
                               60, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(waitViewable(other));
  RecordingTarget otherTarget;
  ASSERT_EQ(RegisterDragDrop(other, &otherTarget), S_OK);
  {
    DragSource source(DragSource::Offers{{"text/uri-list", kUriList}});
    source.enter(Win32XWindowOf(other));
    source.position(Win32XWindowOf(other), screenOf(other, 10, 10));
    ASSERT_TRUE(source.waitReplies(1));
  }
  EXPECT_EQ(otherTarget.names(), (std::vector<std::string>{"DragEnter"}));
  EXPECT_EQ(RevokeDragDrop(other), S_OK);
  DestroyWindow(other);
  EXPECT_EQ(otherTarget.refs, 1u) << "the unfinished drag still holds it";

  DragSource next(DragSource::Offers{{"text/uri-list", kUriList}});
  next.enter(topX);
  next.position(topX, overTarget);
  ASSERT_TRUE(next.waitReplies(1));
  EXPECT_EQ(otherTarget.refs, 0u);
  next.leave(topX);
  ASSERT_TRUE(pumpUntil([&] { return target.calls.size() >= 2; }));
}

// Blocks made by hand: narrow paths, an unaligned list, a cut-off last
// path and a block too small for its header.
HDROP dropBlock(DWORD offset, BOOL wide, const void* paths, size_t bytes) {
  HGLOBAL memory = GlobalAlloc(GHND, offset + bytes);
  auto* at = static_cast<unsigned char*>(GlobalLock(memory));
  DROPFILES header{};
  header.pFiles = offset;
  header.pt = POINT{12, 34};
  header.fWide = wide;
  std::memcpy(at, &header, sizeof header);
  std::memcpy(at + offset, paths, bytes);
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

std::wstring fileAt(HDROP drop, UINT index) {
  wchar_t buffer[64] = {};
  const UINT copied = DragQueryFileW(drop, index, buffer, 64);
  return std::wstring(buffer, copied);
}

TEST(DropFiles, BlocksAreReadWithinTheirSize) {
  const char narrow[] = "/a.wav\0/b c.wav\0";  // and the literal's NUL ends the list
  HDROP drop = dropBlock(sizeof(DROPFILES), FALSE, narrow, sizeof narrow);
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  EXPECT_EQ(fileAt(drop, 1), L"/b c.wav");
  POINT point{};
  EXPECT_TRUE(DragQueryPoint(drop, &point));
  EXPECT_EQ(point.x, 12);
  EXPECT_EQ(point.y, 34);
  DragFinish(drop);

  const wchar_t cut[] = {L'/', L'x', 0, L'/', L'y'};  // the second path never ends
  drop = dropBlock(sizeof(DROPFILES) + 1, TRUE, cut, sizeof cut);
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 1u);
  EXPECT_EQ(fileAt(drop, 0), L"/x");
  EXPECT_EQ(DragQueryFileW(drop, 0, nullptr, 0), 2u);
  EXPECT_EQ(DragQueryFileW(drop, 0, nullptr, 0), 2u);
  wchar_t none[1] = {L'q'};
  EXPECT_EQ(DragQueryFileW(drop, 0, none, 0), 0u) << "a zero-size buffer is not written";
  EXPECT_EQ(none[0], L'q');
  DragFinish(drop);

  HGLOBAL tiny = GlobalAlloc(GHND, 4);
  EXPECT_EQ(DragQueryFileW(static_cast<HDROP>(tiny), 0xFFFFFFFF, nullptr, 0), 0u);
  EXPECT_FALSE(DragQueryPoint(static_cast<HDROP>(tiny), &point));
  GlobalFree(tiny);
}

}  // namespace
