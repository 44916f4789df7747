// The scrolling panel's arrow held down in a real window: one step at
// once, the next only after the first repeat delay, then steady repeats
// until the release.
#include <chrono>

#include "SwndWindowHost.h"
#include "control/SPanel.h"
#include "list_test_input.h"

namespace {

constexpr int kX = 300, kY = 200, kW = 120, kH = 200, kBar = 16;

class PanelDisplayTest : public OrielAppTest {};

TEST_F(PanelDisplayTest, AHeldArrowRepeatsAfterItsDelayUntilReleased) {
  ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
  ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
  auto* host = new SwndWindowHost(kX, kY, kW, kH);
  host->CreateChildrenFromString(L"<div pos='0,0,-0,-0'/>");
  auto* panel = static_cast<SPanel*>(host->GetRelative(GSW_FIRSTCHILD));
  host->ApplyLayout();
  panel->ShowScrollBar(SPanel::kBarVert, TRUE);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMax = 9999;
  si.nPage = 100;
  panel->SetBarInfo(si, true);
  ShowWindow(host->Hwnd(), SW_SHOWNA);
  ASSERT_TRUE(waitViewable(host->Hwnd()));

  moveMouse(kX + kW - kBar / 2, kY + kH - 5);  // the down arrow
  pumpFor(100);
  const auto pressed = std::chrono::steady_clock::now();
  PressButton(1, true);
  ASSERT_TRUE(pumpUntil([&] { return panel->GetScrollPos(true) >= 10; }));
  // The first repeat cannot come before 500 ms after the press.
  pumpUntil([] { return false; }, 300);
  if (std::chrono::steady_clock::now() - pressed < std::chrono::milliseconds(450)) {
    EXPECT_EQ(panel->GetScrollPos(true), 10);
  }
  ASSERT_TRUE(pumpUntil([&] { return panel->GetScrollPos(true) >= 50; }, 8000)) << panel->GetScrollPos(true);
  PressButton(1, false);
  pumpFor(200);
  const int stopped = panel->GetScrollPos(true);
  pumpFor(300);
  EXPECT_EQ(panel->GetScrollPos(true), stopped);
  EXPECT_EQ(host->GetCapture(), 0u);

  host->SendSwndMessage(SWM_DESTROY);
  host->Release();
}

}  // namespace
