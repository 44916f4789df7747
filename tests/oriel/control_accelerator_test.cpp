// Accelerator text: the parser of the attribute form and the names keys
// are shown under.
#include <gtest/gtest.h>

#include "core/SAccelerator.h"
#include "core/SXml.h"

using namespace ORIEL;

namespace {

struct Case {
  const wchar_t* text;
  DWORD packed;
};

TEST(AcceleratorText, ParsesModifiersAndKeyWords) {
  const Case cases[] = {
      {L"Ctrl+Alt+A", 0x30041},   {L"ctrl+shift", 0x60000},     {L"alt+r", 0x10052},
      {L"F1", 0x70},              {L"shift+f12", 0x4007B},      {L"f24", 0x87},
      {L"ctrl+end", 0x20023},     {L"home", 0x24},              {L"esc", 0x1B},
      {L"pagedown", 0x22},        {L"space", 0x20},             {L"ctrl+,", 0x200BC},
      {L"`", 0xC0},               {L"'", 0xDE},                 {L"5", 0x35},
      {L"num 5", 0x65},           {L"num del", 0x6E},           {L"num *", 0x6A},
      {L"ctrl+num +", 0x2006B},   {L"num +", 0x6B},             {L"num 12", 0},
      {L"num x", 0},              {L"num ", 0},
      {L"ctrl+a+b", 0x20041},     {L"ctrl+nothing", 0x20000},   {L"", 0},
      // Only F1-F24 are function keys; other "f" words name no key.
      {L"f25", 0},                {L"f0", 0},                   {L"fx", 0},
      {L"ctrl+f99", 0x20000},     {L"f", 0x46},                 {L"!", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CAccelerator::TranslateAccelKey(SStringW(c.text)), c.packed) << XmlUtf8(SStringW(c.text)).c_str();
}

TEST(AcceleratorText, RefusesTextOfAHundredCharacters) {
  SStringW text(L"a");
  for (int i = 0; i < 49; ++i) text += L"+a";  // 99 characters
  EXPECT_EQ(CAccelerator::TranslateAccelKey(text), 0x41u);
  text += L"a";
  EXPECT_EQ(CAccelerator::TranslateAccelKey(text), 0u);
}

TEST(AcceleratorText, FormatsModifiersInFixedOrderThenTheKeyName) {
  EXPECT_EQ(CAccelerator(0x70070).FormatHotkey(), SStringW(L"Ctrl+Shift+Alt+F1"));
  EXPECT_EQ(CAccelerator(0u).FormatHotkey(), SStringW(L"无"));
  EXPECT_EQ(CAccelerator(0x60074).FormatHotkey(), SStringW(L"Ctrl+Shift+F5"));
  EXPECT_EQ(CAccelerator(0x10000).FormatHotkey(), SStringW(L"Alt+"));
  // What End formats as reads back as End.
  const CAccelerator end(0x20023);
  EXPECT_EQ(CAccelerator::TranslateAccelKey(end.FormatHotkey()), 0x20023u);
}

TEST(AcceleratorText, NamesKeys) {
  const std::pair<UINT, const wchar_t*> names[] = {
      {0x0D, L"Enter"}, {0x1B, L"ESC"},   {0x2E, L"Delete"}, {0x41, L"A"},     {0x39, L"9"},
      {0x63, L"Num 3"}, {0x6B, L"Num +"}, {0x7B, L"F12"},    {0xBC, L","},     {0xDC, L"\\"},
      {0x10, L""},      {0x11, L"",},     {0x12, L""},       {0x7C, L""},      {0xFF, L""},
  };
  for (const auto& [vk, name] : names) EXPECT_EQ(CAccelerator::KeyNameOf(vk), SStringW(name)) << vk;
}

// Every key that has a name reads back from its own text, under every set
// of modifiers, and every key word names a key whose text is that word.
TEST(AcceleratorText, EveryKeyNameReadsBackAsItsKey) {
  int named = 0;
  for (UINT vk = 1; vk <= 0xFF; ++vk) {
    if (CAccelerator::KeyNameOf(vk).IsEmpty()) continue;
    ++named;
    // The keypad's minus and slash show as the main keys' characters and
    // so read back as those keys.
    const UINT readsAs = vk == 0x6D ? 0xBD : vk == 0x6F ? 0xBF : vk;
    for (WORD mods = 0; mods <= 7; ++mods) {
      const DWORD packed = (static_cast<DWORD>(mods) << 16) | vk;
      const SStringW text = CAccelerator(packed).FormatHotkey();
      const DWORD parsed = CAccelerator::TranslateAccelKey(text);
      EXPECT_EQ(parsed, (static_cast<DWORD>(mods) << 16) | readsAs) << XmlUtf8(text).c_str();
      EXPECT_EQ(XmlUtf8(CAccelerator(parsed).FormatHotkey()), XmlUtf8(text));
    }
  }
  // Enter..Delete, digits, letters, the keypad's names, F1-F12, punctuation.
  EXPECT_EQ(named, 14 + 10 + 26 + 13 + 12 + 11 + 2);

  const wchar_t* words[] = {L"esc",    L"enter",  L"up",     L"down",  L"left",    L"right",  L"home",
                            L"pageup", L"pagedown", L"insert", L"space", L"delete", L"print",  L"end",
                            L"num 0",  L"num 9",  L"num *",  L"num +", L"num del", L"f1",     L"f12",
                            L"a",      L"z",      L"0",      L"9",     L",",       L"'",      L"`"};
  for (const wchar_t* word : words) {
    const DWORD packed = CAccelerator::TranslateAccelKey(SStringW(word));
    SStringW name = CAccelerator::KeyNameOf(packed);
    name.MakeLower();
    EXPECT_EQ(XmlUtf8(name), XmlUtf8(SStringW(word)));
  }
}

}  // namespace
