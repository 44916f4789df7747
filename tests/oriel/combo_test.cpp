// The combo boxes headless: the list built from "listStyle" and "items",
// the selection rules and their events, keys and the wheel on the closed
// combo, the drop-down's height and the drop button's rectangle.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SComboBox.h"
#include "control/SAdapterBase.h"
#include "control/SComboEdit.h"
#include "slider_test_skins.h"

namespace {

class ComboTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(300, 300);
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  // Creates the combo from XML and records its selection events.
  template <class T = SComboBox>
  T* Make(const wchar_t* xml) {
    events.clear();
    host->delivered.clear();
    auto* combo = dynamic_cast<T*>(host->CreateChildrenFromString(xml));
    host->ApplyLayout();
    // A "curSel" fires during creation, before anyone could subscribe:
    // the host sees it.
    for (int id : host->delivered)
      if (id == EventCBSelChange::EventID) events.push_back(combo ? combo->GetCurSel() : -2);
    if (combo)
      combo->SubscribeEvent(EventCBSelChange::EventID, [this](EventArgs* e) {
        events.push_back(static_cast<EventCBSelChange*>(e)->nCurSel);
        return true;
      });
    return combo;
  }
  SwndTestHost* host = nullptr;
  std::vector<int> events;
};

const wchar_t* kThree =
    L"<combobox pos='10,10,160,42' dropHeight='200'>"
    L"<liststyle itemHeight='30' margin='1'/>"
    L"<items><item text='low'/><item text='medium' data='7' icon='2'/><item text='high'/></items>"
    L"</combobox>";

TEST_F(ComboTest, ClassesAndTheListBuiltFromItsElements) {
  SComboBox* combo = Make(kThree);
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(combo->IsClass(L"combobox"));
  EXPECT_TRUE(combo->IsClass(L"combobase"));
  EXPECT_TRUE(combo->IsClass(L"window"));
  EXPECT_STREQ(combo->GetObjectClass(), L"combobox");
  EXPECT_EQ(combo->GetObjectType(), kObjWindow);
  SListBox* list = combo->GetListBox();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetId(), kComboListId);
  EXPECT_EQ(list->GetOwner(), combo);
  EXPECT_EQ(list->GetParent(), nullptr);  // outside the tree while closed
  EXPECT_EQ(combo->GetCount(), 3);
  EXPECT_EQ(combo->GetItemText(1), SStringW(L"medium"));
  EXPECT_EQ(combo->GetItemData(1), 7);
  EXPECT_EQ(combo->GetItemText(3), SStringW());
  EXPECT_EQ(combo->FindString(SStringW(L"high")), 2);
  EXPECT_EQ(combo->FindString(SStringW(L"low"), 1), -1);
  EXPECT_EQ(combo->GetCurSel(), -1);
  EXPECT_EQ(combo->GetText(), SStringW());
  EXPECT_TRUE(combo->IsReadOnly());
  EXPECT_EQ(combo->GetEditPart(), nullptr);
  EXPECT_TRUE(events.empty());
}

TEST_F(ComboTest, SelectionRulesAndEvents) {
  SComboBox* combo = Make(kThree);
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(combo->SetCurSel(1));
  EXPECT_EQ(combo->GetText(), SStringW(L"medium"));
  EXPECT_FALSE(combo->SetCurSel(1));  // already selected: nothing
  EXPECT_FALSE(combo->SetCurSel(3));  // past the entries
  EXPECT_TRUE(combo->SetCurSel(-5));  // any negative index clears
  EXPECT_EQ(combo->GetCurSel(), -1);
  EXPECT_EQ(events, (std::vector<int>{1, -1}));
}

TEST_F(ComboTest, ASelectionGivenInTheLayoutFiresOnceForAComboBoxOnly) {
  SComboBox* box = Make(L"<combobox pos='0,0,100,30' curSel='2'><items><item text='a'/><item text='b'/>"
                        L"<item text='c'/></items></combobox>");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetCurSel(), 2);
  EXPECT_EQ(events, std::vector<int>{2});
  SComboView* view = Make<SComboView>(L"<comboview pos='0,40,100,70' curSel='1'/>");
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->IsClass(L"comboview"));
  EXPECT_NE(view->GetListView(), nullptr);
  EXPECT_EQ(view->GetCount(), 0);  // no adapter
  EXPECT_EQ(view->GetItemText(0), SStringW());
  EXPECT_TRUE(events.empty());
}

TEST_F(ComboTest, KeysAndWheelStepWithoutWrapping) {
  SComboBox* combo = Make(kThree);
  ASSERT_NE(combo, nullptr);
  struct Step {
    UINT msg;
    int dir;  // key: virtual key; wheel: +1 up, -1 down
    int expected;
  };
  const Step steps[] = {
      {WM_KEYDOWN, VK_UP, -1},    // nothing before the first
      {WM_KEYDOWN, VK_DOWN, 0},   // from none to the first
      {WM_KEYDOWN, VK_RIGHT, 1},  {WM_MOUSEWHEEL, -1, 2},
      {WM_KEYDOWN, VK_DOWN, 2},   // nothing after the last
      {WM_MOUSEWHEEL, -1, 2},     {WM_MOUSEWHEEL, +1, 1},
      {WM_KEYDOWN, VK_LEFT, 0},   {WM_KEYDOWN, VK_UP, 0},
      {WM_MOUSEWHEEL, +1, 0},     {WM_KEYDOWN, 'A', 0},
  };
  for (const Step& s : steps) {
    const WPARAM w = s.msg == WM_KEYDOWN ? s.dir : MAKEWPARAM(0, s.dir * WHEEL_DELTA);
    const LRESULT r = combo->SendSwndMessage(s.msg, w, 0);
    if (s.msg == WM_MOUSEWHEEL) EXPECT_EQ(r, 1);
    EXPECT_EQ(combo->GetCurSel(), s.expected) << "message " << s.msg << " " << s.dir;
  }
  EXPECT_EQ(events, (std::vector<int>{0, 1, 2, 1, 0}));
}

TEST_F(ComboTest, DropDownHeightIsTheRowsAndMarginUpToTheLimit) {
  SComboBox* three = Make(kThree);
  ASSERT_NE(three, nullptr);
  EXPECT_EQ(three->GetListHeight(), 3 * 30 + 2);
  SComboBox* empty = Make(L"<combobox pos='0,50,100,80' dropHeight='120'/>");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->GetListHeight(), 120);
  SComboBox* capped = Make(L"<combobox pos='0,90,100,120' dropHeight='50'><liststyle itemHeight='30'/>"
                           L"<items><item text='a'/><item text='b'/></items></combobox>");
  ASSERT_NE(capped, nullptr);
  EXPECT_EQ(capped->GetListHeight(), 50);
}

TEST_F(ComboTest, DropButtonRectangles) {
  BlockSkinPool pool;
  pool.Add(L"wide", SIZE{24, 16}, {0xFF0000FF});
  pool.Add(L"flat", SIZE{24, 0}, {0xFF0000FF});
  struct Case {
    const wchar_t* xml;
    RECT button;
  };
  const Case cases[] = {
      // Stretched to the client height: 32 high, 32 * 24 / 16 wide.
      {L"<combobox pos='0,0,200,32' btnSkin='wide' autoFitDropBtn='0'/>", {152, 0, 200, 32}},
      // Natural size, centred vertically.
      {L"<combobox pos='0,0,200,32' btnSkin='wide'/>", {176, 8, 200, 24}},
      // A skin without height, or none at all: no button, no division.
      {L"<combobox pos='0,0,200,32' btnSkin='flat' autoFitDropBtn='0'/>", {200, 0, 200, 32}},
      {L"<combobox pos='0,0,200,32' btnSkin='nowhere' autoFitDropBtn='0'/>", {200, 0, 200, 32}},
  };
  for (const Case& c : cases) {
    SComboBox* combo = Make(c.xml);
    ASSERT_NE(combo, nullptr);
    const RECT b = combo->GetDropButtonRect();
    EXPECT_TRUE(EqualRect(&b, &c.button)) << XmlUtf8(c.xml).c_str() << ": " << b.left << "," << b.top << ","
                                          << b.right << "," << b.bottom;
    const RECT text = combo->GetEditTextRect();
    EXPECT_EQ(text.right, c.button.left);
    combo->Destroy();
  }
}

TEST_F(ComboTest, AListStyleOfAnotherClassLeavesTheComboWithoutAList) {
  SComboBox* combo = Make(L"<combobox pos='0,0,100,30' curSel='0'><liststyle wndclass='button'/>"
                          L"<items><item text='a'/></items></combobox>");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->GetListBox(), nullptr);
  EXPECT_EQ(combo->GetCount(), 0);
  EXPECT_FALSE(combo->SetCurSel(0));
  EXPECT_EQ(combo->GetListHeight(), combo->GetDropHeightPixels());
  EXPECT_TRUE(events.empty());
}

TEST_F(ComboTest, AReadOnlyComboPaintsTheSelectedEntryOnly) {
  SComboBox* combo = Make(L"<combobox pos='0,0,200,30' colorText='#000000' font='size:20'>"
                          L"<items><item text='WWWW'/></items></combobox>");
  ASSERT_NE(combo, nullptr);
  auto darkPixels = [&] {
    host->Invalidate();
    host->Paint();
    int dark = 0;
    const RECT text = combo->GetEditTextRect();
    for (int y = text.top; y < text.bottom; ++y)
      for (int x = text.left; x < text.right; ++x)
        if ((Pixel(host->Target(), x, y) & 0xFF) < 0x80) ++dark;
    return dark;
  };
  EXPECT_EQ(darkPixels(), 0);
  ASSERT_TRUE(combo->SetCurSel(0));
  EXPECT_GT(darkPixels(), 20);
}

TEST_F(ComboTest, AnEditableComboShowsTheSelectedEntryInItsEditPart) {
  SComboBox* combo = Make(L"<combobox pos='0,0,200,30' dropDown='0'>"
                          L"<items><item text='first'/><item text='second'/></items></combobox>");
  ASSERT_NE(combo, nullptr);
  EXPECT_FALSE(combo->IsReadOnly());
  SComboEdit* edit = combo->GetEditPart();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetId(), kComboEditId);
  EXPECT_EQ(edit->GetParent(), combo);
  EXPECT_FALSE(combo->TakesFocus());
  ASSERT_TRUE(combo->SetCurSel(1));
  EXPECT_EQ(edit->GetText(), SStringW(L"second"));
  EXPECT_EQ(combo->GetText(), SStringW(L"second"));
  EXPECT_EQ(combo->GetCurSel(), 1);  // writing the entry's text did not clear it
  EXPECT_EQ(events, std::vector<int>{1});

  // Typing makes the text the user's own: the list selection goes, once,
  // without a selection event.
  int notices = 0;
  combo->SubscribeEvent(EventRENotify::EventID, [&](EventArgs* e) {
    notices += static_cast<EventRENotify*>(e)->iNotify == EN_CHANGE;
    EXPECT_EQ(e->idFrom, combo->GetId());
    return true;
  });
  edit->SetFocus();
  combo->SendSwndMessage(WM_CHAR, 'x', 0);
  combo->SendSwndMessage(WM_CHAR, 'y', 0);
  EXPECT_EQ(notices, 2);
  EXPECT_EQ(combo->GetCurSel(), -1);
  EXPECT_EQ(XmlUtf8(combo->GetText()), SStringA("xy"));  // the focus selected the whole text
  EXPECT_EQ(events, std::vector<int>{1});
}

}  // namespace

namespace {

class NamedRows : public SAdapterBase {
 public:
  int GetCount() override { return 3; }
  void BindItemView(int, SWindow*, pugi::xml_node) override {}
  SStringW GetItemDescription(int position) override { return SStringW().Format(L"row %d", position); }
};

TEST_F(ComboTest, AComboViewSelectsThroughItsListViewAndMeasuresByItsLocator) {
  SComboView* view = Make<SComboView>(
      L"<comboview pos='0,0,150,30' dropHeight='500'>"
      L"<liststyle margin='2'><template itemHeight='20'/></liststyle></comboview>");
  ASSERT_NE(view, nullptr);
  ASSERT_NE(view->GetListView(), nullptr);
  EXPECT_EQ(view->GetListHeight(), 500);  // no adapter yet
  auto* adapter = new NamedRows;
  ASSERT_TRUE(view->GetListView()->SetAdapter(adapter));
  adapter->Release();
  EXPECT_EQ(view->GetCount(), 3);
  EXPECT_EQ(view->GetListHeight(), view->GetListView()->GetItemLocator()->TotalHeight() + 4);
  EXPECT_EQ(view->GetItemText(2, true), SStringW(L"row 2"));
  EXPECT_EQ(view->GetItemText(3), SStringW());
  EXPECT_TRUE(view->SetCurSel(1));
  EXPECT_FALSE(view->SetCurSel(1));
  EXPECT_FALSE(view->SetCurSel(7));  // past the items: no change, no event
  EXPECT_EQ(view->GetCurSel(), 1);
  EXPECT_EQ(view->GetText(), SStringW(L"row 1"));
  EXPECT_EQ(view->FindString(SStringW(L"row 2")), 2);
  EXPECT_EQ(events, std::vector<int>{1});
}

}  // namespace
