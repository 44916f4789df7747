#pragma once
// MD5 message digest (RFC 1321) and the hex-text helpers built on it.

#include <cstddef>
#include <cstdint>
#include <string>

struct MD5Context {
  uint32_t state[4];   // A, B, C, D
  uint32_t count[2];   // number of bits, modulo 2^64 (low word first)
  unsigned char buffer[64];
};

void MD5Init(MD5Context* context);
void MD5Update(MD5Context* context, const unsigned char* input, size_t length);
// Writes the 16-byte digest and wipes the context.
void MD5Final(unsigned char digest[16], MD5Context* context);
void MD5Transform(uint32_t state[4], const unsigned char block[64]);

void MD5String(const char* text, unsigned char digest[16]);
// Digest of a file's bytes. Returns false when the file cannot be opened or
// read; the digest is then all zeros, never a stale or partial value.
bool MD5File(const wchar_t* fileName, unsigned char digest[16]);

// Hex text of a digest into a 260-byte buffer: lower case when lowerCase is
// non-zero, upper case otherwise.
void MD5ToHex(const unsigned char digest[16], char* buffer260, int lowerCase);

std::string Md5HexString(const std::string& text, int lowerCase);
std::wstring Md5HexOfWide(const std::wstring& text, int lowerCase);
// Lower-case hex digest of a file; 32 zeros when it cannot be read.
std::wstring Md5HexOfFile(const std::wstring& fileName);
bool FilesHaveSameMd5(const std::wstring& first, const std::wstring& second);
void MD5TestSuite();
