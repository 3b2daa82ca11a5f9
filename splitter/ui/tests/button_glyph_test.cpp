#include "splitter/ui/button_glyph.h"

#include <QImage>
#include <QPainter>
#include <QPalette>
#include <gtest/gtest.h>

#include "splitter/ui/glyph_cache.h"

namespace splitter {
namespace {

constexpr QRgb kOlive = 0xFF808000;  // transparent: the bottom-left pixel
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kGrey = 0xFF808080;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kFace = 0xFFBFC8D0;  // RGB 191, 200, 208
constexpr QRgb kHighlight = 0xFFF0F0F0;
constexpr QRgb kShadow = 0xFF404040;

QPalette TestPalette() {
  QPalette palette;
  palette.setColor(QPalette::Active, QPalette::Light, QColor::fromRgb(kHighlight));
  palette.setColor(QPalette::Active, QPalette::Dark, QColor::fromRgb(kShadow));
  return palette;
}

// A strip of cells of 4 by 4 on olive; cell n has a pixel of marks[n] at (1, 1).
QImage Strip(std::initializer_list<QRgb> marks) {
  QImage strip(4 * int(marks.size()), 4, QImage::Format_RGB32);
  strip.fill(kOlive);
  int cell = 0;
  for (QRgb mark : marks) strip.setPixel(4 * cell++ + 1, 1, mark);
  return strip;
}

QRgb Pixel(const TButtonGlyph& glyph, int index, int x, int y) {
  return glyph.List()->Image(index).pixel(x, y);
}

TEST(ButtonGlyphTest, APictureGivesTheCellCountOfItsSquareCells) {
  struct TCase {
    int width, height, numGlyphs;
  };
  const TCase cases[] = {
      {36, 18, 2}, {18, 18, 1}, {54, 18, 3}, {72, 18, 4}, {90, 18, 1},  // five cells are no strip
      {30, 18, 3},  // not a whole multiple: the count stays
  };
  for (const TCase& c : cases) {
    TButtonGlyph glyph;
    glyph.SetNumGlyphs(3);
    QImage picture(c.width, c.height, QImage::Format_RGB32);
    picture.fill(kOlive);
    glyph.SetGlyph(picture);
    EXPECT_EQ(glyph.NumGlyphs(), c.numGlyphs) << c.width << " by " << c.height;
  }
  TButtonGlyph glyph;
  glyph.SetNumGlyphs(3);
  glyph.SetGlyph(QImage());
  EXPECT_EQ(glyph.NumGlyphs(), 3) << "an empty picture leaves the count";
  EXPECT_EQ(glyph.TransparentColor(), kDefaultTransparentColor);
}

TEST(ButtonGlyphTest, TheTransparentColourIsTheBottomLeftPixel) {
  TButtonGlyph glyph;
  QImage picture = Strip({kRed});
  picture.setPixel(0, 3, 0xFF336699);
  glyph.SetGlyph(picture);
  EXPECT_EQ(glyph.TransparentColor(), RGB(0x33, 0x66, 0x99));
}

TEST(ButtonGlyphTest, UpAndDownShowTheFaceWhereThePictureIsTransparent) {
  TButtonGlyph glyph;
  glyph.SetGlyph(Strip({kRed, kWhite}));
  const QPalette palette = TestPalette();
  const int up = glyph.StateImage(bsUp, kFace, palette);
  EXPECT_EQ(Pixel(glyph, up, 0, 0), kFace);
  EXPECT_EQ(Pixel(glyph, up, 1, 1), kRed);
  EXPECT_EQ(glyph.StateImage(bsDown, kFace, palette), up) << "two cells: down is up";

  TButtonGlyph three;
  three.SetGlyph(Strip({kRed, kWhite, kBlack}));
  const int down = three.StateImage(bsDown, kFace, palette);
  EXPECT_NE(down, three.StateImage(bsUp, kFace, palette));
  EXPECT_EQ(Pixel(three, down, 1, 1), kBlack) << "three cells: down has its own";
  EXPECT_EQ(Pixel(three, down, 0, 0), kFace);
}

TEST(ButtonGlyphTest, TheDisabledCellIsRecolouredToTheSystemColours) {
  TButtonGlyph glyph;
  QImage strip = Strip({kRed, kWhite});
  strip.setPixel(6, 2, kGrey);
  strip.setPixel(7, 0, kRed);
  glyph.SetGlyph(strip);
  const int disabled = glyph.StateImage(bsDisabled, kFace, TestPalette());
  EXPECT_EQ(Pixel(glyph, disabled, 1, 1), kHighlight);
  EXPECT_EQ(Pixel(glyph, disabled, 2, 2), kShadow);
  EXPECT_EQ(Pixel(glyph, disabled, 0, 0), kFace);
  EXPECT_EQ(Pixel(glyph, disabled, 3, 0), kRed) << "other colours stay";
}

TEST(ButtonGlyphTest, AOneCellPictureIsDisabledAsItsBlackShapeEmbossed) {
  TButtonGlyph glyph;
  QImage picture = Strip({kBlack});
  picture.setPixel(2, 1, kBlack);
  picture.setPixel(3, 3, kRed);
  glyph.SetGlyph(picture);
  const int disabled = glyph.StateImage(bsDisabled, kFace, TestPalette());
  EXPECT_EQ(Pixel(glyph, disabled, 1, 1), kShadow);
  EXPECT_EQ(Pixel(glyph, disabled, 2, 1), kShadow);
  EXPECT_EQ(Pixel(glyph, disabled, 2, 2), kHighlight);
  EXPECT_EQ(Pixel(glyph, disabled, 3, 2), kHighlight);
  EXPECT_EQ(Pixel(glyph, disabled, 0, 0), kFace);
  EXPECT_EQ(Pixel(glyph, disabled, 3, 3), kFace) << "colours other than black vanish";
}

TEST(ButtonGlyphTest, TheExclusiveStateIsMaskedOnTheTransparentColour) {
  TButtonGlyph glyph;
  glyph.SetGlyph(Strip({kRed, kWhite}));
  const int exclusive = glyph.StateImage(bsExclusive, kFace, TestPalette());
  EXPECT_EQ(qAlpha(Pixel(glyph, exclusive, 0, 0)), 0);
  EXPECT_EQ(Pixel(glyph, exclusive, 1, 1), kRed) << "no fourth cell: cell 0";
}

TEST(ButtonGlyphTest, StateImagesAreMadeOncePerStateAndSharedPerCellSize) {
  const QPalette palette = TestPalette();
  {
    TButtonGlyph first;
    TButtonGlyph second;
    TButtonGlyph other;
    first.SetGlyph(Strip({kRed, kWhite}));
    second.SetGlyph(Strip({kBlack, kWhite}));
    other.SetGlyph(QImage(10, 5, QImage::Format_RGB32));

    const long before = TButtonGlyph::StateImagesMade();
    for (int paint = 0; paint < 3; ++paint) {
      first.StateImage(bsUp, kFace, palette);
      first.StateImage(bsDown, kFace, palette);
      first.StateImage(bsDisabled, kFace, palette);
      second.StateImage(bsUp, kFace, palette);
      other.StateImage(bsUp, kFace, palette);
    }
    EXPECT_EQ(TButtonGlyph::StateImagesMade() - before, 4);
    EXPECT_EQ(first.List(), second.List());
    EXPECT_NE(first.List(), other.List());
    EXPECT_EQ(first.List()->Count(), 3);
    EXPECT_EQ(TGlyphCache::Get().ListCount(), 2);

    first.Invalidate();
    EXPECT_EQ(first.List(), nullptr);
    EXPECT_EQ(second.List()->Count(), 1) << "the freed slots are reusable";
    first.StateImage(bsUp, kFace, palette);
    EXPECT_EQ(TButtonGlyph::StateImagesMade() - before, 5) << "made again after the drop";
    EXPECT_EQ(second.List()->Capacity(), 3);
  }
  EXPECT_EQ(TGlyphCache::Instance(), nullptr) << "the last glyph takes the cache with it";
}

TEST(ButtonGlyphTest, NoPictureMakesNoImage) {
  TButtonGlyph glyph;
  EXPECT_EQ(glyph.StateImage(bsUp, kFace, TestPalette()), -1);
  EXPECT_EQ(glyph.List(), nullptr);
}

}  // namespace
}  // namespace splitter
