// The real-window host in a real window: a test factory makes a child
// window that paints itself blue. On the X server it is a subwindow of the
// host's X window at the control's place; moving the host carries it, a
// relayout moves it, hiding the control or the host hides it, destroying
// the control removes it; the host's repaints never cover its colour and a
// click inside it reaches it. Without a factory nothing is made.
#include "SwndWindowHost.h"
#include "control/SRealWnd.h"
#include "gdi/gdi.h"
#include "list_test_input.h"

namespace {

constexpr int kX = 160, kY = 120, kW = 320, kH = 220;
constexpr unsigned long kChildRgb = 0x2050D0;

class ChildFactory : public TObjRefImpl<IRealWindowFactory> {
 public:
  explicit ChildFactory(const wchar_t* cls) : cls_(cls) {}
  HWND CreateRealWindow(SRealWnd* control) override {
    ++created;
    const SRealWndParam& p = control->GetRealWndParam();
    pugi::xml_attribute colour = XmlAttr(p.xmlParams.first_child(), L"colour");
    paramsSeen = colour ? XmlValue(colour).c_str() : L"";
    HWND parent = control->GetContainer()->GetHostHwnd();
    return CreateWindowExW(p.exStyle, cls_, p.windowName.c_str(), p.style, 0, 0, 1, 1, parent, nullptr, nullptr,
                           nullptr);
  }
  void DestroyRealWindow(SRealWnd* control) override {
    ++destroyed;
    DestroyWindow(control->GetRealHwnd(FALSE));
  }
  void InitRealWindow(SRealWnd*) override { ++inits; }
  BOOL PlaceRealWindow(SRealWnd*) override { return FALSE; }
  BOOL ResizeRealWindow(SRealWnd*, const RECT*) override { return FALSE; }
  int created = 0, destroyed = 0, inits = 0;
  std::wstring paramsSeen;

 private:
  const wchar_t* cls_;
};

struct XPlace {
  bool exists = false;
  ::Window parent = 0;
  int x = 0, y = 0, width = 0, height = 0;  // in the parent
  int rootX = 0, rootY = 0;
  int mapState = IsUnmapped;
};

// What the server says about an X window, read on the test's own connection.
XPlace ReadX(unsigned long xid) {
  XPlace place;
  Display* dpy = userDisplay();
  XSync(dpy, False);
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  // The window is looked for among its parent's children so that a
  // destroyed one is reported absent rather than raising an X error.
  if (!xid) return place;
  auto* old = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  XWindowAttributes a{};
  if (XGetWindowAttributes(dpy, xid, &a) && XQueryTree(dpy, xid, &root, &parent, &children, &count)) {
    place.exists = true;
    place.parent = parent;
    place.x = a.x;
    place.y = a.y;
    place.width = a.width;
    place.height = a.height;
    place.mapState = a.map_state;
    ::Window child = 0;
    XTranslateCoordinates(dpy, xid, a.root, 0, 0, &place.rootX, &place.rootY, &child);
  }
  if (children) XFree(children);
  XSync(dpy, False);
  XSetErrorHandler(old);
  return place;
}

int XChildCount(unsigned long xid) {
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XSync(userDisplay(), False);
  if (!XQueryTree(userDisplay(), xid, &root, &parent, &children, &count)) return -1;
  if (children) XFree(children);
  return static_cast<int>(count);
}

class RealWndDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    childClass.handler = [](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg != WM_PAINT) return std::nullopt;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      HBRUSH brush = CreateSolidBrush(RGB(0x20, 0x50, 0xD0));
      FillRect(dc, &rc, brush);
      DeleteObject(brush);
      EndPaint(hwnd, &ps);
      return 0;
    };
    factory = new ChildFactory(childClass.name());
    app->SetRealWndHandler(factory);
    host = new SwndWindowHost(kX, kY, kW, kH);
  }
  void TearDown() override {
    if (host) {
      host->SendSwndMessage(SWM_DESTROY);
      host->Release();
    }
    app->SetRealWndHandler(nullptr);
    factory->Release();
    OrielAppTest::TearDown();
  }
  SRealWnd* Make(const wchar_t* xml) {
    host->CreateChildrenFromString(xml);
    host->ApplyLayout();
    return static_cast<SRealWnd*>(host->GetRelative(GSW_LASTCHILD));
  }
  void ShowHost() {
    ShowWindow(host->Hwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
  }
  unsigned long HostX() const { return Win32XWindowOf(host->Hwnd()); }
  RecordingClass childClass{L"RealWndChildTest"};
  ChildFactory* factory = nullptr;
  SwndWindowHost* host = nullptr;
};

TEST_F(RealWndDisplayTest, TheChildIsARealSubwindowThatFollowsTheControl) {
  SRealWnd* real = Make(L"<realwnd pos='40,30,@120,@80' wndname='inside'><params colour='blue'/></realwnd>");
  ShowHost();
  HWND child = real->GetRealHwnd(FALSE);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(factory->created, 1);
  EXPECT_EQ(factory->inits, 1);
  EXPECT_EQ(factory->paramsSeen, L"blue") << "the factory reads the params element";
  EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_CHILD);

  // On the server: a subwindow of the host's X window at the control's place.
  const unsigned long xid = Win32XWindowOf(child);
  ASSERT_NE(xid, 0u);
  ASSERT_TRUE(pumpUntil([&] { return ReadX(xid).mapState == IsViewable; }));
  XPlace place = ReadX(xid);
  EXPECT_EQ(place.parent, HostX());
  EXPECT_EQ(place.x, 40);
  EXPECT_EQ(place.y, 30);
  EXPECT_EQ(place.width, 120);
  EXPECT_EQ(place.height, 80);
  ASSERT_TRUE(pumpUntil([&] { return screenPixel(kX + 100, kY + 70) == kChildRgb; }))
      << std::hex << screenPixel(kX + 100, kY + 70);
  EXPECT_EQ(screenPixel(kX + 20, kY + 20), 0xFFFFFFu) << "the host around it";

  // The host repaints all of itself: the child's colour stays.
  const int blits = host->blits;
  host->Invalidate();
  ASSERT_TRUE(pumpUntil([&] { return host->blits > blits; }));
  pumpFor(100);
  EXPECT_EQ(screenPixel(kX + 100, kY + 70), kChildRgb);
  EXPECT_EQ(screenPixel(kX + 45, kY + 35), kChildRgb);

  // A click inside reaches the child, not the host.
  childClass.clear();
  moveMouse(kX + 90, kY + 60);
  pumpFor(30);
  clickButton(1);
  ASSERT_TRUE(pumpUntil([&] { return !childClass.messagesOf({WM_LBUTTONDOWN}).empty(); }));

  // Moving the host carries the child.
  SetWindowPos(host->Hwnd(), nullptr, kX + 50, kY + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(pumpUntil([&] {
    const XPlace p = ReadX(xid);
    return p.rootX == kX + 50 + 40 && p.rootY == kY + 20 + 30;
  })) << ReadX(xid).rootX << "," << ReadX(xid).rootY;
  EXPECT_TRUE(pumpUntil([&] { return screenPixel(kX + 50 + 100, kY + 20 + 70) == kChildRgb; }));

  // A relayout of the control moves and sizes it in the host's client area.
  const RECT moved{150, 100, 250, 160};
  real->Move(&moved);
  ASSERT_TRUE(pumpUntil([&] {
    const XPlace p = ReadX(xid);
    return p.x == 150 && p.y == 100 && p.width == 100 && p.height == 60;
  }));
  EXPECT_TRUE(pumpUntil([&] { return screenPixel(kX + 50 + 240, kY + 20 + 150) == kChildRgb; }));

  // Hiding the control unmaps it; showing maps it again.
  // (The server takes the host's requests on its own connection: the
  // test waits for them to show.)
  real->SetVisible(FALSE);
  EXPECT_TRUE(pumpUntil([&] { return ReadX(xid).mapState == IsUnmapped; }));
  EXPECT_FALSE(IsWindowVisible(child));
  real->SetVisible(TRUE);
  EXPECT_TRUE(pumpUntil([&] { return ReadX(xid).mapState == IsViewable; }));

  // Hiding the host window hides it with the host.
  ShowWindow(host->Hwnd(), SW_HIDE);
  EXPECT_TRUE(pumpUntil([&] { return ReadX(xid).mapState == IsUnviewable; }));
  ShowHost();
  EXPECT_TRUE(pumpUntil([&] { return ReadX(xid).mapState == IsViewable; }));

  // Destroying the control destroys the child window and its subwindow.
  EXPECT_EQ(XChildCount(HostX()), 1);
  real->Destroy();
  EXPECT_EQ(factory->destroyed, 1);
  EXPECT_FALSE(IsWindow(child));
  EXPECT_TRUE(pumpUntil([&] { return XChildCount(HostX()) == 0; }));
  EXPECT_FALSE(ReadX(xid).exists);
}

TEST_F(RealWndDisplayTest, AHiddenControlMakesItsWindowAtTheFirstShowAndInitMakesItWhileLoading) {
  SRealWnd* later = Make(L"<realwnd pos='10,10,@50,@50' visible='0'/>");
  ShowHost();
  EXPECT_EQ(factory->created, 0);
  EXPECT_EQ(later->GetRealHwnd(FALSE), nullptr);
  later->SetVisible(TRUE);
  EXPECT_EQ(factory->created, 1);
  ASSERT_NE(later->GetRealHwnd(FALSE), nullptr);
  EXPECT_TRUE(IsWindowVisible(later->GetRealHwnd(FALSE)));

  SRealWnd* early = Make(L"<realwnd pos='100,10,@50,@50' visible='0' init='1'/>");
  EXPECT_EQ(factory->created, 2) << "init makes it while loading, hidden or not";
  ASSERT_NE(early->GetRealHwnd(FALSE), nullptr);
  EXPECT_FALSE(IsWindowVisible(early->GetRealHwnd(FALSE)));
  const unsigned long xid = Win32XWindowOf(early->GetRealHwnd(FALSE));
  EXPECT_TRUE(pumpUntil([&] { return ReadX(xid).x == 100; })) << "placed by the first layout";
  EXPECT_EQ(ReadX(xid).mapState, IsUnmapped);
}

TEST_F(RealWndDisplayTest, WithoutAFactoryNothingIsMade) {
  app->SetRealWndHandler(nullptr);
  SRealWnd* real = Make(L"<realwnd pos='40,30,@120,@80' init='1'/>");
  ShowHost();
  EXPECT_EQ(real->GetRealHwnd(TRUE), nullptr);
  EXPECT_EQ(factory->created, 0);
  EXPECT_EQ(XChildCount(HostX()), 0);
  pumpFor(100);
  EXPECT_EQ(screenPixel(kX + 100, kY + 70), 0xFFFFFFu) << "an empty, non-painting area";
}

}  // namespace
