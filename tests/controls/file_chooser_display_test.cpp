// The file and folder chooser on the X server, driven by XTest like a
// user: over a scratch tree with a Chinese name holding a space, a hidden
// folder and a link loop. The folder picker enters a folder, goes up, takes
// a typed path and answers it; Cancel, Esc, the close button and a window
// close answer 100; with "*.mp3" only the mp3 files are listed and three
// Ctrl-clicks answer three paths. Meanwhile the registered main window is
// disabled; a dialog below that ends closes the chooser with 100; a recall
// before the chooser's window exists, or a chooser that cannot be made,
// answers 100 at once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <X11/keysym.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "base/CodePageFramework.h"
#include "control/SListCtrl.h"  // before the edit: its scroll names are enums
#include "control/SEdit.h"
#include "controls/CDlgFileSel.h"
#include "controls/FilePickers.h"
#include "controls/SDlgBase.h"
#include "res.mgr/SResProviderMgr.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SStylePool.h"
#include "win32/backend.h"
#include "../platform-display/display_helper.h"

namespace {

std::string Narrow(const SStringW& w) { return WideCStringToUtf8(w).c_str(); }
SStringW Wide(const std::string& s) { return Utf8ToWideCString(s); }

constexpr UINT_PTR kStepTimer = 31;
constexpr const char* kMusicFolder = "录音 文件";

// Steps run one per tick of a timer on the main window, inside whatever
// modal loop runs then; a step that answers false is tried again on the
// next tick. A script that stalls closes the chooser so that the test ends.
struct Script {
  struct Step {
    std::string what;
    std::function<bool()> run;
  };
  std::vector<Step> steps;
  size_t next = 0;
  int ticks = 0;
  std::string stalled;

  void Add(std::string what, std::function<bool()> run) { steps.push_back({std::move(what), std::move(run)}); }
  // `chooser` is closed should the script stall.
  void Tick(HWND chooser) {
    if (next >= steps.size()) return;
    if (++ticks > 150) {
      stalled = steps[next].what;
      next = steps.size();
      if (chooser) PostMessageW(chooser, WM_CLOSE, 0, 0);
      return;
    }
    if (steps[next].run()) {
      ++next;
      ticks = 0;
    }
  }
};

bool Viewable(HWND hwnd) {
  XWindowAttributes attributes{};
  const ::Window xid = hwnd ? Win32XWindowOf(hwnd) : 0;
  XSync(userDisplay(), False);
  return xid && XGetWindowAttributes(userDisplay(), xid, &attributes) && attributes.map_state == IsViewable;
}

POINT ScreenCentre(HWND host, const RECT& rc) {
  POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  ClientToScreen(host, &pt);
  return pt;
}

void ClickAt(POINT pt, int clicks = 1) {
  moveMouse(pt.x, pt.y);
  for (int i = 0; i < clicks; ++i) clickButton(1);
}

KeySym KeyOf(char c) {
  switch (c) {
    case '/': return XK_slash;
    case '-': return XK_minus;
    case '.': return XK_period;
    default: return static_cast<KeySym>(c);  // lower-case letters and digits
  }
}

class ChooserDisplay : public OrielAppTest {
 public:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    provider_ = BundleProvider();
    app->AttachProvider(provider_, L"UIDEF:XML_INIT");
    LoadSharedPools();
    MakeTree();
    main_ = std::make_unique<TestHost>();
    ASSERT_TRUE(MakeHost(*main_, "<ORIEL width='300' height='200'><root colorBkgnd='#e0e0e0'/></ORIEL>", 20, 20));
    ShowWindow(main_->GetHwnd(), SW_SHOW);
    ASSERT_TRUE(waitViewable(main_->GetHwnd()));
    CDlgStack::Instance().RegisterWindow(main_->GetHwnd());
    main_->before = [this](UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_TIMER && wParam == kStepTimer) script_.Tick(ChooserHwnd());
      return std::nullopt;
    };
    CDlgFileSel::RememberFolder(Wide(root_));
  }
  void TearDown() override {
    if (main_) {
      KillTimer(main_->GetHwnd(), kStepTimer);
      CDlgStack::Instance().UnregisterWindow(main_->GetHwnd());
      main_->DestroyHostWindow();
    }
    EXPECT_TRUE(CDlgStack::Instance().IsEmpty());
    main_.reset();
    if (skins_) {
      SSkinPoolMgr::getSingleton().PopPool(skins_);
      skins_->Release();
    }
    if (styles_) {
      SStylePoolMgr::getSingleton().PopStylePool(styles_);
      styles_->Release();
    }
    std::system(("rm -rf '" + root_ + "'").c_str());
    OrielAppTest::TearDown();
  }

  // The shared skins and text styles the layouts name, as start-up loads them.
  void LoadSharedPools() {
    SXmlDoc skinDoc, styleDoc;
    ASSERT_TRUE(app->LoadXmlDocByType(skinDoc, L"global_skin", L"UIDEFGLOBAL"));
    ASSERT_TRUE(app->LoadXmlDocByType(styleDoc, L"global_style", L"UIDEFGLOBAL"));
    skins_ = new SSkinPool;
    skins_->AddSkinsFromXml(skinDoc.child("skin"));
    SSkinPoolMgr::getSingleton().PushSkinPool(skins_);
    styles_ = new SStylePool;
    styles_->Init(styleDoc.child("style"));
    SStylePoolMgr::getSingleton().PushStylePool(styles_);
  }

  // Under /tmp so that the typed path needs only plain keys.
  void MakeTree() {
    root_ = "/tmp/qv-chooser-" + std::to_string(getpid());
    std::system(("rm -rf '" + root_ + "'").c_str());
    const std::string music = root_ + "/" + kMusicFolder;
    for (const std::string& dir : {root_, music, music + "/sub", root_ + "/.hidden", root_ + "/music"})
      ASSERT_EQ(mkdir(dir.c_str(), 0755), 0) << dir;
    for (const char* file : {"a.mp3", "b.mp3", "c.mp3", "d.wav", "notes.txt", ".e.mp3"})
      std::ofstream(music + "/" + file) << "take";
    std::ofstream(root_ + "/music/take.flac") << "take";
    ASSERT_EQ(symlink(".", (root_ + "/loop").c_str()), 0);
  }

  // The chooser of the picker under test; for the free pickers, whose
  // picker is their own, the chooser window on top of the stack.
  SDlgFileChooser* Chooser() const {
    if (picker_) return picker_->GetChooser();
    return dynamic_cast<SDlgFileChooser*>(CSimpleWnd::FromHandle(CDlgStack::Instance().Top()));
  }
  HWND ChooserHwnd() const { return Chooser() ? Chooser()->GetHwnd() : nullptr; }

  std::vector<std::string> RowNames() const {
    std::vector<std::string> names;
    for (const FolderEntry& e : Chooser()->GetRows()) names.push_back(Narrow(e.name));
    return names;
  }

  // The chooser is up and drawn; notes the main window's state then.
  void AddWaitShown() {
    script_.Add("chooser shown", [this] {
      if (!Viewable(ChooserHwnd())) return false;
      mainDisabledMeanwhile_ = !IsWindowEnabled(main_->GetHwnd());
      topWasChooser_ = CDlgStack::Instance().Top() == ChooserHwnd();
      return true;
    });
  }
  void AddClickNamed(const wchar_t* name, int clicks = 1) {
    script_.Add("click " + Narrow(name), [this, name, clicks] {
      SWindow* w = Chooser()->FindDescendantByName(name);
      if (!w) return false;
      ClickAt(ScreenCentre(ChooserHwnd(), w->GetWindowRect()), clicks);
      return true;
    });
  }
  void AddClickRow(const std::string& name, int clicks, bool ctrl) {
    script_.Add("click row " + name, [this, name, clicks, ctrl] {
      const int row = Chooser()->FindRow(Wide(name));
      if (row < 0) return false;
      if (ctrl) pressKey(XK_Control_L);
      ClickAt(ScreenCentre(ChooserHwnd(), Chooser()->GetList()->GetItemRect(row, 0)), clicks);
      if (ctrl) releaseKey(XK_Control_L);
      return true;
    });
  }
  void AddWaitFolder(const std::string& folder) {
    script_.Add("in " + folder, [this, folder] {
      return Narrow(Chooser()->GetFolder()) == folder && Narrow(Chooser()->GetPathEdit()->GetText()) == folder;
    });
  }
  // Replaces the path field's text, which has the focus, with `text`.
  void AddType(const std::string& text) {
    script_.Add("type " + text, [text] {
      tapKey(XK_End);
      for (int i = 0; i < 80; ++i) tapKey(XK_BackSpace);
      for (char c : text) tapKey(KeyOf(c));
      return true;
    });
    script_.Add("typed " + text, [this, text] { return Narrow(Chooser()->GetPathEdit()->GetText()) == text; });
  }
  // For a chooser that must never show: should it show, it is closed.
  void AddCloseIfShown() {
    script_.Add("chooser shown", [this] { return Viewable(ChooserHwnd()); });
    script_.Add("close it", [this] { return PostMessageW(ChooserHwnd(), WM_CLOSE, 0, 0) != FALSE; });
  }
  void AddRun(std::string what, std::function<bool()> run) { script_.Add(std::move(what), std::move(run)); }

  // Shows the picker while the script runs.
  INT_PTR ShowScripted(CDlgFileSel& picker) {
    picker_ = &picker;
    SetTimer(main_->GetHwnd(), kStepTimer, 100, nullptr);
    const INT_PTR code = picker.Show(CDlgStack::Instance().Top());
    KillTimer(main_->GetHwnd(), kStepTimer);
    picker_ = nullptr;
    return code;
  }
  // Shows the picker, the script run to its end; its result.
  INT_PTR RunPicker(CDlgFileSel& picker) {
    const INT_PTR code = ShowScripted(picker);
    EXPECT_EQ(script_.stalled, "") << "the script stalled";
    EXPECT_EQ(script_.next, script_.steps.size()) << "the chooser ended before the script did";
    EXPECT_TRUE(IsWindowEnabled(main_->GetHwnd()));
    EXPECT_TRUE(CDlgStack::Instance().IsEmpty());
    EXPECT_EQ(picker.GetChooser(), nullptr);
    return code;
  }
  // Shows a picker that must answer without ever showing a chooser.
  INT_PTR ShowWithoutChooser(CDlgFileSel& picker) {
    AddCloseIfShown();
    const INT_PTR code = ShowScripted(picker);
    EXPECT_EQ(script_.next, 0u) << "a chooser showed after all";
    return code;
  }

  IResProvider* provider_ = nullptr;
  SSkinPool* skins_ = nullptr;
  SStylePool* styles_ = nullptr;
  std::string root_;
  std::unique_ptr<TestHost> main_;
  CDlgFileSel* picker_ = nullptr;
  Script script_;
  bool mainDisabledMeanwhile_ = false;
  bool topWasChooser_ = false;
};

TEST_F(ChooserDisplay, FolderPickerEntersGoesUpAndTakesATypedPath) {
  // Nothing chosen yet: the chooser opens in the home folder.
  CDlgFileSel::RememberFolder(L"");
  const std::string home = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", (root_ + "/").c_str(), 1);
  CDlgFileSel picker;
  picker.options = 0x1028;
  const std::string music = root_ + "/" + kMusicFolder;
  const std::string typed = root_ + "/music";
  AddWaitShown();
  AddRun("folders only, dot entries hidden", [this] {
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"loop", "music", kMusicFolder}));
    EXPECT_FALSE(Chooser()->FindDescendantByName(L"cbb_filter")->IsVisible()) << "folders have no types";
    return true;
  });
  AddWaitFolder(root_);
  AddClickRow(kMusicFolder, 2, false);
  AddWaitFolder(music);
  AddRun("only the subfolder", [this] { return RowNames() == std::vector<std::string>{"sub"}; });
  AddClickNamed(L"btn_up");
  AddWaitFolder(root_);
  AddClickNamed(L"edit_path");
  AddType(typed);
  AddClickNamed(L"btn_ok");
  EXPECT_EQ(RunPicker(picker), 101);
  ASSERT_EQ(picker.paths.size(), 1u);
  EXPECT_EQ(Narrow(picker.paths[0]), typed) << "the folder typed, with no trailing '/'";
  EXPECT_TRUE(mainDisabledMeanwhile_);
  EXPECT_TRUE(topWasChooser_) << "dialogs opened meanwhile are owned by the chooser";
  EXPECT_EQ(Narrow(CDlgFileSel::LastFolder()), typed);

  // The next chooser opens where this one ended; OK with nothing selected
  // answers the folder shown.
  CDlgFileSel again;
  again.options = 0x1028;
  script_ = Script();
  AddWaitShown();
  AddWaitFolder(typed);
  AddClickNamed(L"btn_ok");
  EXPECT_EQ(RunPicker(again), 101);
  ASSERT_EQ(again.paths.size(), 1u);
  EXPECT_EQ(Narrow(again.paths[0]), typed);
  setenv("HOME", home.c_str(), 1);
}

TEST_F(ChooserDisplay, CancelEscCloseButtonAndWindowCloseAnswer100) {
  const struct {
    const char* how;
    std::function<void(ChooserDisplay&)> act;
  } rows[] = {
      {"Cancel", [](ChooserDisplay& t) { t.AddClickNamed(L"btn_cancel"); }},
      {"Esc", [](ChooserDisplay& t) { t.AddRun("Esc", [] { tapKey(XK_Escape); return true; }); }},
      {"close button", [](ChooserDisplay& t) { t.AddClickNamed(L"btn_close"); }},
      {"window close", [](ChooserDisplay& t) {
         t.AddRun("WM_CLOSE", [&t] { return PostMessageW(t.ChooserHwnd(), WM_CLOSE, 0, 0) != FALSE; });
       }},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.how);
    CDlgFileSel picker;
    picker.options = 0x1028;
    script_ = Script();
    AddWaitShown();
    AddClickRow("music", 1, false);  // a selection is not an answer
    AddRun("selected", [this] { return Chooser()->GetList()->GetCheckState(Chooser()->FindRow(L"music")) != FALSE; });
    r.act(*this);
    EXPECT_EQ(RunPicker(picker), 100);
    EXPECT_TRUE(picker.paths.empty());
    EXPECT_TRUE(mainDisabledMeanwhile_);
  }
}

TEST_F(ChooserDisplay, MultiSelectionOfThreeMp3Files) {
  const std::string music = root_ + "/" + kMusicFolder;
  CDlgFileSel::RememberFolder(Wide(music));
  CDlgFileSel picker;
  picker.AddFilter(L"MP3 (*.mp3)", L"*.mp3").AddFilter(L"All (*.*)", L"*.*");
  AddWaitShown();
  AddRun("only mp3 files", [this] {
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"sub", "a.mp3", "b.mp3", "c.mp3"}));
    return true;
  });
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
    AddClickRow(name, 1, true);
    AddRun(std::string("selected ") + name,
           [this, name] { return Chooser()->GetList()->GetCheckState(Chooser()->FindRow(Wide(name))) != FALSE; });
  }
  AddRun("three selected", [this] { return Chooser()->GetList()->GetCheckedItemCount() == 3; });
  AddClickNamed(L"btn_ok");
  EXPECT_EQ(RunPicker(picker), 101);
  EXPECT_EQ(picker.paths.size(), 3u);
  std::vector<std::string> got;
  for (const SStringW& p : picker.paths) got.push_back(Narrow(p));
  EXPECT_EQ(got, (std::vector<std::string>{music + "/a.mp3", music + "/b.mp3", music + "/c.mp3"}));
  EXPECT_TRUE(mainDisabledMeanwhile_);
  EXPECT_EQ(Narrow(CDlgFileSel::LastFolder()), music);
}

TEST_F(ChooserDisplay, ShiftClickSelectsARange) {
  const std::string music = root_ + "/" + kMusicFolder;
  CDlgFileSel::RememberFolder(Wide(music));
  CDlgFileSel picker;
  picker.AddFilter(L"MP3 (*.mp3)", L"*.mp3");
  AddWaitShown();
  AddClickRow("a.mp3", 1, false);
  AddRun("shift-click c.mp3", [this] {
    const int row = Chooser()->FindRow(L"c.mp3");
    pressKey(XK_Shift_L);
    ClickAt(ScreenCentre(ChooserHwnd(), Chooser()->GetList()->GetItemRect(row, 0)));
    releaseKey(XK_Shift_L);
    return true;
  });
  AddRun("three selected", [this] { return Chooser()->GetList()->GetCheckedItemCount() == 3; });
  AddClickNamed(L"btn_ok");
  EXPECT_EQ(RunPicker(picker), 101);
  EXPECT_EQ(picker.paths.size(), 3u);
}

// A typed name that is no file leaves the chooser open; one that is a file
// answers it on Enter, whatever the type filter lists.
TEST_F(ChooserDisplay, ATypedFileNameAnswersOnEnter) {
  const std::string music = root_ + "/" + kMusicFolder;
  CDlgFileSel::RememberFolder(Wide(music));
  CDlgFileSel picker;
  picker.AddFilter(L"MP3 (*.mp3)", L"*.mp3");
  AddWaitShown();
  AddType("missing.mp3");
  AddRun("Enter", [] { tapKey(XK_Return); return true; });
  int waited = 0;
  AddRun("still open", [this, &waited, music] {
    if (++waited < 5) return false;
    EXPECT_TRUE(Viewable(ChooserHwnd()));
    EXPECT_EQ(Narrow(Chooser()->GetFolder()), music);
    return true;
  });
  AddType("notes.txt");
  AddRun("Enter", [] { tapKey(XK_Return); return true; });
  EXPECT_EQ(RunPicker(picker), 101);
  ASSERT_EQ(picker.paths.size(), 1u);
  EXPECT_EQ(Narrow(picker.paths[0]), music + "/notes.txt");
}

// A scale change reaches the chooser like any dialog: 144 DPI makes it
// half as large again, at the suggested point.
TEST_F(ChooserDisplay, TheChooserFollowsADpiChange) {
  CDlgFileSel picker;
  picker.options = 0x1028;
  RECT before{}, after{};
  AddWaitShown();
  AddRun("144 DPI", [&] {
    GetWindowRect(ChooserHwnd(), &before);
    RECT suggested{40, 30, 41, 31};
    SendMessageW(ChooserHwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    GetWindowRect(ChooserHwnd(), &after);
    return true;
  });
  AddClickNamed(L"btn_cancel");
  EXPECT_EQ(RunPicker(picker), 100);
  EXPECT_EQ(before.right - before.left, 640);
  EXPECT_EQ(before.bottom - before.top, 460);
  EXPECT_EQ(after.right - after.left, 960);
  EXPECT_EQ(after.bottom - after.top, 690);
  EXPECT_EQ(after.left, 40);
  EXPECT_EQ(after.top, 30);
}

// The free pickers run the same chooser: one folder; folders whose files
// are gathered; files of the video types, one taken by double click.
TEST_F(ChooserDisplay, FreePickersRunTheChooser) {
  const std::string music = root_ + "/" + kMusicFolder;
  ASSERT_EQ(picker_, nullptr);
  {
    SCOPED_TRACE("PickFolderDialog");
    AddWaitShown();
    AddClickRow("music", 1, false);
    AddClickNamed(L"btn_ok");
    SStringW folder;
    SetTimer(main_->GetHwnd(), kStepTimer, 100, nullptr);
    EXPECT_EQ(PickFolderDialog(folder, main_->GetHwnd()), S_OK);
    EXPECT_EQ(Narrow(folder), root_ + "/music");
    EXPECT_EQ(script_.next, script_.steps.size());
  }
  {
    SCOPED_TRACE("PickFolderDialog cancelled");
    script_ = Script();
    AddWaitShown();
    AddClickNamed(L"btn_cancel");
    SStringW folder = L"kept";
    EXPECT_EQ(PickFolderDialog(folder, main_->GetHwnd()), kPickCancelled);
    EXPECT_EQ(Narrow(folder), "kept");
  }
  {
    SCOPED_TRACE("PickFoldersAndCollectFiles");
    CDlgFileSel::RememberFolder(Wide(root_));
    script_ = Script();
    AddWaitShown();
    AddClickRow("music", 1, true);
    AddClickRow(kMusicFolder, 1, true);
    AddRun("two selected", [this] { return Chooser()->GetList()->GetCheckedItemCount() == 2; });
    AddClickNamed(L"btn_ok");
    SStringWArray files;
    files.Add(L"already there");
    EXPECT_EQ(PickFoldersAndCollectFiles(files, main_->GetHwnd()), S_OK);
    std::vector<std::string> got;
    for (int i = 0; i < files.GetCount(); ++i) got.push_back(Narrow(files[i]));
    EXPECT_EQ(got, (std::vector<std::string>{"already there", root_ + "/music/take.flac", music + "/.e.mp3",
                                             music + "/a.mp3", music + "/b.mp3", music + "/c.mp3", music + "/d.wav",
                                             music + "/notes.txt"}));
  }
  {
    SCOPED_TRACE("PickFilesDialog");
    CDlgFileSel::RememberFolder(Wide(music));
    script_ = Script();
    AddWaitShown();
    AddRun("every file under the first filter", [this] {
      EXPECT_EQ(RowNames(), (std::vector<std::string>{"sub", "a.mp3", "b.mp3", "c.mp3", "d.wav", "notes.txt"}));
      return true;
    });
    AddClickRow("d.wav", 2, false);
    SStringWArray files;
    EXPECT_TRUE(PickFilesDialog(main_->GetHwnd(), files));
    ASSERT_EQ(files.GetCount(), 1);
    EXPECT_EQ(Narrow(files[0]), music + "/d.wav");
  }
  KillTimer(main_->GetHwnd(), kStepTimer);
  EXPECT_EQ(script_.stalled, "");
  EXPECT_TRUE(CDlgStack::Instance().IsEmpty());
}

// A dialog under the chooser ends on a timer: the chooser is recalled
// first (100), the dialog then returns its own code.
TEST_F(ChooserDisplay, ADialogBelowThatEndsClosesTheChooser) {
  using Dialog = TestHostT<SDlgBase>;
  constexpr UINT kOpenPicker = WM_APP + 3;
  constexpr UINT_PTR kEndTimer = 78;
  Dialog d1(nullptr);
  CDlgFileSel picker;
  picker.options = 0x1028;
  picker_ = &picker;
  std::vector<std::string> order;
  INT_PTR pickerCode = 0;
  bool chooserUpAtEnd = false, pickerReturned = false;
  // Should the stack not recall the chooser, the script closes it and
  // says so.
  script_.Add("picker returned", [&] { return pickerReturned; });
  SetTimer(main_->GetHwnd(), kStepTimer, 100, nullptr);
  d1.before = [&](UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_INITDIALOG) {
      d1.Load("<ORIEL width='240' height='160'><root colorBkgnd='#ffffff'/></ORIEL>");
      d1.CenterOnOwner(CDlgStack::Instance().Top());
    }
    if (msg == WM_SHOWWINDOW && wParam) PostMessageW(d1.GetHwnd(), kOpenPicker, 0, 0);
    if (msg == kOpenPicker) {
      SetTimer(d1.GetHwnd(), kEndTimer, 100, nullptr);
      pickerCode = picker.Show(CDlgStack::Instance().Top());
      pickerReturned = true;
      order.push_back("picker returned");
      return 0;
    }
    if (msg == WM_TIMER && wParam == kEndTimer) {
      if (!Viewable(ChooserHwnd())) return 0;  // not up yet: the next tick
      KillTimer(d1.GetHwnd(), kEndTimer);
      chooserUpAtEnd = CDlgStack::Instance().Top() == ChooserHwnd() && CDlgStack::Instance().Count() == 2;
      d1.EndDialog(5);
      return 0;
    }
    return std::nullopt;
  };
  const INT_PTR d1Code = d1.DoModal(CDlgStack::Instance().Top());
  order.push_back("dialog returned");
  KillTimer(main_->GetHwnd(), kStepTimer);
  picker_ = nullptr;
  EXPECT_EQ(script_.stalled, "") << "the chooser outlived the dialog below it";
  EXPECT_EQ(d1Code, 5);
  EXPECT_EQ(pickerCode, 100);
  EXPECT_TRUE(picker.paths.empty());
  EXPECT_TRUE(chooserUpAtEnd);
  EXPECT_EQ(order, (std::vector<std::string>{"picker returned", "dialog returned"}));
  EXPECT_TRUE(IsWindowEnabled(main_->GetHwnd()));
}

// Pushing the picker disables the main window; its handler recalls every
// dialog before the chooser has a window: 100, and no chooser ever shows.
TEST_F(ChooserDisplay, ARecallBeforeTheWindowExistsAnswers100) {
  CDlgFileSel picker;
  bool recalled = false;
  HWND windowAtRecall = reinterpret_cast<HWND>(1);
  main_->before = [&](UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_TIMER && wParam == kStepTimer) script_.Tick(ChooserHwnd());
    if (msg == WM_ENABLE && !wParam && !recalled) {
      recalled = true;
      windowAtRecall = picker.GetRecallHwnd();
      EXPECT_EQ(CDlgStack::Instance().RecallAll(), 101);
    }
    return std::nullopt;
  };
  EXPECT_EQ(ShowWithoutChooser(picker), 100);
  EXPECT_TRUE(recalled);
  EXPECT_EQ(windowAtRecall, nullptr);
  EXPECT_TRUE(picker.paths.empty());
  EXPECT_TRUE(IsWindowEnabled(main_->GetHwnd()));
}

TEST_F(ChooserDisplay, AChooserThatCannotBeMadeAnswers100AndPushesNothing) {
  app->DetachProvider(provider_);
  ASSERT_FALSE(SDlgFileChooser::CanBeMade());
  main_->seen.clear();
  CDlgFileSel picker;
  EXPECT_EQ(ShowWithoutChooser(picker), 100);
  int enables = 0;
  for (UINT m : main_->seen) enables += m == WM_ENABLE;
  EXPECT_EQ(enables, 0) << "the picker stood on the stack";
  EXPECT_TRUE(CDlgStack::Instance().IsEmpty());
}

}  // namespace
