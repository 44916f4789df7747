#include "control/SMenuBar.h"

#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {
namespace {

// The timer that opens a button's menu once the menu it slid from is closed.
constexpr UINT kSwitchTimer = 10;
constexpr UINT kSwitchTimerMs = 10;

}  // namespace

// --- the button ---------------------------------------------------------

SMenuItem::SMenuItem(SMenuBar* bar, const SStringW& menuName) : m_pMenuBar(bar), m_strMenuName(menuName) {
  SWindow::ApplyAttribute(SStringW(L"drawFocusRect"), SStringW(L"0"), TRUE);
  m_bLoaded = m_menu.LoadFromResName(menuName);
}

HRESULT SMenuItem::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  // The name only: the menu is loaded once, when the button is made.
  if (AttrNameIs(name, L"menuName")) {
    m_strMenuName = SResProviderMgr::LookupNamedString(value);
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  return SWindow::ApplyAttribute(name, value, loading);
}

void SMenuItem::OnLButtonDown(UINT keys, POINT pt) {
  SWindow::OnLButtonDown(keys, pt);
  BringToFront();
  if (IsWindow(m_pMenuBar->m_hWnd)) PopupMenu();
}

void SMenuItem::PopupMenu() {
  SMenuBar* bar = m_pMenuBar;
  bar->m_bIsShow = TRUE;
  bar->m_pItemShowing = this;
  SetChecked(TRUE);
  // The menu takes the pointer: the button lets go of it, so the bar's
  // other buttons see the pointer slide over them.
  ReleaseCapture();
  ChangeState(0, WndState_PushDown, TRUE);
  RECT host{};
  ::GetWindowRect(bar->m_hWnd, &host);
  const RECT client = ClientRect();
  AddRef();  // the button may be taken down while its menu runs
  const UINT id = m_menu.ShowPopup(TPM_RETURNCMD, host.left + client.left, host.top + client.bottom + 2,
                                   bar->m_hWnd, nullptr, 100);
  SetChecked(FALSE);
  bar->m_bIsShow = FALSE;
  if (bar->m_pItemShowing == this && id) {
    bar->m_pItemShowing = nullptr;
    EventSelectMenu e(bar);
    e.nMenuId = id;
    e.pMenu = &m_menu;
    bar->RaiseEvent(&e);
  } else {
    bar->m_pItemShowing = nullptr;
  }
  Release();
}

BOOL SMenuItem::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_MOUSEMOVE) {
    SMenuBar* bar = m_pMenuBar;
    if (bar->m_bIsShow && bar->m_pItemShowing != this) {
      bar->m_pItemShowing = this;
      EndMenu();
      SetTimer(kSwitchTimer, kSwitchTimerMs);
    }
    result = 0;
    return TRUE;
  }
  if (msg == WM_TIMER && wParam == kSwitchTimer) {
    // It keeps ticking while the old menu is still closing.
    if (!m_pMenuBar->m_bIsShow) {
      KillTimer(kSwitchTimer);
      PopupMenu();
    }
    result = 0;
    return TRUE;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

// --- the bar ------------------------------------------------------------

SMenuBar::SMenuBar() { GetEventSet()->AddEvent(EventSelectMenu::EventID, EventSelectMenu::EventName()); }
SMenuBar::~SMenuBar() = default;

BOOL SMenuBar::Attach(HWND host) {
  if (!IsWindow(host)) return FALSE;
  m_hWnd = host;
  return TRUE;
}

BOOL SMenuBar::CreateChildren(pugi::xml_node element) {
  if (pugi::xml_node style = XmlChild(element, L"btnStyle")) {
    m_xmlStyle.reset();
    m_xmlStyle.append_copy(style);
  }
  if (pugi::xml_node menus = XmlChild(element, L"menus")) {
    for (pugi::xml_node c = menus.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element || !XmlNameIs(c.name(), L"menuItem")) continue;
      SStringW title = XmlText(c.text().get());
      title.Trim();
      InsertItem(title, SResProviderMgr::LookupNamedString(XmlValue(XmlAttr(c, L"menuName"))), -1);
    }
  }
  return TRUE;
}

BOOL SMenuBar::InsertItem(const SStringW& title, const SStringW& menuName, int index) {
  if (menuName.IsEmpty()) return FALSE;
  auto* item = new SMenuItem(this, menuName);
  if (!item->IsLoaded()) {
    item->Release();
    return FALSE;
  }
  AttachChild(item);
  item->LoadXmlNode(m_xmlStyle.document_element());
  if (!title.IsEmpty()) item->SetText(title);
  if (index < 0 || index > GetItemCount()) index = GetItemCount();
  m_lstMenuItem.InsertAt(index, item);
  ArrangeItems();
  return TRUE;
}

void SMenuBar::ArrangeItems() {
  const RECT client = ClientRect();
  RECT next{client.left + 1, client.top, client.left + 1 + kItemWidth, client.top + kItemHeight};
  for (int i = 0; i < GetItemCount(); ++i) {
    m_lstMenuItem[i]->Move(&next);
    next = RECT{next.right + 1, next.top, next.right + 1 + kItemWidth, next.top + kItemHeight};
  }
}

BOOL SMenuBar::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const BOOL handled = SWindow::HandleSwndMessage(msg, wParam, lParam, result);
  // The buttons keep their places when the bar moves.
  if (msg == SWM_SIZE) ArrangeItems();
  return handled;
}

}  // namespace ORIEL
