// Building a window tree from XML, and finding windows in it.
#include <cwctype>

#include "core/SApplication.h"
#include "core/SLog.h"
#include "core/SStringSplit.h"
#include "core/SWindowFinder.h"
#include "core/SWnd.h"
#include "res.mgr/STemplatePool.h"

namespace ORIEL {

namespace {

SStringW TrimBlanks(const SStringW& text) {
  const wchar_t* s = text.c_str();
  int begin = 0, end = text.GetLength();
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  while (begin < end && blank(s[begin])) ++begin;
  while (end > begin && blank(s[end - 1])) --end;
  return text.Mid(begin, end - begin);
}

// Copies every attribute of `from` (but `skip`) onto `to`, replacing a value
// of the same name.
void CopyAttributes(pugi::xml_node from, pugi::xml_node to, const char* skip) {
  for (pugi::xml_attribute a = from.first_attribute(); a; a = a.next_attribute()) {
    if (skip && XmlNameIs(a.name(), XmlText(skip).c_str())) continue;
    pugi::xml_attribute existing = to.attribute(a.name());
    if (!existing) existing = to.append_attribute(a.name());
    existing.set_value(a.value());
  }
}

// A value goes into XML text as data, never as markup.
SStringW XmlEscape(const SStringW& value) {
  SStringW out;
  for (int i = 0; i < value.GetLength(); ++i) {
    switch (const wchar_t c = value[i]) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'"': out += L"&quot;"; break;
      case L'\'': out += L"&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

bool ParseWide(SXmlDoc& doc, const SStringW& text) {
  const SStringA utf8 = XmlUtf8(text);
  return doc.LoadBuffer(utf8.c_str(), utf8.GetLength());
}

}  // namespace

BOOL SWindow::LoadXmlNode(pugi::xml_node element) {
  if (element) {
    param_->Clear();
    pugi::xml_attribute layoutAttr = XmlAttr(element, L"layout");
    pugi::xml_attribute classAttr = XmlAttr(element, L"class");
    if (layoutAttr) {
      XmlSetMark(element, layoutAttr, 1);
      ApplyAttribute(SStringW(L"layout"), XmlValue(layoutAttr), TRUE);
    }
    if (classAttr) {
      XmlSetMark(element, classAttr, 1);
      ApplyAttribute(SStringW(L"class"), XmlValue(classAttr), TRUE);
    }
    LoadXmlAttributes(this, element);
    if (layoutAttr) XmlSetMark(element, layoutAttr, 0);
    if (classAttr) XmlSetMark(element, classAttr, 0);

    SStringW text = TrimBlanks(XmlText(element.text().get()));
    if (text.IsEmpty() && text_.GetText(true).IsEmpty()) {
      for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
          text = TrimBlanks(XmlText(c.value()));
          break;
        }
      }
    }
    if (!text.IsEmpty()) text_.SetText(SResProviderMgr::LookupNamedString(text));
  }

  if (SendSwndMessage(SWM_CREATE) != 0) {
    if (parent_) parent_->DeleteChild(this);
    return FALSE;
  }
  if (parent_) state_ |= parent_->state_ & (WndState_Invisible | WndState_Disable);
  SendSwndMessage(SWM_SHOWWINDOW, !(state_ & WndState_Invisible), 1);
  CreateChildren(element);
  MarkRelayoutSelf();
  return TRUE;
}

SWindow* SWindow::CreateChildFromElement(pugi::xml_node element) {
  SApplication* app = SApplication::getSingletonPtr();
  if (!app) return nullptr;
  IObject* made = app->NewWindowByClass(XmlName(element).c_str());
  SWindow* child = dynamic_cast<SWindow*>(made);
  if (!child) {
    if (made) made->Release();
    return nullptr;
  }
  AttachChild(child);
  child->LoadXmlNode(element);
  return child;
}

BOOL SWindow::CreateChildren(pugi::xml_node element) {
  for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    const bool include = XmlNameIs(c.name(), L"include");
    if (!include && XmlMark(c)) continue;
    if (include) CreateFromInclude(c);
    else if (strncmp(c.name(), "t:", 2) == 0) CreateFromTemplate(c);
    else CreateChildFromElement(c);
  }
  return TRUE;
}

void SWindow::CreateFromInclude(pugi::xml_node include) {
  SArray<SStringW> parts;
  const int n = SplitByChar(XmlValue(XmlAttr(include, L"src")), L':', parts);
  const SStringW type = n == 2 ? parts[0] : SStringW(L"LAYOUT");
  const SStringW name = n == 2 ? parts[1] : (n == 1 ? parts[0] : SStringW());
  SApplication* app = SApplication::getSingletonPtr();
  SXmlDoc doc;
  if (!app || name.IsEmpty() || !app->LoadXmlDocByType(doc, name, type)) return;
  pugi::xml_node root = doc.first_child();
  while (root && root.type() != pugi::node_element) root = root.next_sibling();
  if (!root) return;
  if (XmlNameIs(root.name(), L"include")) {
    CreateChildren(root);
    return;
  }
  CopyAttributes(include, root, "src");
  CreateChildFromElement(root);
  for (pugi::xml_node s = root.next_sibling(); s; s = s.next_sibling()) {
    if (s.type() != pugi::node_element) continue;
    SLOGW(SLOG_LEVEL_WARN, "ORIEL::SWindow::CreateChildren", L"warning! multi root include layout is not supported!");
    break;
  }
}

void SWindow::CreateFromTemplate(pugi::xml_node instance) {
  STemplatePoolMgr* pools = STemplatePoolMgr::getSingletonPtr();
  if (!pools) return;
  SStringW text = pools->FindTemplate(XmlText(instance.name() + 2));
  if (text.IsEmpty()) return;
  if (pugi::xml_node data = XmlChild(instance, L"data")) {
    for (pugi::xml_attribute a = data.first_attribute(); a; a = a.next_attribute()) {
      const SStringW pattern = SStringW(L"{{") + XmlText(a.name()) + L"}}";
      text.Replace(pattern.c_str(), XmlEscape(XmlValue(a)).c_str());
    }
  }
  SXmlDoc doc;
  if (!ParseWide(doc, text)) return;
  pugi::xml_node root = doc.first_child();
  while (root && root.type() != pugi::node_element) root = root.next_sibling();
  if (!root) return;
  CopyAttributes(instance, root, nullptr);
  CreateChildFromElement(root);
}

SWindow* SWindow::CreateChildrenFromString(const SStringW& xml) {
  SXmlDoc doc;
  if (!ParseWide(doc, xml)) return nullptr;
  CreateChildren(doc);
  return lastChild_;
}

// --- search -------------------------------------------------------------

bool SWindow::IsDescendantWithin(const SWindow* descendant, int depth) const {
  int level = 0;
  for (const SWindow* w = descendant ? descendant->parent_ : nullptr; w; w = w->parent_) {
    ++level;
    if (depth >= 0 && level > depth) return false;
    if (w == this) return true;
  }
  return false;
}

SWindow* SWindow::SearchById(int id, int depth) {
  for (SWindow* c = firstChild_; c; c = c->nextSibling_)
    if (c->GetId() == id) return c;
  if (depth == 1) return nullptr;
  for (SWindow* c = firstChild_; c; c = c->nextSibling_)
    if (SWindow* hit = c->SearchById(id, depth < 0 ? depth : depth - 1)) return hit;
  return nullptr;
}

SWindow* SWindow::SearchByName(const SStringW& name, int depth) {
  for (SWindow* c = firstChild_; c; c = c->nextSibling_)
    if (c->GetName() == name) return c;
  if (depth == 1) return nullptr;
  for (SWindow* c = firstChild_; c; c = c->nextSibling_)
    if (SWindow* hit = c->SearchByName(name, depth < 0 ? depth : depth - 1)) return hit;
  return nullptr;
}

// A cached hit is used only while it is still a descendant within the
// depth with that id: a window that was moved or renumbered since is
// searched for again.
SWindow* SWindow::FindDescendantById(int id, int depth) {
  if (id == 0 || depth == 0) return nullptr;
  SWindowFinder* finder = SWindowFinder::getSingletonPtr();
  if (finder) {
    SWindow* cached = finder->FindChildById(handle_, id, depth);
    if (cached && cached->GetId() == id && IsDescendantWithin(cached, depth)) return cached;
  }
  SWindow* hit = SearchById(id, depth);
  if (hit && finder) finder->CacheResultForID(handle_, id, depth, hit->handle_);
  return hit;
}

SWindow* SWindow::FindDescendantByName(const SStringW& name, int depth) {
  if (name.IsEmpty() || depth == 0) return nullptr;
  SWindowFinder* finder = SWindowFinder::getSingletonPtr();
  if (finder) {
    SWindow* cached = finder->FindChildByName(handle_, name, depth);
    if (cached && cached->GetName() == name && IsDescendantWithin(cached, depth)) return cached;
  }
  SWindow* hit = SearchByName(name, depth);
  if (hit && finder) finder->CacheResultForName(handle_, name, depth, hit->handle_);
  return hit;
}

IObject* SWindow::CheckClass(SWindow* found, LPCWSTR cls, const SStringW& name, int id, int depth) {
  if (found && found->IsClass(cls)) return found;
  if (name.IsEmpty())
    SLOGW(SLOG_LEVEL_WARN, "ORIEL::SWindow::FindChildByID2",
          L"FindChildByID2 Failed, no window of class [%s] with id of [%d] was found within [%d] levels", cls, id,
          depth);
  else
    SLOGW(SLOG_LEVEL_WARN, "ORIEL::SWindow::FindChildByName2",
          L"FindChildByName2 Failed, no window of class [%s] with name of [%s] was found within [%d] levels", cls,
          name.c_str(), depth);
  return nullptr;
}

}  // namespace ORIEL
