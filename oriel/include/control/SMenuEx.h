// The framework-drawn pop-up menu: every level is a host window whose
// tree is a "menuRoot" of "menuItem"s and "sep"s stacked top to bottom;
// an item that holds items owns the next level. Showing runs a private
// loop until an item is chosen or the menu is dismissed.
#pragma once

#include <vector>

#include "core/SHostWnd.h"
#include "render/TObjRefImpl.h"

namespace ORIEL {

class SMenuEx;

class SMenuExRoot : public SWindow {
  SOBJ_CLASS(SMenuExRoot, SWindow, L"menuRoot", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  explicit SMenuExRoot(SMenuEx* host = nullptr);
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  SIZE MeasureDesiredSize(int widthHint, int heightHint) override;
  void GetLayoutArea(RECT* rc) override { *rc = ClientRect(); }
  void ArrangeChildren() override;
  void UpdateScale(int scale) override;

  SMenuEx* GetHost() const { return host_; }
  // Copies the skins, sizes and style of another root (an added sub-menu).
  void CopyLook(const SMenuExRoot& other);

  ISkinObj* itemSkin = nullptr;
  ISkinObj* iconSkin = nullptr;
  ISkinObj* checkSkin = nullptr;
  ISkinObj* arrowSkin = nullptr;
  ISkinObj* sepSkin = nullptr;
  SLayoutSize itemHeight{26.0f, SLayoutSize::dp};
  SLayoutSize iconBarWidth{24.0f, SLayoutSize::dp};
  SLayoutSize textOffset{0.0f, SLayoutSize::px};
  SLayoutSize iconX{0.0f, SLayoutSize::px};
  SLayoutSize iconY{0.0f, SLayoutSize::px};
  SLayoutSize minWidth{100.0f, SLayoutSize::dp};
  SLayoutSize subMenuOffset{0.0f, SLayoutSize::px};
  DWORD contextHelpId = 0;
  // The special icon y that centres the icon vertically.
  static constexpr float kIconCentred = -1000.0f;

 private:
  friend class SMenuEx;
  SMenuEx* host_;
  SStringW skinNames_[5];
};

class SMenuExItem : public SWindow {
  SOBJ_CLASS(SMenuExItem, SWindow, L"menuItem", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SMenuExItem(SMenuEx* host = nullptr, ISkinObj* skin = nullptr);
  ~SMenuExItem() override;
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  SIZE MeasureDesiredSize(int widthHint, int heightHint) override;
  RECT TextRectangle() const override;
  // Hover, press and the hot mark all change the item's frame.
  BOOL NeedRedrawOnStateChange() const override { return TRUE; }

  SMenuEx* GetSubMenu() const { return subMenu_; }
  SMenuEx* GetOwnerMenu() const { return host_; }
  WCHAR GetHotKey() const { return hotKey_; }
  int GetIcon() const { return icon_; }
  // Gives the item an empty sub-menu styled like its own menu.
  SMenuEx* MakeEmptySubMenu();

 protected:
  void OnPaint(IRenderTarget* rt) override;
  SMenuExRoot* Root() const;

  SMenuEx* subMenu_ = nullptr;
  SMenuEx* host_;
  int icon_ = -1;
  int check_ = 0;
  int radio_ = 0;
  WCHAR hotKey_ = 0;
};

class SMenuExSep : public SMenuExItem {
  SOBJ_CLASS(SMenuExSep, SMenuExItem, L"sep", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"menuItem"; }
  SMenuExSep(SMenuEx* host = nullptr, ISkinObj* skin = nullptr);
  SIZE MeasureDesiredSize(int widthHint, int heightHint) override;

 protected:
  void OnPaint(IRenderTarget* rt) override;
};

// The state of one run of the menu loop, shared by nested shows.
class SMenuExRunData : public TObjRefImpl<IObjRef> {
 public:
  SMenuExRunData(HWND owner, int scale) : owner(owner), scale(scale) {}
  void OnLastRelease() override;
  static SMenuExRunData* Current();

  std::vector<SMenuEx*> shown;  // in showing order
  int exitCode = -1;
  bool exitFlag = false;
  HWND owner;
  int scale;
};

class SMenuEx : public SHostWnd {
  SOBJ_CLASS(SMenuEx, SHostWnd, L"SMenuEx", kObjWindow)

 public:
  SMenuEx();
  explicit SMenuEx(SMenuExItem* parentItem);
  ~SMenuEx() override;

  // "TYPE:NAME" or a bare name (type "SMENUEX"); the document element must
  // be "menuRoot" or "menuItem". False when the host already exists.
  BOOL LoadFromResource(const SStringW& id, HWND parent = nullptr);
  BOOL LoadFromNode(pugi::xml_node element, HWND parent = nullptr);

  // TrackPopupMenu-style flags; -1 when not loaded. With TPM_RETURNCMD the
  // chosen id (0 for none); otherwise a chosen id goes to the owner as
  // WM_COMMAND and the result is 1.
  int ShowPopup(UINT flags, int x, int y, HWND owner, int scale = 100);
  // Ends the current run with `code`.
  static void EndMenu(int code);
  static void ExitPopup(int code) { EndMenu(code); }

  SMenuExItem* AddItem(int before, UINT flags, int id, const SStringW& text);
  BOOL DeleteItem(int item, UINT flags);
  BOOL CheckItem(int item, UINT flags);
  SMenuExItem* GetMenuItem(int id);
  SMenuEx* GetSubMenu(int id);
  DWORD GetContextHelpId() const;
  void SetContextHelpId(DWORD id);

  SMenuExRoot* GetRoot() const { return root_; }
  SMenuExItem* GetParentItem() const { return parentItem_; }
  SMenuExItem* GetHotItem() const { return hotItem_; }
  BOOL IsShown() const;

  // Host-side overrides.
  SStringW GetTrContext() const override;
  int GetScale() const override;
  BOOL OnHostEvent(EventArgs* e) override;
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

  // The message raised to the owner for events of a menu's other windows.
  static constexpr UINT kMenuEventMessage = 11226;
  static constexpr UINT kSubMenuTimer = 100;
  static constexpr UINT kSubMenuDelayMs = 500;

 private:
  friend class SMenuExItem;
  void SendInitPopup(int position);
  void PlaceAt(int x, int y, UINT flags);
  void OpenSubMenu(SMenuExItem* item, bool fromKeyboard);
  // Hides the level and its open sub-level; `byKey` keeps the parent's
  // hot item (Escape or Left).
  void HideMenu(bool byKey);
  void RunLoop(HWND activeTop);
  bool OnMenuKey(UINT key);
  void SetHotItem(SMenuExItem* item);
  SMenuExItem* StepItem(SMenuExItem* from, bool down) const;
  SMenuExItem* ItemBy(int item, UINT flags) const;
  SMenuEx* ParentMenu() const;
  int PositionOf(SMenuExItem* item) const;

  SMenuExItem* parentItem_ = nullptr;
  SMenuExItem* pendingItem_ = nullptr;
  SMenuExItem* hotItem_ = nullptr;
  bool initSent_ = false;
  HWND parentHwnd_ = nullptr;
  SMenuExRoot* root_ = nullptr;
  SStringW trCtx_;
};

}  // namespace ORIEL
