// A font description: the font pool's key and the UI definition's default
// font. The style word packs the character set (bits 0-7), weight / 4
// rounded (8-15, 0 = none given), italic (16), underline (17), bold (18),
// strike-out (19) and the size in pixels (20-31).
#pragma once

#include "core/SString.h"

namespace ORIEL {

struct FontInfo {
  SStringW strName;
  uint32_t style = 0;
  SStringW strFace;
  SStringW strPropEx;

  static constexpr uint32_t kItalic = 1u << 16, kUnderline = 1u << 17, kBold = 1u << 18, kStrike = 1u << 19;
  static uint32_t Size(uint32_t style) { return style >> 20; }
  static uint32_t WithSize(uint32_t style, uint32_t size) { return (style & 0xFFFFF) | (size << 20); }
  static uint32_t Charset(uint32_t style) { return style & 0xFF; }
  static uint32_t Weight4(uint32_t style) { return (style >> 8) & 0xFF; }
};

// The default font of a definition that names none: "default", 12 pixels,
// character set 1, face "宋体".
constexpr uint32_t kDefaultFontStyle = 0x00C00001;
extern const wchar_t* const kDefaultFontFace;

}  // namespace ORIEL
