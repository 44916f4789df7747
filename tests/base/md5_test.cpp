// MD5 against the published RFC 1321 values, and the file helpers' failures.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/Md5.h"
#include "scratch_folder.h"

namespace {

struct DigestCase {
  const char* text;
  const char* hex;
};

// RFC 1321, appendix A.5.
const DigestCase kRfcSuite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, MatchesTheRfcTestSuite) {
  for (const auto& c : kRfcSuite) EXPECT_EQ(Md5HexString(c.text, 1), c.hex) << '"' << c.text << '"';
}

TEST(Md5, CaseFlagChoosesTheHexDigits) {
  EXPECT_EQ(Md5HexString("abc", 1), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5HexString("abc", 0), "900150983CD24FB0D6963F7D28E17F72");
}

TEST(Md5, UpdatesInPiecesGiveTheWholeDigest) {
  // Pieces that straddle the 64-byte block boundary in every way.
  std::string text(1000, '\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 7 + 3);
  unsigned char whole[16], pieces[16];
  MD5Context context;
  MD5Init(&context);
  MD5Update(&context, reinterpret_cast<const unsigned char*>(text.data()), text.size());
  MD5Final(whole, &context);
  for (size_t step : {1u, 63u, 64u, 65u, 127u}) {
    MD5Init(&context);
    for (size_t pos = 0; pos < text.size(); pos += step)
      MD5Update(&context, reinterpret_cast<const unsigned char*>(text.data()) + pos,
                std::min(step, text.size() - pos));
    MD5Final(pieces, &context);
    EXPECT_EQ(0, std::memcmp(whole, pieces, 16)) << "step " << step;
  }
}

TEST(Md5, WideTextIsDigestedInTheOemPage) {
  // "中" in code page 936 is D6 D0.
  EXPECT_EQ(Md5HexOfWide(L"中", 1), std::wstring(L"") + [] {
    std::string hex = Md5HexString("\xD6\xD0", 1);
    return std::wstring(hex.begin(), hex.end());
  }());
  EXPECT_EQ(Md5HexOfWide(L"abc", 0), L"900150983CD24FB0D6963F7D28E17F72");
}

class Md5Files : public scratch::ScratchFolder {
 protected:
  // name is UTF-8; the path is returned wide, as the helpers take it.
  std::wstring Write(const std::string& name, const std::string& bytes) {
    ScratchFolder::Write(name, bytes);
    return WPath(name);
  }
};

TEST_F(Md5Files, FileDigestEqualsTextDigest) {
  std::string big(5000, 'x');  // several 1024-byte reads
  std::wstring path = Write("big.bin", big);
  EXPECT_EQ(Md5HexOfFile(path), std::wstring(L"") + [&] {
    std::string hex = Md5HexString(big, 1);
    return std::wstring(hex.begin(), hex.end());
  }());
  std::wstring chinese = Write("录音.bin", "abc");
  EXPECT_EQ(Md5HexOfFile(chinese), L"900150983cd24fb0d6963f7d28e17f72");
}

TEST_F(Md5Files, UnreadableFileFailsAndLeavesNoStaleDigest) {
  unsigned char digest[16];
  // A digest left over from an earlier call must not survive.
  MD5String("abc", digest);
  EXPECT_FALSE(MD5File((root_ / "missing.bin").wstring().c_str(), digest));
  for (unsigned char byte : digest) EXPECT_EQ(byte, 0);

  MD5String("abc", digest);
  EXPECT_FALSE(MD5File(root_.wstring().c_str(), digest));  // a folder opens but cannot be read
  for (unsigned char byte : digest) EXPECT_EQ(byte, 0);

  EXPECT_EQ(Md5HexOfFile((root_ / "missing.bin").wstring()), std::wstring(32, L'0'));
  std::wstring present = Write("a.bin", "a");
  EXPECT_TRUE(MD5File(present.c_str(), digest));
}

TEST_F(Md5Files, SameMd5ComparesContentsAndRefusesUnreadableFiles) {
  std::wstring a = Write("a.bin", "same");
  std::wstring b = Write("b.bin", "same");
  std::wstring c = Write("c.bin", "other");
  EXPECT_TRUE(FilesHaveSameMd5(a, a));
  EXPECT_TRUE(FilesHaveSameMd5(a, b));
  EXPECT_FALSE(FilesHaveSameMd5(a, c));
  EXPECT_FALSE(FilesHaveSameMd5(a, (root_ / "missing").wstring()));
  // Two unreadable paths are not equal files.
  EXPECT_FALSE(FilesHaveSameMd5((root_ / "x").wstring(), (root_ / "y").wstring()));
}

}  // namespace
