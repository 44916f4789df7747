// Keys over "录音 abc déf" (é written as e and a combining acute): cursor
// and word steps follow Pango, Shift extends, Backspace and Delete act on
// the key-down, and the history undoes a run of typing as one step.
#include <random>
#include <string>
#include <vector>

#include "RecordingHost.h"

namespace {

// 录0 音1 ␠2 a3 b4 c5 ␠6 d7 e8 ◌́9 f10, length 11.
const std::wstring kText = L"录音 abc de\u0301f";

struct Step {
  UINT vk;             // 0: type `typed` instead
  std::vector<int> mods;
  const wchar_t* typed;
};

Step K(UINT vk, std::vector<int> mods = {}) { return Step{vk, std::move(mods), nullptr}; }
Step T(const wchar_t* text) { return Step{0, {}, text}; }
const int S = VK_SHIFT;
const int C = VK_CONTROL;

struct KeyCase {
  const char* name;
  std::wstring start;
  long caret;
  std::vector<Step> steps;
  std::wstring text;
  long selStart, selEnd;
};

class KeySequence : public EngineFixture, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeySequence, EndsWithTextAndSelection) {
  const KeyCase& c = GetParam();
  Start(TXTBIT_HIDESELECTION);  // single line
  SetText(c.start);
  SetSel(c.caret, c.caret);
  for (const Step& step : c.steps) {
    if (step.vk) {
      for (int m : step.mods) HeldKeys().insert(m);
      Send(WM_KEYDOWN, step.vk, 0);
      HeldKeys().clear();
    } else {
      Type(step.typed);
    }
  }
  EXPECT_EQ(Text(), c.text);
  EXPECT_EQ(Sel(), std::make_pair(c.selStart, c.selEnd));
}

const KeyCase kCases[] = {
    {"WordStepsRight", kText, 0, {K(VK_RIGHT, {C}), K(VK_RIGHT, {C}), K(VK_RIGHT, {C})}, kText, 11, 11},
    {"WordStepsLeft", kText, 11, {K(VK_LEFT, {C}), K(VK_LEFT, {C}), K(VK_LEFT, {C})}, kText, 0, 0},
    {"WordStepFromInsideAWord", kText, 4, {K(VK_RIGHT, {C})}, kText, 7, 7},
    {"CombiningMarkIsOneStepRight", kText, 8, {K(VK_RIGHT)}, kText, 10, 10},
    {"CombiningMarkIsOneStepLeft", kText, 10, {K(VK_LEFT)}, kText, 8, 8},
    {"EmojiWithModifierIsOneStep", L"a\U0001F44D\U0001F3FDb", 1, {K(VK_RIGHT)}, L"a\U0001F44D\U0001F3FDb", 3, 3},
    {"BackspaceTakesTheWholeEmoji", L"a\U0001F44D\U0001F3FDb", 3, {K(VK_BACK)}, L"ab", 1, 1},
    {"BackspaceTakesTheCombinedLetter", kText, 10, {K(VK_BACK)}, L"录音 abc df", 8, 8},
    {"DeleteTakesTheCombinedLetter", kText, 8, {K(VK_DELETE)}, L"录音 abc df", 8, 8},
    {"ShiftHomeSelectsToTheStart", kText, 5, {K(VK_HOME, {S})}, kText, 0, 5},
    {"ShiftEndSelectsToTheEnd", kText, 5, {K(VK_END, {S})}, kText, 5, 11},
    {"ShiftCtrlRightSelectsAWord", kText, 3, {K(VK_RIGHT, {S, C})}, kText, 3, 7},
    {"LeftCollapsesASelectionToItsStart", kText, 5, {K(VK_HOME, {S}), K(VK_RIGHT)}, kText, 5, 5},
    {"CtrlBackspaceDeletesTheWordBefore", kText, 6, {K(VK_BACK, {C})}, L"录音  de\u0301f", 3, 3},
    {"CtrlBackspaceFromAWordStartTakesThePreviousWord", kText, 3, {K(VK_BACK, {C})}, L"abc de\u0301f", 0, 0},
    {"CtrlDeleteDeletesToTheNextWord", kText, 3, {K(VK_DELETE, {C})}, L"录音 de\u0301f", 3, 3},
    {"BackspaceAtTheStartDoesNothing", kText, 0, {K(VK_BACK)}, kText, 0, 0},
    {"TypingReplacesTheSelection", kText, 3, {K(VK_RIGHT, {S}), K(VK_RIGHT, {S}), T(L"X")}, L"录音 Xc de\u0301f", 4, 4},
    {"CtrlASelectsAll", kText, 4, {K('A', {C})}, kText, 0, 11},
    {"UndoTakesBackARunOfTyping", kText, 11, {T(L"xyz"), K('Z', {C})}, kText, 11, 11},
    {"UndoStopsAtACaretMove", kText, 11, {T(L"ab"), K(VK_LEFT), T(L"c"), K('Z', {C})}, kText + L"ab", 12, 12},
    {"RedoRestoresTheRun", kText, 11, {T(L"xyz"), K('Z', {C}), K('Y', {C})}, kText + L"xyz", 14, 14},
    {"UndoRestoresADeletedSelection", kText, 0, {K(VK_END, {S}), K(VK_DELETE), K('Z', {C})}, kText, 0, 11},
    {"SingleLineIgnoresReturn", kText, 11, {T(L"\r")}, kText, 11, 11},
};

INSTANTIATE_TEST_SUITE_P(Engine, KeySequence, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Counts are code points with a break as one position; WM_GETTEXT writes
// each break as "\r\n" and counts both.
TEST_F(EngineFixture, BreaksAreOnePositionAndTwoCharactersOfText) {
  Start();
  SetText(L"ab\ncd\r\nef");
  EXPECT_EQ(Text(), L"ab\r\ncd\r\nef");
  EXPECT_EQ(Send(WM_GETTEXTLENGTH), 10);
  Key(VK_END, {VK_CONTROL});
  EXPECT_EQ(Sel(), std::make_pair(8L, 8L));
  SetSel(2, 2);
  Key(VK_RIGHT);
  EXPECT_EQ(Sel(), std::make_pair(3L, 3L));
  Key(VK_BACK);
  EXPECT_EQ(Text(), L"abcd\r\nef");
  // A multi-line field takes Return as a break.
  Type(L"\r");
  EXPECT_EQ(Text(), L"ab\r\ncd\r\nef");
}

TEST_F(EngineFixture, UpAndDownKeepTheColumn) {
  Start();
  SetText(L"abcdef\r\nx\r\nabcdef");
  SetSel(5, 5);
  Key(VK_DOWN);
  EXPECT_EQ(Sel(), std::make_pair(8L, 8L)) << "the short line's end";
  Key(VK_DOWN);
  EXPECT_EQ(Sel(), std::make_pair(14L, 14L)) << "back at the remembered column";
  Key(VK_UP, {VK_SHIFT});
  EXPECT_EQ(Sel(), std::make_pair(8L, 14L));
}

TEST_F(EngineFixture, PageKeysMoveByAViewAndKeepTheColumn) {
  host.client = RECT{0, 0, 200, 54};  // three lines of 18 px
  Start();
  std::wstring text;
  for (int i = 0; i < 10; ++i) text += L"abcd\r\n";
  SetText(text);
  SetSel(2, 2);
  Key(VK_NEXT);
  EXPECT_EQ(Sel(), std::make_pair(17L, 17L)) << "three lines down, same column";
  Key(VK_NEXT, {VK_SHIFT});
  EXPECT_EQ(Sel(), std::make_pair(17L, 32L));
  Key(VK_PRIOR);
  Key(VK_PRIOR);
  EXPECT_EQ(Sel(), std::make_pair(2L, 2L));
}

TEST_F(EngineFixture, SingleLineLeavesUpAndDownToTheHost) {
  Start(TXTBIT_HIDESELECTION);
  SetText(L"abc");
  EXPECT_EQ(Key(VK_DOWN), S_FALSE);
  EXPECT_EQ(Key(VK_RETURN), S_FALSE);
  EXPECT_EQ(Key(VK_F5), S_FALSE);
  EXPECT_EQ(Key(VK_LEFT), S_OK);
}

// A multi-line text claims Return on the key-down and takes its break from
// the character.
TEST_F(EngineFixture, MultiLineKeepsReturnAndBreaksOnTheCharacter) {
  Start(TXTBIT_MULTILINE);
  SetText(L"ab");
  SetSel(1, 1);
  EXPECT_EQ(Key(VK_RETURN), S_OK);
  EXPECT_EQ(Text(), L"ab") << "the key-down alone inserts nothing";
  Type(L"\r");
  EXPECT_EQ(Text(), L"a\r\nb");
}

TEST_F(EngineFixture, TypedCharacterPastTheLimitIsDroppedAndPasteKeepsWhatFits) {
  host.maxLength = 13;
  Start(TXTBIT_HIDESELECTION);
  SetText(kText);
  SetSel(11, 11);
  Type(L"123");
  EXPECT_EQ(Text(), kText + L"12");
  SetText(kText);
  SetSel(11, 11);
  PutClipboard(L"wxyz");
  Key('V', {VK_CONTROL});
  EXPECT_EQ(Text(), kText + L"wx");
  // Text set by the program is taken whole.
  SetText(kText + L"0123456789");
  EXPECT_EQ(Text(), kText + L"0123456789");
}

TEST_F(EngineFixture, SingleLinePasteStopsAtTheFirstBreak) {
  Start(TXTBIT_HIDESELECTION);
  SetText(L"[]");
  SetSel(1, 1);
  PutClipboard(L"one\r\ntwo");
  Send(WM_PASTE);
  EXPECT_EQ(Text(), L"[one]");
  EXPECT_EQ(Sel(), std::make_pair(4L, 4L));
}

TEST_F(EngineFixture, MultiLinePasteKeepsBreaksAsOnePosition) {
  Start();
  PutClipboard(L"one\r\ntwo\nthree");
  Send(WM_PASTE);
  EXPECT_EQ(Text(), L"one\r\ntwo\r\nthree");
  EXPECT_EQ(Sel(), std::make_pair(13L, 13L));
}

TEST_F(EngineFixture, CopyAndCutWriteBreaksAsCrLf) {
  Start();
  SetText(L"ab\ncd");
  SetSel(1, 4);
  Key('C', {VK_CONTROL});
  EXPECT_EQ(ReadClipboard(), L"b\r\nc");
  Key('X', {VK_CONTROL});
  EXPECT_EQ(Text(), L"ad");
  EXPECT_EQ(ReadClipboard(), L"b\r\nc");
}

TEST_F(EngineFixture, HistoryKeepsTheLastHundredSteps) {
  Start(TXTBIT_HIDESELECTION);
  for (int i = 0; i < 105; ++i) {
    const std::wstring piece(1, static_cast<wchar_t>(L'A' + i % 26));
    Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(piece.c_str()));
  }
  ASSERT_EQ(Text().size(), 105u);
  for (int i = 0; i < 150; ++i) Key('Z', {VK_CONTROL});
  EXPECT_EQ(Text(), L"ABCDE") << "the five oldest steps fell out of the history";
}

TEST_F(EngineFixture, SettingTextAndNonUndoableReplacesClearTheHistory) {
  Start(TXTBIT_HIDESELECTION);
  Type(L"abc");
  SetText(L"new");
  Key('Z', {VK_CONTROL});
  EXPECT_EQ(Text(), L"new");
  SetSel(3, 3);
  Type(L"x");
  Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"y"));
  Key('Z', {VK_CONTROL});
  EXPECT_EQ(Text(), L"newxy");
}

TEST_F(EngineFixture, ReadOnlyRefusesTheUserButNotTheProgram) {
  Start(TXTBIT_HIDESELECTION | TXTBIT_READONLY);
  SetText(L"fixed");
  SetSel(5, 5);
  Type(L"x");
  Key(VK_BACK);
  PutClipboard(L"p");
  Key('V', {VK_CONTROL});
  SetSel(0, 5);
  Key('X', {VK_CONTROL});
  EXPECT_EQ(Text(), L"fixed");
  Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"program"));
  EXPECT_EQ(Text(), L"program");
}

TEST_F(EngineFixture, PasswordRefusesCopyAndCut) {
  Start(TXTBIT_HIDESELECTION | TXTBIT_USEPASSWORD);
  SetText(L"secret");
  PutClipboard(L"before");
  SetSel(0, -1);
  Key('C', {VK_CONTROL});
  Send(WM_CUT);
  EXPECT_EQ(ReadClipboard(), L"before");
  EXPECT_EQ(Text(), L"secret");
}

TEST_F(EngineFixture, SetSelClampsAndKnowsItsSpecialValues) {
  Start(TXTBIT_HIDESELECTION);
  SetText(L"hello");
  SetSel(0, -1);
  EXPECT_EQ(Sel(), std::make_pair(0L, 5L));
  SetSel(-1, 0);
  EXPECT_EQ(Sel(), std::make_pair(5L, 5L)) << "-1 drops the selection, the caret stays";
  SetSel(0, 0xFFFF);
  EXPECT_EQ(Sel(), std::make_pair(0L, 5L));
  SetSel(4, 2);
  EXPECT_EQ(Sel(), std::make_pair(2L, 4L));
  SetSel(3, 99);
  EXPECT_EQ(Sel(), std::make_pair(3L, 5L));
}

// Many replaces at random places, breaks included, against the same
// edits on a plain string: the paragraphs, their positions and the
// selection stay right as paragraphs split and merge.
TEST_F(EngineFixture, RandomReplacesMatchAPlainString) {
  host.client = RECT{0, 0, 120, 200};
  Start(TXTBIT_HIDESELECTION | TXTBIT_MULTILINE | TXTBIT_WORDWRAP);
  std::mt19937 random(11);
  std::wstring model;  // breaks as a single '\r'
  std::vector<std::wstring> states{L""};  // after each step that changed the text
  const wchar_t* pieces[] = {L"a", L"xyz", L"\r", L"\r\n", L"录音", L"", L"long words wrap here", L"q\nr"};
  for (int round = 0; round < 400; ++round) {
    const long length = static_cast<long>(model.size());
    long a = length ? static_cast<long>(random() % (length + 1)) : 0;
    long b = length ? static_cast<long>(random() % (length + 1)) : 0;
    if (a > b) std::swap(a, b);
    const std::wstring piece = pieces[random() % 8];
    SetSel(a, b);
    Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(piece.c_str()));
    std::wstring normal;
    for (size_t i = 0; i < piece.size(); ++i) {
      if (piece[i] == L'\r' && i + 1 < piece.size() && piece[i + 1] == L'\n') ++i;
      normal.push_back(piece[i] == L'\n' ? L'\r' : piece[i]);
    }
    model.replace(static_cast<size_t>(a), static_cast<size_t>(b - a), normal);
    std::wstring expected;
    for (wchar_t ch : model) expected += ch == L'\r' ? std::wstring(L"\r\n") : std::wstring(1, ch);
    ASSERT_EQ(Text(), expected) << "round " << round;
    const long caret = a + static_cast<long>(normal.size());
    ASSERT_EQ(Sel(), std::make_pair(caret, caret)) << "round " << round;
    if (a != b || !normal.empty()) states.push_back(expected);
  }
  ASSERT_GT(states.size(), 150u);
  // A hundred undos go back a hundred steps, through every state between.
  for (int i = 1; i <= 100; ++i) {
    Key('Z', {VK_CONTROL});
    ASSERT_EQ(Text(), states[states.size() - 1 - static_cast<size_t>(i)]) << "undo " << i;
  }
}

}  // namespace
