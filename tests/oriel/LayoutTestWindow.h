// A small window for layout tests: it keeps a rectangle, children, a
// layout and its own layout parameter, wants a fixed content size, and
// is built from XML like a framework window (own attributes first, then
// the layout's, then the parameter's; children get their parent's kind of
// parameter before their attributes apply).
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "core/SObjectFactory.h"
#include "core/SStringSplit.h"
#include "core/SXml.h"
#include "layout/ILayout.h"
#include "layout/IWindow.h"
#include "layout/OrielLayout.h"

namespace ORIEL {

class LayoutTestWindow : public SObjectImpl<TObjRefImpl<IWindow>> {
 public:
  explicit LayoutTestWindow(SObjectFactoryMgr* factory, int* scale) : factory_(factory), scale_(scale) {
    layout_.Attach(new OrielLayout);
    param_.Attach(layout_->CreateLayoutParam());
  }

  // IObject
  int GetId() const override { return id_; }
  SStringW GetName() const override { return name_; }
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override {
    if (AttrNameIs(name, L"id")) return id_ = ParseAttrInt(value), S_OK;
    if (AttrNameIs(name, L"name")) return name_ = value, S_OK;
    if (AttrNameIs(name, L"float")) return float_ = ParseAttrBool(value), S_OK;
    if (AttrNameIs(name, L"visible")) return visible_ = ParseAttrBool(value), S_OK;
    if (AttrNameIs(name, L"display")) return display_ = ParseAttrBool(value), S_OK;
    if (AttrNameIs(name, L"content")) {
      SArray<SStringW> parts;
      if (SplitByChar(value, L',', parts) != 2) return E_FAIL;
      content_[0] = SLayoutSize::FromString(parts[0]);
      content_[1] = SLayoutSize::FromString(parts[1]);
      return S_OK;
    }
    if (AttrNameIs(name, L"layout")) {
      IObject* made = factory_->CreateObject(SObjectInfo(value, kObjLayout));
      if (!made) return E_FAIL;
      layout_.Attach(static_cast<ILayout*>(made));
      return S_OK;
    }
    const HRESULT byLayout = layout_->ApplyAttribute(name, value, loading);
    if (byLayout >= 0) return byLayout;  // a refusal passes the name on
    return param_->ApplyAttribute(name, value, loading);
  }
  using SObjectImpl<TObjRefImpl<IWindow>>::ApplyAttribute;

  // IWindow
  ILayoutParam* GetLayoutParam() const override { return param_; }
  int GetScale() const override { return *scale_; }
  void GetLayoutArea(RECT* rc) override { *rc = rect; }
  IWindow* GetNextLayoutChild(const IWindow* previous) const override {
    auto it = children_.begin();
    if (previous) {
      it = std::find_if(children_.begin(), children_.end(), [&](const auto& c) { return c.get() == previous; });
      if (it != children_.end()) ++it;
    }
    for (; it != children_.end(); ++it)
      if (!(*it)->float_ && ((*it)->visible_ || (*it)->display_)) return it->get();
    return nullptr;
  }
  SIZE MeasureDesiredSize(int widthHint, int heightHint) override {
    ++measured;
    const int hints[2] = {widthHint, heightHint};
    int size[2] = {-1, -1};
    for (int axis = 0; axis < 2; ++axis) {
      const auto o = static_cast<ORIENTATION>(axis);
      if (param_->HasFixedSize(o))
        size[axis] = param_->GetSpecifiedSize(o).ToPixels(*scale_);
      else if (param_->IsMatchParent(o) && hints[axis] >= 0)
        size[axis] = hints[axis];
    }
    if (size[0] >= 0 && size[1] >= 0) return SIZE{size[0], size[1]};
    SIZE content{content_[0].ToPixels(*scale_), content_[1].ToPixels(*scale_)};
    if (!children_.empty()) {
      const SIZE kids = layout_->MeasureAll(this, size[0] >= 0 ? size[0] : hints[0], size[1] >= 0 ? size[1] : hints[1]);
      content.cx = std::max(content.cx, kids.cx);
      content.cy = std::max(content.cy, kids.cy);
    }
    return SIZE{size[0] >= 0 ? size[0] : content.cx, size[1] >= 0 ? size[1] : content.cy};
  }
  BOOL RelayoutTo(const RECT* rc) override {
    rect = *rc;
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
    ++placed;
    if (!children_.empty()) layout_->PlaceAll(this);
    return TRUE;
  }

  // Attributes, then children, depth first.
  void Load(pugi::xml_node element) {
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute())
      ApplyAttribute(XmlText(a.name()), XmlText(a.value()), TRUE);
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      auto child = std::make_unique<LayoutTestWindow>(factory_, scale_);
      child->param_.Attach(layout_->CreateLayoutParam());
      child->Load(c);
      children_.push_back(std::move(child));
    }
  }

  LayoutTestWindow* FindById(int id) {
    if (id_ == id) return this;
    for (auto& c : children_)
      if (LayoutTestWindow* hit = c->FindById(id)) return hit;
    return nullptr;
  }
  void ForEach(const std::function<void(LayoutTestWindow*)>& fn) {
    fn(this);
    for (auto& c : children_) c->ForEach(fn);
  }
  void OnLastRelease() override {}  // owned by its parent's list, not by references

  RECT rect{0, 0, 0, 0};
  int measured = 0;
  int placed = 0;

 private:
  SObjectFactoryMgr* factory_;
  int* scale_;
  int id_ = 0;
  SStringW name_;
  bool float_ = false, visible_ = true, display_ = true;
  SLayoutSize content_[2];
  SRefPtr<ILayout> layout_;
  SRefPtr<ILayoutParam> param_;
  std::vector<std::unique_ptr<LayoutTestWindow>> children_;
};

}  // namespace ORIEL
