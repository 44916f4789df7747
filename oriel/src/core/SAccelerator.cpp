// Accelerator text: the names keys show under and the parser of the
// attribute form.
#include "core/SAccelerator.h"

#include <cwctype>


namespace ORIEL {

namespace {

struct NamedKey {
  UINT vk;
  const wchar_t* name;
};
constexpr NamedKey kKeyNames[] = {
    {0x0D, L"Enter"}, {0x1B, L"ESC"},  {0x20, L"Space"}, {0x21, L"PageUp"}, {0x22, L"PageDown"},
    {0x23, L"End"},   {0x24, L"Home"}, {0x25, L"Left"},  {0x26, L"Up"},     {0x27, L"Right"},
    {0x28, L"Down"},  {0x2A, L"Print"}, {0x2D, L"Insert"}, {0x2E, L"Delete"}, {0x6A, L"Num *"},
    {0x6B, L"Num +"}, {0x6E, L"Num Del"},
};

// The word forms of keys in accelerator text. "end" is here too: End has
// a name on display, and text written from that name must read back.
constexpr NamedKey kKeyWords[] = {
    {0x1B, L"esc"},    {0x0D, L"enter"},  {0x26, L"up"},       {0x28, L"down"},   {0x25, L"left"},
    {0x27, L"right"},  {0x24, L"home"},   {0x21, L"pageup"},   {0x22, L"pagedown"}, {0x2D, L"insert"},
    {0x20, L"space"},  {0x2E, L"delete"}, {0x2A, L"print"},    {0x23, L"end"},
};

struct CharKey {
  wchar_t ch;
  UINT vk;
};
constexpr CharKey kPunctuation[] = {
    {L',', 0xBC}, {L'-', 0xBD}, {L'.', 0xBE}, {L'/', 0xBF},  {L';', 0xBA}, {L'=', 0xBB},
    {L'[', 0xDB}, {L'\\', 0xDC}, {L']', 0xDD}, {L'`', 0xC0}, {L'\'', 0xDE},
};

UINT KeyOfCharacter(wchar_t c) {
  if (c >= L'a' && c <= L'z') return c - L'a' + L'A';
  if (c >= L'0' && c <= L'9') return c;
  for (const CharKey& k : kPunctuation)
    if (k.ch == c) return k.vk;
  return 0;
}

// The number after a prefix, or -1 when the rest is not all digits.
int NumberAfter(const SStringW& word, int prefix) {
  if (word.GetLength() <= prefix) return -1;
  int n = 0;
  for (int i = prefix; i < word.GetLength(); ++i) {
    if (!iswdigit(word[i]) || n > 1000) return -1;
    n = n * 10 + (word[i] - L'0');
  }
  return n;
}

UINT KeyOfWord(const SStringW& word) {
  for (const NamedKey& k : kKeyWords)
    if (word == k.name) return k.vk;
  if (word.GetLength() == 1) return KeyOfCharacter(word[0]);
  // Function keys F1-F24 only: "f0", "f25" or "fx" name no key.
  if (word[0] == L'f') {
    const int n = NumberAfter(word, 1);
    return n >= 1 && n <= 24 ? static_cast<UINT>(0x6F + n) : 0;
  }
  if (word.Left(4) == L"num ") {
    const SStringW rest = word.Mid(4);
    if (rest == L"del") return 0x6E;
    if (rest == L"*") return 0x6A;
    if (rest == L"+") return 0x6B;
    // Num 0-9 only: "num x" or "num 12" names no key.
    const int n = NumberAfter(word, 4);
    return n >= 0 && n <= 9 ? static_cast<UINT>(0x60 + n) : 0;
  }
  return 0;
}

}  // namespace

SStringW CAccelerator::KeyNameOf(UINT vk) {
  for (const NamedKey& k : kKeyNames)
    if (k.vk == vk) return SStringW(k.name);
  if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A)) return SStringW(static_cast<wchar_t>(vk), 1);
  SStringW name;
  if (vk >= 0x60 && vk <= 0x69) return name.Format(L"Num %d", static_cast<int>(vk - 0x60));
  if (vk >= 0x70 && vk <= 0x7B) return name.Format(L"F%d", static_cast<int>(vk - 0x6F));
  const UINT ch = MapVirtualKeyA(vk, 2) & 0xFFFF;
  for (wchar_t allowed : {L'\'', L',', L'-', L'.', L'/', L';', L'=', L'[', L'\\', L']', L'`'})
    if (ch == static_cast<UINT>(allowed)) return SStringW(allowed, 1);
  return name;
}

SStringW CAccelerator::FormatHotkey() const {
  if (GetAcc() == 0) return SStringW(L"无");
  SStringW text;
  if (modifiers_ & kCtrl) text += L"Ctrl+";
  if (modifiers_ & kShift) text += L"Shift+";
  if (modifiers_ & kAlt) text += L"Alt+";
  text += KeyNameOf(key_);
  return text;
}

DWORD CAccelerator::TranslateAccelKey(const SStringW& text) {
  if (text.GetLength() >= 100) return 0;
  SStringW lower = text;
  lower.MakeLower();
  WORD modifiers = 0;
  const int len = lower.GetLength();
  int start = 0;
  while (start < len) {
    int end = start;
    while (end < len && lower[end] != L'+') ++end;
    // "num +" holds the separator itself: the plus right after "num " is
    // the key, not the end of the word.
    if (end - start == 4 && lower.Mid(start, 4) == L"num " && end < len) ++end;
    const SStringW w = lower.Mid(start, end - start);
    start = end + 1;
    if (w.IsEmpty()) continue;
    if (w == L"ctrl") modifiers |= kCtrl;
    else if (w == L"alt") modifiers |= kAlt;
    else if (w == L"shift") modifiers |= kShift;
    else return (static_cast<DWORD>(modifiers) << 16) | KeyOfWord(w);
  }
  return static_cast<DWORD>(modifiers) << 16;
}

}  // namespace ORIEL
