#include "splitter/ui/button_layout.h"

namespace splitter {

TContentLayout CalcButtonLayout(const TRect& client, TSize glyph, TSize text, TButtonLayout layout,
                                int margin, int spacing) {
  const int clientWidth = client.Width();
  const int clientHeight = client.Height();
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;

  TPoint glyphPos;
  TPoint textPos;
  if (horizontal) {
    glyphPos.Y = (clientHeight - glyph.Height + 1) / 2;
    textPos.Y = (clientHeight - text.Height + 1) / 2;
  } else {
    glyphPos.X = (clientWidth - glyph.Width + 1) / 2;
    textPos.X = (clientWidth - text.Width + 1) / 2;
  }

  if (text.Width == 0 || glyph.Width == 0) spacing = 0;

  const int clientSize = horizontal ? clientWidth : clientHeight;
  const int glyphSize = horizontal ? glyph.Width : glyph.Height;
  const int textSize = horizontal ? text.Width : text.Height;
  if (margin == -1) {
    if (spacing == -1) {
      margin = (clientSize - (glyphSize + textSize)) / 3;
      spacing = margin;
    } else {
      margin = (clientSize - (glyphSize + spacing + textSize) + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = (clientSize - margin - glyphSize - textSize) / 2;
  }

  switch (layout) {
    case blGlyphLeft:
      glyphPos.X = margin;
      textPos.X = glyphPos.X + glyph.Width + spacing;
      break;
    case blGlyphRight:
      glyphPos.X = clientWidth - margin - glyph.Width;
      textPos.X = glyphPos.X - spacing - text.Width;
      break;
    case blGlyphTop:
      glyphPos.Y = margin;
      textPos.Y = glyphPos.Y + glyph.Height + spacing;
      break;
    case blGlyphBottom:
      glyphPos.Y = clientHeight - margin - glyph.Height;
      textPos.Y = glyphPos.Y - spacing - text.Height;
      break;
  }

  const int textLeft = textPos.X + client.Left;
  const int textTop = textPos.Y + client.Top;
  return {{glyphPos.X + client.Left, glyphPos.Y + client.Top},
          {textLeft, textTop, textLeft + text.Width, textTop + text.Height}};
}

}  // namespace splitter
