// A message map: the one operation a wrapped window overrides to answer its
// messages. True when handled, with the answer in `result`.
#pragma once

#include "win32/windows.h"

namespace ORIEL {

class CMessageMap {
 public:
  virtual BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                   DWORD mapId) = 0;

 protected:
  ~CMessageMap() = default;
};

}  // namespace ORIEL
