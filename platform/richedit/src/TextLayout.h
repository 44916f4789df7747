// One Pango layout per paragraph, kept until that paragraph, the wrap width
// or the format changes, with the paragraphs' heights in running totals:
// a keystroke lays out its own paragraph and nothing else. Coordinates here
// are text coordinates: (0, 0) is the top left of the first paragraph,
// before scrolling and insets.
#pragma once

#include <pango/pangocairo.h>

#include <string>
#include <utility>
#include <vector>

#include "PrefixSums.h"
#include "TextStore.h"

namespace richedit {

struct LayoutFormat {
  PangoFontDescription* font = nullptr;  // owned by the caller
  bool underline = false;
  bool strikeOut = false;
  int alignment = 1;          // PFA_LEFT, PFA_RIGHT, PFA_CENTER
  int wrapWidth = -1;         // pixels; -1 lays each paragraph on one line
  int viewWidth = 0;          // for alignment without wrapping
  wchar_t passwordChar = 0;   // shown for every character when not 0
};

struct CaretBox {
  int x = 0;
  int y = 0;
  int height = 0;
};

class TextLayout {
 public:
  TextLayout();
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  // A new format lays every paragraph out again.
  void setFormat(const LayoutFormat& format, const TextStore& text);
  const LayoutFormat& format() const { return format_; }
  void relayoutAll(const TextStore& text);
  // After TextStore::replace: only the paragraphs the change touched.
  void applyChange(const TextStore& text, const TextStore::Change& change);

  int lineHeight() const { return lineHeight_; }
  long totalHeight() const { return heights_.total(); }
  long paragraphTop(size_t i) const { return heights_.prefix(i); }
  int paragraphHeight(size_t i) const { return static_cast<int>(heights_.value(i)); }
  size_t paragraphAtY(long y) const;
  // The widest paragraph, for horizontal scrolling without wrap.
  int maxWidth() const;

  CaretBox caretAt(const TextStore& text, long pos) const;
  long hit(const TextStore& text, int x, int y) const;
  // One cursor step (Pango's cursor positions: clusters, emoji sequences)
  // or one word step, forwards (+1) or backwards (-1); crosses breaks.
  long step(const TextStore& text, long pos, int direction, bool word) const;
  // The visual line around `pos`: its first position and its end.
  std::pair<long, long> visualLine(const TextStore& text, long pos) const;
  // The word around `pos` for a double click.
  std::pair<long, long> wordAround(const TextStore& text, long pos) const;

  struct Colors {
    double text[4];
    double highlight[4];
    double highlightText[4];
  };
  // Draws the paragraphs that meet [clipTop, clipBottom) (text coordinates)
  // with the text origin at (originX, originY) of `cr`, the selection
  // [selStart, selEnd) highlighted when selStart < selEnd.
  void draw(cairo_t* cr, const TextStore& text, double originX, double originY, long clipTop, long clipBottom,
            long selStart, long selEnd, const Colors& colors) const;

 private:
  struct Paragraph {
    PangoLayout* layout = nullptr;
    int width = 0;
  };
  void layOut(const TextStore& text, size_t i);
  void release(Paragraph& p);
  int offsetX(size_t i) const;
  // Byte index in paragraph i's layout text for a code-point offset, and back.
  int byteIndex(size_t i, long offset) const;
  long charOffset(size_t i, int index) const;
  const PangoLogAttr* attrs(size_t i, int* count) const;

  PangoContext* context_ = nullptr;
  LayoutFormat format_;
  int lineHeight_ = 0;
  std::vector<Paragraph> paragraphs_;
  PrefixSums heights_;
};

}  // namespace richedit
