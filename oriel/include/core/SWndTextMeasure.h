// Text measured as a window draws it: in the font and text colour the
// window paints with, its own where its style sets them, else those its
// ancestors pass down.
#pragma once

#include "core/SWnd.h"

namespace ORIEL {

// Selects into `rt` what each window from the root down to `window`
// selects before painting: the font and text colour of its style for its
// current state, where set. The target is left as `window` would inherit
// it; what it held before is not restored.
void PrepareInheritedTextStyle(SWindow* window, IRenderTarget* rt);

// A 0 x 0 render target prepared for `window` (one reference for the
// caller); null without the application's render factory.
IRenderTarget* CreateMeasuringTarget(SWindow* window);

// The text's width and height in pixels in the window's font. Multi-line
// texts are cut at each "\n": the widest line gives the width, the lines'
// heights add up. 0 x 0 for a null window or an empty text (no render
// target is made then).
SIZE MeasureTextSize(SWindow* window, const SStringW& text, bool multiLine);

}  // namespace ORIEL
