// Where the text sits and what the engine draws: insets from HIMETRIC,
// caret and line height, the length limit, repaints limited to the line a
// keystroke changed, drawing on the DC's surface with its origin and clip,
// the mouse, scroll bars, and the interface's answers.
#include <cairo.h>

#include <string>

#include "RecordingHost.h"
#include "core/SGdiUtils.h"
#include "gdi/GdiCairo.h"

namespace {

RECT InsetFromPixels(int left, int top, int right, int bottom) {
  SIZE a{left, top}, b{right, bottom}, ha{}, hb{};
  ORIEL::PixelToHiMetric(&a, &ha);
  ORIEL::PixelToHiMetric(&b, &hb);
  return RECT{ha.cx, ha.cy, hb.cx, hb.cy};
}

// A single-line field 32 px high whose 18 px line is centred by insets of
// 7 px: the caret stands 7 px down and is one line high.
TEST_F(EngineFixture, SevenPixelInsetsCentreAnEighteenPixelLineInThirtyTwo) {
  host.client = RECT{10, 20, 210, 52};
  host.insetHiMetric = InsetFromPixels(4, 7, 4, 7);
  Start(TXTBIT_HIDESELECTION);
  SetText(L"Abc");
  Send(WM_SETFOCUS);
  EXPECT_EQ(host.caretHeight, 18);
  EXPECT_EQ(host.caretPos.x, 14);
  EXPECT_EQ(host.caretPos.y, 27);
  // The line is as high as the framework measures "A" in the same font.
  LOGFONTW lf = GdiDefaultLogFont();
  PangoFontDescription* desc = GdiFontDescriptionFromLogFont(lf);
  const SIZE a = GdiMeasureTextRun(GdiTextFont{desc, false, false}, L"A", 1);
  pango_font_description_free(desc);
  EXPECT_EQ(a.cy, 18);
}

// Every pixel inset the framework converts to HIMETRIC comes back as the
// same number of pixels.
TEST_F(EngineFixture, PixelInsetsSurviveTheTripThroughHiMetric) {
  Start(TXTBIT_HIDESELECTION);
  Send(WM_SETFOCUS);
  for (int px = 0; px <= 60; ++px) {
    host.insetHiMetric = InsetFromPixels(px, px, 0, 0);
    services->OnTxPropertyBitsChange(TXTBIT_VIEWINSETCHANGE, TXTBIT_VIEWINSETCHANGE);
    SIZE back{}, hm{host.insetHiMetric.left, host.insetHiMetric.top};
    ORIEL::HiMetricToPixel(&hm, &back);
    ASSERT_EQ(host.caretPos.x, px) << "inset " << px;
    ASSERT_EQ(host.caretPos.x, back.cx);
    ASSERT_EQ(host.caretPos.y, px);
  }
}

TEST_F(EngineFixture, LimitDefaultsTo32767AndZeroMeansIt) {
  host.maxLengthFails = true;
  Start(TXTBIT_HIDESELECTION);
  SetText(std::wstring(32767, L'x'));
  SetSel(0, 0);
  Type(L"y");
  EXPECT_EQ(Send(WM_GETTEXTLENGTH), 32767);
  Send(EM_EXLIMITTEXT, 0, 5);
  SetText(L"");
  Type(L"1234567");
  EXPECT_EQ(Text(), L"12345");
  Send(EM_EXLIMITTEXT, 0, 0);
  SetText(std::wstring(32766, L'x'));
  SetSel(0, 0);
  Type(L"yz");
  EXPECT_EQ(Send(WM_GETTEXTLENGTH), 32767);
}

// A keystroke repaints its own line only; a line that grows by wrapping,
// or a new break, repaints from that line down.
TEST_F(EngineFixture, KeystrokeRepaintsItsLineOnly) {
  host.client = RECT{0, 0, 400, 600};
  Start(TXTBIT_HIDESELECTION | TXTBIT_MULTILINE | TXTBIT_WORDWRAP);
  std::wstring text;
  for (int i = 0; i < 20; ++i) text += L"line " + std::to_wstring(i) + L"\r\n";
  SetText(text);
  SetSel(6 * 7 + 3, 6 * 7 + 3);  // inside "line 6"
  Send(WM_SETFOCUS);
  const int line = host.caretHeight;
  ASSERT_GT(line, 0);
  host.invalidated.clear();
  Type(L"x");
  ASSERT_EQ(host.invalidated.size(), 1u);
  EXPECT_EQ(host.invalidated[0].top, 6 * line);
  EXPECT_EQ(host.invalidated[0].bottom, 7 * line);
  host.invalidated.clear();
  Type(L"\r");
  ASSERT_EQ(host.invalidated.size(), 1u);
  EXPECT_EQ(host.invalidated[0].top, 6 * line);
  EXPECT_EQ(host.invalidated[0].bottom, 600);
}

TEST_F(EngineFixture, WordWrapBreaksLongParagraphs) {
  host.client = RECT{0, 0, 80, 400};
  host.scrollBars = WS_VSCROLL;
  Start(TXTBIT_HIDESELECTION | TXTBIT_MULTILINE | TXTBIT_WORDWRAP);
  SetText(L"many words in one paragraph that cannot fit");
  LONG min = 0, max = 0, pos = 0, page = 0;
  BOOL enabled = FALSE;
  services->TxGetVScroll(&min, &max, &pos, &page, &enabled);
  EXPECT_GE(max + 1, 4 * 18) << "wrapped onto several lines";
  services->OnTxPropertyBitsChange(TXTBIT_WORDWRAP, 0);
  services->TxGetVScroll(&min, &max, &pos, &page, &enabled);
  EXPECT_EQ(max + 1, 18) << "one line without wrap";
}

struct Canvas {
  explicit Canvas(int w, int h) {
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    dc = GdiCreateSurfaceDC(surface);
  }
  ~Canvas() {
    DeleteDC(dc);
    cairo_surface_destroy(surface);
  }
  uint32_t At(int x, int y) {
    cairo_surface_flush(surface);
    const auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(row)[x];
  }
  // Pixels with any ink in [x0, x1) x [y0, y1), and how many are exactly `argb`.
  int Inked(int x0, int y0, int x1, int y1, uint32_t argb = 0, int* exact = nullptr) {
    int n = 0;
    if (exact) *exact = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const uint32_t p = At(x, y);
        if (p >> 24) ++n;
        if (exact && p == argb) ++*exact;
      }
    return n;
  }
  cairo_surface_t* surface;
  HDC dc;
};

void Draw(ITextServices* services, HDC dc, const RECT& client) {
  RECTL bounds{client.left, client.top, client.right, client.bottom};
  ASSERT_EQ(services->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dc, nullptr, &bounds, nullptr, nullptr, nullptr,
                             0, TXTVIEW_ACTIVE),
            S_OK);
}

uint32_t Opaque(COLORREF c) { return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// Text and selection are drawn, nothing else: the background stays the
// DC's, the insets stay clear, and the selection shows only while focused.
TEST_F(EngineFixture, DrawsTextAndSelectionButNoBackground) {
  host.client = RECT{0, 0, 200, 40};
  host.insetHiMetric = InsetFromPixels(10, 10, 10, 10);
  Start(TXTBIT_HIDESELECTION);
  SetText(L"WWWW");
  {
    Canvas canvas(200, 40);
    Draw(services, canvas.dc, host.client);
    EXPECT_GT(canvas.Inked(10, 10, 190, 30), 20) << "the text";
    EXPECT_EQ(canvas.Inked(0, 0, 200, 10), 0) << "the top inset";
    EXPECT_EQ(canvas.Inked(100, 10, 200, 40), 0) << "no background right of the text";
  }
  SetSel(0, -1);
  const uint32_t highlight = Opaque(GetSysColor(COLOR_HIGHLIGHT));
  int exact = 0;
  {
    Canvas canvas(200, 40);
    Draw(services, canvas.dc, host.client);
    canvas.Inked(10, 10, 190, 30, highlight, &exact);
    EXPECT_EQ(exact, 0) << "an unfocused field hides its selection";
  }
  Send(WM_SETFOCUS);
  {
    Canvas canvas(200, 40);
    Draw(services, canvas.dc, host.client);
    canvas.Inked(10, 10, 190, 30, highlight, &exact);
    EXPECT_GT(exact, 50) << "the focused field's selection";
  }
}

TEST_F(EngineFixture, DrawingFollowsTheViewportOriginAndClip) {
  host.client = RECT{0, 0, 100, 30};
  Start(TXTBIT_HIDESELECTION);
  SetText(L"WWWWWWWWWWWW");
  Canvas canvas(300, 30);
  SetViewportOrgEx(canvas.dc, 150, 0, nullptr);
  IntersectClipRect(canvas.dc, 0, 0, 20, 30);
  Draw(services, canvas.dc, host.client);
  EXPECT_EQ(canvas.Inked(0, 0, 150, 30), 0) << "left of the origin";
  EXPECT_GT(canvas.Inked(150, 0, 170, 30), 10) << "inside the clip";
  EXPECT_EQ(canvas.Inked(170, 0, 300, 30), 0) << "past the clip";
}

TEST_F(EngineFixture, PasswordDrawsItsCharacterAndKeepsTheText) {
  host.client = RECT{0, 0, 300, 30};
  Start(TXTBIT_HIDESELECTION | TXTBIT_USEPASSWORD);
  SetText(L"WWW");
  Canvas stars(300, 30);
  Draw(services, stars.dc, host.client);
  EXPECT_EQ(Text(), L"WWW");
  services->OnTxPropertyBitsChange(TXTBIT_USEPASSWORD, 0);
  Canvas plain(300, 30);
  Draw(services, plain.dc, host.client);
  EXPECT_LT(stars.Inked(0, 0, 300, 30), plain.Inked(0, 0, 300, 30)) << "three stars carry less ink than WWW";
}

TEST_F(EngineFixture, MousePlacesSelectsAndDoubleClickTakesAWord) {
  host.client = RECT{0, 0, 300, 30};
  Start(TXTBIT_HIDESELECTION);
  SetText(L"alpha beta gamma");
  Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(0, 5));
  EXPECT_TRUE(host.capture);
  EXPECT_EQ(Sel(), std::make_pair(0L, 0L));
  Send(WM_MOUSEMOVE, MK_LBUTTON, Point(299, 5));
  Send(WM_LBUTTONUP, 0, Point(299, 5));
  EXPECT_FALSE(host.capture);
  EXPECT_EQ(Sel(), std::make_pair(0L, 16L));
  Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(299, 5));
  Send(WM_LBUTTONUP, 0, Point(299, 5));
  EXPECT_EQ(Sel(), std::make_pair(16L, 16L));
  Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, Point(0, 5));
  Send(WM_LBUTTONUP, 0, Point(0, 5));
  EXPECT_EQ(Sel(), std::make_pair(0L, 16L)) << "Shift extends from the anchor";
  // "beta" starts at 6: find its x from the caret there.
  Send(WM_SETFOCUS);
  SetSel(7, 7);
  const int x = host.caretPos.x;
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, Point(x, 5));
  EXPECT_EQ(Sel(), std::make_pair(6L, 10L));
}

TEST_F(EngineFixture, DragBelowTheViewScrollsOnTheTimer) {
  host.client = RECT{0, 0, 200, 40};
  host.scrollBars = WS_VSCROLL;
  Start();
  std::wstring text;
  for (int i = 0; i < 30; ++i) text += L"row\r\n";
  SetText(text);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(0, 5));
  Send(WM_MOUSEMOVE, MK_LBUTTON, Point(0, 80));
  ASSERT_EQ(host.timers.size(), 1u);
  const UINT timer = *host.timers.begin();
  LONG before = 0, after = 0;
  services->TxGetVScroll(nullptr, nullptr, &before, nullptr, nullptr);
  for (int i = 0; i < 5; ++i) Send(WM_TIMER, timer);
  services->TxGetVScroll(nullptr, nullptr, &after, nullptr, nullptr);
  EXPECT_GT(after, before);
  EXPECT_GT(Sel().second, 10) << "the selection follows the scrolled text";
  EXPECT_EQ(Sel().first, 0);
  Send(WM_LBUTTONUP, 0, Point(0, 80));
  EXPECT_TRUE(host.timers.empty());
  EXPECT_FALSE(host.capture);
  HRESULT hr = S_OK;
  Send(WM_TIMER, 12345, 0, &hr);
  EXPECT_EQ(hr, S_FALSE) << "a timer of someone else's";
}

TEST_F(EngineFixture, ScrollBarsFollowTheTextAndScrollMessages) {
  host.client = RECT{0, 0, 200, 54};
  host.scrollBars = WS_VSCROLL;
  Start();
  SetText(L"1\r\n2\r\n3\r\n4\r\n5\r\n6");
  bool shown = false;
  int range = -1;
  for (const auto& call : host.scrollCalls) {
    if (call.bar == SB_VERT && call.what == 0) shown = call.value != 0;
    if (call.bar == SB_VERT && call.what == 1) range = call.value;
  }
  EXPECT_TRUE(shown);
  EXPECT_EQ(range, 6 * 18 - 1);
  Send(WM_VSCROLL, SB_LINEDOWN);
  LONG pos = 0, page = 0;
  services->TxGetVScroll(nullptr, nullptr, &pos, &page, nullptr);
  EXPECT_EQ(pos, 18);
  EXPECT_EQ(page, 54);
  Send(WM_VSCROLL, SB_BOTTOM);
  services->TxGetVScroll(nullptr, nullptr, &pos, nullptr, nullptr);
  EXPECT_EQ(pos, 6 * 18 - 54);
  Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 10));
  services->TxGetVScroll(nullptr, nullptr, &pos, nullptr, nullptr);
  EXPECT_EQ(pos, 10);
}

TEST_F(EngineFixture, AlignmentComesFromTheParagraphFormat) {
  host.client = RECT{0, 0, 300, 30};
  host.paraFormat.wAlignment = PFA_RIGHT;
  Start(TXTBIT_HIDESELECTION);
  SetText(L"abc");
  Send(WM_SETFOCUS);
  SetSel(3, 3);
  EXPECT_GE(host.caretPos.x, 298);
  PARAFORMAT2 centre{};
  centre.cbSize = sizeof centre;
  centre.dwMask = PFM_ALIGNMENT;
  centre.wAlignment = PFA_CENTER;
  EXPECT_EQ(Send(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&centre)), 1);
  EXPECT_GT(host.caretPos.x, 150);
  EXPECT_LT(host.caretPos.x, 200);
}

TEST_F(EngineFixture, CharFormatSetsTheFontForTheWholeText) {
  Start(TXTBIT_HIDESELECTION);
  SetText(L"abc");
  Send(WM_SETFOCUS);
  EXPECT_EQ(host.caretHeight, 18);
  CHARFORMAT2W big{};
  big.cbSize = sizeof big;
  big.dwMask = CFM_SIZE;
  big.yHeight = 24 * 15;  // 24 px
  EXPECT_EQ(Send(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&big)), 1);
  EXPECT_GT(host.caretHeight, 30);
  // The host's default format takes over again when it announces a change.
  services->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
  EXPECT_EQ(host.caretHeight, 18);
}

TEST_F(EngineFixture, AnswersOfTheInterface) {
  Start(TXTBIT_HIDESELECTION);
  HRESULT hr = S_OK;
  Send(WM_RBUTTONDOWN, 0, 0, &hr);
  EXPECT_EQ(hr, S_FALSE);
  Send(0x7777, 0, 0, &hr);
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(Send(EM_SETLANGOPTIONS, 0, 0xA1), 1);
  EXPECT_EQ(Send(EM_GETLANGOPTIONS), 0xA1);
  IDropTarget* drop = nullptr;
  EXPECT_EQ(services->TxGetDropTarget(&drop), E_NOTIMPL);
  DWORD hit = 0;
  EXPECT_EQ(services->TxQueryHitPoint(0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, &hit), E_NOTIMPL);
  EXPECT_EQ(services->TxSetText(L"x"), E_NOTIMPL);
  LONG v = 0;
  EXPECT_EQ(services->TxGetCurTargetX(&v), E_NOTIMPL);
  EXPECT_EQ(services->TxGetBaseLinePos(&v), E_NOTIMPL);
  DWORD w = 0, h = 0;
  EXPECT_EQ(services->TxGetCachedSize(&w, &h), E_NOTIMPL);
  IUnknown* unknown = nullptr;
  EXPECT_EQ(CreateTextServices(reinterpret_cast<IUnknown*>(services), &host, &unknown), E_NOTIMPL);
  EXPECT_EQ(unknown, nullptr);
  void* other = nullptr;
  EXPECT_EQ(services->QueryInterface(IID_ITextHost, &other), E_NOINTERFACE);
}

}  // namespace
