// "activex" and "flash": places for an embedded component object. This
// system has no component object runtime and no movie player, so nothing
// is ever created in them: the attributes are read, and where the object
// would be created a warning names its class id, once per window. The
// window stays empty (it shows its parent's background), forwards no input
// and hosts nothing: there is no container and no client site.
#pragma once

#include "core/SWnd.h"
#include "win32/ole.h"

namespace ORIEL {

class SActiveX : public SWindow {
  SOBJ_CLASS(SActiveX, SWindow, L"activex", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }

  SActiveX();
  ~SActiveX() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  UINT GetDlgCode() const override { return 0xFFFF; }

  // Always null: no object is ever created here.
  IUnknown* GetControl() const { return nullptr; }
  const CLSID& GetClsid() const { return clsid_; }
  DWORD GetClsCtx() const { return clsCtx_; }
  BOOL IsDelayed() const { return delay_ != 0; }
  // Whether the warning that the object cannot be created was given.
  BOOL HasWarned() const { return warned_; }

  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" into `out`; false otherwise.
  static bool ParseClsid(const SStringW& text, CLSID* out);
  static SStringW FormatClsid(const CLSID& clsid);

 protected:
  int OnCreate() override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnPaint(IRenderTarget*) override {}
  // Where the object would be created: warns, once.
  void CreateControl();

  CLSID clsid_{};
  DWORD clsCtx_ = 23;  // every context
  int delay_ = 0;
  BOOL warned_ = FALSE;
};

class SFlashCtrl : public SActiveX {
  SOBJ_CLASS(SFlashCtrl, SActiveX, L"flash", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"activex"; }

  SFlashCtrl();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SActiveX::ApplyAttribute;

  // There is no player: the movie is never loaded.
  BOOL Play(const SStringW& url);
  const SStringW& GetUrl() const { return url_; }

 private:
  SStringW url_;
};

}  // namespace ORIEL
