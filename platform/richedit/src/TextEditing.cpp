// Changing the text: typing, deleting, the clipboard, undo and redo, with
// the rules on who may change what and the change notice.
#include <algorithm>
#include <cstring>

#include "KeyState.h"
#include "TextServices.h"
#include "win32/user32.h"

namespace richedit {
namespace {

// What a number field takes: digits and the signs of a decimal number.
bool numberCharacter(wchar_t ch) { return (ch >= L'0' && ch <= L'9') || ch == L'-' || ch == L'.' || ch == L','; }

std::wstring withCrLf(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t ch : text) {
    if (ch == kBreak) out += L"\r\n";
    else out.push_back(ch);
  }
  return out;
}

}  // namespace

void TextServices::applyText(long start, long end, const std::wstring& text) {
  const size_t first = text_.paragraphAt(start);
  const int heightBefore = layout_.paragraphHeight(first);
  const TextStore::Change change = text_.replace(start, end, text);
  layout_.applyChange(text_, change);
  const bool shapeChanged = change.removedBreaks || change.insertedBreaks ||
                            layout_.paragraphHeight(change.firstParagraph) != heightBefore;
  // Lines below move only when this paragraph's height or the count of
  // paragraphs changed; otherwise the paragraph itself is all that changed.
  invalidateParagraphs(change.firstParagraph, change.firstParagraph + change.insertedBreaks, shapeChanged);
}

void TextServices::finishChange() {
  scrollToCaret();
  updateScrollBars();
  updateCaret();
  notifyChange();
}

bool TextServices::replace(long start, long end, std::wstring text, Origin origin, bool undoable) {
  start = std::clamp(start, 0L, text_.length());
  end = std::clamp(end, start, text_.length());
  const bool wholeText = origin == Origin::Program && !undoable;
  if (start == end && text.empty() && !wholeText) return false;
  EditStep step{start, text_.slice(start, end), text, anchor_, caret_};
  applyText(start, end, text);
  if (undoable) undo_.record(step, origin == Origin::Typing);
  else undo_.clear();
  // Text the program sets whole starts with the caret at its beginning.
  anchor_ = caret_ = wholeText ? 0 : start + static_cast<long>(text.size());
  goalX_ = -1;
  finishChange();
  return true;
}

bool TextServices::typeCharacter(wchar_t ch) {
  if (has(TXTBIT_READONLY)) {
    refuse();
    return false;
  }
  if (numberOnly() && !numberCharacter(ch)) {
    refuse();
    return false;
  }
  if (ch == L'\r' || ch == L'\n') ch = kBreak;
  const long after = text_.length() - (selEnd() - selStart()) + 1;
  if (after > static_cast<long>(maxLength_)) {
    refuse();
    return false;
  }
  return replace(selStart(), selEnd(), std::wstring(1, ch), Origin::Typing, true);
}

bool TextServices::deleteRange(long start, long end) {
  if (has(TXTBIT_READONLY)) {
    refuse();
    return false;
  }
  return replace(start, end, std::wstring(), Origin::User, true);
}

bool TextServices::copy() {
  if (has(TXTBIT_USEPASSWORD)) {
    refuse();
    return false;
  }
  if (selStart() == selEnd()) return false;
  const std::wstring text = withCrLf(text_.slice(selStart(), selEnd()));
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!memory) return false;
  std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!placed) GlobalFree(memory);
  return placed;
}

bool TextServices::cut() {
  if (has(TXTBIT_READONLY) || has(TXTBIT_USEPASSWORD)) {
    refuse();
    return false;
  }
  if (selStart() == selEnd() || !copy()) return false;
  return replace(selStart(), selEnd(), std::wstring(), Origin::User, true);
}

bool TextServices::paste() {
  if (has(TXTBIT_READONLY)) {
    refuse();
    return false;
  }
  std::wstring text;
  if (!OpenClipboard(nullptr)) return false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    const auto* chars = static_cast<const wchar_t*>(GlobalLock(data));
    if (chars) text.assign(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
    GlobalUnlock(data);
  }
  CloseClipboard();
  text = normaliseBreaks(text);
  if (!multiLine()) text = firstLineOf(text);
  if (text.empty()) return false;
  // One character a number field would refuse refuses the whole paste.
  if (numberOnly() && !std::all_of(text.begin(), text.end(), numberCharacter)) {
    refuse();
    return false;
  }
  const long room = static_cast<long>(maxLength_) - (text_.length() - (selEnd() - selStart()));
  if (room <= 0) {
    refuse();
    return false;
  }
  if (static_cast<long>(text.size()) > room) text.resize(static_cast<size_t>(room));
  return replace(selStart(), selEnd(), std::move(text), Origin::User, true);
}

bool TextServices::undo() {
  if (has(TXTBIT_READONLY)) {
    refuse();
    return false;
  }
  if (!undo_.canUndo()) return false;
  const EditStep step = undo_.takeUndo();
  applyText(step.start, step.start + static_cast<long>(step.inserted.size()), step.removed);
  anchor_ = std::clamp(step.anchorBefore, 0L, text_.length());
  caret_ = std::clamp(step.caretBefore, 0L, text_.length());
  if (anchor_ != caret_) invalidateParagraphs(text_.paragraphAt(selStart()), text_.paragraphAt(selEnd()), false);
  goalX_ = -1;
  finishChange();
  return true;
}

bool TextServices::redo() {
  if (has(TXTBIT_READONLY)) {
    refuse();
    return false;
  }
  if (!undo_.canRedo()) return false;
  const EditStep step = undo_.takeRedo();
  applyText(step.start, step.start + static_cast<long>(step.removed.size()), step.inserted);
  anchor_ = caret_ = step.start + static_cast<long>(step.inserted.size());
  goalX_ = -1;
  finishChange();
  return true;
}

void TextServices::refuse() {
  if (has(TXTBIT_ALLOWBEEP)) MessageBeep(MB_OK);
}

void TextServices::notifyChange() {
  if (eventMask_ & ENM_CHANGE) host_->TxNotify(EN_CHANGE, nullptr);
}

// --- Keys

bool TextServices::onKeyDown(UINT key) {
  const bool ctrl = keyIsDown(VK_CONTROL);
  const bool shift = keyIsDown(VK_SHIFT);
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT: {
      const int direction = key == VK_LEFT ? -1 : 1;
      if (!shift && !ctrl && selStart() != selEnd()) moveCaret(direction < 0 ? selStart() : selEnd(), false);
      else moveCaret(layout_.step(text_, caret_, direction, ctrl), shift);
      break;
    }
    case VK_HOME: moveCaret(ctrl ? 0 : layout_.visualLine(text_, caret_).first, shift); break;
    case VK_END: moveCaret(ctrl ? text_.length() : layout_.visualLine(text_, caret_).second, shift); break;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
      if (!multiLine()) return false;
      moveVertically(key, shift);
      break;
    case VK_RETURN:
      // A multi-line text keeps its Return (the break comes with the
      // character message), so a dialog does not take it as its default
      // button; a single line leaves it to the host.
      return multiLine();
    case VK_BACK:
      if (selStart() != selEnd()) deleteRange(selStart(), selEnd());
      else if (caret_ > 0) deleteRange(layout_.step(text_, caret_, -1, ctrl), caret_);
      return true;
    case VK_DELETE:
      if (selStart() != selEnd()) deleteRange(selStart(), selEnd());
      else if (caret_ < text_.length()) deleteRange(caret_, layout_.step(text_, caret_, 1, ctrl));
      return true;
    case 'A':
      if (!ctrl) return false;
      select(0, text_.length());
      break;
    case 'C':
      if (!ctrl) return false;
      copy();
      return true;
    case 'X':
      if (!ctrl) return false;
      cut();
      return true;
    case 'V':
      if (!ctrl) return false;
      paste();
      return true;
    case 'Z':
      if (!ctrl) return false;
      undo();
      return true;
    case 'Y':
      if (!ctrl) return false;
      redo();
      return true;
    default: return false;
  }
  updateScrollBars();
  return true;
}

void TextServices::moveVertically(UINT key, bool extend) {
  const CaretBox box = layout_.caretAt(text_, caret_);
  if (goalX_ < 0) goalX_ = box.x;
  const RECT view = viewRect();
  const long page = std::max<long>(layout_.lineHeight(), view.bottom - view.top);
  long y = 0;
  switch (key) {
    case VK_UP:
      if (box.y <= 0) return;  // already on the first line
      y = box.y - 1;
      break;
    case VK_DOWN:
      if (box.y + box.height >= layout_.totalHeight()) return;  // already on the last line
      y = box.y + box.height;
      break;
    case VK_PRIOR:
      y = box.y - page;
      scrollTo(scrollX_, scrollY_ - page);
      break;
    default:
      y = box.y + page;
      scrollTo(scrollX_, scrollY_ + page);
      break;
  }
  moveCaret(layout_.hit(text_, goalX_, static_cast<int>(y)), extend, true);
}

bool TextServices::onChar(wchar_t ch) {
  const bool isBreak = ch == L'\r' || ch == L'\n';
  if (isBreak && !multiLine()) return false;
  if (!isBreak && ch != L'\t' && (ch < 0x20 || ch == 0x7F)) return false;
  typeCharacter(ch);
  return true;
}

}  // namespace richedit
