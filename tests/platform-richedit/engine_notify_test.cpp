// EN_CHANGE: sent inside the message that changed the text, once per
// change, never for input that was refused, and safe to answer with
// another change from inside the notice.
#include <functional>
#include <string>

#include "RecordingHost.h"

namespace {

struct NoticeCase {
  const char* name;
  DWORD bits;
  std::function<void(EngineFixture&)> act;
  size_t notices;
};

class Notices : public EngineFixture, public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(Notices, CountPerKindOfChange) {
  const NoticeCase& c = GetParam();
  host.maxLength = 8;
  Start(c.bits);
  SetText(L"abc");
  SetSel(3, 3);
  host.notices.clear();
  c.act(*this);
  EXPECT_EQ(host.notices.size(), c.notices);
  for (DWORD code : host.notices) EXPECT_EQ(code, static_cast<DWORD>(EN_CHANGE));
}

using Act = std::function<void(EngineFixture&)>;
Act as(Act f) { return f; }

const DWORD kPlain = TXTBIT_HIDESELECTION;

const NoticeCase kNoticeCases[] = {
    {"TypedCharacter", kPlain, as([](EngineFixture& e) { e.Type(L"d"); }), 1},
    {"EachTypedCharacter", kPlain, as([](EngineFixture& e) { e.Type(L"def"); }), 3},
    {"SetText", kPlain, as([](EngineFixture& e) { e.SetText(L"other"); }), 1},
    {"ReplaceSel", kPlain, as([](EngineFixture& e) { e.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"x")); }), 1},
    {"ReplaceNothingWithNothing", kPlain,
     as([](EngineFixture& e) { e.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"")); }), 0},
    {"Backspace", kPlain, as([](EngineFixture& e) { e.Key(VK_BACK); }), 1},
    {"BackspaceAtTheStart", kPlain, as([](EngineFixture& e) { e.SetSel(0, 0); e.Key(VK_BACK); }), 0},
    {"DeleteAtTheEnd", kPlain, as([](EngineFixture& e) { e.Key(VK_DELETE); }), 0},
    {"CharacterEightIsNotABackspace", kPlain, as([](EngineFixture& e) { e.Send(WM_CHAR, 8); }), 0},
    {"Cut", kPlain, as([](EngineFixture& e) { e.SetSel(0, 2); e.Send(WM_CUT); }), 1},
    {"Copy", kPlain, as([](EngineFixture& e) { e.SetSel(0, 2); e.Send(WM_COPY); }), 0},
    {"Paste", kPlain, as([](EngineFixture& e) { PutClipboard(L"zz"); e.Send(WM_PASTE); }), 1},
    {"UndoAndRedo", kPlain, as([](EngineFixture& e) { e.Type(L"d"); e.Key('Z', {VK_CONTROL}); e.Key('Y', {VK_CONTROL}); }), 3},
    {"NothingToUndo", kPlain, as([](EngineFixture& e) { e.Key('Z', {VK_CONTROL}); }), 0},
    {"CaretMovesAndSelections", kPlain,
     as([](EngineFixture& e) { e.Key(VK_LEFT); e.Key(VK_HOME, {VK_SHIFT}); e.SetSel(0, -1); }), 0},
    {"ReadOnlyTyping", kPlain | TXTBIT_READONLY, as([](EngineFixture& e) { e.Type(L"x"); e.Key(VK_BACK); }), 0},
    {"TypingPastTheLimit", kPlain, as([](EngineFixture& e) { e.Type(L"defghij"); }), 5},
    {"PasteWithNoRoomLeft", kPlain,
     as([](EngineFixture& e) { e.SetText(L"12345678"); e.host.notices.clear(); PutClipboard(L"9"); e.Send(WM_PASTE); }), 0},
};

INSTANTIATE_TEST_SUITE_P(Engine, Notices, ::testing::ValuesIn(kNoticeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineFixture, NoNoticesWithoutTheChangeMask) {
  Start(TXTBIT_HIDESELECTION);
  Send(EM_SETEVENTMASK, 0, ENM_NONE);
  Type(L"abc");
  SetText(L"x");
  EXPECT_TRUE(host.notices.empty());
  EXPECT_EQ(Send(EM_SETEVENTMASK, 0, ENM_CHANGE), ENM_NONE) << "answers the old mask";
}

// The notice comes while the message is still being handled, with the
// text already changed.
TEST_F(EngineFixture, NoticeSeesTheNewTextInsideTheMessage) {
  Start(TXTBIT_HIDESELECTION);
  std::wstring seen;
  host.onNotify = [&](DWORD) { seen = Text(); };
  Type(L"q");
  EXPECT_EQ(seen, L"q");
  SetText(L"set");
  EXPECT_EQ(seen, L"set");
}

// A handler that rewrites the field from inside its own notice ends with
// its text after exactly one more notice.
TEST_F(EngineFixture, HandlerRewritingTheTextEndsAfterOneMoreNotice) {
  Start(TXTBIT_HIDESELECTION);
  host.onNotify = [&](DWORD) {
    if (Text() != L"01") SetText(L"01");
  };
  Type(L"5");
  EXPECT_EQ(Text(), L"01");
  EXPECT_EQ(host.notices.size(), 2u);
  // Typing goes on from a sound state.
  host.onNotify = nullptr;
  SetSel(2, 2);
  Type(L"2");
  EXPECT_EQ(Text(), L"012");
}

// A number field (the host's style word carries ES_NUMBER) takes digits
// and "-", "." and ","; a paste holding anything else is refused whole,
// while text the program sets is never filtered.
TEST_F(EngineFixture, NumberFieldRefusesLettersAndWholePastesHoldingThem) {
  host.scrollBars = ES_NUMBER | ES_AUTOHSCROLL;
  Start(TXTBIT_HIDESELECTION);
  Type(L"a1-.,b");
  EXPECT_EQ(Text(), L"1-.,");
  EXPECT_EQ(host.notices.size(), 4u);
  host.notices.clear();
  PutClipboard(L"1a");
  Send(WM_PASTE);
  EXPECT_EQ(Text(), L"1-.,");
  EXPECT_TRUE(host.notices.empty());
  PutClipboard(L"23");
  Key('V', {VK_CONTROL});
  EXPECT_EQ(Text(), L"1-.,23");
  SetText(L"abc");
  EXPECT_EQ(Text(), L"abc");
  Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"x"));
  EXPECT_EQ(Text(), L"xabc");
}

}  // namespace
