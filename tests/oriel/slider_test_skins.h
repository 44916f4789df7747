// Fixture skins for the range controls' tests: solid blocks of a known
// natural size, one colour per state, pushed as a pool of their own so
// layouts can name them.
#pragma once

#include <vector>

#include "res.mgr/SSkinObjBase.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

class BlockSkin : public SSkinObjBase {
 public:
  BlockSkin(SIZE size, std::vector<COLORREF> stateColours) : size_(size), colours_(std::move(stateColours)) {}
  SIZE NaturalSize() const override { return size_; }
  BOOL IgnoreState() const override { return colours_.size() < 2; }
  int StateCount() const override { return static_cast<int>(colours_.size()); }
  ISkinObj* Scale(int) override { return nullptr; }
  // The states drawn, in order.
  std::vector<int> drawn;

 protected:
  void DrawCell(IRenderTarget* rt, const RECT& rc, int index, BYTE) override {
    drawn.push_back(index);
    const size_t i = index >= 0 && static_cast<size_t>(index) < colours_.size() ? index : 0;
    rt->FillSolidRect(&rc, colours_[i]);
  }

 private:
  SIZE size_;
  std::vector<COLORREF> colours_;
};

// A pool of block skins, pushed on creation and popped on destruction.
class BlockSkinPool {
 public:
  BlockSkinPool() : pool_(new SSkinPool) { SSkinPoolMgr::getSingleton().PushSkinPool(pool_); }
  ~BlockSkinPool() {
    SSkinPoolMgr::getSingleton().PopPool(pool_);
    pool_->Release();
  }
  BlockSkin* Add(const wchar_t* name, SIZE size, std::vector<COLORREF> colours) {
    auto* skin = new BlockSkin(size, std::move(colours));
    pool_->AddSkin(SStringW(name), 100, skin);
    skin->Release();  // the pool keeps its own reference
    return skin;
  }

 private:
  SSkinPool* pool_;
};

}  // namespace ORIEL
