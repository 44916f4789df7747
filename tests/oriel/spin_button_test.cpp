// The spin button's steps and wrap, its buddy both ways and what it draws,
// on a headless host fed the container's mouse messages.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SSpinButtonCtrl.h"
#include "slider_test_skins.h"

namespace {

// The notice a text field raises on every change of its text.
class TextNotify : public TplEventArgs<TextNotify> {
  ORIEL_EVENT(TextNotify, SSpinButtonCtrl::kBuddyNotifyEvent, L"on_text_notify")
};

// A window with a text that raises the notice when the user "types".
class TextField : public SWindow {
  SOBJ_CLASS(TextField, SWindow, L"textfield", kObjWindow)
 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  TextField() { GetEventSet()->AddEvent(TextNotify::EventID, TextNotify::EventName()); }
  void Type(const wchar_t* text) {
    SetText(SStringW(text));
    TextNotify e(this);
    RaiseEvent(&e);
  }
};

class SpinButtonTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    app->RegisterClass<TextField>();
    skins = new BlockSkinPool;
    up = skins->Add(L"t_up", SIZE{16, 10}, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFF808080});
    down = skins->Add(L"t_down", SIZE{16, 10}, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFF808080});
    host = new SwndTestHost(200, 60);
  }
  void TearDown() override {
    host->SendSwndMessage(2);
    host->Release();
    delete skins;
    OrielAppTest::TearDown();
  }
  SSpinButtonCtrl* Make(const wchar_t* attrs, bool withBuddy = true) {
    SStringW xml;
    xml.Format(L"%ls<spinButton pos='100,0,116,20' buddy='field' upskin='t_up' downSkin='t_down' %ls/>",
               withBuddy ? L"<textfield name='field' pos='0,0,90,20'/>" : L"", attrs);
    auto* spin = static_cast<SSpinButtonCtrl*>(host->CreateChildrenFromString(xml));
    host->Paint();
    spin->SubscribeEvent(EventSpinValue2String::EventID, [this](EventArgs* e) {
      auto* s = static_cast<EventSpinValue2String*>(e);
      notices.push_back({s->bInit != 0, s->nValue});
      if (!replacement.IsEmpty()) s->strValue = replacement;
      return true;
    });
    return spin;
  }
  TextField* Field() { return static_cast<TextField*>(host->FindDescendantByName(L"field")); }
  std::string FieldText() { return XmlUtf8(Field()->GetText()).c_str(); }
  void Click(int x, int y) {
    host->DispatchFrameMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    host->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    host->DispatchFrameMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  static constexpr int kUpY = 4, kDownY = 15;

  BlockSkinPool* skins = nullptr;
  BlockSkin* up = nullptr;
  BlockSkin* down = nullptr;
  SwndTestHost* host = nullptr;
  std::vector<std::pair<bool, int>> notices;
  SStringW replacement;
};

TEST_F(SpinButtonTest, StepsWrapOrStopAtTheEnds) {
  struct Case {
    const wchar_t* attrs;
    int start, y, expected;
  };
  const Case cases[] = {
      {L"", 100, kUpY, 0},           {L"", 0, kDownY, 100},          {L"circle='0'", 100, kUpY, 100},
      {L"circle='0'", 0, kDownY, 0}, {L"step='7'", 10, kUpY, 17},    {L"step='7'", 10, kDownY, 3},
      {L"step='0x7' min='-20'", -18, kDownY, 100},
  };
  for (const Case& c : cases) {
    SSpinButtonCtrl* spin = Make(c.attrs);
    spin->SetValue(c.start);
    Click(108, c.y);
    EXPECT_EQ(spin->GetValue(), c.expected) << XmlUtf8(c.attrs).c_str() << " from " << c.start;
    EXPECT_EQ(FieldText(), std::to_string(c.expected));
    host->DeleteChild(spin);
    host->DeleteChild(Field());
  }
}

TEST_F(SpinButtonTest, TheBuddyShowsTheValueOrTheSubscribersText) {
  SSpinButtonCtrl* spin = Make(L"value='12'");
  EXPECT_EQ(FieldText(), "12");
  replacement = L"twelve and one";
  Click(108, kUpY);
  EXPECT_EQ(spin->GetValue(), 13);
  EXPECT_EQ(FieldText(), "twelve and one");
  EXPECT_EQ(notices.back(), (std::pair<bool, int>{false, 13}));
  spin->SetRange(0, 10);
  EXPECT_EQ(spin->GetValue(), 10);
  spin->SetValue(500);  // not clamped
  EXPECT_EQ(spin->GetValue(), 500);
  EXPECT_EQ(spin->GetBuddy(), Field());
}

TEST_F(SpinButtonTest, CreationTellsSubscribersItIsTheFirstCall) {
  host->CreateChildrenFromString(L"<textfield name='field' pos='0,0,90,20'/>");
  auto* spin = new SSpinButtonCtrl;
  std::vector<std::pair<bool, int>> seen;
  spin->SubscribeEvent(EventSpinValue2String::EventID, [&seen](EventArgs* e) {
    auto* s = static_cast<EventSpinValue2String*>(e);
    seen.push_back({s->bInit != 0, s->nValue});
    return true;
  });
  host->AttachChild(spin);
  SXmlDoc doc;
  ASSERT_TRUE(doc.load_string("<spinButton buddy='field' value='3'/>"));
  ASSERT_TRUE(spin->LoadXmlNode(doc.first_child()));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], (std::pair<bool, int>{true, 3}));
  EXPECT_EQ(FieldText(), "3");
  spin->SetValue(4);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], (std::pair<bool, int>{false, 4}));
  EXPECT_EQ(FieldText(), "4");
}

TEST_F(SpinButtonTest, TypedTextIsTakenOnlyAsAWholeNumberInRange) {
  struct Case {
    const wchar_t* typed;
    int expected;
  };
  const Case cases[] = {{L"42", 42},  {L"-5", -5},    {L"+7", 7},   {L"250", 20}, {L"42abc", 20}, {L"abc", 20},
                        {L"", 20},    {L"0x10", 20},  {L" 5", 20},  {L"-", 20},   {L"4 2", 20},
                        {L"99999999999999999999", 20}};
  for (const Case& c : cases) {
    SSpinButtonCtrl* spin = Make(L"min='-10' value='20'");
    notices.clear();
    replacement = L"rewritten";
    Field()->Type(c.typed);
    EXPECT_EQ(spin->GetValue(), c.expected) << XmlUtf8(c.typed).c_str();
    EXPECT_EQ(FieldText(), XmlUtf8(c.typed).c_str());  // never rewritten while typing
    EXPECT_EQ(notices.size(), c.expected == 20 ? 0u : 1u) << XmlUtf8(c.typed).c_str();
    replacement.Empty();
    host->DeleteChild(spin);
    host->DeleteChild(Field());
  }
}

TEST_F(SpinButtonTest, WithoutABuddyStepsAreSilent) {
  SSpinButtonCtrl* spin = Make(L"value='5'", false);
  Click(108, kDownY);
  EXPECT_EQ(spin->GetValue(), 4);
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(spin->GetBuddy(), nullptr);
}

TEST_F(SpinButtonTest, HeldTicksStepOnlyWhileThePointerIsOnTheControl) {
  SSpinButtonCtrl* spin = Make(L"value='5'");
  host->DispatchFrameMessage(WM_MOUSEMOVE, 0, MAKELPARAM(108, kUpY));
  host->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(108, kUpY));
  EXPECT_EQ(spin->GetValue(), 6);
  spin->SendSwndMessage(WM_TIMER, SSpinButtonCtrl::kTimerRepeat);
  spin->SendSwndMessage(WM_TIMER, SSpinButtonCtrl::kTimerRepeat);
  EXPECT_EQ(spin->GetValue(), 8);
  host->DispatchFrameMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 40));
  EXPECT_EQ(spin->GetAction(), -1);
  spin->SendSwndMessage(WM_TIMER, SSpinButtonCtrl::kTimerRepeat);
  EXPECT_EQ(spin->GetValue(), 8);
  host->DispatchFrameMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(108, kDownY));
  spin->SendSwndMessage(WM_TIMER, SSpinButtonCtrl::kTimerRepeat);
  EXPECT_EQ(spin->GetValue(), 7);
  host->DispatchFrameMessage(WM_LBUTTONUP, 0, MAKELPARAM(108, kDownY));
}

TEST_F(SpinButtonTest, DrawsThePressedHalfPressedAndTheOtherHot) {
  Make(L"value='5'");
  host->DispatchFrameMessage(WM_MOUSEMOVE, 0, MAKELPARAM(108, kUpY));
  host->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(108, kUpY));
  up->drawn.clear();
  down->drawn.clear();
  host->Paint();
  ASSERT_FALSE(up->drawn.empty());
  ASSERT_FALSE(down->drawn.empty());
  EXPECT_EQ(up->drawn.back(), 2);
  EXPECT_EQ(down->drawn.back(), 1);
  EXPECT_EQ(Pixel(host->Target(), 108, kUpY), 0xFF0000FFu);   // state 2 colour
  EXPECT_EQ(Pixel(host->Target(), 108, kDownY), 0xFF00FF00u); // state 1 colour
  host->DispatchFrameMessage(WM_LBUTTONUP, 0, MAKELPARAM(108, kUpY));
  host->DispatchFrameMessage(WM_MOUSEMOVE, 0, MAKELPARAM(150, 40));
  host->Paint();
  EXPECT_EQ(up->drawn.back(), 0);
  EXPECT_EQ(down->drawn.back(), 0);
}

TEST(SpinParse, StrictIntegers) {
  int v = 0;
  EXPECT_TRUE(SSpinButtonCtrl::ParseStrictInt(SStringW(L"-2147483648"), v));
  EXPECT_EQ(v, -2147483647 - 1);
  EXPECT_FALSE(SSpinButtonCtrl::ParseStrictInt(SStringW(L"2147483648"), v));
  EXPECT_FALSE(SSpinButtonCtrl::ParseStrictInt(SStringW(L"+"), v));
}

}  // namespace
