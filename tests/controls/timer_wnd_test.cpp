// The stopwatch text under a fake clock: formatting, the count advancing
// only on whole seconds, pauses left out, and the events it fires.
#include <vector>

#include "../oriel/OrielTestApp.h"
#include "../oriel/SwndTestHost.h"
#include "controls/STimerWnd.h"

namespace {

TEST(TimerWndFormat, HoursMinutesSecondsInBothForms) {
  struct Case {
    int seconds;
    const wchar_t* spaced;
    const wchar_t* tight;
  };
  const Case cases[] = {
      {0, L"00 : 00 : 00", L"00:00:00"},
      {3725, L"01 : 02 : 05", L"01:02:05"},
      {359999, L"99 : 59 : 59", L"99:59:59"},
      {360000, L"100 : 00 : 00", L"100:00:00"},
      {-5, L"00 : 00 : 00", L"00:00:00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(STimerWnd::FormatElapsed(c.seconds, true), SStringW(c.spaced)) << c.seconds;
    EXPECT_EQ(STimerWnd::FormatElapsed(c.seconds, false), SStringW(c.tight)) << c.seconds;
  }
}

class TimerWndTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    app->RegisterClass<STimerWnd>();
    STimerWnd::SetDefaultClock([this] { return now; });
    host = new SwndTestHost(200, 40);
  }
  void TearDown() override {
    STimerWnd::SetDefaultClock(nullptr);
    if (host) {
      host->SendSwndMessage(2);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  // A timer window made from XML, reading the fake clock; its events reach
  // the host as (id, seconds), -1 for events without seconds.
  STimerWnd* Make(const wchar_t* attrs) {
    SStringW xml;
    xml.Format(L"<timerWnd id='7' pos='0,0,200,40' %s/>", attrs);
    host->CreateChildrenFromString(xml);
    auto* w = dynamic_cast<STimerWnd*>(host->FindDescendantById(7));
    EXPECT_NE(w, nullptr);
    if (!w) return nullptr;
    w->SubscribeEvent(EventTwTiming::EventID, [this](EventArgs* e) {
      seconds.push_back(static_cast<EventTwTiming*>(e)->seconds);
      return true;
    });
    return w;
  }
  // The animation and timing events the host received, in order.
  std::vector<int> Delivered() const {
    std::vector<int> ids;
    for (int id : host->delivered)
      if (id == EventTwTiming::EventID || id == EventAnimateStart::EventID || id == EventAnimateStop::EventID)
        ids.push_back(id);
    return ids;
  }
  void Tick(STimerWnd* w, int64_t to) {
    now = to;
    w->SendSwndMessage(WM_TIMER, STimerWnd::kTimerId);
  }
  SwndTestHost* host = nullptr;
  int64_t now = 50000;
  std::vector<int> seconds;
};

TEST_F(TimerWndTest, StartsWhenShownAndCountsWholeSecondsWithEvents) {
  STimerWnd* w = Make(L"");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->IsRunning());  // shown when created
  EXPECT_EQ(w->GetText(), SStringW(L"00 : 00 : 00"));
  Tick(w, 50000 + 999);
  Tick(w, 50000 + 1000);  // exactly one second waits for the next poll
  EXPECT_EQ(w->GetSeconds(), 0);
  Tick(w, 50000 + 1250);
  EXPECT_EQ(w->GetSeconds(), 1);
  EXPECT_EQ(w->GetText(), SStringW(L"00 : 00 : 01"));
  Tick(w, 50000 + 3725250);  // a long gap lands as many seconds at once
  EXPECT_EQ(w->GetText(), SStringW(L"01 : 02 : 05"));
  EXPECT_EQ(seconds, (std::vector<int>{1, 3725}));
  EXPECT_EQ(Delivered(),
            (std::vector<int>{EventAnimateStart::EventID, EventTwTiming::EventID, EventTwTiming::EventID}));
  // Shown again: autoStart acted once, the count goes on.
  w->SendSwndMessage(SWM_SHOWWINDOW, TRUE, 0);
  EXPECT_EQ(w->GetSeconds(), 3725);
}

TEST_F(TimerWndTest, TightFormAndNoAutoStartFromXml) {
  STimerWnd* w = Make(L"space='false' autoStart='0'");
  ASSERT_NE(w, nullptr);
  w->SendSwndMessage(SWM_SHOWWINDOW, TRUE, 0);
  EXPECT_FALSE(w->IsRunning());
  w->SetSeconds(3725);
  EXPECT_EQ(w->GetText(), SStringW(L"01:02:05"));
  w->SetSpace(true);
  EXPECT_EQ(w->GetText(), SStringW(L"01 : 02 : 05"));
}

TEST_F(TimerWndTest, TenSecondPauseIsNotCounted) {
  STimerWnd* w = Make(L"autoStart='0'");
  ASSERT_NE(w, nullptr);
  w->Start();
  Tick(w, 52100);
  EXPECT_EQ(w->GetSeconds(), 2);
  w->Pause();
  Tick(w, 57000);  // a stray poll while paused counts nothing
  now = 62100;
  w->Pause();      // a second pause must not move the pause's start
  w->Resume();
  Tick(w, 62100 + 2000);
  EXPECT_EQ(w->GetSeconds(), 4);
  w->Resume();  // not paused: nothing
  Tick(w, 62100 + 3100);
  EXPECT_EQ(w->GetSeconds(), 5);
}

TEST_F(TimerWndTest, StopDuringPauseClosesThePauseAndStartRestarts) {
  STimerWnd* w = Make(L"autoStart='0'");
  ASSERT_NE(w, nullptr);
  w->Resume();  // idle: nothing
  EXPECT_FALSE(w->IsRunning());
  w->Start();
  Tick(w, 53500);
  w->Pause();
  now = 70000;
  w->Stop();
  EXPECT_FALSE(w->IsRunning());
  EXPECT_FALSE(w->IsPaused());
  EXPECT_EQ(w->GetText(), SStringW(L"00 : 00 : 03"));  // the shown count stays
  w->Resume();  // stopped: nothing
  EXPECT_FALSE(w->IsRunning());
  w->Start();
  EXPECT_EQ(w->GetSeconds(), 0);
  EXPECT_EQ(w->GetText(), SStringW(L"00 : 00 : 03"));  // rewritten on the next second
  Tick(w, 71001);
  EXPECT_EQ(w->GetText(), SStringW(L"00 : 00 : 01"));
}

TEST_F(TimerWndTest, DestroyStopsAndPassesTheMessageOn) {
  STimerWnd* w = Make(L"");
  ASSERT_NE(w, nullptr);
  int destroyEvents = 0;
  w->SubscribeEvent(EventSwndDestroy::EventID, [&](EventArgs*) { return ++destroyEvents, true; });
  EXPECT_TRUE(w->IsRunning());
  host->SendSwndMessage(SWM_DESTROY);
  EXPECT_EQ(Delivered(), (std::vector<int>{EventAnimateStart::EventID, EventAnimateStop::EventID}));
  // Passed on: the base window's own destruction ran and raised its event.
  EXPECT_EQ(destroyEvents, 1);
}

}  // namespace
