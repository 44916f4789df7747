// Rich text carries plain text: a document's characters, paragraph marks,
// Unicode and code-page escapes come in; formatting is dropped; what goes
// out reads back as the same text.
#include <string>

#include "RecordingHost.h"

namespace {

struct Buffer {
  std::string bytes;
  size_t read = 0;
};

DWORD CALLBACK ReadFrom(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* pcb) {
  auto* b = reinterpret_cast<Buffer*>(cookie);
  const size_t n = std::min<size_t>(static_cast<size_t>(cb), b->bytes.size() - b->read);
  std::memcpy(buffer, b->bytes.data() + b->read, n);
  b->read += n;
  *pcb = static_cast<LONG>(n);
  return 0;
}

DWORD CALLBACK WriteTo(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* pcb) {
  reinterpret_cast<Buffer*>(cookie)->bytes.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(cb));
  *pcb = cb;
  return 0;
}

DWORD CALLBACK Failing(DWORD_PTR, LPBYTE, LONG, LONG* pcb) {
  *pcb = 0;
  return 7;
}

class Stream : public EngineFixture {
 protected:
  LRESULT In(const std::string& bytes, WPARAM format = SF_RTF) {
    Buffer b{bytes};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&b), 0, &ReadFrom};
    return Send(EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
  }
  std::string Out(WPARAM format = SF_RTF) {
    Buffer b;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&b), 0, &WriteTo};
    Send(EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&es));
    return b.bytes;
  }
};

TEST_F(Stream, ReadsTheTextOfADocument) {
  Start();
  const std::string doc =
      "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;}{\\*\\generator Writer 1.0;}"
      "\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs18 \\'c2\\'bc\\'d2\\'f4 \\b bold\\b0  \\{x\\}\\par\n"
      "\\cf1 caf\\u233?\\tab end\\par\n"
      "\\u-10179?\\u-8691?}";
  EXPECT_EQ(In(doc), 22);
  EXPECT_EQ(Text(), L"录音 bold {x}\r\ncafé\tend\r\n\U0001F60D");
  EXPECT_EQ(host.notices.size(), 1u);
}

TEST_F(Stream, WhatGoesOutReadsBackTheSame) {
  Start();
  const std::wstring text = L"录音 {braces} \\ back\r\nsecond\tline \U0001F44D";
  SetText(text);
  const std::string rtf = Out();
  EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
  SetText(L"");
  In(rtf);
  EXPECT_EQ(Text(), text);
}

TEST_F(Stream, PlainBytesAreTakenAsText) {
  Start();
  In("plain \xe5\xbd\x95\xe9\x9f\xb3\nnext");
  EXPECT_EQ(Text(), L"plain 录音\r\nnext");
}

TEST_F(Stream, SelectionOnlyReplacesTheSelection) {
  Start();
  SetText(L"[--]");
  SetSel(1, 3);
  In("{\\rtf1 mid}", SF_RTF | SFF_SELECTION);
  EXPECT_EQ(Text(), L"[mid]");
  SetSel(1, 4);
  EXPECT_EQ(Out(SF_RTF | SFF_SELECTION).find("mid}"), Out(SF_RTF | SFF_SELECTION).size() - 4);
}

TEST_F(Stream, AFailingReaderChangesNothing) {
  Start();
  SetText(L"kept");
  EDITSTREAM es{0, 0, &Failing};
  EXPECT_EQ(Send(EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es)), 0);
  EXPECT_EQ(es.dwError, 7u);
  EXPECT_EQ(Text(), L"kept");
}

}  // namespace
