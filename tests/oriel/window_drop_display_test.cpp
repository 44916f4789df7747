// Files dragged in from another program reach the framework window under
// the pointer: the host registers its tree's drop target for its window,
// and the tree's windows register their own targets with the container.
#include "OrielTestApp.h"
#include "SwndWindowHost.h"
#include "../platform-display/display_helper.h"
// X after the framework and gtest: Xlib's macros clash with their names.
#include "XdndTestSource.h"

namespace {

constexpr int kX = 80, kY = 90, kW = 300, kH = 150;

// A window's target: records the calls and the files of a drop.
class FileTarget final : public IDropTarget {
 public:
  HRESULT QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT DragEnter(IDataObject*, DWORD, POINTL pt, DWORD* effect) override {
    calls.push_back("DragEnter");
    enterAt = pt;
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragOver(DWORD, POINTL, DWORD* effect) override {
    calls.push_back("DragOver");
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragLeave() override {
    calls.push_back("DragLeave");
    return S_OK;
  }
  HRESULT Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    calls.push_back("Drop");
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) == S_OK) {
      auto drop = static_cast<HDROP>(medium.hGlobal);
      const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
      for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0), L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1)));
        files.push_back(path);
      }
      ReleaseStgMedium(&medium);
    }
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  ULONG refs = 0;
  POINTL enterAt{};
  std::vector<std::string> calls;
  std::vector<std::wstring> files;
};

const char kUriList[] =
    "file:///tmp/qv%20drop/%E5%BD%95%E9%9F%B3%20%E4%B8%80.wav\r\n"
    "file:///tmp/plain.wav\r\n";

// Window 1 (left half) has a target; window 2 (right half) has none.
class WindowDropDisplayTest : public OrielAppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display";
    OrielAppTest::SetUp();
    host = new SwndWindowHost(kX, kY, kW, kH);
    host->CreateChildrenFromString(
        L"<window id='1' pos='0,0,150,-0' colorBkgnd='#ffe0e0'/>"
        L"<window id='2' pos='150,0,-0,-0' colorBkgnd='#e0e0ff'/>");
    ShowWindow(host->Hwnd(), SW_SHOWNA);
    ASSERT_TRUE(waitViewable(host->Hwnd()));
    ASSERT_EQ(RegisterDragDrop(host->Hwnd(), &host->GetDropTargetDispatcher()), S_OK);
    ASSERT_TRUE(host->AddDropTarget(host->FindDescendantById(1)->GetHandle(), &target));
    topX = Win32XWindowOf(host->Hwnd());
  }
  void TearDown() override {
    if (host) {
      RevokeDragDrop(host->Hwnd());
      host->SendSwndMessage(2);
      host->Release();
    }
    OrielAppTest::TearDown();
  }
  static POINT Screen(int x, int y) { return POINT{kX + x, kY + y}; }
  bool Replies(XdndTestSource& source, size_t n) {
    return pumpUntil([&] { return source.ReplyCount() >= n; });
  }

  FileTarget target;
  SwndWindowHost* host = nullptr;
  Window topX = 0;
};

TEST_F(WindowDropDisplayTest, FilesDroppedOverAWindowWithATargetReachItAndItsNeighbourGetsNothing) {
  XdndTestSource source(XdndTestSource::Offers{{"text/uri-list", kUriList}, {"text/plain;charset=utf-8", "two files"}});
  source.Enter(topX);
  source.Position(topX, Screen(220, 70));
  ASSERT_TRUE(Replies(source, 1));
  EXPECT_FALSE(source.Replies()[0].second) << "the neighbour takes nothing";
  EXPECT_TRUE(target.calls.empty());

  source.Position(topX, Screen(60, 70));
  ASSERT_TRUE(Replies(source, 2));
  EXPECT_TRUE(source.Replies()[1].second);
  EXPECT_EQ(target.enterAt.x, kX + 60) << "screen points, as the target's contract says";
  source.Drop(topX);
  ASSERT_TRUE(Replies(source, 3));

  EXPECT_EQ(target.calls, (std::vector<std::string>{"DragEnter", "Drop"}));
  EXPECT_EQ(target.files, (std::vector<std::wstring>{L"/tmp/qv drop/录音 一.wav", L"/tmp/plain.wav"}));
  const auto replies = source.Replies();
  EXPECT_EQ(replies[2].first, "XdndFinished");
  EXPECT_TRUE(replies[2].second);
  EXPECT_EQ(host->GetDropTargetDispatcher().GetCurrentWindow(), 0u);
}

TEST_F(WindowDropDisplayTest, ADragLeavingTheHostGivesTheWindowDragLeave) {
  XdndTestSource source(XdndTestSource::Offers{{"text/uri-list", kUriList}});
  source.Enter(topX);
  source.Position(topX, Screen(40, 40));
  ASSERT_TRUE(Replies(source, 1));
  source.Leave(topX);
  ASSERT_TRUE(pumpUntil([&] { return target.calls.size() >= 2; }));
  EXPECT_EQ(target.calls, (std::vector<std::string>{"DragEnter", "DragLeave"}));
  EXPECT_EQ(host->GetDropTargetDispatcher().GetCurrentWindow(), 0u);
}

}  // namespace
