// The chooser's folder logic without a window: which entries it lists and
// in what order, the type filters, the paths it forms from clicks and typed
// text, and the recursive file gathering over a tree with a link loop. Also
// the picker's settings, and that a picker with no chooser to show answers
// 100 without touching the modal-dialog stack.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "base/CodePageFramework.h"
#include "controls/CDlgFileSel.h"
#include "controls/FilePickers.h"
#include "controls/FolderListing.h"

namespace {

using namespace ORIEL;

std::string Narrow(const SStringW& w) { return WideCStringToUtf8(w).c_str(); }
SStringW Wide(const std::string& s) { return Utf8ToWideCString(s); }

// A scratch tree under the test's home folder, removed afterwards:
//   录音 文件/ a.MP3 b.mp3 notes.txt .secret.mp3 sub/ deep.mp3
//   .hidden/ inside.mp3
//   Zeta/  alpha.wav  beta.mp3
//   loop -> .          (a link back up: a loop)
//   to-beta -> beta.mp3
//   dangling -> missing
class Tree : public ::testing::Test {
 protected:
  void SetUp() override {
    root = std::string(getenv("HOME") ? getenv("HOME") : "/tmp") + "/listing-" + std::to_string(getpid());
    std::system(("rm -rf '" + root + "'").c_str());
    for (const char* dir : {"", "/录音 文件", "/录音 文件/sub", "/.hidden", "/Zeta"})
      ASSERT_EQ(mkdir((root + dir).c_str(), 0755), 0) << dir;
    for (const auto& [file, bytes] : std::vector<std::pair<std::string, int>>{{"/录音 文件/a.MP3", 1},
                                                                            {"/录音 文件/b.mp3", 2048},
                                                                            {"/录音 文件/notes.txt", 0},
                                                                            {"/录音 文件/.secret.mp3", 3},
                                                                            {"/录音 文件/sub/deep.mp3", 5},
                                                                            {"/.hidden/inside.mp3", 5},
                                                                            {"/alpha.wav", 1025},
                                                                            {"/beta.mp3", 10}}) {
      std::ofstream(root + file, std::ios::binary) << std::string(static_cast<size_t>(bytes), 'x');
    }
    ASSERT_EQ(symlink(".", (root + "/loop").c_str()), 0);
    ASSERT_EQ(symlink("beta.mp3", (root + "/to-beta").c_str()), 0);
    ASSERT_EQ(symlink("missing", (root + "/dangling").c_str()), 0);
  }
  void TearDown() override { std::system(("rm -rf '" + root + "'").c_str()); }
  SStringW W(const std::string& rel = "") const { return Wide(root + rel); }
  std::string root;
};

std::vector<std::string> Names(const std::vector<FolderEntry>& entries) {
  std::vector<std::string> out;
  for (const FolderEntry& e : entries) out.push_back(Narrow(e.name) + (e.isFolder ? "/" : ""));
  return out;
}

TEST_F(Tree, ListingHidesDotEntriesFollowsLinksAndSkipsDeadOnes) {
  std::vector<FolderEntry> all;
  ASSERT_TRUE(ReadFolderEntries(W(), all));
  SortFolderEntries(all);
  EXPECT_EQ(Names(all), (std::vector<std::string>{"loop/", "Zeta/", "录音 文件/", "alpha.wav", "beta.mp3", "to-beta"}));
  const auto link = std::find_if(all.begin(), all.end(), [](const FolderEntry& e) { return e.name == L"to-beta"; });
  ASSERT_NE(link, all.end());
  EXPECT_EQ(link->size, 10) << "a link to a file lists as the file";
  std::vector<FolderEntry> none{{L"stale", false, 0, 0}};
  EXPECT_FALSE(ReadFolderEntries(W("/no-such-folder"), none));
  EXPECT_TRUE(none.empty());
}

TEST_F(Tree, WhatTheChooserListsInEachMode) {
  std::vector<FolderEntry> all;
  ASSERT_TRUE(ReadFolderEntries(W("/录音 文件"), all));
  const struct {
    bool folders;
    const wchar_t* pattern;
    std::vector<std::string> shown;
  } rows[] = {
      {true, L"*.mp3", {"sub/"}},
      {false, L"*.mp3", {"sub/", "a.MP3", "b.mp3"}},
      {false, L"*.txt;*.MP3", {"sub/", "a.MP3", "b.mp3", "notes.txt"}},
      {false, L"*.*", {"sub/", "a.MP3", "b.mp3", "notes.txt"}},
      {false, L"", {"sub/", "a.MP3", "b.mp3", "notes.txt"}},
      {false, L"*.wav", {"sub/"}},
  };
  for (const auto& r : rows) EXPECT_EQ(Names(VisibleEntries(all, r.folders, r.pattern)), r.shown) << Narrow(r.pattern);
}

TEST(FolderListing, FilterPatterns) {
  const struct {
    const wchar_t* name;
    const wchar_t* pattern;
    bool match;
  } rows[] = {
      {L"take.mp3", L"*.mp3", true},     {L"TAKE.Mp3", L"*.mp3", true},   {L"take.mp3.part", L"*.mp3", false},
      {L"take.wav", L"*.mp3; *.wav", true}, {L"take", L"*.*", true},      {L"take", L"*", true},
      {L"a1.mp3", L"a?.mp3", true},      {L"a12.mp3", L"a?.mp3", false},  {L"录音 一.mp3", L"录音*.mp3", true},
      {L"take.mp3", L";", false},        {L"mp3", L"*.mp3", false},       {L"x.mp3", L"", true},
  };
  for (const auto& r : rows)
    EXPECT_EQ(MatchesFilterPattern(r.name, r.pattern), r.match) << Narrow(r.name) << " ~ " << Narrow(r.pattern);
}

TEST(FolderListing, PathsFormedFromClicksAndTypedText) {
  setenv("HOME", "/home/tester/", 1);
  const struct {
    const wchar_t* typed;
    const wchar_t* current;
    const wchar_t* resolved;
  } typed[] = {
      {L"/a/b/", L"/x", L"/a/b"},          {L"b", L"/a", L"/a/b"},          {L"../c", L"/a/b", L"/a/c"},
      {L"~", L"/x", L"/home/tester"},      {L"~/录音 文件", L"/x", L"/home/tester/录音 文件"},
      {L"//a//./b", L"/x", L"/a/b"},       {L"/..", L"/x", L"/"},           {L"  /a  ", L"/x", L"/a"},
      {L"", L"/a/b", L"/a/b"},             {L"\\a\\b", L"/x", L"/a/b"},
  };
  for (const auto& t : typed)
    EXPECT_EQ(Narrow(ResolveTypedPath(t.typed, t.current)), Narrow(t.resolved)) << Narrow(t.typed);
  EXPECT_EQ(Narrow(JoinPath(L"/", L"a")), "/a");
  EXPECT_EQ(Narrow(JoinPath(L"/a", L"录音 文件")), "/a/录音 文件");
  EXPECT_EQ(Narrow(ParentFolder(L"/a/b")), "/a");
  EXPECT_EQ(Narrow(ParentFolder(L"/a")), "/");
  EXPECT_EQ(Narrow(ParentFolder(L"/")), "/");
  EXPECT_EQ(Narrow(HomeFolder()), "/home/tester");
}

TEST(FolderListing, SizeAndTimeColumns) {
  EXPECT_EQ(Narrow(FormatEntrySize(0)), "0 KB");
  EXPECT_EQ(Narrow(FormatEntrySize(1)), "1 KB");
  EXPECT_EQ(Narrow(FormatEntrySize(1024)), "1 KB");
  EXPECT_EQ(Narrow(FormatEntrySize(1025)), "2 KB");
  EXPECT_EQ(Narrow(FormatEntrySize(1234LL * 1024)), "1,234 KB");
  EXPECT_EQ(Narrow(FormatEntrySize(5LL * 1024 * 1024 * 1024)), "5,242,880 KB");
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(Narrow(FormatEntryTime(1709647620)), "2024/03/05 14:07");
}

TEST_F(Tree, CollectingFilesNeverEntersAFolderLink) {
  SStringWArray files;
  CollectFilesRecursive(W("/"), files);  // a trailing separator is dropped
  std::vector<std::string> got;
  for (int i = 0; i < files.GetCount(); ++i) got.push_back(Narrow(files[i]).substr(root.size()));
  // Hidden files are files too; the loop link is neither entered nor
  // listed; the dangling link is no file; the link to a file is one.
  EXPECT_EQ(got, (std::vector<std::string>{"/.hidden/inside.mp3", "/alpha.wav", "/beta.mp3", "/to-beta",
                                           "/录音 文件/.secret.mp3", "/录音 文件/a.MP3", "/录音 文件/b.mp3",
                                           "/录音 文件/notes.txt", "/录音 文件/sub/deep.mp3"}));
  SStringWArray one;
  CollectFilesRecursive(W("/beta.mp3"), one);
  CollectFilesRecursive(L"/no/such/file", one);
  ASSERT_EQ(one.GetCount(), 2);
  EXPECT_EQ(Narrow(one[0]), root + "/beta.mp3");
  EXPECT_EQ(Narrow(one[1]), "/no/such/file") << "a path that is no folder is kept as given";
  // A folder link the caller names is taken; the loop inside it is not.
  SStringWArray viaLink;
  CollectFilesRecursive(W("/loop"), viaLink);
  ASSERT_EQ(viaLink.GetCount(), static_cast<int>(got.size()));
  EXPECT_EQ(Narrow(viaLink[0]), root + "/loop/.hidden/inside.mp3");
}

TEST(FilePicker, SettingsAndFilters) {
  CDlgFileSel picker;
  EXPECT_EQ(picker.options, 0x1208u);
  picker.AddFilter(L"Nothing", L"").AddFilter(L"A rather long display name", L"*.a");
  ASSERT_EQ(picker.filters.size(), 1u) << "an empty pattern adds no filter";
  EXPECT_EQ(Narrow(picker.filters[0].name), "A rather long display name");
  EXPECT_EQ(Narrow(picker.filters[0].pattern), "*.a");
  const struct {
    DWORD start;
    CDlgFileSel& (*apply)(CDlgFileSel&);
    DWORD end;
  } rows[] = {
      {0, [](CDlgFileSel& p) -> CDlgFileSel& { return p.SetPickFolders(); }, 0x20},
      {0, [](CDlgFileSel& p) -> CDlgFileSel& { return p.SetMultiSelect(true); }, 0x200},
      {0x1228, [](CDlgFileSel& p) -> CDlgFileSel& { return p.SetMultiSelect(false); }, 0x1028},
      {0x8, [](CDlgFileSel& p) -> CDlgFileSel& { return p.SetFileMustExist(); }, 0x1008},
  };
  for (const auto& r : rows) {
    CDlgFileSel p;
    p.options = r.start;
    EXPECT_EQ(&r.apply(p), &p);
    EXPECT_EQ(p.options, r.end);
  }
}

// Without an application there is no chooser: 100 at once, and the stack
// never held the picker (a registered window would have been disabled).
LRESULT CALLBACK CountEnables(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  static int* counter = nullptr;
  if (msg == WM_USER) counter = reinterpret_cast<int*>(l);
  if (msg == WM_ENABLE && counter) ++*counter;
  return DefWindowProcW(hwnd, msg, w, l);
}

TEST(FilePicker, NoChooserMeansCancelledAndNothingPushed) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = CountEnables;
  wc.lpszClassName = L"file_picker_main";
  RegisterClassExW(&wc);
  HWND main = CreateWindowExW(0, L"file_picker_main", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(main, nullptr);
  int enables = 0;
  SendMessageW(main, WM_USER, 0, reinterpret_cast<LPARAM>(&enables));
  CDlgStack::Instance().RegisterWindow(main);
  CDlgFileSel picker;
  picker.paths.push_back(L"stale");
  EXPECT_EQ(picker.Show(main), 100);
  EXPECT_TRUE(picker.paths.empty());
  EXPECT_EQ(picker.GetChooser(), nullptr);
  SStringW folder = L"kept";
  EXPECT_EQ(PickFolderDialog(folder, main), E_FAIL);
  EXPECT_EQ(Narrow(folder), "kept");
  SStringWArray files;
  EXPECT_EQ(PickFoldersAndCollectFiles(files, main), E_FAIL);
  EXPECT_FALSE(PickFilesDialog(main, files));
  EXPECT_EQ(files.GetCount(), 0);
  EXPECT_EQ(enables, 0) << "the picker was pushed";
  EXPECT_TRUE(CDlgStack::Instance().IsEmpty());
  CDlgStack::Instance().UnregisterWindow(main);
  SendMessageW(main, WM_USER, 0, 0);
  DestroyWindow(main);
}

}  // namespace
