#pragma once
// Percent-encoding of narrow URL text, the uniform UTF-8 encoding the web
// layer gives every request URL, form and query strings, and random texts.
// Escapes use upper-case hex digits; a blank is written as "+".

#include <cstdint>
#include <map>
#include <string>

// keepUrl false escapes everything but A-Z a-z 0-9 . _ - *; keepUrl true
// also keeps / : ? & = and existing %XX escapes.
std::string UrlEncode(const std::string& text, bool keepUrl);

// "+" becomes a blank and %XX the byte, except that escapes of letters,
// digits and URL punctuation (! $ & ' ( ) * + , - . / : ; = ? @ _) stay as
// written. Malformed escapes are copied. The bytes are returned as decoded:
// UTF-8 stays UTF-8, so no character is lost to a narrower code page.
std::string UrlDecode(const std::string& text);

// Decodes, reads non-UTF-8 text as the ANSI page (936) and converts it to
// UTF-8, then encodes keeping URL punctuation. UTF-8 input keeps every
// character.
std::string NormalizeUrlEncoding(const std::string& url);

// key=value pairs in key order joined by "&"; with encode, keys and values
// are escaped by UrlEncode(text, false).
std::string BuildQueryString(const std::map<std::string, std::string>& pairs, bool encode);
std::string BuildUrlWithQuery(const std::string& url,
                              const std::map<std::string, std::string>& pairs, bool encode);

// length random letters and digits.
std::wstring GetRandomString(uint32_t length);
std::string GetRandomStringA(uint32_t length);
// A random number below bound (0 for a bound of 0). seed is accepted for the
// callers' sake: the numbers come from the system's generator, which needs
// no seed.
uint32_t GetRandomNumber(uint32_t bound, bool seed);
