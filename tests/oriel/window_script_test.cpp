// Script handlers named by event attributes: kept only when the host has a
// script module, run after the window's own subscribers and before the
// owner or host.
#include <string>
#include <vector>

#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "core/IScriptModule.h"

namespace {

// A script module that records the handlers it is asked to run.
class RecordingScript : public TObjRefImpl<IScriptModule> {
 public:
  BOOL ExecuteScriptBuffer(const char*, size_t) override { return TRUE; }
  BOOL ExecuteEvent(const SStringA& handler, EventArgs* e) override {
    ran.push_back(std::string(handler.c_str()));
    if (stop) {
      e->handled += 1;
      e->bubbleUp = 0;
    }
    return TRUE;
  }
  std::vector<std::string> ran;
  bool stop = false;
};

class ScriptHost : public SwndTestHost {
 public:
  ScriptHost() : SwndTestHost(100, 100) {}
  void* GetScriptModule() override { return module; }
  IScriptModule* module = nullptr;
};

class WindowScriptTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new ScriptHost;
  }
  void TearDown() override {
    host->SendSwndMessage(2);
    host->Release();
    OrielAppTest::TearDown();
  }
  SWindow* Load(const wchar_t* xml) {
    host->CreateChildrenFromString(xml);
    return host->FindDescendantById(1);
  }
  BOOL RaiseCommand(SWindow* w) {
    EventCmd e(w);
    return w->RaiseEvent(&e);
  }
  int Delivered(int id) const {
    int n = 0;
    for (int e : host->delivered) n += e == id;
    return n;
  }
  RecordingScript script;
  ScriptHost* host = nullptr;
};

TEST_F(WindowScriptTest, WithoutAScriptModuleEventAttributesAreRefusedAndEventsGoToTheHost) {
  SWindow* w = Load(L"<window id='1' on_command='onClick'/>");
  EXPECT_TRUE(w->GetEventSet()->GetEventScriptHandler(SStringW(L"on_command")).IsEmpty());
  EXPECT_EQ(w->ApplyAttribute(SStringW(L"on_command"), SStringW(L"onClick"), FALSE), E_FAIL);
  RaiseCommand(w);
  EXPECT_EQ(Delivered(EventCmd::EventID), 1);
}

TEST_F(WindowScriptTest, HandlersAreKeptInUtf8AndRunBeforeTheHost) {
  host->module = &script;
  SWindow* w = Load(L"<window id='1' on_command='点击'/>");
  EXPECT_EQ(w->GetEventSet()->GetEventScriptHandler(SStringW(L"on_command")), SStringA("\xE7\x82\xB9\xE5\x87\xBB"));
  EXPECT_EQ(w->ApplyAttribute(SStringW(L"on_no_such_event"), SStringW(L"x"), FALSE), E_FAIL);
  EXPECT_EQ(w->ApplyAttribute(SStringW(L"on_mouse_hover"), SStringW(L"onHover"), FALSE), S_FALSE);

  EXPECT_FALSE(RaiseCommand(w));
  EXPECT_EQ(script.ran, (std::vector<std::string>{"\xE7\x82\xB9\xE5\x87\xBB"}));
  EXPECT_EQ(Delivered(EventCmd::EventID), 1) << "the handler did not stop it";

  // A handler that stops the event keeps it from the host.
  script.stop = true;
  EXPECT_TRUE(RaiseCommand(w));
  EXPECT_EQ(script.ran.size(), 2u);
  EXPECT_EQ(Delivered(EventCmd::EventID), 1);

  // A subscriber that stops it first keeps it from the script.
  w->SubscribeEvent(EventCmd::EventID, [](EventArgs* e) {
    e->bubbleUp = 0;
    return true;
  });
  EXPECT_TRUE(RaiseCommand(w));
  EXPECT_EQ(script.ran.size(), 2u);

  // Events without a handler run nothing.
  EventSwndMouseLeave leave(w);
  w->RaiseEvent(&leave);
  EXPECT_EQ(script.ran.size(), 2u);
}

}  // namespace
