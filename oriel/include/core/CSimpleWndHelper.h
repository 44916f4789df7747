// The one Win32 window class every framework window is created in. The
// class procedure hands each window's messages to the procedure the window
// wrapper installs; until it does, windows get the default handling.
#pragma once

#include "core/SSingleton.h"
#include "core/SString.h"
#include "win32/windows.h"

namespace ORIEL {

class CSimpleWndHelper : public SSingleton2<CSimpleWndHelper, SINGLETON_SIMPLEWNDHELPER> {
 public:
  // Class styles: CS_DBLCLKS, or with imeClass CS_IME | CS_DBLCLKS |
  // CS_HREDRAW | CS_VREDRAW (0x1000B).
  CSimpleWndHelper(HINSTANCE instance, LPCWSTR className, BOOL imeClass);
  ~CSimpleWndHelper() override;
  ATOM GetAtom() const { return atom_; }
  HINSTANCE GetInstance() const { return instance_; }
  const SStringW& GetClassName() const { return className_; }
  UINT GetClassStyle() const { return style_; }

  static void SetWindowProc(WNDPROC proc);

 private:
  static LRESULT CALLBACK ClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HINSTANCE instance_;
  SStringW className_;
  UINT style_;
  ATOM atom_ = 0;
};

}  // namespace ORIEL
