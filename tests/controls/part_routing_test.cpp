// Parts and their handlers with the message map called directly: what a
// handler claims ends at the part (an application message with the
// handler's answer), what it declines, and everything without a handler,
// goes on to the caption; a host's listener dispatch answers 0 and keeps
// messages below WM_USER (other than commands, timers and copied data)
// from its parts. A part loads its children from the layout its "src"
// names, LAYOUT by default, and a missing layout leaves it empty. The
// in-parent drag mode moves the control itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "controls/ControlFactories.h"
#include "controls/SCtrlPart.h"
#include "controls/SDlgBase.h"

namespace {

SWindow* MakeWindow(SApplication* app, const wchar_t* tag) {
  return dynamic_cast<SWindow*>(app->NewWindowByClass(tag));
}

const int g_headless = unsetenv("DISPLAY");

struct Call {
  const char* what;
  UINT a;
  UINT_PTR b;
  LPARAM c;
};

// Records each call and claims the messages it is told to.
class RecordingHandler : public ISCtrlPartHandler {
 public:
  using ISCtrlPartHandler::ISCtrlPartHandler;
  void OnInit() override { Record({"init", 0, 0, 0}, WM_INITDIALOG); }
  void OnCommand(UINT code, UINT id, LPARAM lParam) override { Record({"command", code, id, lParam}, WM_COMMAND); }
  LRESULT OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    Record({"user", msg, wParam, lParam}, msg);
    return 77;
  }
  void OnCopyData(WPARAM wParam, LPARAM lParam) override { Record({"copydata", 0, wParam, lParam}, WM_COPYDATA); }
  std::vector<Call> calls;
  std::vector<UINT> claims;

 private:
  void Record(const Call& call, UINT msg) {
    calls.push_back(call);
    for (UINT m : claims)
      if (m == msg) GetPart()->SetMsgHandled(TRUE);
  }
};

class PartTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    RegisterControlFactories(*app, 1);
  }
  void TearDown() override {
    for (auto& h : hosts_) h->DestroyHostWindow();
    hosts_.clear();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    OrielAppTest::TearDown();
  }
  // A host over `xml`'s root; the part named "p" in it.
  SCtrlPart* HostPart(const char* xml) {
    hosts_.push_back(std::make_unique<TestHost>());
    EXPECT_TRUE(MakeHost(*hosts_.back(), xml, 10, 10));
    return dynamic_cast<SCtrlPart*>(hosts_.back()->FindDescendantByName(L"p"));
  }
  // Files for the parts' layouts, in a folder provider of their own.
  void AttachLayouts() {
    bundle_ = std::make_unique<ScratchBundle>("parts");
    bundle_->Write("a.xml", "<include><window name='inside_a' size='10,10'/></include>");
    bundle_->Write("b.xml", "<include><window name='inside_b' size='10,10'/><text name='b2'/></include>");
    bundle_->WriteIndex({{"LAYOUT", "part_a", "a.xml"}, {"layoutglobal", "part_b", "b.xml"}});
    IResProvider* p = nullptr;
    ASSERT_TRUE(MakeResProvider(kResProviderFiles, &p));
    const std::wstring folder = bundle_->WFolder();
    ASSERT_TRUE(p->Init(reinterpret_cast<WPARAM>(folder.c_str()), 0));
    app->AttachProvider(p);
    p->Release();
  }
  std::vector<std::unique_ptr<TestHost>> hosts_;
  std::unique_ptr<ScratchBundle> bundle_;
};

TEST_F(PartTest, TagsInAnyCaseMakeThePartAndTheCaption) {
  for (const wchar_t* tag : {L"part", L"PaRt", L"PART"}) {
    SWindow* w = MakeWindow(app, tag);
    ASSERT_NE(w, nullptr);
    EXPECT_NE(dynamic_cast<SCtrlPart*>(w), nullptr);
    EXPECT_TRUE(w->IsClass(L"part") && w->IsClass(L"captionex") && w->IsClass(L"caption") && w->IsClass(L"window"));
    w->Release();
  }
  SWindow* caption = MakeWindow(app, L"CaptionEx");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(dynamic_cast<SCtrlPart*>(caption), nullptr);
  EXPECT_NE(dynamic_cast<SCaptionEx*>(caption), nullptr);
  EXPECT_EQ(dynamic_cast<SCaptionEx*>(caption)->GetDragMode(), SCaptionEx::kDragHost);
  EXPECT_FALSE(caption->IsClass(L"part"));
  caption->Release();
}

TEST_F(PartTest, HandlerClaimsEndAtThePartAndTheRestGoesOn) {
  SCtrlPart* part = dynamic_cast<SCtrlPart*>(MakeWindow(app, L"part"));
  ASSERT_NE(part, nullptr);
  RecordingHandler handler(nullptr, part);
  handler.claims = {WM_INITDIALOG, WM_COMMAND, WM_COPYDATA, WM_USER + 5};
  part->SetHandler(&handler);
  ASSERT_EQ(handler.calls.size(), 1u);
  EXPECT_STREQ(handler.calls[0].what, "init");
  EXPECT_EQ(part->GetHandler(), &handler);

  const struct {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    BOOL handled;
    LRESULT result;
    const char* call;
  } rows[] = {
      {WM_COMMAND, MAKEWPARAM(1002, 3), 9, TRUE, 0, "command"},
      {WM_COPYDATA, 4, 5, TRUE, 0, "copydata"},
      {WM_USER + 5, 6, 7, TRUE, 77, "user"},  // the handler's own answer
      {0x2F13, 1, 2, FALSE, 0, "user"},       // offered, declined
      {WM_TIMER, 42, 0, FALSE, 0, nullptr},   // the default OnTimer declines
  };
  for (const auto& r : rows) {
    handler.calls.clear();
    BOOL handled = !r.handled;
    const LRESULT result = part->SendSwndMessage(r.msg, r.wParam, r.lParam, &handled);
    EXPECT_EQ(handled, r.handled) << std::hex << r.msg;
    if (r.handled) EXPECT_EQ(result, r.result) << std::hex << r.msg;
    if (r.call) {
      ASSERT_EQ(handler.calls.size(), 1u) << std::hex << r.msg;
      EXPECT_STREQ(handler.calls[0].what, r.call);
    } else {
      EXPECT_TRUE(handler.calls.empty()) << std::hex << r.msg;
    }
  }
  // The command's code and id are the high and low words.
  handler.calls.clear();
  part->SendSwndMessage(WM_COMMAND, MAKEWPARAM(1002, 3), 9);
  ASSERT_EQ(handler.calls.size(), 1u);
  EXPECT_EQ(handler.calls[0].a, 3u);
  EXPECT_EQ(handler.calls[0].b, 1002u);
  EXPECT_EQ(handler.calls[0].c, 9);

  // A declined command falls through, as one without any handler does.
  handler.claims.clear();
  BOOL handled = TRUE;
  part->SendSwndMessage(WM_COMMAND, 1, 0, &handled);
  EXPECT_FALSE(handled);
  part->SetHandler(nullptr);
  handled = TRUE;
  part->SendSwndMessage(WM_COMMAND, 1, 0, &handled);
  EXPECT_FALSE(handled) << "no handler: the caption and the framework see the command";
  part->Release();
}

class Dialog : public SDlgBase {
 public:
  Dialog() : SDlgBase(nullptr) {}
  BOOL Route(UINT msg, WPARAM w, LPARAM l, LRESULT& result) { return HandleWindowMessage(nullptr, msg, w, l, result, 0); }
};

TEST_F(PartTest, AHostDispatchingToItsPartsAnswersZero) {
  SCtrlPart* part = dynamic_cast<SCtrlPart*>(MakeWindow(app, L"part"));
  ASSERT_NE(part, nullptr);
  RecordingHandler handler(nullptr, part);
  part->SetHandler(&handler);
  handler.claims = {WM_COMMAND, WM_USER + 1, WM_SIZE};
  Dialog host;
  host.AddListener(part);
  handler.calls.clear();
  LRESULT result = 5;
  EXPECT_TRUE(host.Route(WM_COMMAND, 12, 0, result));
  EXPECT_EQ(result, 0);
  result = 5;
  EXPECT_TRUE(host.Route(WM_USER + 1, 0, 0, result));
  EXPECT_EQ(result, 0) << "the part answered 77; the host's dispatch answers 0";
  EXPECT_EQ(handler.calls.size(), 2u);
  // Below WM_USER only commands, timers and copied data are offered.
  handler.calls.clear();
  for (UINT msg : {static_cast<UINT>(WM_SIZE), static_cast<UINT>(WM_INITDIALOG), static_cast<UINT>(WM_MOUSEMOVE)})
    host.Route(msg, 0, 0, result);
  EXPECT_TRUE(handler.calls.empty());
  host.RemoveListener(part);
  part->Release();
}

TEST_F(PartTest, ThePartLoadsItsChildrenFromItsSource) {
  AttachLayouts();
  const struct {
    const char* src;
    const wchar_t* child;
  } rows[] = {
      {"part_a", L"inside_a"},               // no colon: type LAYOUT
      {"layoutglobal:part_b", L"inside_b"},  // type and name
      {"LAYOUT:part_b", nullptr},            // no such resource: no children
      {"", nullptr},
  };
  for (const auto& r : rows) {
    const std::string xml = std::string("<ORIEL width='200' height='100'><root><part name='p' src='") + r.src +
                            "' size='-2,-2'/></root></ORIEL>";
    SCtrlPart* part = HostPart(xml.c_str());
    ASSERT_NE(part, nullptr) << r.src << ": a part whose layout is missing is still made";
    EXPECT_EQ(SStringW(part->GetLayoutSource()), SStringW(XmlText(r.src)));
    if (r.child) {
      EXPECT_NE(part->FindDescendantByName(r.child), nullptr) << r.src;
      RecordingHandler handler(hosts_.back().get(), part);
      EXPECT_EQ(handler.FindChildByName(r.child), part->FindDescendantByName(r.child));
      EXPECT_EQ(handler.GetHost(), hosts_.back().get());
    } else {
      EXPECT_EQ(part->GetChildrenCount(), 0) << r.src;
    }
  }
}

TEST_F(PartTest, InParentModeMovesTheControlAndSwallowsTheMouse) {
  hosts_.push_back(std::make_unique<TestHost>());
  TestHost& host = *hosts_.back();
  ASSERT_TRUE(MakeHost(host, "<ORIEL width='300' height='200'><root><captionex name='c' pos='20,30,120,70'/></root></ORIEL>",
                       10, 10));
  auto* caption = dynamic_cast<SCaptionEx*>(host.FindDescendantByName(L"c"));
  ASSERT_NE(caption, nullptr);
  caption->SetDragMode(SCaptionEx::kDragInParent);
  const RECT before = caption->GetWindowRect();
  BOOL handled = FALSE;
  caption->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 40), &handled);
  EXPECT_TRUE(handled);
  caption->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 35));
  caption->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(75, 45));
  caption->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(75, 45));
  caption->SendSwndMessage(WM_MOUSEMOVE, 0, MAKELPARAM(200, 150));  // released: no more moving
  RECT after = caption->GetWindowRect();
  EXPECT_EQ(after.left - before.left, 25);
  EXPECT_EQ(after.top - before.top, 5);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  // A double click is swallowed and any other mode swallows every press.
  handled = FALSE;
  caption->SendSwndMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(60, 40), &handled);
  EXPECT_TRUE(handled);
  caption->SetDragMode(7);
  caption->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 40), &handled);
  caption->SendSwndMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 90), &handled);
  EXPECT_TRUE(handled);
  EXPECT_EQ(caption->GetWindowRect().left, after.left);
}

}  // namespace
