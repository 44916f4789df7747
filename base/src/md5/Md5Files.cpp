// Digests of files and wide texts.
#include <cstdio>
#include <cstring>

#include "base/CodePage.h"
#include "base/Md5.h"

bool MD5File(const wchar_t* fileName, unsigned char digest[16]) {
  std::memset(digest, 0, 16);
  if (!fileName) return false;
  FILE* file = std::fopen(WStringToUtf8Ret(fileName).c_str(), "rbe");
  if (!file) return false;
  MD5Context context;
  MD5Init(&context);
  unsigned char block[1024];
  size_t n;
  while ((n = std::fread(block, 1, sizeof block, file)) > 0) MD5Update(&context, block, n);
  bool readFailed = std::ferror(file) != 0;
  std::fclose(file);
  unsigned char result[16];
  MD5Final(result, &context);
  // A read error (a folder, a failing device) gives no digest, not the
  // digest of the bytes read so far.
  if (readFailed) return false;
  std::memcpy(digest, result, 16);
  return true;
}

std::wstring Md5HexOfWide(const std::wstring& text, int lowerCase) {
  return AnsiToWStringRet(Md5HexString(WStringToOemRet(text), lowerCase));
}

std::wstring Md5HexOfFile(const std::wstring& fileName) {
  unsigned char digest[16];
  MD5File(fileName.c_str(), digest);  // all zeros when the file cannot be read
  char hex[260];
  MD5ToHex(digest, hex, 1);
  return AnsiToWStringRet(hex);
}

bool FilesHaveSameMd5(const std::wstring& first, const std::wstring& second) {
  // Two unreadable files are not "the same": both would give 32 zeros.
  unsigned char a[16], b[16];
  return MD5File(first.c_str(), a) && MD5File(second.c_str(), b) && std::memcmp(a, b, 16) == 0;
}
