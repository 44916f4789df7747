// A host window for tests: built from a layout text, it counts the
// messages its map sees, lets a test answer messages first, and records
// the events of its tree.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "core/SHostDialog.h"
#include "core/SHostWnd.h"
#include "core/SXml.h"

namespace ORIEL {

template <class Base>
class TestHostT : public Base {
 public:
  using Base::Base;
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override {
    ++messages;
    seen.push_back(msg);
    if (before) {
      if (std::optional<LRESULT> answer = before(msg, wParam, lParam)) {
        result = *answer;
        return TRUE;
      }
    }
    return Base::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
  }
  BOOL OnHostEvent(EventArgs* e) override {
    events.push_back(e->GetId());
    return Base::OnHostEvent(e);
  }
  // Loads a layout text ("<ORIEL ...>...</ORIEL>") into the live window.
  bool Load(const char* xml, int cx = 0, int cy = 0) {
    SXmlDoc doc;
    if (!doc.LoadBuffer(xml, strlen(xml))) return false;
    return Base::LoadHostXml(XmlChild(doc, L"ORIEL"), cx, cy) != FALSE;
  }
  int messages = 0;
  std::vector<UINT> seen;
  std::vector<int> events;
  std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)> before;
};

using TestHost = TestHostT<SHostWnd>;
using TestDialog = TestHostT<SHostDialog>;

// A popup host at (x, y) sized by its layout.
inline bool MakeHost(TestHost& host, const char* xml, int x, int y, HWND owner = nullptr) {
  if (!host.Create(owner, WS_POPUP | WS_CLIPCHILDREN, 0, x, y, 1, 1)) return false;
  return host.Load(xml);
}

}  // namespace ORIEL
