// The update check against a local update provider, with a stand-in
// updater that records its arguments. The tips are real windows: a timer
// inside their modal loop reads each one and answers it with real input.
#include <unistd.h>

#include <X11/keysym.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "../online/local_server.h"
#include "../platform-display/display_helper.h"
#include "base/UrlCoding.h"
#include "online/UpdateCheck.h"
#include "online/UpdateTips.h"

namespace {

namespace fs = std::filesystem;

struct SeenTip {
  std::wstring title;
  std::wstring text;
  std::map<int, std::wstring> buttons;  // id → label
};

// What to do with each tip in turn: click a button, or press a key.
struct Answer {
  int button = 0;
  KeySym key = 0;
};

std::wstring TextOf(HWND hwnd) {
  wchar_t text[256] = {};
  if (hwnd) GetWindowTextW(hwnd, text, 255);
  return text;
}

struct TipDriver {
  std::vector<Answer> answers;
  std::vector<SeenTip> seen;
  HWND current = nullptr;
  std::wstring currentText;
  int ticks = 0;
  size_t answered = 0;

  static TipDriver* active;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { active->OnTick(); }

  void OnTick() {
    HWND tip = FindWindowW(L"QuorvaleUpdateTip", nullptr);
    if (!tip || !IsWindowVisible(tip)) {
      current = nullptr;
      return;
    }
    const std::wstring text = TextOf(GetDlgItem(tip, kTipTextId));
    if (tip != current || text != currentText) {  // a new tip
      current = tip;
      currentText = text;
      ticks = 0;
      SeenTip s{TextOf(tip), text, {}};
      for (int id : {kTipOkId, kTipNoId, kTipCloseId})
        if (HWND button = GetDlgItem(tip, id)) s.buttons[id] = TextOf(button);
      seen.push_back(s);
      return;
    }
    if (answered >= seen.size() || answered >= answers.size()) return;
    const Answer& answer = answers[answered];
    ++ticks;
    if (ticks == 3 && answer.button) {
      RECT r{};
      GetWindowRect(GetDlgItem(tip, answer.button), &r);
      moveMouse((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    if (ticks == 5) {
      if (answer.button) clickButton(1);
      else tapKey(answer.key);
      ++answered;
    }
  }
};
TipDriver* TipDriver::active = nullptr;

class UpdateCheckTest : public online_test::ScratchTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay());
    ScratchTest::SetUp();
    ASSERT_TRUE(server.running());
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previousDir = cwd;
    ASSERT_EQ(chdir(root_.c_str()), 0);  // start-up makes the program's folder current
    record = Path("hovrane-argv.txt");
    setenv("HOVRANE_RECORD", record.c_str(), 1);
    setenv("QUORVALE_PRODUCT_INI", Path("product.ini").c_str(), 1);
  }
  void TearDown() override {
    if (!previousDir.empty()) {
      EXPECT_EQ(chdir(previousDir.c_str()), 0);
    }
    unsetenv("HOVRANE_RECORD");
    unsetenv("QUORVALE_PRODUCT_INI");
    ScratchTest::TearDown();
  }

  void InstallUpdater() { fs::copy_file(QUORVALE_TEST_HOVRANE, Path("hovrane")); }
  void Provider(const std::string& url) { std::ofstream(Path("product.ini")) << "[product]\nupdate_url=" << url << "\n"; }
  void Answers(const std::string& json) {
    Provider(server.url("/status?code=200&body=" + UrlEncode(json, false)));
  }

  bool Run(bool notify, std::vector<Answer> answers) {
    driver.answers = std::move(answers);
    TipDriver::active = &driver;
    const UINT_PTR timer = SetTimer(nullptr, 0, 40, &TipDriver::Tick);
    const bool result = CheckForUpdate(nullptr, notify);
    KillTimer(nullptr, timer);
    return result;
  }

  // The updater's arguments, once it has written them; empty when it did
  // not run within the time.
  std::vector<std::string> UpdaterArguments(int waitMs = 10000) {
    for (int waited = 0; waited < waitMs && !fs::exists(record); waited += 20)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::vector<std::string> lines;
    std::ifstream in(record);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  online_test::LocalServer server;
  std::string previousDir;
  fs::path record;
  TipDriver driver;
};

const std::map<int, std::wstring> kQuestionButtons = {{kTipOkId, L"更新"}, {kTipNoId, L"取消"}, {kTipCloseId, L"×"}};

TEST_F(UpdateCheckTest, ANewerVersionIsOfferedAndUpdateStartsTheUpdaterWithThreeArguments) {
  InstallUpdater();
  Answers(R"({"version":"3.7.0","ForceUpdate":0,"verinfo":"notes \"q\" & more"})");
  EXPECT_TRUE(Run(true, {{kTipOkId, 0}}));
  ASSERT_EQ(driver.seen.size(), 1u);
  EXPECT_EQ(driver.seen[0].title, L"提示");
  EXPECT_EQ(driver.seen[0].text, L"检测到新版本，是否更新？");
  EXPECT_EQ(driver.seen[0].buttons, kQuestionButtons);
  char exe[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
  EXPECT_EQ(UpdaterArguments(), (std::vector<std::string>{std::string("/appfile=") + exe,
                                                          "/ppid=" + std::to_string(getpid()),
                                                          "/verinfo=notes \"q\" & more"}));
}

TEST_F(UpdateCheckTest, DecliningStartsNothing) {
  InstallUpdater();
  Answers(R"({"version":"3.10.0","ForceUpdate":"0","verinfo":"x"})");  // newer by number, older by text
  for (int button : {kTipNoId, kTipCloseId}) {
    driver = {};
    EXPECT_FALSE(Run(true, {{button, 0}})) << button;
    ASSERT_EQ(driver.seen.size(), 1u);
    EXPECT_EQ(driver.seen[0].buttons, kQuestionButtons);
  }
  driver = {};
  EXPECT_FALSE(Run(true, {{0, XK_Escape}}));
  EXPECT_TRUE(UpdaterArguments(500).empty());
}

TEST_F(UpdateCheckTest, AForcedUpdateCannotBeDeclinedAndEscStillStartsIt) {
  InstallUpdater();
  Answers(R"({"version":"4.0","ForceUpdate":1,"verinfo":"forced"})");
  EXPECT_TRUE(Run(false, {{0, XK_Escape}}));
  ASSERT_EQ(driver.seen.size(), 1u);
  EXPECT_EQ(driver.seen[0].buttons, (std::map<int, std::wstring>{{kTipOkId, L"更新"}}));
  const auto arguments = UpdaterArguments();
  ASSERT_EQ(arguments.size(), 3u);
  EXPECT_EQ(arguments[2], "/verinfo=forced");
}

TEST_F(UpdateCheckTest, TheSameOrAnOlderVersionTellsOnlyWhenAskedTo) {
  InstallUpdater();
  for (const char* version : {"3.6.0", "3.6", "3.5.9"}) {
    SCOPED_TRACE(version);
    Answers(std::string(R"({"version":")") + version + R"(","ForceUpdate":1})");
    driver = {};
    EXPECT_FALSE(Run(true, {{kTipOkId, 0}}));
    ASSERT_EQ(driver.seen.size(), 1u);
    EXPECT_EQ(driver.seen[0].text, L"当前已是最新版！");
    EXPECT_EQ(driver.seen[0].buttons, (std::map<int, std::wstring>{{kTipOkId, L"确定"}, {kTipCloseId, L"×"}}));
    driver = {};
    EXPECT_FALSE(Run(false, {}));
    EXPECT_TRUE(driver.seen.empty());
  }
  EXPECT_TRUE(UpdaterArguments(300).empty());
}

TEST_F(UpdateCheckTest, NoProviderOrNoAnswerIsTheErrorTip) {
  InstallUpdater();
  struct Case {
    std::string url;
    std::wstring reasonPart;
  } cases[] = {
      {"none", L"未配置更新地址"},
      {"http://127.0.0.1:" + std::to_string(online_test::UnusedPort()) + "/update", L"Couldn't connect to server"},
      {server.url("/status?code=404&body=gone"), L"HTTP 404"},
      {server.url("/status?code=200&body=not%20json"), L"更新信息无效"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    Provider(c.url);
    driver = {};
    EXPECT_FALSE(Run(true, {{kTipOkId, 0}}));
    ASSERT_EQ(driver.seen.size(), 1u);
    EXPECT_EQ(driver.seen[0].text.rfind(L"Error:无法获取更新信息,", 0), 0u);
    EXPECT_NE(driver.seen[0].text.find(c.reasonPart), std::wstring::npos);
    driver = {};
    EXPECT_FALSE(Run(false, {}));
    EXPECT_TRUE(driver.seen.empty());
  }
  EXPECT_TRUE(UpdaterArguments(300).empty());
}

TEST_F(UpdateCheckTest, AMissingUpdaterIsReportedWithTheShellsCode) {
  Answers(R"({"version":"3.7.0","ForceUpdate":0,"verinfo":"x"})");
  EXPECT_FALSE(Run(true, {{kTipOkId, 0}, {kTipOkId, 0}}));
  ASSERT_EQ(driver.seen.size(), 2u);
  EXPECT_EQ(driver.seen[1].text, L"Error:无法启动更新器,2");
  EXPECT_EQ(driver.seen[1].buttons.at(kTipOkId), L"确定");
}

}  // namespace
