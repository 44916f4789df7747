// A place in the window tree for a genuine child window. The control never
// paints; the application's real-window factory makes, places and
// destroys the window, and the control keeps it at its own place and
// visibility. The window is made real on the display (an X subwindow of
// the host's), so the host's painting never covers it and its input goes
// to it.
#pragma once

#include "core/SApplication.h"
#include "core/SWnd.h"

namespace ORIEL {

struct SRealWndParam {
  SStringW className;
  SStringW windowName;
  DWORD style = WS_CHILD;
  DWORD exStyle = 0;
  SXmlDoc xmlParams;  // a copy of the layout's "params" element
};

class SRealWnd : public SWindow {
  SOBJ_CLASS(SRealWnd, SWindow, L"realwnd", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }

  SRealWnd();
  ~SRealWnd() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL LoadXmlNode(pugi::xml_node element) override;
  // No child windows: the one child element, "params", is the factory's.
  BOOL CreateChildren(pugi::xml_node) override { return TRUE; }
  BOOL RelayoutTo(const RECT* rc) override;
  BOOL NeedRedrawOnStateChange() const override { return FALSE; }

  // The real window; with `create` it is made first when the control was
  // not set to make it while loading and none lives yet.
  HWND GetRealHwnd(BOOL create = TRUE);
  const SRealWndParam& GetRealWndParam() const { return param_; }
  void SetData(LPVOID data) { data_ = data; }
  LPVOID GetData() const { return data_; }

 protected:
  void OnShowWindow(BOOL show, UINT status) override;
  void OnPaint(IRenderTarget*) override {}
  void OnDestroy() override;

 private:
  BOOL InitRealWnd();
  IRealWindowFactory* Factory() const;

  SRealWndParam param_;
  int init_ = 0;
  HWND hwnd_ = nullptr;
  LPVOID data_ = nullptr;
};

}  // namespace ORIEL
