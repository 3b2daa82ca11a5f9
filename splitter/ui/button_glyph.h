// A button's glyph: the picture strip of one to four cells (one per button
// state), the state images made from it, and the drawing of glyph and caption
// into the button's content rectangle.
//
// A state image is made once, the first time its state is drawn, with the
// button's face colour baked in where the picture is transparent; it lives in
// the shared list for its cell size until the picture, the cell count or the
// face colour changes. Making them once matters because a button repaints on
// every focus move and press.
#pragma once

#include <array>

#include <QImage>
#include <QPalette>
#include <QRgb>
#include <QString>

#include "splitter/ui/button_layout.h"
#include "splitter/ui/colors.h"
#include "splitter/ui/geometry.h"

class QPainter;

namespace splitter {

class TGlyphList;

// Button states; they also number the cells of the glyph strip.
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// The transparent colour of a picture nobody has set yet.
inline constexpr TColor kDefaultTransparentColor = 0x008080;

class TButtonGlyph {
 public:
  TButtonGlyph() = default;
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  // The picture, stored 32-bit whatever format it was given in.
  const QImage& Glyph() const { return FOriginal; }
  // Drops the state images and takes a copy of the picture. A picture that is
  // not empty gives the transparent colour (its bottom-left pixel), and one
  // whose width is a whole multiple of its height gives the cell count (1 for
  // five cells or more, which no strip has).
  void SetGlyph(const QImage& picture);
  int NumGlyphs() const { return FNumGlyphs; }
  // count is 1 to 4; drops the state images.
  void SetNumGlyphs(int count);
  TColor TransparentColor() const { return FTransparentColor; }

  // The slot of the state's image in List(), made now when needed; -1 when
  // there is no picture. face is the button's colour; palette resolves the
  // highlight and shadow of the disabled look.
  int StateImage(TButtonState state, QRgb face, const QPalette& palette);
  // The shared list of this glyph's cell size; null until an image is made.
  const TGlyphList* List() const { return FGlyphList; }
  // Releases every state image and lets go of the shared list.
  void Invalidate();

  // Lays out glyph and caption in client and draws them in the painter's font.
  // The caption is drawn in textColour, or grey in the disabled state.
  void Draw(QPainter& painter, const TRect& client, const QString& caption, TButtonLayout layout,
            int margin, int spacing, TButtonState state, QRgb face, QRgb textColour,
            const QPalette& palette);

  // How many state images all glyphs have made so far (for tests).
  static long StateImagesMade();

 private:
  QImage MakeStateImage(TButtonState state, QRgb face, const QPalette& palette) const;

  QImage FOriginal;
  TGlyphList* FGlyphList = nullptr;
  std::array<int, 4> FIndexes{-1, -1, -1, -1};
  TColor FTransparentColor = kDefaultTransparentColor;
  int FNumGlyphs = 1;
};

}  // namespace splitter
