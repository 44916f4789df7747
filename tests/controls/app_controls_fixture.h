// The display tests of the program's list controls: a modeless dialog base
// on the X server holding a layout, the classes registered as the program
// registers them, the test skins, and a task-list adapter whose drop moves
// the selected rows.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "HostTestWindow.h"
#include "OrielTestApp.h"
#include "controls/SComboBoxEx.h"
#include "controls/SDlgBase.h"
#include "controls/SHeaderCtrlEx.h"
#include "controls/SListCtrlsEx.h"
#include "controls/SMCListViewEx.h"
#include "res.mgr/SSkinPool.h"
#include "list_test_input.h"
// After gtest and the helper: Xutil brings macros of its own.
#include <X11/Xutil.h>

namespace ORIEL {

// Rows show the ids in `order`; their cells are "col1" to "col3" (columns
// 0-2; columns 3-5 name cells no row has). A drop moves the selected rows
// before the drop position, keeping their order, and selects them there.
class TaskAdapter : public SMcAdapterBaseEx {
 public:
  explicit TaskAdapter(int n) {
    for (int i = 0; i < n; ++i) order.push_back(i);
  }
  int GetCount() override { return static_cast<int>(order.size()); }
  void BindItemView(int position, SWindow* item, pugi::xml_node tpl) override {
    if (item->GetChildrenCount() == 0) {
      item->CreateChildren(tpl);
      for (pugi::xml_attribute a = tpl.first_attribute(); a; a = a.next_attribute())
        if (XmlValue(a).Left(1) == L"#") item->ApplyAttribute(SStringW(XmlText(a.name())), XmlValue(a), TRUE);
    }
    SStringW text;
    text.Format(L"%d", order[position]);
    if (SWindow* cell = item->FindDescendantByName(SStringW(L"col1"))) cell->SetText(text);
  }
  SStringW GetColumnName(int column) const override {
    SStringW name;
    name.Format(L"col%d", column + 1);
    return name;
  }
  bool SortByColumn(int column, int* flags, int count) override {
    sortCalls.push_back(column);
    return SMcAdapterBaseEx::SortByColumn(column, flags, count);
  }
  bool OnRequestSelect(int index, SList<int>& selection) override {
    drops.push_back(index);
    std::vector<int> chosen;
    for (SPOSITION p = selection.GetHeadPosition(); p;) {
      const int row = selection.GetNext(p);
      if (row >= 0 && row < GetCount()) chosen.push_back(row);
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    if (chosen.empty()) return false;
    std::vector<int> moved, rest;
    for (int i = 0; i < GetCount(); ++i)
      (std::binary_search(chosen.begin(), chosen.end(), i) ? moved : rest).push_back(order[i]);
    const int before = static_cast<int>(std::count_if(chosen.begin(), chosen.end(), [&](int r) { return r < index; }));
    const int at = std::clamp(index - before, 0, static_cast<int>(rest.size()));
    rest.insert(rest.begin() + at, moved.begin(), moved.end());
    order = rest;
    selection.RemoveAll();
    for (size_t k = 0; k < moved.size(); ++k) selection.AddTail(at + static_cast<int>(k));
    notifyDataSetChanged();
    return true;
  }
  std::vector<int> Selection() {
    std::vector<int> out;
    SList<int>& s = GetSelection();
    for (SPOSITION p = s.GetHeadPosition(); p;) out.push_back(s.GetNext(p));
    std::sort(out.begin(), out.end());
    return out;
  }
  std::vector<int> order;
  std::vector<int> drops;
  std::vector<int> sortCalls;
};

// A window that records the keys sent to it (the list's owner).
class KeyProbe : public SWindow {
  SOBJ_CLASS(KeyProbe, SWindow, L"keyprobe", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_KEYDOWN) keys.push_back(static_cast<UINT>(wParam));
    return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
  std::vector<UINT> keys;
};

class ControlsWindow : public TestHostT<SDlgBaseWnd> {
 public:
  ControlsWindow() : TestHostT<SDlgBaseWnd>(nullptr) {}
};

// The skins the tests draw with: a red divider and three 22-pixel icons
// (the drop button's own picture: 0 plain, 1 and 2 on a grey square).
inline void AddTestSkins() {
  SXmlDoc doc;
  doc.load_string(
      "<skin><colorrect name='t_divider' normal='#ff0000'/>"
      "<imglist name='t_icons' src='PNG:btn_combobox' states='3'/></skin>");
  SSkinPoolMgr::getSingleton().GetSystemPool()->AddSkinsFromXml(doc.first_child());
}

inline void RegisterAppControls(SApplication* app) {
  app->RegisterClass<SMCListViewEx>();
  app->RegisterClass<SHeaderCtrlEx>();
  app->RegisterClass<SComboBoxEx>();
  app->RegisterClass<SListBoxEx>();
  app->RegisterClass<SListViewEx>();
  app->RegisterClass<SCtrlIConEx>();
  app->RegisterClass<KeyProbe>();
}

// The colour channels of two pixels differ by at most `tolerance`.
inline bool Near(unsigned long a, unsigned long b, int tolerance = 4) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > tolerance || d < -tolerance) return false;
  }
  return true;
}

// The bounds (screen coordinates) of the pixels in `area` of the screen
// within `tolerance` of `colour`; empty when there is none.
inline RECT ColourBounds(RECT area, unsigned long colour, int tolerance = 8) {
  RECT found{0, 0, 0, 0};
  Display* d = userDisplay();
  area = RECT{std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0),
              std::min(area.right, static_cast<LONG>(DisplayWidth(d, DefaultScreen(d)))),
              std::min(area.bottom, static_cast<LONG>(DisplayHeight(d, DefaultScreen(d))))};
  if (area.right <= area.left || area.bottom <= area.top) return found;
  XImage* image = XGetImage(d, DefaultRootWindow(d), area.left, area.top, area.right - area.left,
                            area.bottom - area.top, AllPlanes, ZPixmap);
  if (!image) return found;
  bool any = false;
  for (int y = 0; y < area.bottom - area.top; ++y)
    for (int x = 0; x < area.right - area.left; ++x) {
      if (!Near(XGetPixel(image, x, y) & 0xFFFFFF, colour, tolerance)) continue;
      const LONG sx = area.left + x, sy = area.top + y;
      if (!any) found = RECT{sx, sy, sx + 1, sy + 1};
      found = RECT{std::min(found.left, sx), std::min(found.top, sy), std::max(found.right, sx + 1),
                   std::max(found.bottom, sy + 1)};
      any = true;
    }
  XDestroyImage(image);
  return found;
}

}  // namespace ORIEL
