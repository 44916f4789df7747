// The one Win32 window class every framework window is created in, and the
// slot that hands the window under construction to the class procedure
// (CSimpleWnd::FirstMessageProc), which binds it at its first message.
#pragma once

#include "core/SCriticalSection.h"
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

  // Held by CSimpleWnd::Create around CreateWindowExW; the class procedure
  // runs inside it on the same thread.
  SCriticalSection& GetLock() { return lock_; }
  void SetWindowUnderConstruction(class CSimpleWnd* wnd) { underConstruction_ = wnd; }
  class CSimpleWnd* TakeWindowUnderConstruction() {
    class CSimpleWnd* wnd = underConstruction_;
    underConstruction_ = nullptr;
    return wnd;
  }

 private:
  HINSTANCE instance_;
  SCriticalSection lock_;
  class CSimpleWnd* underConstruction_ = nullptr;
  SStringW className_;
  UINT style_;
  ATOM atom_ = 0;
};

}  // namespace ORIEL
