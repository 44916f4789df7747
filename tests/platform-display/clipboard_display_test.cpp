// The clipboard between processes over the X CLIPBOARD selection: text set
// by one program's window is read back by another, Chinese included.
#include "display_helper.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <atomic>
#include <optional>
#include <utility>

namespace {

const char kChinese[] = "录音 – 剪贴板 ✓ 测试";

std::wstring wide(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
  out.resize(out.size() - 1);
  return out;
}

bool setText(const std::wstring& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  return ok;
}

std::wstring readText() {
  if (!OpenClipboard(nullptr)) return L"<not open>";
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  std::wstring text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"<none>";
  CloseClipboard();
  return text;
}

class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Win32HasDisplay()) << "these tests need an X display"; }
};

TEST_F(Clipboard, TextFromAnotherProcessArrivesIntact) {
  const std::string command = std::string(DISPLAY_PROBE) + " clipboard-hold '" + kChinese + "'";
  FILE* probe = popen(command.c_str(), "w");
  ASSERT_NE(probe, nullptr);
  // The probe prints "ready" on its standard output, which is ours; wait
  // until it owns the selection instead.
  Display* d = userDisplay();
  const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  ASSERT_TRUE(pumpUntil([&] {
    XSync(d, False);
    const Window owner = XGetSelectionOwner(d, clipboard);
    return owner != 0;  // nobody else in this test owns it
  }));
  pumpFor(100);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_EQ(readText(), wide(kChinese));
  pclose(probe);
}

TEST_F(Clipboard, TextWeSetIsReadByAnotherProcess) {
  ASSERT_TRUE(setText(wide(kChinese)));
  // The other process asks while we serve the selection from our loop.
  const std::string command = std::string(DISPLAY_PROBE) + " clipboard-read";
  std::string output;
  std::thread reader([&] {
    FILE* probe = popen(command.c_str(), "r");
    char buffer[256];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, probe)) > 0) output.append(buffer, n);
    pclose(probe);
  });
  std::atomic<bool> finished{false};
  std::thread waiter([&] {
    reader.join();
    finished = true;
  });
  EXPECT_TRUE(pumpUntil([&] { return finished.load(); }, 10000));
  waiter.join();
  EXPECT_EQ(output, kChinese);
  // Our own reads come from memory.
  EXPECT_EQ(readText(), wide(kChinese));
}

// What another client gets when it asks for our text as `target`: the
// property's type and bytes, or nullopt when we refused.
std::optional<std::pair<Atom, std::string>> convertAs(const char* target) {
  Display* d = userDisplay();
  const ::Window requestor = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  const Atom targetAtom = XInternAtom(d, target, False);
  const Atom property = XInternAtom(d, "QV_TEST_CONVERTED", False);
  XConvertSelection(d, clipboard, targetAtom, property, requestor, CurrentTime);
  XSync(d, False);
  XEvent event{};
  const bool answered = pumpUntil(
      [&] { return XCheckTypedWindowEvent(d, requestor, SelectionNotify, &event) == True; });
  std::optional<std::pair<Atom, std::string>> result;
  if (answered && event.xselection.property != 0) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, requestor, property, 0, 1 << 20, True, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success && format == 8)
      result.emplace(type, std::string(reinterpret_cast<char*>(data), count));
    if (data) XFree(data);
  }
  XDestroyWindow(d, requestor);
  XSync(d, False);
  EXPECT_TRUE(answered) << "no answer for " << target;
  return result;
}

// STRING is Latin-1: the text in it when it fits, a refusal when it does
// not; UTF8_STRING always carries the whole text in UTF-8.
TEST_F(Clipboard, StringRequestsGetLatin1AndUtf8RequestsGetUtf8) {
  Display* d = userDisplay();
  const Atom string = XInternAtom(d, "STRING", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  const std::string latin = "Gr\xC3\xBC\xC3\x9F""e \xC3\xBF!";  // "Grüße ÿ!"
  ASSERT_TRUE(setText(wide(latin.c_str())));
  auto asString = convertAs("STRING");
  ASSERT_TRUE(asString.has_value());
  EXPECT_EQ(asString->first, string);
  EXPECT_EQ(asString->second, "Gr\xFC\xDF""e \xFF!");
  auto asUtf8 = convertAs("UTF8_STRING");
  ASSERT_TRUE(asUtf8.has_value());
  EXPECT_EQ(asUtf8->first, utf8);
  EXPECT_EQ(asUtf8->second, latin);

  ASSERT_TRUE(setText(wide(kChinese)));
  EXPECT_FALSE(convertAs("STRING").has_value()) << "Chinese does not fit Latin-1";
  asUtf8 = convertAs("UTF8_STRING");
  ASSERT_TRUE(asUtf8.has_value());
  EXPECT_EQ(asUtf8->second, kChinese);
}

TEST_F(Clipboard, CallsNeedAnOpenClipboard) {
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
  EXPECT_FALSE(EmptyClipboard());
  EXPECT_FALSE(CloseClipboard());
}

}  // namespace
