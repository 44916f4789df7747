#include "core/SMessageBoxImpl.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "control/SIconWnd.h"
#include "control/STabCtrl.h"
#include "core/SLog.h"
#include "core/SStringSplit.h"
#include "core/SXml.h"
#include "gdi/gdi.h"
#include "win32/backend.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {

namespace {

// The buttons of each MB_* button type: ids and the names of their texts.
struct ButtonRow {
  int count;
  struct {
    int id;
    const wchar_t* text;
  } buttons[3];
};

constexpr ButtonRow kRows[] = {
    {1, {{IDOK, L"ok"}}},
    {2, {{IDOK, L"ok"}, {IDCANCEL, L"cancel"}}},
    {3, {{IDABORT, L"abort"}, {IDRETRY, L"retry"}, {IDIGNORE, L"ignore"}}},
    {3, {{IDYES, L"yes"}, {IDNO, L"no"}, {IDCANCEL, L"cancel"}}},
    {2, {{IDYES, L"yes"}, {IDNO, L"no"}}},
    {2, {{IDRETRY, L"retry"}, {IDCANCEL, L"cancel"}}},
};

const wchar_t* const kButtonNames[] = {L"button1st", L"button2nd", L"button3rd"};

// Types the table does not cover (MB_CANCELTRYCONTINUE and above) show the
// one OK button rather than nothing.
const ButtonRow& RowOf(UINT type) {
  const UINT row = type & 0x0F;
  return row < std::size(kRows) ? kRows[row] : kRows[0];
}

// A new document for each template, so no mark of an old one lingers.
std::unique_ptr<SXmlDoc>& Template() {
  static std::unique_ptr<SXmlDoc> doc;
  return doc;
}

// The box being shown: one at a time.
struct Shown {
  SStringW text;
  SStringW caption;
  bool hasCaption = false;
  UINT type = 0;
};
Shown& Current() {
  static Shown shown;
  return shown;
}

}  // namespace

BOOL InstallMessageBoxTemplate(pugi::xml_node element) {
  if (!element || !XmlNameIs(element.name(), L"ORIEL")) return FALSE;
  if (XmlValue(XmlAttr(element, L"minSize")).IsEmpty()) return FALSE;
  auto doc = std::make_unique<SXmlDoc>();
  doc->append_copy(element);
  Template() = std::move(doc);
  return TRUE;
}

void ClearMessageBoxTemplate() { Template().reset(); }

pugi::xml_node GetMessageBoxTemplate() { return Template() ? XmlChild(*Template(), L"ORIEL") : pugi::xml_node(); }

int SMessageBoxImpl::Show(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, int scale) {
  // Without a display the plain box answers at once, as headless runs need.
  if (!GetMessageBoxTemplate() || !Win32HasDisplay()) return MessageBoxW(owner, text, caption, type);
  Shown& shown = Current();
  shown.text = text ? text : L"";
  shown.hasCaption = caption != nullptr;
  shown.caption = caption ? caption : L"";
  shown.type = type;
  UpdateScale(scale);
  unusable_ = false;
  const INT_PTR code = DoModal(owner);
  // The template could not show this box: the plain one answers instead.
  if (unusable_) return MessageBoxW(owner, text, caption, type);
  return static_cast<int>(code);
}

BOOL SMessageBoxImpl::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                          DWORD mapId) {
  const BOOL saved = handled_;
  BOOL done = FALSE;
  if (mapId == 0 && msg == WM_INITDIALOG) {
    handled_ = TRUE;
    if (!PrepareDialog()) {
      unusable_ = true;
      EndDialog(IDCANCEL);
    }
    result = 0;
    done = TRUE;
  } else {
    done = SHostDialog::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
  }
  handled_ = saved;
  return done;
}

BOOL SMessageBoxImpl::OnHostEvent(EventArgs* e) {
  if (e && e->GetId() == EventCmd::EventID && e->idFrom >= IDOK && e->idFrom <= IDNO) {
    e->bubbleUp = 0;
    EndDialog(e->idFrom);
    return TRUE;
  }
  return SHostDialog::OnHostEvent(e);
}

BOOL SMessageBoxImpl::ApplyIcon(UINT type) {
  auto* icon = dynamic_cast<SIconWnd*>(FindDescendantByName(SStringW(L"msgicon")));
  if (!icon) return FALSE;
  LPCWSTR which = nullptr;
  switch (type & 0xF0) {
    case MB_ICONHAND: which = IDI_HAND; break;
    case MB_ICONQUESTION: which = IDI_QUESTION; break;
    case MB_ICONEXCLAMATION: which = IDI_EXCLAMATION; break;
    case MB_ICONASTERISK: which = IDI_ASTERISK; break;
    default: break;
  }
  if (which) {
    icon->SetIcon(LoadIconW(nullptr, which));
    icon->SetVisible(TRUE, TRUE);
  } else {
    icon->SetVisible(FALSE, TRUE);
  }
  return TRUE;
}

BOOL SMessageBoxImpl::PrepareDialog() {
  pugi::xml_node root = GetMessageBoxTemplate();
  if (!root || !LoadXmlNode(root)) return FALSE;
  const Shown& shown = Current();
  const ButtonRow& row = RowOf(shown.type);

  // Everything the box needs is looked up before anything changes, so a
  // template lacking a name shows nothing at all.
  auto* pages = FindChildByName2<STabCtrl>(SStringW(L"btnSwitch"));
  SWindow* title = FindDescendantByName(SStringW(L"msgtitle"));
  SWindow* message = FindDescendantByName(SStringW(L"msgtext"));
  STabPage* page = pages ? pages->GetPage(row.count - 1) : nullptr;
  SWindow* buttons[3] = {};
  SStringW missing;
  if (!pages) missing = L"btnSwitch";
  else if (!page) missing.Format(L"page %d of btnSwitch", row.count - 1);
  if (!title) missing = L"msgtitle";
  if (!message) missing = L"msgtext";
  for (int i = 0; page && missing.IsEmpty() && i < row.count; ++i) {
    buttons[i] = page->FindDescendantByName(SStringW(kButtonNames[i]));
    if (!buttons[i]) missing.Format(L"%s on page %d of btnSwitch", kButtonNames[i], row.count - 1);
  }
  if (!missing.IsEmpty()) {
    SLOGW(SLOG_LEVEL_WARN, "ORIEL::SMessageBoxImpl::PrepareDialog",
          L"the message box template lacks %s; the plain message box is used", missing.c_str());
    return FALSE;
  }

  pages->SetCurSel(row.count - 1);
  pugi::xml_node texts = XmlChild(root, L"buttonText");
  for (int i = 0; i < row.count; ++i) {
    SStringW id;
    id.Format(L"%d", row.buttons[i].id);
    buttons[i]->ApplyAttribute(SStringW(L"id"), id, FALSE);
    SStringW text = CustomButtonText(row.buttons[i].id);
    if (text.IsEmpty()) {
      text = row.buttons[i].text;
      if (pugi::xml_node custom = XmlChild(texts, row.buttons[i].text)) {
        SStringW own = XmlText(custom.text().get());
        text = SResProviderMgr::LookupNamedString(own.Trim());
      }
    }
    // SetText translates in the window's context.
    buttons[i]->SetText(text);
  }

  SStringWArray minSize;
  SplitByChar(XmlValue(XmlAttr(root, L"minSize")), L',', minSize);
  const int scale = GetScale();
  const int minWidth = minSize.GetCount() > 0 ? SLayoutSize::FromString(minSize[0]).ToPixels(scale) : 0;
  const int minHeight = minSize.GetCount() > 1 ? SLayoutSize::FromString(minSize[1]).ToPixels(scale) : 0;

  if (shown.hasCaption) title->SetText(shown.caption);
  message->SetText(shown.text);
  ApplyIcon(shown.type);

  // Sized to the new texts, never below minSize.
  ApplyLayout();
  RECT rc{};
  ::GetWindowRect(GetHwnd(), &rc);
  const int width = std::max<int>(rc.right - rc.left, minWidth);
  const int height = std::max<int>(rc.bottom - rc.top, minHeight);
  SetWindowPos(GetHwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CenterOnOwner(nullptr);
  return TRUE;
}

int ShowFrameworkMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, int scale) {
  SMessageBoxImpl box(L"");
  return box.Show(owner, text, caption, type, scale);
}

}  // namespace ORIEL
