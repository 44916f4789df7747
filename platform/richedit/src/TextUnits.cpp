#include "TextUnits.h"

#include <cstdlib>
#include <cwchar>

#include "gdi/GdiCairo.h"

namespace richedit {

int mulDivRound(int value, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const long long p = static_cast<long long>(value) * numerator;
  const long long d = std::llabs(static_cast<long long>(denominator));
  const long long q = (std::llabs(p) + d / 2) / d;
  return static_cast<int>((p >= 0) == (denominator > 0) ? q : -q);
}

int hiMetricToPixels(int himetric) { return mulDivRound(GdiScreenDpi(), himetric, 2540); }

PangoFontDescription* fontOfCharFormat(const CHARFORMAT2W& format) {
  LOGFONTW lf = GdiDefaultLogFont();
  if ((format.dwMask & CFM_SIZE) && format.yHeight != 0)
    lf.lfHeight = -std::abs(mulDivRound(format.yHeight, GdiScreenDpi(), 1440));
  if (format.dwMask & CFM_BOLD) lf.lfWeight = (format.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
  if ((format.dwMask & CFM_WEIGHT) && format.cbSize >= sizeof(CHARFORMAT2W) && format.wWeight)
    lf.lfWeight = format.wWeight;
  if (format.dwMask & CFM_ITALIC) lf.lfItalic = (format.dwEffects & CFE_ITALIC) ? 1 : 0;
  if (format.dwMask & CFM_UNDERLINE) lf.lfUnderline = (format.dwEffects & CFE_UNDERLINE) ? 1 : 0;
  if (format.dwMask & CFM_STRIKEOUT) lf.lfStrikeOut = (format.dwEffects & CFE_STRIKEOUT) ? 1 : 0;
  if (format.dwMask & CFM_CHARSET) lf.lfCharSet = format.bCharSet;
  if ((format.dwMask & CFM_FACE) && format.szFaceName[0]) {
    wcsncpy(lf.lfFaceName, format.szFaceName, LF_FACESIZE - 1);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
  }
  return GdiFontDescriptionFromLogFont(lf);
}

void colorToRgba(COLORREF color, double out[4]) {
  out[0] = (color & 0xFF) / 255.0;
  out[1] = ((color >> 8) & 0xFF) / 255.0;
  out[2] = ((color >> 16) & 0xFF) / 255.0;
  out[3] = 1.0;
}

}  // namespace richedit
