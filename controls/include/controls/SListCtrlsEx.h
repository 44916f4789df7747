// The program's list view, list box and icon window: "listviewex" is the
// framework's list view under the program's own name; "listboxEx" takes
// its icon skin again at each new scale (the combo with icons draws from
// it); "iconex" loads its icon at a size given with the name ("src2") and
// loads it again at the right pixel size whenever the scale changes.
#pragma once

#include "control/SIconWnd.h"
#include "control/SListBox.h"
#include "control/SListView.h"

namespace ORIEL {

class SListViewEx : public SListView {
  SOBJ_CLASS(SListViewEx, SListView, L"listviewex", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"listview"; }
};

class SListBoxEx : public SListBox {
  SOBJ_CLASS(SListBoxEx, SListBox, L"listboxEx", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"listbox"; }

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SListBox::ApplyAttribute;
  void UpdateScale(int scale) override;
  // The icon skin at the window's scale, null without one.
  ISkinObj* GetIconSkin() const { return iconSkin_; }

 private:
  SStringW iconSkinName_;
  ISkinObj* iconSkin_ = nullptr;  // skins belong to their pools
};

// The pixel size of an icon `baseSize` pixels at 100 % shown at `scale`
// percent, rounded half up.
int ScaledIconSize(int baseSize, int scale);

class SCtrlIConEx : public SIconWnd {
  SOBJ_CLASS(SCtrlIConEx, SIconWnd, L"iconex", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"icon"; }

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SIconWnd::ApplyAttribute;
  void UpdateScale(int scale) override;

  int GetBaseSize() const { return baseSize_; }
  const SStringW& GetIconName() const { return iconName_; }
  // The icon's pixel size, 0 without one.
  int GetIconPixelSize() const;

 private:
  void LoadAt(int pixels);

  int baseSize_ = 0;
  SStringW iconName_;
};

}  // namespace ORIEL
