// The host's drop target hands each drag event to the target of the window
// exactly under the pointer. The tree's host here has no HWND, so screen
// points are client points.
#include <string>
#include <vector>

#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "core/SDropTargetDispatcher.h"

namespace {

// Counts its references, as a drag source's data object would.
class CountedData final : public IDataObject {
 public:
  HRESULT QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT GetData(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  ULONG refs = 1;
};

// One window's target: records the calls it gets and accepts copies.
class LogTarget final : public IDropTarget {
 public:
  explicit LogTarget(std::string tag, std::vector<std::string>* log) : tag_(std::move(tag)), log_(log) {}
  HRESULT QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT DragEnter(IDataObject* data, DWORD, POINTL pt, DWORD* effect) override {
    log_->push_back(tag_ + ".enter@" + std::to_string(pt.x));
    enteredWith = data;
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragOver(DWORD, POINTL pt, DWORD* effect) override {
    log_->push_back(tag_ + ".over@" + std::to_string(pt.x));
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragLeave() override {
    log_->push_back(tag_ + ".leave");
    return S_OK;
  }
  HRESULT Drop(IDataObject* data, DWORD, POINTL pt, DWORD* effect) override {
    log_->push_back(tag_ + ".drop@" + std::to_string(pt.x));
    droppedWith = data;
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  ULONG refs = 0;
  IDataObject* enteredWith = nullptr;
  IDataObject* droppedWith = nullptr;

 private:
  std::string tag_;
  std::vector<std::string>* log_;
};

// Window 1 (0..100) with a target holds window 3 (50..100) without one;
// window 2 (100..200) has a target.
class DropDispatcherTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    host = new SwndTestHost(200, 100);
    host->CreateChildrenFromString(
        L"<window id='1' pos='0,0,100,100'><window id='3' pos='50,0,@50,@100'/></window>"
        L"<window id='2' pos='100,0,200,100'/>");
    host->ApplyLayout();
    ASSERT_TRUE(host->AddDropTarget(Handle(1), &one));
    ASSERT_TRUE(host->AddDropTarget(Handle(2), &two));
  }
  void TearDown() override {
    host->SendSwndMessage(2);
    host->Release();
    OrielAppTest::TearDown();
  }
  SWND Handle(int id) { return host->FindDescendantById(id)->GetHandle(); }
  DWORD Over(int x) {
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    dispatcher().DragOver(0, POINTL{x, 50}, &effect);
    return effect;
  }
  SDropTargetDispatcher& dispatcher() { return host->GetDropTargetDispatcher(); }

  std::vector<std::string> log;
  LogTarget one{"one", &log}, two{"two", &log};
  CountedData data;
  SwndTestHost* host = nullptr;
};

TEST_F(DropDispatcherTest, EventsFollowTheWindowUnderThePointerAndParentsAreNotAsked) {
  EXPECT_EQ(one.refs, 1u) << "a registered target is held";
  DWORD effect = DROPEFFECT_COPY;
  dispatcher().DragEnter(&data, 0, POINTL{10, 50}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(data.refs, 2u) << "the drag's data is held while it lasts";
  EXPECT_EQ(one.enteredWith, &data);
  EXPECT_EQ(Over(20), static_cast<DWORD>(DROPEFFECT_COPY));
  // Into the child without a target: the parent's target leaves and
  // nothing enters; the effect falls to none.
  EXPECT_EQ(Over(60), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(dispatcher().GetCurrentWindow(), Handle(3));
  EXPECT_EQ(Over(150), static_cast<DWORD>(DROPEFFECT_COPY));
  effect = DROPEFFECT_COPY;
  dispatcher().Drop(&data, 0, POINTL{160, 50}, &effect);
  EXPECT_EQ(two.droppedWith, &data);
  EXPECT_EQ(log, (std::vector<std::string>{"one.enter@10", "one.over@20", "one.leave", "two.enter@150",
                                           "two.drop@160"}));
  EXPECT_EQ(data.refs, 1u);
  EXPECT_EQ(dispatcher().GetCurrentWindow(), 0u);
}

TEST_F(DropDispatcherTest, LeavingReachesTheCurrentTargetAndTheNextDragEntersAgain) {
  DWORD effect = DROPEFFECT_COPY;
  dispatcher().DragEnter(&data, 0, POINTL{10, 50}, &effect);
  dispatcher().DragLeave();
  EXPECT_EQ(data.refs, 1u);
  EXPECT_EQ(dispatcher().GetCurrentWindow(), 0u);
  // A second drag over the same window is a new entry, not a move.
  dispatcher().DragEnter(&data, 0, POINTL{12, 50}, &effect);
  dispatcher().DragLeave();
  EXPECT_EQ(log, (std::vector<std::string>{"one.enter@10", "one.leave", "one.enter@12", "one.leave"}));
}

TEST_F(DropDispatcherTest, ATargetRemovedDuringTheDragGetsNoDropAndTheDataIsStillLetGo) {
  DWORD effect = DROPEFFECT_COPY;
  dispatcher().DragEnter(&data, 0, POINTL{150, 50}, &effect);
  EXPECT_TRUE(host->RemoveDropTarget(Handle(2)));
  EXPECT_EQ(two.refs, 0u);
  EXPECT_FALSE(host->RemoveDropTarget(Handle(2)));
  effect = DROPEFFECT_COPY;
  dispatcher().Drop(&data, 0, POINTL{150, 50}, &effect);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(log, (std::vector<std::string>{"two.enter@150"}));
  EXPECT_EQ(data.refs, 1u);
}

TEST_F(DropDispatcherTest, RegistrationInterfacesAndTeardown) {
  LogTarget other{"other", &log};
  EXPECT_FALSE(host->AddDropTarget(Handle(1), &other)) << "one target per window";
  EXPECT_EQ(other.refs, 0u);

  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(dispatcher().QueryInterface(IID_IDropTarget, &out), S_OK);
  EXPECT_EQ(out, static_cast<IDropTarget*>(&dispatcher()));
  EXPECT_EQ(dispatcher().QueryInterface(IID_IUnknown, &out), S_OK);
  EXPECT_EQ(dispatcher().QueryInterface(IID_IDataObject, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);

  // The container going away lets every target and a drag's data go.
  DWORD effect = DROPEFFECT_COPY;
  dispatcher().DragEnter(&data, 0, POINTL{10, 50}, &effect);
  host->SendSwndMessage(2);
  host->Release();
  host = nullptr;
  EXPECT_EQ(one.refs, 0u);
  EXPECT_EQ(two.refs, 0u);
  EXPECT_EQ(data.refs, 1u);
  EXPECT_EQ(log.back(), "one.leave");
  host = new SwndTestHost(10, 10);  // for TearDown
}

}  // namespace
