// The event set: the window's fourteen events, subscribers run newest
// first until one stops the event, member and function subscribers,
// unsubscribing (also from inside a running subscriber), muting and the
// script handler names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "event/SEventSet.h"
#include "event/SWndEvents.h"

namespace ORIEL {
namespace {

// A sender with an id and a name.
class Sender : public SObjectImpl<TObjRefImpl<IObject>> {
 public:
  int GetId() const override { return 7; }
  SStringW GetName() const override { return SStringW(L"okButton"); }
};

// Records its calls; answers `result` and may stop the event.
struct Listener {
  std::string tag;
  std::vector<std::string>* log;
  bool result = true;
  bool stop = false;
  bool OnCmd(EventCmd* e) {
    log->push_back(tag);
    if (stop) e->bubbleUp = 0;
    return result;
  }
  bool OnAny(EventArgs*) {
    log->push_back(tag + "*");
    return false;
  }
};

TEST(EventSetTest, WindowEventsInOrderWithTheirNames) {
  SEventSet set;
  AddWindowEvents(&set);
  const struct {
    int id;
    const wchar_t* name;
  } expected[] = {{8102, L"on_create"},         {8103, L"on_destroy"},
                  {8104, L"on_size"},           {9000, L"on_mouse_hover"},
                  {9001, L"on_mouse_leave"},    {8106, L"on_state_changed"},
                  {8105, L"on_visible_changed"}, {8109, L"on_update_tooltip"},
                  {8107, L"on_mouse_lbutton_down"}, {8108, L"on_mouse_lbutton_up"},
                  {10000, L"on_command"},       {10001, L"on_conext_menu"},
                  {8100, L"on_set_focus"},      {8101, L"on_kill_focus"}};
  ASSERT_EQ(set.GetEventCount(), static_cast<int>(std::size(expected)));
  for (int i = 0; i < set.GetEventCount(); ++i) {
    EXPECT_EQ(set.GetEventAt(i)->GetId(), expected[i].id) << i;
    EXPECT_TRUE(set.GetEventAt(i)->GetName() == expected[i].name) << i;
  }
  // Adding an id again changes nothing.
  set.AddEvent(10000, L"other");
  EXPECT_EQ(set.GetEventCount(), 14);
}

TEST(EventSetTest, EventObjectsAnswerAsTheirClass) {
  Sender sender;
  EventAnimateStop stop(&sender);
  EXPECT_EQ(stop.GetId(), 22101);
  EXPECT_TRUE(stop.GetName() == L"EVT_ANI_STOP");
  EXPECT_TRUE(stop.IsClass(L"EVT_ANI_STOP"));
  EXPECT_TRUE(stop.IsClass(L"eventargs"));
  EXPECT_FALSE(stop.IsClass(L"on_command"));
  EXPECT_EQ(stop.GetObjectType(), -1);
  EXPECT_EQ(stop.idFrom, 7);
  EXPECT_TRUE(stop.nameFrom == L"okButton");
  EXPECT_EQ(stop.bubbleUp, 1);
  EXPECT_EQ(stop.handled, 0);
  EventCtxMenu menu(nullptr);
  EXPECT_EQ(menu.GetId(), 10001);
  EXPECT_EQ(menu.idFrom, 0);
  EXPECT_TRUE(menu.nameFrom.IsEmpty());
  EXPECT_EQ(EventAnimateStart::EventID, 22100);
}

class FiringTest : public ::testing::Test {
 protected:
  void SetUp() override { AddWindowEvents(&set); }
  int Fire() {
    EventCmd e(&sender);
    set.DispatchEvent(&e);
    lastBubble = e.bubbleUp;
    return e.handled;
  }
  Sender sender;
  SEventSet set;
  std::vector<std::string> log;
  int lastBubble = 1;
};

TEST_F(FiringTest, NewestFirstAndAStopEndsIt) {
  Listener a{"A", &log}, b{"B", &log};
  ASSERT_TRUE(set.SubscribeEvent(EventCmd::EventID, Subscriber(&Listener::OnCmd, &a)));
  ASSERT_TRUE(set.SubscribeEvent(EventCmd::EventID, Subscriber(&Listener::OnCmd, &b)));
  // B handles without stopping: A runs too, both count.
  EXPECT_EQ(Fire(), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"B", "A"}));
  // B handles and stops: A never runs.
  log.clear();
  b.stop = true;
  EXPECT_EQ(Fire(), 1);
  EXPECT_EQ(lastBubble, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"B"}));
  // A stop without handling does not end it: only a handling one does.
  log.clear();
  b.result = false;
  EXPECT_EQ(Fire(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"B", "A"}));
}

TEST_F(FiringTest, DuplicatesAndFunctionSubscribers) {
  Listener a{"A", &log};
  EXPECT_TRUE(set.SubscribeEvent(EventCmd::EventID, Subscriber(&Listener::OnCmd, &a)));
  EXPECT_FALSE(set.SubscribeEvent(EventCmd::EventID, Subscriber(&Listener::OnCmd, &a)));
  // The same function of another object, another function of the same one.
  Listener a2{"A2", &log};
  EXPECT_TRUE(set.SubscribeEvent(EventCmd::EventID, Subscriber(&Listener::OnCmd, &a2)));
  EXPECT_TRUE(set.SubscribeEvent(EventCmd::EventID, Subscriber(&Listener::OnAny, &a)));
  auto fn = [&](EventArgs*) {
    log.push_back("F");
    return true;
  };
  EXPECT_TRUE(set.SubscribeEvent(EventCmd::EventID, fn));
  EXPECT_TRUE(set.SubscribeEvent(EventCmd::EventID, fn));
  EXPECT_FALSE(set.SubscribeEvent(4242, fn)) << "no such event";
  EXPECT_EQ(Fire(), 4);
  EXPECT_EQ(log, (std::vector<std::string>{"F", "F", "A*", "A2", "A"}));
  // Function subscribers are never found again; member ones are, once.
  EXPECT_FALSE(set.UnsubscribeEvent(EventCmd::EventID, StdFunctionSlot(fn)));
  EXPECT_TRUE(set.UnsubscribeEvent(EventCmd::EventID, Subscriber(&Listener::OnCmd, &a)));
  EXPECT_FALSE(set.UnsubscribeEvent(EventCmd::EventID, Subscriber(&Listener::OnCmd, &a)));
  EXPECT_FALSE(set.UnsubscribeEvent(4242, Subscriber(&Listener::OnCmd, &a2)));
  log.clear();
  Fire();
  EXPECT_EQ(log, (std::vector<std::string>{"F", "F", "A*", "A2"}));
  StdFunctionSlot empty{StdFunctionSlot::Function()};
  EXPECT_THROW(empty.Invoke(nullptr), std::logic_error);
}

// Removes itself, or another subscriber, while the event is firing.
struct Remover {
  SEventSet* set;
  std::vector<std::string>* log;
  std::string tag;
  Remover* victim = nullptr;
  bool OnCmd(EventCmd*) {
    log->push_back(tag);
    set->UnsubscribeEvent(EventCmd::EventID, Subscriber(&Remover::OnCmd, victim ? victim : this));
    return false;
  }
};

TEST_F(FiringTest, UnsubscribingWhileFiring) {
  Remover a{&set, &log, "A"}, b{&set, &log, "B"}, c{&set, &log, "C"};
  set.SubscribeEvent(EventCmd::EventID, Subscriber(&Remover::OnCmd, &a));
  set.SubscribeEvent(EventCmd::EventID, Subscriber(&Remover::OnCmd, &b));
  set.SubscribeEvent(EventCmd::EventID, Subscriber(&Remover::OnCmd, &c));
  // C removes A, which has not run yet: A is skipped, B runs once.
  c.victim = &a;
  Fire();
  EXPECT_EQ(log, (std::vector<std::string>{"C", "B"}));
  // B removed itself while running; C is the only one left.
  log.clear();
  Fire();
  EXPECT_EQ(log, (std::vector<std::string>{"C"}));

  // A function subscriber that removes its event while it runs.
  set.SubscribeEvent(EventCmd::EventID, [&](EventArgs*) {
    set.RemoveEvent(EventCmd::EventID);
    log.push_back("gone");
    return true;
  });
  log.clear();
  EXPECT_EQ(Fire(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"gone"}));
  EXPECT_FALSE(set.IsEventExist(EventCmd::EventID));
  EXPECT_EQ(Fire(), 0);
}

TEST_F(FiringTest, SubscribedWhileFiringRunsNextTime) {
  set.SubscribeEvent(EventCmd::EventID, [&](EventArgs*) {
    log.push_back("first");
    set.SubscribeEvent(EventCmd::EventID, [&](EventArgs*) {
      log.push_back("later");
      return false;
    });
    return false;
  });
  Fire();
  EXPECT_EQ(log, (std::vector<std::string>{"first"}));
}

TEST_F(FiringTest, MutedSetRunsNothing) {
  Listener a{"A", &log};
  set.SubscribeEvent(EventCmd::EventID, Subscriber(&Listener::OnCmd, &a));
  set.muted = 1;
  EXPECT_EQ(Fire(), 0);
  EXPECT_TRUE(log.empty());
  set.muted = 0;
  EXPECT_EQ(Fire(), 1);
}

TEST_F(FiringTest, ScriptHandlersByName) {
  EXPECT_TRUE(set.SetEventScriptHandler(SStringW(L"on_command"), SStringA("onOk")));
  EXPECT_FALSE(set.SetEventScriptHandler(SStringW(L"On_Command"), SStringA("x"))) << "names keep their case";
  EXPECT_TRUE(set.GetEventScriptHandler(SStringW(L"on_command")) == "onOk");
  EXPECT_TRUE(set.GetEventScriptHandler(SStringW(L"on_size")).IsEmpty());
  EXPECT_TRUE(set.GetEventScriptHandler(SStringW(L"nothing")).IsEmpty());
  set.RemoveAllEvents();
  EXPECT_EQ(set.GetEventCount(), 0);
  EXPECT_FALSE(set.SubscribeEvent(EventCmd::EventID, [](EventArgs*) { return true; }));
}

}  // namespace
}  // namespace ORIEL
