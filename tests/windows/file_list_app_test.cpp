// The list of recordings in the running program, on the test servers:
// recordings made with the main window's buttons, the row buttons clicked
// for real, the modal dialogs driven while they run (a thread timer acts
// once each dialog is up, as the user would), the handlers the shell
// starts replaced by stand-ins that record what they get.
#include <sqlite3.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "../platform-shell/file_manager_standin.h"
#include "decoded_file_helper.h"
#include "app_fixture.h"
#include "handler_standin.h"
#include "base/CodePage.h"
#include "base/PathHelpers.h"
#include "control/SCheckBox.h"
#include "control/SEdit.h"
#include "control/SListView.h"
#include "control/STabCtrl.h"
#include "controls/CDlgStack.h"
#include "controls/SDlgBase.h"
#include "logic/DataFiles.h"
#include "pulse_tools_helper.h"
#include "windows/CAdpaterFilelist.h"
#include "windows/FileListTexts.h"
#include "windows/SDlgFilelist.h"

using namespace ORIEL;
namespace fs = std::filesystem;

namespace {

// Steps run one after the other from a thread timer, which keeps firing
// inside the modal loops the clicks start.
class Script {
 public:
  using Step = std::function<bool()>;  // true when done
  static Script& Get() {
    static Script s;
    return s;
  }
  void Start(std::deque<Step> steps) {
    steps_ = std::move(steps);
    started_ = std::chrono::steady_clock::now();
    if (!timer_) timer_ = SetTimer(nullptr, 0, 100, &Script::Tick);
  }
  bool Done() const { return steps_.empty(); }
  void Stop() {
    if (timer_) KillTimer(nullptr, timer_);
    timer_ = 0;
    steps_.clear();
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script& s = Get();
    if (s.busy_) return;
    const bool late = std::chrono::steady_clock::now() - s.started_ > std::chrono::seconds(25);
    if (s.steps_.empty()) {
      // Done, yet a dialog stayed open: the test waits outside its loop.
      if (late && !CDlgStack::Instance().IsEmpty()) {
        ADD_FAILURE() << "a dialog stayed open after the last step";
        CDlgStack::Instance().RecallAll();
      }
      return;
    }
    // A step that never comes true must not leave a dialog open forever:
    // the test fails on the steps left, the dialogs are recalled.
    if (late) {
      ADD_FAILURE() << s.steps_.size() << " step(s) never came true";
      s.steps_.clear();
      CDlgStack::Instance().RecallAll();
      return;
    }
    s.busy_ = true;
    Step step = s.steps_.front();
    const bool done = step();
    if (done && !s.steps_.empty()) s.steps_.pop_front();
    s.busy_ = false;
  }
  std::deque<Step> steps_;
  UINT_PTR timer_ = 0;
  bool busy_ = false;
  std::chrono::steady_clock::time_point started_;
};

using audio_test::ProbeEntry;

struct DbRow {
  std::string path, size, duration;
};

std::vector<DbRow> ReadDb() {
  std::vector<DbRow> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(WideToUtf8(GetFileListDbPath()).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
    sqlite3_exec(
        db, "select FilePath, Size, Duration from RecordInfo order by RecordFileID",
        [](void* out, int, char** v, char**) {
          static_cast<std::vector<DbRow>*>(out)->push_back({v[0], v[1], v[2]});
          return 0;
        },
        &rows, nullptr);
  sqlite3_close(db);
  return rows;
}

std::string Slurp(const std::string& path) { return HandlerStandIn::Slurp(path); }

class FileListApp : public AppTest {
 protected:
  void SetUp() override {
    home = getenv("HOME");
    work = home + "/list/";
    handler = std::make_unique<HandlerStandIn>(work);
    record = handler->Record();
    // Each test starts with no recordings listed.
    fs::remove(WideToUtf8(GetFileListDbPath()));
    AppTest::SetUp();
    if (program.MainWindow())
      Bll().GetOutput().output_dir = Utf8ToWide(home + "/录音/" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override {
    Script::Get().Stop();
    AppTest::TearDown();
    handler.reset();
  }

  SDlgFilelist& List() { return *static_cast<SDlgFilelist*>(Main().GetFileListWindow()); }
  CAdpaterFilelist& Adapter() { return CAdpaterFilelist::Instance(); }
  std::vector<CRecordFileInfo>& Records() { return Bll().GetStore().m_records; }
  int Page() { return List().GetPages() ? List().GetPages()->GetCurSel() : -1; }

  // A small mp3 made by ffmpeg, `seconds` long, in the work folder.
  std::wstring MakeFile(const std::string& name, double seconds, const std::string& extra = "") {
    const std::string path = work + name;
    fs::create_directories(fs::path(path).parent_path());
    const std::string cmd = "ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=f=440:r=8000 -t " +
                            std::to_string(seconds) + " -ac 1 " + extra + " '" + path + "'";
    EXPECT_EQ(system(cmd.c_str()), 0) << cmd;
    return Utf8ToWide(path);
  }
  void Show() {
    List().ShowAndActivate();
    ASSERT_TRUE(waitViewable(List().GetHwnd()));
    pumpFor(300);
  }
  // The row element's centre on the screen.
  POINT RowPoint(int row, const wchar_t* name) {
    SListView* view = List().GetListView();
    SItemPanel* panel = view ? view->GetItemPanelByIndex(row) : nullptr;
    EXPECT_NE(panel, nullptr) << "row " << row << " is not shown";
    if (!panel) return {0, 0};
    SWindow* w = panel->FindDescendantByName(name);
    EXPECT_NE(w, nullptr);
    if (!w) return {0, 0};
    const RECT item = panel->GetItemRect();
    const RECT rc = w->GetWindowRect();
    POINT pt{item.left + (rc.left + rc.right) / 2, item.top + (rc.top + rc.bottom) / 2};
    ClientToScreen(List().GetHwnd(), &pt);
    return pt;
  }
  void ClickRow(int row, const wchar_t* name) {
    const POINT pt = RowPoint(row, name);
    moveMouse(pt.x, pt.y);
    pumpFor(150);
    clickButton(1);
  }
  // The top modal dialog's element (none open: null).
  static bool DialogUp() { return !CDlgStack::Instance().IsEmpty() && IsWindowVisible(CDlgStack::Instance().Top()); }
  // A step that clicks an element of the top dialog.
  static Script::Step ClickInDialog(const wchar_t* name) {
    return [name] {
      if (!DialogUp()) return false;
      HWND top = CDlgStack::Instance().Top();
      SHostWnd* host = HostOf(top);
      SWindow* w = host ? host->FindDescendantByName(name) : nullptr;
      if (!w) return false;
      const RECT rc = w->GetWindowRect();
      POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
      ClientToScreen(top, &pt);
      moveMouse(pt.x, pt.y);
      pumpFor(100);
      clickButton(1);
      return true;
    };
  }
  static Script::Step Key(KeySym key) {
    return [key] {
      // Typed keys go where the server's focus is: wait for the dialog to have it.
      if (!DialogUp() || !hasInputFocus(CDlgStack::Instance().Top())) return false;
      tapKey(key);
      return true;
    };
  }
  static SHostWnd* HostOf(HWND hwnd);
  // Runs the steps, clicks the row's button and waits until the steps are
  // done and no dialog is open.
  bool Act(int row, const wchar_t* button, std::deque<Script::Step> steps, int timeoutMs = 20000) {
    Script::Get().Start(std::move(steps));
    ClickRow(row, button);
    const bool ok = pumpUntil([] { return Script::Get().Done() && CDlgStack::Instance().IsEmpty(); }, timeoutMs);
    if (!ok) CDlgStack::Instance().RecallAll();
    pumpFor(200);
    return ok;
  }

  std::string home, work, record;
  std::unique_ptr<HandlerStandIn> handler;
};

SHostWnd* FileListApp::HostOf(HWND hwnd) { return dynamic_cast<SHostWnd*>(CSimpleWnd::FromHandle(hwnd)); }

TEST_F(FileListApp, RecordingsListNewestFirstAndTheDatabaseHoldsThem) {
  EXPECT_EQ(Page(), 0);
  Show();
  Click(L"rb_speaker", 8);
  audio_test::TonePlayer tone("speakers", 440, 0.5);
  for (int seconds : {2, 3, 4}) {
    Click(L"btn_start");
    ASSERT_TRUE(pumpUntil([&] { return Recording(); }));
    pumpFor(seconds * 1000);
    Click(L"btn_stop");
    ASSERT_TRUE(pumpUntil([&] { return !Recording(); }));
    ASSERT_TRUE(pumpUntil([&] { return IsWindowVisible(List().GetHwnd()) != FALSE; }));
    pumpFor(1100);  // the next file gets a name of its own second
  }
  ASSERT_EQ(Records().size(), 3u);
  EXPECT_EQ(Page(), 1);
  // Read while the program runs: every row is there already.
  const std::vector<DbRow> db = ReadDb();
  ASSERT_EQ(db.size(), 3u);
  int expected[] = {4, 3, 2};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(db[i].path);
    EXPECT_EQ(db[i].path, WideToUtf8(Records()[i].FilePath.c_str()));
    const double duration = std::stod(ProbeEntry(db[i].path, "format=duration"));
    EXPECT_EQ(db[i].duration, WideToUtf8(FormatRecordDuration(duration)));
    EXPECT_NEAR(duration, expected[i], 0.9) << "newest first";
    EXPECT_EQ(db[i].size, WideToUtf8(FormatRecordSize(fs::file_size(db[i].path))));
  }
  // Removing every row (Enter confirms) ends on the empty page; the files stay.
  for (int n = 3; n > 0; --n) ASSERT_TRUE(Act(0, L"btn_remove", {Key(XK_Return)}));
  EXPECT_TRUE(Records().empty());
  EXPECT_EQ(Page(), 0);
  EXPECT_EQ(OutputFiles(".mp3").size(), 3u);
  EXPECT_TRUE(ReadDb().empty());
}

TEST_F(FileListApp, RemoveKeepsOrDeletesTheFileAndCancelChangesNothing) {
  const std::wstring a = MakeFile("a.mp3", 1), b = MakeFile("b.mp3", 1);
  ASSERT_TRUE(Adapter().AddRecord(a));
  ASSERT_TRUE(Adapter().AddRecord(b));
  Show();
  // Esc, the close button and cancel: nothing changes.
  ASSERT_TRUE(Act(0, L"btn_remove", {Key(XK_Escape)}));
  ASSERT_TRUE(Act(0, L"btn_remove", {ClickInDialog(L"btn_close")}));
  ASSERT_TRUE(Act(0, L"btn_remove", {ClickInDialog(L"chk_auto"), ClickInDialog(L"btn_cancel")}));
  ASSERT_EQ(Records().size(), 2u);
  EXPECT_TRUE(fs::exists(WideToUtf8(b)));
  // Checked and confirmed: the row and its file go.
  ASSERT_TRUE(Act(0, L"btn_remove", {ClickInDialog(L"chk_auto"), ClickInDialog(L"btn_ok")}));
  ASSERT_EQ(Records().size(), 1u);
  EXPECT_FALSE(fs::exists(WideToUtf8(b)));
  // Enter with the box clear: the row goes, the file stays.
  ASSERT_TRUE(Act(0, L"btn_remove", {Key(XK_Return)}));
  EXPECT_TRUE(Records().empty());
  EXPECT_TRUE(fs::exists(WideToUtf8(a)));
  EXPECT_EQ(Page(), 0);
}

TEST_F(FileListApp, PlayAndFolderReachTheDesktopAndTheEditorStarts) {
  const std::wstring path = MakeFile("周一 会议/录音 1.mp3", 1);
  ASSERT_TRUE(Adapter().AddRecord(path));
  Show();
  ClickRow(0, L"btn_play");
  ASSERT_TRUE(pumpUntil([&] { return fs::exists(record); }, 10000));
  EXPECT_EQ(Slurp(record), WideToUtf8(path) + "\n");

  // Folder: the file manager on the session bus gets the file's URI.
  {
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.Running());
    FileManagerStandIn manager(bus.Address());
    ASSERT_TRUE(manager.Ready());
    ClickRow(0, L"btn_folder");
    ASSERT_TRUE(pumpUntil([&] { return !manager.Calls().empty(); }, 10000));
    gchar* uri = g_filename_to_uri(WideToUtf8(path).c_str(), nullptr, nullptr);
    EXPECT_EQ(manager.Calls().front(), std::string(uri) + "#");
    g_free(uri);
  }
  // Without one, xdg-open gets the folder.
  fs::remove(record);
  setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + work + "no-bus").c_str(), 1);
  ClickRow(0, L"btn_folder");
  ASSERT_TRUE(pumpUntil([&] { return fs::exists(record); }, 10000));
  EXPECT_EQ(Slurp(record), work + "周一 会议\n");

  // The editor: a stand-in in the program's folder gets the recording.
  std::wstring programDir;
  ASSERT_TRUE(GetModuleDir(programDir));
  const std::string editorDir = WideToUtf8(programDir) + "Tarnwell";
  fs::create_directories(editorDir);
  const std::string editorRecord = work + "editor.txt";
  HandlerStandIn::Write(editorDir + "/Tarnwell", editorRecord);
  ClickRow(0, L"btn_edit");
  const bool started = pumpUntil([&] { return fs::exists(editorRecord); }, 10000);
  fs::remove_all(editorDir);
  ASSERT_TRUE(started);
  EXPECT_EQ(Slurp(editorRecord), WideToUtf8(path) + "\n");
}

TEST_F(FileListApp, RenameByTypingMovesTheFileTheRowAndTheDatabaseRow) {
  const std::wstring path = MakeFile("x.mp3", 1);
  MakeFile("taken.mp3", 1);
  ASSERT_TRUE(Adapter().AddRecord(path));
  Show();
  auto type = [](const char* text) -> Script::Step {
    return [text] {
      if (!DialogUp()) return false;
      // xdotool with the text as one argument: no shell quoting in between.
      // It keeps a remapped key for half its delay: room for a loaded
      // machine to read each press.
      char* argv[] = {const_cast<char*>("xdotool"), const_cast<char*>("type"), const_cast<char*>("--delay"),
                      const_cast<char*>("150"), const_cast<char*>("--"), const_cast<char*>(text), nullptr};
      pid_t pid = 0;
      EXPECT_EQ(posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv, environ), 0);
      int status = 0;
      waitpid(pid, &status, 0);
      EXPECT_EQ(status, 0);
      return true;
    };
  };
  auto errorText = [](std::wstring* out) -> Script::Step {
    return [out] {
      SHostWnd* host = DialogUp() ? HostOf(CDlgStack::Instance().Top()) : nullptr;
      SWindow* e = host ? host->FindDescendantByName(L"edit_error") : nullptr;
      if (!e || e->GetText().IsEmpty()) return false;
      *out = e->GetText().c_str();
      return true;
    };
  };
  std::wstring illegal, exists;
  ASSERT_TRUE(Act(0, L"btn_rename",
                  {ClickInDialog(L"edit_filename"), type("a:b"), Key(XK_Return), errorText(&illegal),
                   [] {
                     SHostWnd* host = HostOf(CDlgStack::Instance().Top());
                     static_cast<SEdit*>(host->FindDescendantByName(L"edit_filename"))->SetText(SStringW());
                     return true;
                   },
                   type("taken"), Key(XK_Return), errorText(&exists), ClickInDialog(L"btn_no")}));
  EXPECT_EQ(illegal, L"重命名失败，文件名含有非法字符");
  EXPECT_EQ(exists, L"重命名失败，已存在该文件");
  EXPECT_TRUE(fs::exists(WideToUtf8(path)));

  // Typed whole: xdotool puts each Chinese character on a spare key.
  ASSERT_TRUE(Act(0, L"btn_rename", {ClickInDialog(L"edit_filename"), type("周一's 会议"), Key(XK_Return)}));
  const std::string renamed = work + "周一's 会议.mp3";
  EXPECT_TRUE(fs::exists(renamed));
  EXPECT_FALSE(fs::exists(WideToUtf8(path)));
  ASSERT_EQ(Records().size(), 1u);
  EXPECT_EQ(WideToUtf8(Records()[0].FilePath.c_str()), renamed);
  EXPECT_EQ(WideToUtf8(Records()[0].FileName.c_str()), "周一's 会议.mp3");
  const std::vector<DbRow> db = ReadDb();
  ASSERT_EQ(db.size(), 1u);
  EXPECT_EQ(db[0].path, renamed);
}

TEST_F(FileListApp, Id3TagsAreShownRewrittenAndReadBackWithTheAudioUnchanged) {
  const std::wstring mp3 = MakeFile("tags.mp3", 2, "-ar 44100 -metadata title=旧标题 -metadata artist=Someone");
  const std::wstring amr = MakeFile("voice.amr", 1, "-c:a libopencore_amrnb -ar 8000");
  const std::string before = ProbeEntry(WideToUtf8(mp3), "packet=size");
  ASSERT_TRUE(Adapter().AddRecord(amr));
  ASSERT_TRUE(Adapter().AddRecord(mp3));
  Show();
  std::wstring shownTitle, shownGenreCue, shownGenre;
  auto edit = [](const wchar_t* name) {
    SHostWnd* host = HostOf(CDlgStack::Instance().Top());
    return host ? static_cast<SEdit*>(host->FindDescendantByName(name)) : nullptr;
  };
  ASSERT_TRUE(Act(0, L"btn_id3",
                  {[&] {
                     if (!DialogUp() || !edit(L"edit_title")) return false;
                     shownTitle = edit(L"edit_title")->GetText().c_str();
                     shownGenre = edit(L"edit_genre")->GetText().c_str();
                     shownGenreCue = edit(L"edit_genre")->GetCueText().c_str();
                     const struct {
                       const wchar_t* name;
                       const wchar_t* text;
                     } rows[] = {{L"edit_title", L"新标题"},
                                 {L"edit_artist", L"作者甲"},
                                 {L"edit_genre", L"Speech"},
                                 {L"edit_album", L"会议录音"},
                                 {L"edit_year", L"2024"}};
                     for (const auto& r : rows) edit(r.name)->SetText(SStringW(r.text));
                     return true;
                   },
                   Key(XK_Return)},
                  30000));
  EXPECT_EQ(shownTitle, L"旧标题");
  EXPECT_EQ(shownGenre, L"");
  EXPECT_EQ(shownGenreCue, L"无");
  const std::string file = WideToUtf8(mp3);
  EXPECT_EQ(ProbeEntry(file, "format_tags=title"), "新标题");
  EXPECT_EQ(ProbeEntry(file, "format_tags=artist"), "作者甲");
  EXPECT_EQ(ProbeEntry(file, "format_tags=genre"), "Speech");
  EXPECT_EQ(ProbeEntry(file, "format_tags=album"), "会议录音");
  EXPECT_EQ(ProbeEntry(file, "format_tags=date"), "2024");
  EXPECT_EQ(ProbeEntry(file, "packet=size"), before) << "the audio packets are copied as they were";

  // The amr row: the refusal tip, and the dialog closes itself.
  std::wstring tipText;
  ASSERT_TRUE(Act(1, L"btn_id3",
                  {[&] {
                     SHostWnd* host = DialogUp() ? HostOf(CDlgStack::Instance().Top()) : nullptr;
                     if (!host) return false;
                     SWindow* lines = host->FindDescendantByName(L"wnd_tip");
                     if (!lines) return false;
                     SWindow* first = lines->GetRelative(GSW_FIRSTCHILD);
                     tipText = first ? first->GetText().c_str() : L"";
                     return true;
                   },
                   Key(XK_Return)}));
  EXPECT_EQ(tipText, L"该文件格式不支持ID3信息");
}

TEST_F(FileListApp, Id3OfAFileThatCannotBeProbedShowsNoTagsAndSavingFailsWithTheTip) {
  // Listed while it was sound, damaged afterwards.
  const std::wstring path = MakeFile("damaged/broken.mp3", 1, "-metadata title=旧标题");
  ASSERT_TRUE(Adapter().AddRecord(path));
  const std::string file = WideToUtf8(path);
  const std::string garbage(4096, 'x');
  { std::ofstream(file, std::ios::binary | std::ios::trunc) << garbage; }
  Show();
  auto host = [] { return DialogUp() ? HostOf(CDlgStack::Instance().Top()) : nullptr; };
  auto edit = [&](const wchar_t* name) {
    SHostWnd* h = host();
    return h ? dynamic_cast<SEdit*>(h->FindDescendantByName(name)) : nullptr;
  };
  const wchar_t* names[] = {L"edit_title", L"edit_artist", L"edit_genre", L"edit_album", L"edit_year"};
  std::vector<std::wstring> shown, cues;
  std::wstring tipText, titleAfter;
  bool overlayAfter = true;
  ASSERT_TRUE(Act(0, L"btn_id3",
                  {[&] {
                     if (!edit(L"edit_title")) return false;
                     for (const wchar_t* n : names) {
                       shown.push_back(edit(n)->GetText().c_str());
                       cues.push_back(edit(n)->GetCueText().c_str());
                     }
                     edit(L"edit_title")->SetText(SStringW(L"新标题"));
                     return true;
                   },
                   Key(XK_Return),
                   // The rewrite fails: the tip comes up over the dialog.
                   [&] {
                     SHostWnd* h = host();
                     SWindow* lines = h ? h->FindDescendantByName(L"wnd_tip") : nullptr;
                     SWindow* first = lines ? lines->GetRelative(GSW_FIRSTCHILD) : nullptr;
                     if (!first) return false;
                     tipText = first->GetText().c_str();
                     return true;
                   },
                   Key(XK_Return),
                   // Back in the dialog: still open, the edited text kept,
                   // the overlay gone.
                   [&] {
                     if (!edit(L"edit_title")) return false;
                     titleAfter = edit(L"edit_title")->GetText().c_str();
                     SWindow* loading = host()->FindDescendantByName(L"wnd_loading");
                     overlayAfter = loading && loading->IsVisible();
                     return true;
                   },
                   ClickInDialog(L"btn_close")},
                  30000));
  EXPECT_EQ(shown, std::vector<std::wstring>(5, L""));
  EXPECT_EQ(cues, std::vector<std::wstring>(5, L"无"));
  EXPECT_EQ(tipText, L"修改ID3信息失败。");
  EXPECT_EQ(titleAfter, L"新标题");
  EXPECT_FALSE(overlayAfter);
  // The file is left as it was, and no partial rewrite beside it.
  EXPECT_EQ(Slurp(file), garbage);
  std::vector<std::string> names_on_disk;
  for (const auto& e : fs::directory_iterator(fs::path(file).parent_path()))
    names_on_disk.push_back(e.path().filename().string());
  EXPECT_EQ(names_on_disk, std::vector<std::string>{"broken.mp3"});
}

TEST_F(FileListApp, ClosingHidesShowingAgainKeepsRowsAndCentresOnADialog) {
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(Adapter().AddRecord(MakeFile("r" + std::to_string(i) + ".mp3", 0.5)));
  Show();
  SListView* view = List().GetListView();
  ASSERT_NE(view, nullptr);
  view->HandleScrollCode(true, SB_BOTTOM, 0);
  const int scrolled = view->GetScrollPos(true);
  ASSERT_GT(scrolled, 0);
  const struct {
    const char* how;
    std::function<void()> close;
  } ways[] = {{"close button",
               [&] {
                 SWindow* c = List().FindDescendantByName(L"btn_close");
                 const RECT rc = c->GetWindowRect();
                 POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
                 ClientToScreen(List().GetHwnd(), &pt);
                 moveMouse(pt.x, pt.y);
                 pumpFor(100);
                 clickButton(1);
               }},
              {"Esc", [] { tapKey(XK_Escape); }},
              {"Alt+F4", [] {
                 pressKey(XK_Alt_L);
                 tapKey(XK_F4);
                 releaseKey(XK_Alt_L);
               }}};
  for (const auto& way : ways) {
    SCOPED_TRACE(way.how);
    Show();
    way.close();
    EXPECT_TRUE(pumpUntil([&] { return !IsWindowVisible(List().GetHwnd()); }));
    EXPECT_TRUE(IsWindow(List().GetHwnd())) << "hidden, not destroyed";
  }
  Show();
  EXPECT_EQ(Records().size(), 8u);
  EXPECT_EQ(view->GetScrollPos(true), scrolled);
  EXPECT_FALSE(GetWindowLongW(List().GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "raised, not left above";
  view->HandleScrollCode(true, SB_TOP, 0);
  pumpFor(200);

  // Shown under a modal dialog: centred on it.
  RECT dialogRect{}, listRect{};
  Script::Get().Start({[&] {
                         if (!DialogUp()) return false;
                         GetWindowRect(CDlgStack::Instance().Top(), &dialogRect);
                         List().ShowAndActivate();
                         GetWindowRect(List().GetHwnd(), &listRect);
                         // The list is active now; the dialog ends as cancelled.
                         if (auto* dialog = dynamic_cast<SDlgBase*>(HostOf(CDlgStack::Instance().Top())))
                           dialog->EndDialog(2);
                         return true;
                       }});
  ClickRow(0, L"btn_remove");
  ASSERT_TRUE(pumpUntil([] { return Script::Get().Done() && CDlgStack::Instance().IsEmpty(); }, 15000));
  EXPECT_NEAR((listRect.left + listRect.right) / 2, (dialogRect.left + dialogRect.right) / 2, 2);
  EXPECT_NEAR((listRect.top + listRect.bottom) / 2, (dialogRect.top + dialogRect.bottom) / 2, 2);
}

}  // namespace
