// The container tells the host's tool tip which tip the mouse is over
// after each mouse message, as the host calls it.
#include <string>
#include <vector>

#include "OrielTestApp.h"
#include "SwndTestHost.h"

namespace {

// Records what it is told.
class RecordingTip : public IToolTip {
 public:
  struct Call {
    std::string what;
    TipId id;
    RECT rect;
    std::wstring text;
    int scale;
  };
  BOOL PreFilter(MSG*) override { return FALSE; }
  void UpdateTip(const TipId& id, const RECT& rect, LPCWSTR text, int scale) override {
    calls.push_back({"update", id, rect, text, scale});
  }
  void ClearTip() override { calls.push_back({"clear", {}, {}, L"", 0}); }
  void FeedMouse(MSG*) override {}
  std::vector<Call> calls;
};

class ToolTipRefreshTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new SwndTestHost(200, 100, 150);
    host->CreateChildrenFromString(
        L"<window id='1' pos='0,0,100,100' tip='first tip'/>"
        L"<window id='2' pos='100,0,200,100'/>");
    host->ApplyLayout();
    host->SetToolTip(&tip);
  }
  void TearDown() override {
    host->SendSwndMessage(2);
    host->Release();
    OrielAppTest::TearDown();
  }
  // The host's mouse handler: dispatch, then refresh the tip.
  void Mouse(UINT msg, int x, int y) {
    host->DispatchFrameMessage(msg, 0, MAKELPARAM(x, y));
    host->RefreshToolTip();
  }
  const RecordingTip::Call& Last() const { return tip.calls.back(); }
  SWindow* W(int id) { return host->FindDescendantById(id); }
  RecordingTip tip;
  SwndTestHost* host = nullptr;
};

TEST_F(ToolTipRefreshTest, TheHoverWindowsTipIsShownAndClearedAtPressesLeavesAndTiplessWindows) {
  Mouse(WM_MOUSEMOVE, 20, 30);
  ASSERT_EQ(Last().what, "update");
  EXPECT_EQ(Last().id, (TipId{W(1)->GetHandle(), 0}));
  EXPECT_EQ(Last().text, L"first tip");
  EXPECT_EQ(Last().rect.right, 100);
  EXPECT_EQ(Last().rect.bottom, 100);
  EXPECT_EQ(Last().scale, 150);

  Mouse(WM_MOUSEMOVE, 150, 30);
  EXPECT_EQ(Last().what, "clear") << "a window without a tip";
  Mouse(WM_MOUSEMOVE, 30, 30);
  EXPECT_EQ(Last().what, "update");
  Mouse(WM_LBUTTONDOWN, 30, 30);
  EXPECT_EQ(Last().what, "clear") << "a press hides the tip";
  Mouse(WM_LBUTTONUP, 30, 30);
  EXPECT_EQ(Last().what, "update");
  host->DispatchFrameMessage(WM_MOUSELEAVE, 0, 0);
  host->RefreshToolTip();
  EXPECT_EQ(Last().what, "clear") << "the mouse left the host";
}

TEST_F(ToolTipRefreshTest, ATipChangedUnderTheMouseOrSuppliedByASubscriberIsShown) {
  Mouse(WM_MOUSEMOVE, 20, 30);
  const size_t before = tip.calls.size();
  W(2)->SetTipText(SStringW(L"elsewhere"));
  EXPECT_EQ(tip.calls.size(), before) << "not under the mouse: nothing to refresh";
  W(1)->SetTipText(SStringW(L"second tip"));
  ASSERT_EQ(tip.calls.size(), before + 1);
  EXPECT_EQ(Last().text, L"second tip");

  W(2)->SubscribeEvent(EventSwndUpdateTooltip::EventID, [](EventArgs* e) {
    auto* update = static_cast<EventSwndUpdateTooltip*>(e);
    update->bUpdated = TRUE;
    update->strToolTip = L"from a subscriber";
    return true;
  });
  Mouse(WM_MOUSEMOVE, 150, 30);
  EXPECT_EQ(Last().what, "update");
  EXPECT_EQ(Last().text, L"from a subscriber");
}

}  // namespace
