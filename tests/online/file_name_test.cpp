// Names offered by a server or a URL become one plain file name, or none.
#include <string>

#include <gtest/gtest.h>

#include "online/RemoteFileName.h"

namespace {

TEST(RemoteFileName, OnlyAPlainFileNameIsKept) {
  const struct {
    std::wstring raw;
    std::wstring expected;
  } cases[] = {
      {L"a.mp3", L"a.mp3"},
      {L"a.mp3;", L"a.mp3"},
      {L"\"a b.mp3\"", L"a b.mp3"},
      {L"../../x", L"x"},
      {L"..\\..\\evil.exe", L"evil.exe"},
      {L"/etc/passwd", L"passwd"},
      {L"dir/", L""},
      {L"\"..\"", L""},
      {L".", L""},
      {L"", L""},
      {L"  spaced.mp3  ", L"spaced.mp3"},
      {L"中文.mp3", L"中文.mp3"},
  };
  for (const auto& c : cases) EXPECT_EQ(SafeFileName(c.raw), c.expected) << c.raw;
}

TEST(RemoteFileName, ContentDispositionInTheLastHeaders) {
  const struct {
    std::string headers;
    std::wstring expected;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Disposition: attachment; filename=a.mp3;\r\n\r\n", L"a.mp3"},
      {"HTTP/1.1 200 OK\r\ncontent-disposition: attachment; filename=\"my song.mp3\"\r\n\r\n",
       L"my song.mp3"},
      {"HTTP/1.1 200 OK\r\nContent-Disposition: attachment; filename=\xE4\xB8\xAD.mp3\r\n", L"中.mp3"},
      // The name must be on the Content-Disposition line itself.
      {"HTTP/1.1 200 OK\r\nContent-Disposition: inline\r\nX-Note: filename=evil.exe\r\n\r\n", L""},
      {"HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n", L""},
      {"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(FileNameFromHeaders(c.headers), c.expected) << c.headers;
}

TEST(RemoteFileName, UrlGivesItsDecodedLastComponent) {
  const struct {
    std::string url;
    std::wstring expected;
  } cases[] = {
      {"http://host/dir/song.mp3", L"song.mp3"},
      {"http://host/dir/%E4%B8%AD%20song.mp3", L"中 song.mp3"},
      {"http://host/get.php?id=7", L"get.php?id=7"},
      {"http://host/dir/", L""},
      {"http://host", L""},
      {"http://host/a/..", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(FileNameFromUrl(c.url), c.expected) << c.url;
}

}  // namespace
