#include "core/SWndTextMeasure.h"

#include <vector>

#include "base/GdiplusHelpers.h"
#include "core/SApplication.h"

namespace ORIEL {

void PrepareInheritedTextStyle(SWindow* window, IRenderTarget* rt) {
  std::vector<SWindow*> chain;
  for (SWindow* w = window; w; w = w->GetParent()) chain.push_back(w);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    SwndStyle& style = (*it)->GetStyle();
    const int index = (*it)->StateIndex();
    if (IFont* font = style.GetFontForState(index)) rt->SelectObject(font, nullptr);
    const COLORREF color = style.GetTextColorForState(index);
    if (color != kRenderNoColor) rt->SetTextColor(color);
  }
}

IRenderTarget* CreateMeasuringTarget(SWindow* window) {
  SApplication* app = SApplication::getSingletonPtr();
  IRenderFactory* factory = app ? app->GetRenderFactory() : nullptr;
  IRenderTarget* rt = nullptr;
  if (!factory || !factory->CreateRenderTarget(&rt, 0, 0)) return nullptr;
  PrepareInheritedTextStyle(window, rt);
  return rt;
}

SIZE MeasureTextSize(SWindow* window, const SStringW& text, bool multiLine) {
  if (!window || text.IsEmpty()) return SIZE{0, 0};
  IRenderTarget* rt = CreateMeasuringTarget(window);
  if (!rt) return SIZE{0, 0};
  const SIZE size = ::MeasureTextSize(rt, text, multiLine);
  rt->Release();
  return size;
}

}  // namespace ORIEL
