// Conversions between the host's units and the engine's pixels: HIMETRIC
// insets, twips font heights, and the Pango font of a character format.
#pragma once

#include <pango/pango.h>

#include "richedit/richedit.h"

namespace richedit {

// value * numerator / denominator, rounded half away from zero.
int mulDivRound(int value, int numerator, int denominator);

// HIMETRIC (0.01 mm) to pixels at the screen's logical pixels per inch,
// rounded exactly as the framework rounds pixels into HIMETRIC, so that a
// pixel inset survives the trip through the host unchanged.
int hiMetricToPixels(int himetric);

// The font a character format describes (height in twips, weight, italic,
// face), through the GDI layer's LOGFONT translation; the caller frees it.
PangoFontDescription* fontOfCharFormat(const CHARFORMAT2W& format);

// A COLORREF as straight RGBA in 0-1.
void colorToRgba(COLORREF color, double out[4]);

}  // namespace richedit
