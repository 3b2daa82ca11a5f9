#include "splitter/ui/button_layout.h"

#include <ostream>

#include <gtest/gtest.h>

namespace splitter {

void PrintTo(const TPoint& p, std::ostream* os) { *os << "(" << p.X << ", " << p.Y << ")"; }
void PrintTo(const TRect& r, std::ostream* os) {
  *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}

namespace {

struct TLayoutCase {
  const char* name;
  TRect client;
  TSize glyph;
  TSize text;
  TButtonLayout layout;
  int margin;
  int spacing;
  TPoint glyphPos;
  TRect textBounds;
};

const TLayoutCase kLayoutCases[] = {
    // The program's buttons: no glyph, Margin -1, Spacing 4. Spacing becomes 0
    // and the caption is centred in the content rectangle.
    {"caption only",
     {3, 3, 86, 22},
     {0, 0},
     {30, 16},
     blGlyphLeft,
     -1,
     4,
     {30, 13},
     {30, 5, 60, 21}},
    {"glyph only", {0, 0, 89, 25}, {18, 18}, {0, 0}, blGlyphLeft, -1, 4, {36, 4}, {54, 13, 54, 13}},
    // Computed margin with a fixed spacing: (client - total + 1) / 2.
    {"left, margin computed",
     {0, 0, 89, 25},
     {18, 18},
     {20, 15},
     blGlyphLeft,
     -1,
     4,
     {24, 4},
     {46, 5, 66, 20}},
    // Fixed margin, computed spacing: (client - margin - glyph - text) / 2.
    {"right, spacing computed",
     {0, 0, 89, 25},
     {18, 18},
     {20, 15},
     blGlyphRight,
     5,
     -1,
     {66, 4},
     {23, 5, 43, 20}},
    // Both computed: a third of what is left each.
    {"right, both computed",
     {0, 0, 50, 20},
     {10, 10},
     {12, 8},
     blGlyphRight,
     -1,
     -1,
     {31, 5},
     {10, 6, 22, 14}},
    {"top, both computed",
     {0, 0, 60, 60},
     {18, 18},
     {20, 15},
     blGlyphTop,
     -1,
     -1,
     {21, 9},
     {20, 36, 40, 51}},
    {"bottom, both fixed, offset client",
     {10, 20, 70, 80},
     {18, 18},
     {20, 15},
     blGlyphBottom,
     2,
     3,
     {31, 60},
     {30, 42, 50, 57}},
    // Content larger than the button: the divisions truncate toward zero
    // (-13 / 3 is -4, -5 / 2 is -2), never toward minus infinity.
    {"too wide, thirds",
     {0, 0, 30, 20},
     {18, 18},
     {25, 15},
     blGlyphLeft,
     -1,
     -1,
     {-4, 1},
     {10, 3, 35, 18}},
    {"too large, halves",
     {0, 0, 20, 10},
     {16, 16},
     {10, 12},
     blGlyphLeft,
     -1,
     4,
     {-4, -2},
     {16, 0, 26, 12}},
};

TEST(ButtonLayoutTest, PlacesGlyphAndCaptionByIntegerDivisions) {
  for (const TLayoutCase& c : kLayoutCases) {
    const TContentLayout placed =
        CalcButtonLayout(c.client, c.glyph, c.text, c.layout, c.margin, c.spacing);
    EXPECT_EQ(placed.GlyphPos, c.glyphPos) << c.name;
    EXPECT_EQ(placed.TextBounds, c.textBounds) << c.name;
  }
}

}  // namespace
}  // namespace splitter
