// Where a button's glyph and caption go inside its content rectangle. Plain
// arithmetic on sizes the caller measured, so it is testable without a font.
// The divisions are integer divisions that drop the fraction toward zero,
// negative numerators included (a content larger than the button).
#pragma once

#include "splitter/ui/geometry.h"

namespace splitter {

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TContentLayout {
  TPoint GlyphPos;
  TRect TextBounds;
  friend bool operator==(const TContentLayout&, const TContentLayout&) = default;
};

// glyph: one cell of the picture, (0, 0) without one; text: the caption's
// measured size, (0, 0) for an empty caption. Margin and Spacing -1 mean
// "computed"; Spacing counts as 0 when there is no caption or no glyph.
TContentLayout CalcButtonLayout(const TRect& client, TSize glyph, TSize text, TButtonLayout layout,
                                int margin, int spacing);

}  // namespace splitter
