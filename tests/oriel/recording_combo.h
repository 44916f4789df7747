// An editable combo box that also records what reaches it from its edit
// part: the events that bubble up and the key and hover messages the edit
// hands over.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "control/SComboBox.h"
#include "control/SComboEdit.h"
#include "core/SXml.h"

namespace combotest {

using namespace ORIEL;

struct Notice {
  int id;
  int idFrom;
  std::wstring nameFrom;
};

class RecordingCombo : public SComboBox {
 public:
  BOOL RaiseEvent(EventArgs* e) override {
    notices.push_back({e->GetId(), e->idFrom, e->nameFrom.c_str()});
    return SComboBox::RaiseEvent(e);
  }
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_KEYDOWN || msg == WM_MOUSEHOVER || msg == WM_MOUSELEAVE) messages.push_back({msg, wParam});
    return SComboBox::HandleSwndMessage(msg, wParam, lParam, result);
  }
  int Count(int eventId) const {
    int n = 0;
    for (const Notice& s : notices) n += s.id == eventId;
    return n;
  }
  std::vector<WPARAM> Keys() const {
    std::vector<WPARAM> keys;
    for (const auto& [msg, wParam] : messages)
      if (msg == WM_KEYDOWN) keys.push_back(wParam);
    return keys;
  }
  std::vector<Notice> notices;
  std::vector<std::pair<UINT, WPARAM>> messages;
};

// Makes a recording combo from a layout element ("<combobox .../>") as the
// last child of `parent`; null when it could not be created.
inline RecordingCombo* AddRecordingCombo(SWindow* parent, const char* xml) {
  auto* combo = new RecordingCombo;
  parent->AttachChild(combo);
  SXmlDoc doc;
  if (!doc.LoadBuffer(xml, strlen(xml)) || !combo->LoadXmlNode(XmlChild(doc, L"combobox"))) return nullptr;
  return combo;
}

}  // namespace combotest
