// A window standing in for a combo under its edit part: it records the
// events that reach it from the edit and the key and hover messages the
// edit hands it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "control/SComboEdit.h"
#include "core/SXml.h"

namespace combotest {

using namespace ORIEL;

struct Notice {
  int id;
  int idFrom;
  std::wstring nameFrom;
};

// What the combo sees of its edit part.
class RecordingCombo : public SWindow {
 public:
  BOOL RaiseEvent(EventArgs* e) override {
    notices.push_back({e->GetId(), e->idFrom, e->nameFrom.c_str()});
    return SWindow::RaiseEvent(e);
  }
  std::vector<Notice> notices;
  std::vector<std::pair<UINT, WPARAM>> messages;

 protected:
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_KEYDOWN || msg == WM_MOUSEHOVER || msg == WM_MOUSELEAVE) messages.push_back({msg, wParam});
    return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  }
};

// Makes a recording combo from a layout element ("<combo .../>") as the
// last child of `parent`.
inline RecordingCombo* AddRecordingCombo(SWindow* parent, const char* xml) {
  auto* combo = new RecordingCombo;
  parent->AttachChild(combo);
  SXmlDoc doc;
  if (!doc.LoadBuffer(xml, strlen(xml)) || !combo->LoadXmlNode(XmlChild(doc, L"combo"))) return nullptr;
  return combo;
}

}  // namespace combotest
