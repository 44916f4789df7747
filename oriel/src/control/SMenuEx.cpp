// The framework menu's levels: loading, placing each level on its
// monitor, opening sub-levels by hover, click or key, and the private loop
// that runs while a menu is shown. The loop holds a pop-up pointer grab so
// that a press outside our windows reaches the top level and ends the menu.
#include "control/SMenuEx.h"

#include "core/SApplication.h"
#include "core/SLog.h"
#include "core/SStringSplit.h"

namespace ORIEL {
namespace {

SMenuExRunData* g_run = nullptr;

bool IsPress(UINT msg) {
  return msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN || msg == WM_NCLBUTTONDOWN ||
         msg == WM_NCRBUTTONDOWN;
}

bool IsKey(UINT msg) {
  return msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR || msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP ||
         msg == WM_IME_CHAR;
}

// The hot key character a virtual key types, 0 for keys that type none.
WCHAR KeyChar(UINT vk) {
  if (vk >= 'A' && vk <= 'Z') return static_cast<WCHAR>(vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9') return static_cast<WCHAR>(vk);
  return 0;
}

WCHAR Lower(WCHAR c) { return c >= L'A' && c <= L'Z' ? static_cast<WCHAR>(c - L'A' + L'a') : c; }

}  // namespace

// --- run data -------------------------------------------------------------

SMenuExRunData* SMenuExRunData::Current() { return g_run; }

void SMenuExRunData::OnLastRelease() {
  if (g_run == this) g_run = nullptr;
  delete this;
}

// --- construction and loading -------------------------------------------

SMenuEx::SMenuEx() { GetHostAttr().ApplyAttribute(SStringW(L"translucent"), SStringW(L"1"), TRUE); }

SMenuEx::SMenuEx(SMenuExItem* parentItem) : parentItem_(parentItem) {}

SMenuEx::~SMenuEx() {
  if (GetHwnd()) DestroyHostWindow();
}

BOOL SMenuEx::LoadFromResource(const SStringW& id, HWND parent) {
  SStringWArray parts;
  ParseResName(id, parts);
  SStringW type(L"SMENUEX"), name = id;
  if (parts.GetCount() == 2) type = parts[0], name = parts[1];
  SApplication* app = SApplication::getSingletonPtr();
  SXmlDoc doc;
  if (!app || !app->LoadXmlDocByType(doc, name, type)) return FALSE;
  return LoadFromNode(doc.document_element(), parent);
}

BOOL SMenuEx::LoadFromNode(pugi::xml_node element, HWND parent) {
  if (GetHwnd() || !element) return FALSE;
  if (!XmlNameIs(element.name(), L"menuRoot") && !XmlNameIs(element.name(), L"menuItem")) return FALSE;
  parentHwnd_ = parent;
  pugi::xml_node top = element.root().first_child();
  while (top && top.type() != pugi::node_element) top = top.next_sibling();
  if (!parentItem_) trCtx_ = XmlValue(XmlAttr(top, L"trCtx"));

  // The generated host element: a translucent pop-up without a frame.
  SXmlDoc hostDoc;
  pugi::xml_node host = hostDoc.append_child("ORIEL");
  host.append_attribute("translucent") = "1";
  if (!parentItem_ && !trCtx_.IsEmpty()) host.append_attribute("trCtx") = XmlUtf8(trCtx_).c_str();
  if (!Create(parent, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0, 1, 1)) return FALSE;
  if (!LoadHostXml(host, 1, 1)) {
    DestroyHostWindow();
    return FALSE;
  }

  root_ = new SMenuExRoot(this);
  AttachChild(root_);
  root_->SetContainer(this);
  // A sub-menu inherits the top menu's look, then applies its own.
  if (top && top != element)
    for (pugi::xml_attribute a = top.first_attribute(); a; a = a.next_attribute())
      root_->ApplyAttribute(XmlText(a.name()), XmlText(a.value()), TRUE);
  root_->LoadXmlNode(element);
  root_->SetText(SStringW());
  root_->GetLayoutParam()->SetWrapContent(Both);
  root_->SetContainer(this);
  return TRUE;
}

// --- items ----------------------------------------------------------------

SMenuExItem* SMenuEx::ItemBy(int item, UINT flags) const {
  if (!root_) return nullptr;
  if (flags & MF_BYPOSITION) {
    int i = 0;
    for (SWindow* c = root_->GetRelative(GSW_FIRSTCHILD); c; c = c->GetRelative(GSW_NEXTSIBLING), ++i)
      if (i == item) return dynamic_cast<SMenuExItem*>(c);
    return nullptr;
  }
  for (SWindow* c = root_->GetRelative(GSW_FIRSTCHILD); c; c = c->GetRelative(GSW_NEXTSIBLING))
    if (c->GetId() == item) return dynamic_cast<SMenuExItem*>(c);
  return nullptr;
}

SMenuExItem* SMenuEx::AddItem(int before, UINT flags, int id, const SStringW& text) {
  if (!root_) return nullptr;
  SApplication* app = SApplication::getSingletonPtr();
  SMenuExItem* item = (flags & MF_SEPARATOR) ? new SMenuExSep(this, root_->sepSkin)
                                             : new SMenuExItem(this, root_->itemSkin);
  if (app) app->ApplyDefaultAttributes(item);
  SMenuExItem* at = ItemBy(before, flags);
  SWindow* after = at ? at->GetRelative(GSW_PREVSIBLING) : nullptr;
  root_->AttachChild(item, at ? (after ? after : ICWND_FIRST) : nullptr);
  item->SetContainer(this);
  if (!(flags & MF_SEPARATOR)) {
    item->SetText(text);
    item->ApplyAttribute(SStringW(L"ID"), SStringW().Format(L"%d", id), FALSE);
    if (flags & MF_POPUP) item->MakeEmptySubMenu();
    if (flags & MF_CHECKED) item->ApplyAttribute(SStringW(L"check"), SStringW(L"1"), FALSE);
  }
  root_->MarkRelayoutSelf();
  return item;
}

BOOL SMenuEx::DeleteItem(int item, UINT flags) {
  SMenuExItem* found = ItemBy(item, flags);
  if (!found) return FALSE;
  if (found == hotItem_) hotItem_ = nullptr;
  if (found == pendingItem_) pendingItem_ = nullptr;
  return found->Destroy() ? TRUE : FALSE;
}

BOOL SMenuEx::CheckItem(int item, UINT flags) {
  SMenuExItem* found = ItemBy(item, flags);
  if (!found) return FALSE;
  found->ApplyAttribute(SStringW(L"check"), SStringW((flags & MF_CHECKED) ? L"1" : L"0"), FALSE);
  return TRUE;
}

SMenuExItem* SMenuEx::GetMenuItem(int id) {
  return root_ ? root_->FindChildByID2<SMenuExItem>(id) : nullptr;
}

SMenuEx* SMenuEx::GetSubMenu(int id) {
  SMenuExItem* item = GetMenuItem(id);
  return item ? item->GetSubMenu() : nullptr;
}

DWORD SMenuEx::GetContextHelpId() const { return root_ ? root_->contextHelpId : 0; }
void SMenuEx::SetContextHelpId(DWORD id) {
  if (root_) root_->contextHelpId = id;
}

SMenuEx* SMenuEx::ParentMenu() const { return parentItem_ ? parentItem_->GetOwnerMenu() : nullptr; }

int SMenuEx::PositionOf(SMenuExItem* item) const {
  int i = 0;
  for (SWindow* c = item ? item->GetParent()->GetRelative(GSW_FIRSTCHILD) : nullptr; c;
       c = c->GetRelative(GSW_NEXTSIBLING), ++i)
    if (c == item) return i;
  return 0;
}

BOOL SMenuEx::IsShown() const { return GetHwnd() && IsWindowVisible(GetHwnd()); }

// --- host overrides -------------------------------------------------------

SStringW SMenuEx::GetTrContext() const {
  if (parentItem_) return parentItem_->GetTrCtx().IsEmpty() ? parentItem_->GetContainer()->GetTrContext()
                                                            : parentItem_->GetTrCtx();
  return trCtx_;
}

int SMenuEx::GetScale() const { return g_run ? g_run->scale : 100; }

// --- showing ----------------------------------------------------------------

void SMenuEx::SendInitPopup(int position) {
  if (initSent_) return;
  initSent_ = true;
  if (g_run && g_run->owner)
    SendMessageW(g_run->owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(this), position);
}

void SMenuEx::PlaceAt(int x, int y, UINT flags) {
  SendInitPopup(parentItem_ ? PositionOf(parentItem_) : 0);
  root_->SendSwndMessage(SWM_UPDATESCALE, GetScale());
  const SIZE size = root_->MeasureDesiredSize(10000, 10000);
  const RECT rootRect{0, 0, size.cx, size.cy};
  root_->Move(&rootRect);
  if (flags & TPM_CENTERALIGN) x -= size.cx / 2;
  else if (flags & TPM_RIGHTALIGN) x -= size.cx;
  if (flags & TPM_VCENTERALIGN) y -= size.cy / 2;
  else if (flags & TPM_BOTTOMALIGN) y -= size.cy;

  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  GetMonitorInfoW(MonitorFromWindow(GetHwnd(), MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT& m = mi.rcMonitor;
  const int offset = parentItem_ ? root_->subMenuOffset.ToPixels(GetScale()) : 0;
  const bool inside = x >= m.left && y >= m.top && x + size.cx <= m.right && y + size.cy <= m.bottom;
  if (inside) {
    x += offset;
  } else if (parentItem_) {
    // A sub-level that passes the right edge opens at its parent's left,
    // then the whole level is shifted back onto the monitor.
    if (x + size.cx > m.right) {
      RECT parent{};
      ::GetWindowRect(ParentMenu()->GetHwnd(), &parent);
      x = parent.left - offset - size.cx;
    } else {
      x += offset;
    }
    if (x < m.left) x += m.left - x;
    else if (x + size.cx > m.right) x -= x + size.cx - m.right;
    if (y < m.top) y += m.top - y;
    else if (y + size.cy > m.bottom) y -= y + size.cy - m.bottom;
  } else {
    const int y0 = y;
    if (x + size.cx > m.right) x -= size.cx;
    if (y < m.top) y = y0 + size.cy;
    if (y + size.cy > m.bottom) y = y0 - size.cy;
  }
  // Placed while hidden, then shown: a translucent level presents itself
  // at the place it has when it first paints.
  SetWindowPos(GetHwnd(), HWND_TOPMOST, x, y, size.cx, size.cy, SWP_NOACTIVATE);
  SetWindowPos(GetHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  if (g_run) g_run->shown.push_back(this);
}

void SMenuEx::SetHotItem(SMenuExItem* item) {
  if (hotItem_ == item) return;
  if (hotItem_) hotItem_->SetChecked(FALSE);
  hotItem_ = item;
  if (hotItem_) hotItem_->SetChecked(TRUE);
}

void SMenuEx::OpenSubMenu(SMenuExItem* item, bool fromKeyboard) {
  ::KillTimer(GetHwnd(), kSubMenuTimer);
  pendingItem_ = nullptr;
  SMenuEx* sub = item ? item->GetSubMenu() : nullptr;
  if (!sub || !sub->GetHwnd()) return;
  if (sub->IsShown()) {
    if (fromKeyboard) sub->SetHotItem(sub->StepItem(nullptr, true));
    return;
  }
  if (hotItem_ && hotItem_ != item && hotItem_->GetSubMenu() && hotItem_->GetSubMenu()->IsShown())
    hotItem_->GetSubMenu()->HideMenu(false);
  sub->SendInitPopup(PositionOf(item));
  RECT rc = item->GetWindowRect();
  const RECT whole = root_->GetWindowRect();
  rc.left = whole.left, rc.right = whole.right;
  POINT topRight{rc.right, rc.top};
  ClientToScreen(GetHwnd(), &topRight);
  SetHotItem(item);
  SetWindowLongPtrW(sub->GetHwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(GetHwnd()));
  sub->PlaceAt(topRight.x, topRight.y, 0);
  if (fromKeyboard) sub->SetHotItem(sub->StepItem(nullptr, true));
}

void SMenuEx::HideMenu(bool byKey) {
  if (!IsShown()) return;
  if (hotItem_ && hotItem_->GetSubMenu()) hotItem_->GetSubMenu()->HideMenu(false);
  ::KillTimer(GetHwnd(), kSubMenuTimer);
  pendingItem_ = nullptr;
  ShowWindow(GetHwnd(), SW_HIDE);
  SetHotItem(nullptr);
  if (g_run && !g_run->shown.empty() && g_run->shown.back() == this) g_run->shown.pop_back();
  if (!byKey)
    if (SMenuEx* parent = ParentMenu(); parent && parent->hotItem_ == parentItem_) parent->SetHotItem(nullptr);
}

SMenuExItem* SMenuEx::StepItem(SMenuExItem* from, bool down) const {
  if (!root_) return nullptr;
  const int count = root_->GetChildrenCount();
  SWindow* c = from;
  // At most one full round; separators and disabled items are skipped.
  for (int n = 0; n <= count; ++n) {
    if (!c) c = root_->GetRelative(down ? GSW_FIRSTCHILD : GSW_LASTCHILD);
    else c = c->GetRelative(down ? GSW_NEXTSIBLING : GSW_PREVSIBLING);
    if (!c) c = root_->GetRelative(down ? GSW_FIRSTCHILD : GSW_LASTCHILD);
    if (!c) return nullptr;
    auto* item = dynamic_cast<SMenuExItem*>(c);
    if (item && !item->IsDisabled(TRUE) && item->IsVisible() && !item->IsClass(SMenuExSep::GetClassName()))
      return item;
  }
  return nullptr;
}

bool SMenuEx::OnMenuKey(UINT key) {
  switch (key) {
    case VK_RETURN:
      if (hotItem_) {
        EventCmd cmd(hotItem_);
        hotItem_->RaiseEvent(&cmd);
      }
      return true;
    case VK_ESCAPE:
    case VK_LEFT:
      if (parentItem_) HideMenu(true);
      else if (key == VK_ESCAPE) EndMenu(0);
      else return true;
      return true;
    case VK_UP:
    case VK_DOWN: {
      SMenuExItem* next = StepItem(hotItem_, key == VK_DOWN);
      if (hotItem_ && hotItem_->GetSubMenu()) hotItem_->GetSubMenu()->HideMenu(false);
      SetHotItem(next);
      return true;
    }
    case VK_RIGHT:
      if (hotItem_ && hotItem_->GetSubMenu()) OpenSubMenu(hotItem_, true);
      return true;
    default: break;
  }
  const WCHAR ch = KeyChar(key);
  if (!ch) return false;
  for (SWindow* c = root_->GetRelative(GSW_FIRSTCHILD); c; c = c->GetRelative(GSW_NEXTSIBLING)) {
    auto* item = dynamic_cast<SMenuExItem*>(c);
    if (item && item->GetHotKey() && Lower(item->GetHotKey()) == ch) {
      EventCmd cmd(item);
      item->RaiseEvent(&cmd);
      break;
    }
  }
  return true;
}

BOOL SMenuEx::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                  DWORD mapId) {
  if (mapId == 0) {
    switch (msg) {
      case WM_MOUSEACTIVATE: result = MA_NOACTIVATE; return TRUE;
      case WM_TIMER:
        if (wParam == kSubMenuTimer) {
          OpenSubMenu(pendingItem_, false);
          result = 0;
          return TRUE;
        }
        break;
      case WM_KEYDOWN:
        if (root_ && OnMenuKey(static_cast<UINT>(wParam))) {
          result = 0;
          return TRUE;
        }
        break;
      default: break;
    }
  }
  return SHostWnd::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}

BOOL SMenuEx::OnHostEvent(EventArgs* e) {
  auto* sender = dynamic_cast<SWindow*>(e->sender);
  auto* item = dynamic_cast<SMenuExItem*>(sender);
  if (!item || item->GetOwnerMenu() != this) {
    if (g_run && g_run->owner) SendMessageW(g_run->owner, kMenuEventMessage, 0, reinterpret_cast<LPARAM>(e));
    return FALSE;
  }
  switch (e->GetId()) {
    case EventSwndMouseHover::EventID: {
      // Resting on another item closes the open sub-level; resting on an
      // item with its own opens that after the delay.
      if (hotItem_ && hotItem_ != item && hotItem_->GetSubMenu() && hotItem_->GetSubMenu()->IsShown())
        hotItem_->GetSubMenu()->HideMenu(false);
      if (item->GetSubMenu() && item != pendingItem_ && !(item == hotItem_ && item->GetSubMenu()->IsShown())) {
        pendingItem_ = item;
        ::SetTimer(GetHwnd(), kSubMenuTimer, kSubMenuDelayMs, nullptr);
      }
      break;
    }
    case EventSwndMouseLeave::EventID: {
      // A repaint of a translucent level may report a leave while the
      // pointer still rests on the item: only a real leave stops the wait.
      POINT at{};
      GetCursorPos(&at);
      ScreenToClient(GetHwnd(), &at);
      const RECT rc = item->GetWindowRect();
      if (item == pendingItem_ && PtInRect(&rc, at) && IsShown()) break;
      if (item->GetSubMenu()) {
        ::KillTimer(GetHwnd(), kSubMenuTimer);
        pendingItem_ = nullptr;
      }
      break;
    }
    case EventCmd::EventID:
      if (item->GetSubMenu()) OpenSubMenu(item, false);
      else if (item->GetId() != 0) EndMenu(item->GetId());
      break;
    default: break;
  }
  return TRUE;
}

void SMenuEx::EndMenu(int code) {
  if (!g_run) return;
  g_run->exitCode = code;
  g_run->exitFlag = true;
  if (g_run->owner) PostMessageW(g_run->owner, WM_NULL, 0, 0);
}

int SMenuEx::ShowPopup(UINT flags, int x, int y, HWND owner, int scale) {
  if (!GetHwnd() || !root_) return -1;
  SMenuExRunData* run = g_run;
  if (run) run->AddRef();
  else run = g_run = new SMenuExRunData(owner, scale);

  HWND activate = owner && IsWindowEnabled(owner) ? owner : GetActiveWindow();
  HWND top = activate;
  while (top && ::GetParent(top)) top = ::GetParent(top);
  if (top) SetForegroundWindow(top);

  PlaceAt(x, y, flags);
  const bool grabbed = Win32BeginPopupGrab(GetHwnd()) != FALSE;
  RunLoop(top);
  if (grabbed) Win32EndPopupGrab(GetHwnd());
  HideMenu(false);

  if (activate) {
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(activate, &pt);
    PostMessageW(activate, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
  }
  const int code = run->exitCode;
  run->Release();
  if (flags & TPM_RETURNCMD) return code > 0 ? code : 0;
  // Only a chosen item reaches the owner: a dismissal sends nothing.
  if (code > 0 && owner) SendMessageW(owner, WM_COMMAND, static_cast<WPARAM>(code & 0xFFFF), 0);
  return 1;
}

void SMenuEx::RunLoop(HWND activeTop) {
  SMenuExRunData* run = g_run;
  HWND under = nullptr;
  bool quit = false;
  WPARAM quitCode = 0;
  while (!run->exitFlag && (!activeTop || GetForegroundWindow() == activeTop)) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    if (msg.message == WM_QUIT) {
      PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
      quit = true;
      quitCode = msg.wParam;
      break;
    }
    if (IsPress(msg.message)) {
      // Presses outside every level end the menu and stay queued for
      // their window; under the grab they arrive at the top level with
      // coordinates outside it.
      POINT pt{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
      if (msg.message == WM_NCLBUTTONDOWN || msg.message == WM_NCRBUTTONDOWN) {
        // Already in screen coordinates.
      } else {
        ClientToScreen(msg.hwnd, &pt);
      }
      SMenuEx* hit = nullptr;
      for (SMenuEx* m : run->shown) {
        RECT rc{};
        ::GetWindowRect(m->GetHwnd(), &rc);
        if (PtInRect(&rc, pt)) hit = m;
      }
      if (!hit) {
        // A press the grab brought to a level belongs to nobody else:
        // it goes; a press on another of our windows stays for it.
        bool toLevel = false;
        for (SMenuEx* m : run->shown) toLevel = toLevel || m->GetHwnd() == msg.hwnd;
        if (toLevel) PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
        EndMenu(0);
        break;
      }
      if (hit->hotItem_ && hit->hotItem_->GetSubMenu() && hit->hotItem_->GetSubMenu()->IsShown()) {
        // The press on the open sub-level's own item keeps it open.
        RECT itemRc = hit->hotItem_->GetWindowRect();
        POINT local = pt;
        ScreenToClient(hit->GetHwnd(), &local);
        if (!PtInRect(&itemRc, local)) hit->hotItem_->GetSubMenu()->HideMenu(false);
      }
      if (msg.hwnd != hit->GetHwnd()) {
        // A press that the grab delivered elsewhere goes to the level under it.
        PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
        POINT local = pt;
        ScreenToClient(hit->GetHwnd(), &local);
        msg.hwnd = hit->GetHwnd();
        msg.lParam = MAKELPARAM(local.x, local.y);
        DispatchMessageW(&msg);
        continue;
      }
    }
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      quit = true;
      quitCode = msg.wParam;
      break;
    }
    if (IsKey(msg.message) && !run->shown.empty()) msg.hwnd = run->shown.back()->GetHwnd();
    if (msg.message == WM_MOUSEMOVE) {
      HWND now = nullptr;
      for (SMenuEx* m : run->shown)
        if (m->GetHwnd() == msg.hwnd) now = msg.hwnd;
      if (under && now != under && IsWindow(under)) SendMessageW(under, WM_MOUSELEAVE, 0, 0);
      under = now;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

}  // namespace ORIEL
