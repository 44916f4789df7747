// Item panels inside a list view, headless: item events, the wrapping of
// events raised inside an item, disabled items, colours by state and
// animation frames only for shown panels.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SListView.h"

namespace {

class TemplateAdapter : public SAdapterBase {
 public:
  int GetCount() override { return 5; }
  void BindItemView(int, SWindow* item, pugi::xml_node tpl) override {
    if (item->GetChildrenCount() == 0) item->CreateChildren(tpl);
  }
};

class ItemPanelTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(300, 300);
    host->CreateChildrenFromString(
        L"<listview pos='0,0,200,100'><template itemHeight='20'><window name='btn' pos='100,0,150,20'/>"
        L"</template></listview>");
    view = static_cast<SListView*>(host->GetRelative(GSW_FIRSTCHILD));
    host->ApplyLayout();
    auto* adapter = new TemplateAdapter;
    view->SetAdapter(adapter);
    adapter->Release();
    view->SubscribeEvent(EventOfPanel::EventID, [this](EventArgs* e) {
      auto* wrapped = static_cast<EventOfPanel*>(e);
      const bool fromButton = wrapped->pOrgEvt->sender != static_cast<IObject*>(static_cast<SWindow*>(wrapped->pPanel));
      wrapped_.push_back({wrapped->pOrgEvt->GetId(), wrapped->pPanel->GetItemIndex(), fromButton ? 1 : 0});
      return false;
    });
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  void Click(int x, int y) {
    view->SendSwndMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    view->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    view->SendSwndMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  bool Wrapped(int id, int index, int fromButton) const {
    for (const auto& w : wrapped_)
      if (w == std::vector<int>{id, index, fromButton}) return true;
    return false;
  }
  SwndTestHost* host = nullptr;
  SListView* view = nullptr;
  std::vector<std::vector<int>> wrapped_;
};

TEST_F(ItemPanelTest, AClickOnTheEmptyAreaRaisesTheItemClickThenItsCommand) {
  Click(20, 25);
  EXPECT_TRUE(Wrapped(EventItemPanelClick::EventID, 1, 0));
  EXPECT_TRUE(Wrapped(EventCmd::EventID, 1, 0));
  // The view's parents see the wrapped events.
  EXPECT_NE(std::count(host->delivered.begin(), host->delivered.end(), EventOfPanel::EventID), 0);
}

TEST_F(ItemPanelTest, AClickOnAWindowInsideTheItemRaisesThatWindowsEventsWrapped) {
  Click(120, 45);
  EXPECT_TRUE(Wrapped(EventCmd::EventID, 2, 1));  // the inner window's command
  EXPECT_TRUE(Wrapped(EventItemPanelClick::EventID, 2, 0));
}

TEST_F(ItemPanelTest, ADisabledItemRaisesNoItemEvents) {
  SItemPanel* panel = view->GetItemPanelByIndex(3);
  ASSERT_NE(panel, nullptr);
  panel->SetEnabled(FALSE);
  wrapped_.clear();
  panel->DispatchFrameMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  panel->DispatchFrameMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(Wrapped(EventItemPanelClick::EventID, 3, 0));
  EXPECT_EQ(view->GetSel(), -1);
}

TEST_F(ItemPanelTest, CheckedWinsOverHoverForTheBackground) {
  SItemPanel* panel = view->GetItemPanelByIndex(0);
  ASSERT_NE(panel, nullptr);
  panel->ApplyAttribute(SStringW(L"colorHover"), SStringW(L"#00ff00"), FALSE);
  panel->ApplyAttribute(SStringW(L"colorSelected"), SStringW(L"#0000ff"), FALSE);
  panel->ModifyItemState(WndState_Hover, 0);
  EXPECT_EQ(panel->BackgroundColor(), SResProviderMgr::LookupNamedColor(SStringW(L"#00ff00")));
  panel->ModifyItemState(WndState_Check, 0);
  EXPECT_EQ(panel->BackgroundColor(), SResProviderMgr::LookupNamedColor(SStringW(L"#0000ff")));
  EXPECT_EQ(panel->ApplyAttribute(SStringW(L"colorNormal"), SStringW(L""), FALSE), E_FAIL);
}

TEST_F(ItemPanelTest, OnlyShownPanelsReceiveAnimationFrames) {
  SItemPanel* panel = view->GetItemPanelByIndex(0);
  ASSERT_NE(panel, nullptr);
  ITimelineHandler* handler = panel;
  EXPECT_FALSE(host->AddTimelineHandler(handler));  // already there
  panel->SetVisible(FALSE);
  EXPECT_FALSE(host->RemoveTimelineHandler(handler));  // gone with the hide
  panel->SetVisible(TRUE);
  EXPECT_FALSE(host->AddTimelineHandler(handler));
}

}  // namespace
