// The messages the host sends through TxSendMessage. Anything not handled
// here answers S_FALSE, so the host may act on it itself.
#include <algorithm>
#include <cstring>

#include "RtfText.h"
#include "TextServices.h"
#include "crt/utf8.h"
#include "win32/user32.h"

namespace richedit {
namespace {

constexpr UINT kAutoScrollTimer = 201;

int pointX(LPARAM l) { return static_cast<SHORT>(LOWORD(l)); }
int pointY(LPARAM l) { return static_cast<SHORT>(HIWORD(l)); }

}  // namespace

HRESULT TextServices::TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* plresult) {
  // A handler of our notification may release the host, and with it us.
  AddRef();
  LRESULT result = 0;
  const bool handled = handleMessage(msg, wparam, lparam, &result);
  if (plresult) *plresult = result;
  Release();
  return handled ? S_OK : S_FALSE;
}

bool TextServices::handleMessage(UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  switch (msg) {
    case WM_SETTEXT: *result = onSetText(reinterpret_cast<const wchar_t*>(l)); return true;
    case WM_GETTEXT: *result = onGetText(w, reinterpret_cast<wchar_t*>(l)); return true;
    case WM_GETTEXTLENGTH: *result = text_.crLfLength(); return true;
    case EM_GETSEL: {
      const long start = selStart(), end = selEnd();
      if (w) *reinterpret_cast<DWORD*>(w) = static_cast<DWORD>(start);
      if (l) *reinterpret_cast<DWORD*>(l) = static_cast<DWORD>(end);
      *result = MAKELONG(std::min(start, 0xFFFFL), std::min(end, 0xFFFFL));
      return true;
    }
    case EM_SETSEL: *result = onSetSel(static_cast<LONG>(w), static_cast<LONG>(l)); return true;
    case EM_SCROLLCARET: scrollToCaret(); updateScrollBars(); return true;
    case EM_REPLACESEL: onReplaceSel(reinterpret_cast<const wchar_t*>(l), w != 0); return true;
    case EM_CANPASTE:
      *result = (w == 0 || w == CF_UNICODETEXT) && IsClipboardFormatAvailable(CF_UNICODETEXT);
      return true;
    case WM_CUT: cut(); return true;
    case WM_COPY: copy(); return true;
    case WM_PASTE: paste(); return true;
    case EM_SETEVENTMASK:
      *result = static_cast<LRESULT>(eventMask_);
      eventMask_ = static_cast<DWORD>(l);
      return true;
    case EM_GETLANGOPTIONS: *result = langOptions_; return true;
    case EM_SETLANGOPTIONS: langOptions_ = l; *result = 1; return true;
    case EM_SETCHARFORMAT: *result = onSetCharFormat(w, reinterpret_cast<const CHARFORMATW*>(l)); return true;
    case EM_SETPARAFORMAT: *result = onSetParaFormat(reinterpret_cast<const PARAFORMAT*>(l)); return true;
    case EM_EXLIMITTEXT:
      maxLength_ = l > 0 ? static_cast<DWORD>(l) : 32767;
      *result = 1;
      return true;
    case EM_SETREADONLY:
      bits_ = w ? (bits_ | TXTBIT_READONLY) : (bits_ & ~TXTBIT_READONLY);
      *result = 1;
      return true;
    case EM_STREAMIN: *result = onStreamIn(w, reinterpret_cast<EDITSTREAM*>(l)); return true;
    case EM_STREAMOUT: *result = onStreamOut(w, reinterpret_cast<EDITSTREAM*>(l)); return true;
    case WM_SETFOCUS: onFocus(true); return true;
    case WM_KILLFOCUS: onFocus(false); return true;
    case WM_LBUTTONDOWN: onButtonDown(pointX(l), pointY(l), (w & MK_SHIFT) != 0); return true;
    case WM_LBUTTONUP: onButtonUp(); return true;
    case WM_LBUTTONDBLCLK: onDoubleClick(pointX(l), pointY(l)); return true;
    case WM_MOUSEMOVE: onMouseMove(pointX(l), pointY(l)); return true;
    case WM_KEYDOWN: return onKeyDown(static_cast<UINT>(w));
    case WM_CHAR:
    case WM_IME_CHAR: return onChar(static_cast<wchar_t>(w));
    case WM_TIMER:
      if (w != kAutoScrollTimer) return false;
      onAutoScrollTimer();
      return true;
    case WM_VSCROLL:
    case WM_HSCROLL: onScroll(msg == WM_VSCROLL, LOWORD(w), HIWORD(w)); return true;
    default: return false;
  }
}

LRESULT TextServices::onSetText(const wchar_t* text) {
  std::wstring value = normaliseBreaks(text ? text : L"");
  if (!multiLine()) value = firstLineOf(value);
  // The program's text is taken whole, past the length limit too, and
  // starts a new history.
  replace(0, text_.length(), std::move(value), Origin::Program, false);
  return 1;
}

LRESULT TextServices::onGetText(WPARAM size, wchar_t* buffer) {
  if (!buffer || size == 0) return 0;
  const std::wstring text = text_.withCrLf();
  const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(size) - 1);
  std::wmemcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return static_cast<LRESULT>(n);
}

LRESULT TextServices::onSetSel(long start, long end) {
  const long length = text_.length();
  if (start == -1) {
    select(caret_, caret_);
  } else if (start == 0 && (end == -1 || end == 0xFFFF)) {
    select(0, length);
  } else {
    if (end == -1) end = length;
    select(start, end);
  }
  updateScrollBars();
  return 0;
}

void TextServices::onReplaceSel(const wchar_t* text, bool canUndo) {
  std::wstring value = normaliseBreaks(text ? text : L"");
  if (!multiLine()) value = firstLineOf(value);
  const long room = static_cast<long>(maxLength_) - (text_.length() - (selEnd() - selStart()));
  if (static_cast<long>(value.size()) > room) value.resize(static_cast<size_t>(std::max(0L, room)));
  if (!replace(selStart(), selEnd(), std::move(value), Origin::Program, canUndo) && !canUndo) undo_.clear();
}

LRESULT TextServices::onSetCharFormat(WPARAM, const CHARFORMATW* format) {
  if (!format || format->cbSize < sizeof(CHARFORMATW)) return 0;
  const DWORD mask = format->dwMask;
  const DWORD effects = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT;
  const DWORD effectMask = mask & effects;
  charFormat_.dwEffects = (charFormat_.dwEffects & ~effectMask) | (format->dwEffects & effectMask);
  if (mask & CFM_COLOR) {
    charFormat_.crTextColor = format->crTextColor;
    charFormat_.dwEffects = (charFormat_.dwEffects & ~CFE_AUTOCOLOR) | (format->dwEffects & CFE_AUTOCOLOR);
  }
  if (mask & CFM_SIZE) charFormat_.yHeight = format->yHeight;
  if (mask & CFM_OFFSET) charFormat_.yOffset = format->yOffset;
  if (mask & CFM_CHARSET) charFormat_.bCharSet = format->bCharSet;
  if (mask & CFM_FACE) std::wmemcpy(charFormat_.szFaceName, format->szFaceName, LF_FACESIZE);
  if ((mask & CFM_WEIGHT) && format->cbSize >= sizeof(CHARFORMAT2W))
    charFormat_.wWeight = reinterpret_cast<const CHARFORMAT2W*>(format)->wWeight;
  charFormat_.dwMask |= mask;
  applyLayoutFormat();
  return 1;
}

LRESULT TextServices::onSetParaFormat(const PARAFORMAT* format) {
  if (!format || format->cbSize < sizeof(PARAFORMAT)) return 0;
  if ((format->dwMask & PFM_ALIGNMENT) && format->wAlignment >= PFA_LEFT && format->wAlignment <= PFA_CENTER &&
      format->wAlignment != alignment_) {
    alignment_ = format->wAlignment;
    applyLayoutFormat();
  }
  return 1;
}

LRESULT TextServices::onStreamIn(WPARAM format, EDITSTREAM* stream) {
  if (!stream || !stream->pfnCallback || !(format & (SF_RTF | SF_TEXT))) return 0;
  std::string bytes;
  BYTE buffer[4096];
  for (;;) {
    LONG got = 0;
    const DWORD error = stream->pfnCallback(stream->dwCookie, buffer, sizeof buffer, &got);
    if (error) {
      stream->dwError = error;
      return 0;
    }
    if (got <= 0) break;
    bytes.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(got));
  }
  stream->dwError = 0;
  std::wstring text;
  if (format & SF_RTF) {
    text = rtfToText(bytes);
  } else if (!crt::Utf8ToWideStrict(bytes, text)) {
    text = crt::Utf8ToWide(bytes);
  }
  text = normaliseBreaks(text);
  if (!multiLine()) text = firstLineOf(text);
  const LRESULT count = static_cast<LRESULT>(text.size());
  if (format & SFF_SELECTION) replace(selStart(), selEnd(), std::move(text), Origin::Program, true);
  else replace(0, text_.length(), std::move(text), Origin::Program, false);
  return count;
}

LRESULT TextServices::onStreamOut(WPARAM format, EDITSTREAM* stream) {
  if (!stream || !stream->pfnCallback || !(format & (SF_RTF | SF_TEXT))) return 0;
  const std::wstring text = (format & SFF_SELECTION) ? text_.slice(selStart(), selEnd()) : text_.all();
  std::string bytes;
  if (format & SF_RTF) {
    bytes = textToRtf(text, charFormat_.szFaceName);
  } else {
    std::wstring crlf;
    for (wchar_t ch : text) {
      if (ch == kBreak) crlf += L"\r\n";
      else crlf.push_back(ch);
    }
    bytes = crt::WideToUtf8(crlf);
  }
  size_t sent = 0;
  while (sent < bytes.size()) {
    LONG took = 0;
    const LONG chunk = static_cast<LONG>(std::min<size_t>(bytes.size() - sent, 4096));
    const DWORD error =
        stream->pfnCallback(stream->dwCookie, reinterpret_cast<LPBYTE>(bytes.data() + sent), chunk, &took);
    if (error) {
      stream->dwError = error;
      break;
    }
    if (took <= 0) break;
    sent += static_cast<size_t>(took);
  }
  return static_cast<LRESULT>(sent);
}

void TextServices::onButtonDown(int x, int y, bool shift) {
  const POINT origin = textOrigin();
  const long pos = layout_.hit(text_, x - origin.x, y - origin.y);
  if (!focused_) host_->TxSetFocus();
  host_->TxSetCapture(TRUE);
  dragging_ = true;
  dragPoint_ = POINT{x, y};
  moveCaret(pos, shift);
  updateScrollBars();
}

void TextServices::onMouseMove(int x, int y) {
  if (!dragging_) return;
  dragPoint_ = POINT{x, y};
  const POINT origin = textOrigin();
  moveCaret(layout_.hit(text_, x - origin.x, y - origin.y), true);
  updateScrollBars();
  const RECT view = viewRect();
  const bool outside = !PtInRect(&view, dragPoint_);
  if (outside && !autoScrolling_) {
    autoScrolling_ = true;
    host_->TxSetTimer(kAutoScrollTimer, 50);
  } else if (!outside && autoScrolling_) {
    autoScrolling_ = false;
    host_->TxKillTimer(kAutoScrollTimer);
  }
}

void TextServices::onAutoScrollTimer() {
  if (!dragging_) {
    autoScrolling_ = false;
    host_->TxKillTimer(kAutoScrollTimer);
    return;
  }
  const RECT view = viewRect();
  const long step = layout_.lineHeight();
  long x = scrollX_, y = scrollY_;
  if (dragPoint_.y < view.top) y -= step;
  else if (dragPoint_.y >= view.bottom) y += step;
  if (dragPoint_.x < view.left) x -= step;
  else if (dragPoint_.x >= view.right) x += step;
  scrollTo(x, y);
  const POINT origin = textOrigin();
  moveCaret(layout_.hit(text_, dragPoint_.x - origin.x, dragPoint_.y - origin.y), true);
  updateScrollBars();
}

void TextServices::onButtonUp() {
  if (!dragging_) return;
  dragging_ = false;
  if (autoScrolling_) {
    autoScrolling_ = false;
    host_->TxKillTimer(kAutoScrollTimer);
  }
  host_->TxSetCapture(FALSE);
}

void TextServices::onDoubleClick(int x, int y) {
  const POINT origin = textOrigin();
  const auto word = layout_.wordAround(text_, layout_.hit(text_, x - origin.x, y - origin.y));
  select(word.first, word.second);
  updateScrollBars();
}

}  // namespace richedit
