#include "splitter/ui/button_glyph.h"

#include <QPainter>

#include "splitter/ui/glyph_cache.h"

namespace splitter {

namespace {

long gStateImagesMade = 0;

constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kGrey = 0x808080;
constexpr QRgb kBlack = 0x000000;

QRgb Rgb(QRgb pixel) { return pixel & 0xFFFFFF; }

// Every pixel of from (RGB) becomes to.
QImage Replaced(QImage image, QRgb from, QRgb to) {
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (Rgb(line[x]) == Rgb(from)) line[x] = to | 0xFF000000u;
    }
  }
  return image;
}

// The disabled look of a strip that has a disabled cell: the cell's white
// becomes the highlight, its grey the shadow, its transparent colour the face.
// Each colour is picked from the untouched cell, so a recoloured pixel is
// never recoloured again; when two of them coincide the later one wins.
QImage RecolouredDisabledCell(const QImage& cell, QRgb transparent, QRgb face, QRgb highlight,
                              QRgb shadow) {
  QImage image = cell;
  for (int y = 0; y < cell.height(); ++y) {
    const auto* source = reinterpret_cast<const QRgb*>(cell.constScanLine(y));
    auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < cell.width(); ++x) {
      const QRgb pixel = Rgb(source[x]);
      if (pixel == kWhite) target[x] = highlight;
      if (pixel == kGrey) target[x] = shadow;
      if (pixel == Rgb(transparent)) target[x] = face;
    }
  }
  return image;
}

// The disabled look of a one-cell strip: the picture's black shape embossed
// on the face, the highlight one pixel down and right, the shadow over it.
QImage EmbossedCell(const QImage& cell, QRgb face, QRgb highlight, QRgb shadow) {
  QImage image(cell.size(), QImage::Format_RGB32);
  image.fill(face);
  const auto black = [&cell](int x, int y) {
    return x >= 0 && y >= 0 && x < cell.width() && y < cell.height() &&
           Rgb(cell.pixel(x, y)) == kBlack;
  };
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (black(x - 1, y - 1)) image.setPixel(x, y, highlight);
      if (black(x, y)) image.setPixel(x, y, shadow);
    }
  }
  return image;
}

}  // namespace

TButtonGlyph::~TButtonGlyph() {
  Invalidate();
  TGlyphCache::ReleaseIfEmpty();
}

void TButtonGlyph::Invalidate() {
  for (int& index : FIndexes) {
    if (index != -1 && FGlyphList) FGlyphList->Delete(index);
    index = -1;
  }
  if (FGlyphList) TGlyphCache::Get().ReturnList(FGlyphList);
  FGlyphList = nullptr;
}

void TButtonGlyph::SetGlyph(const QImage& picture) {
  Invalidate();
  FOriginal = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
  if (FOriginal.isNull() || FOriginal.height() <= 0) return;
  FTransparentColor = RGBToColor(FOriginal.pixel(0, FOriginal.height() - 1));
  if (FOriginal.width() % FOriginal.height() == 0) {
    const int cells = FOriginal.width() / FOriginal.height();
    FNumGlyphs = cells >= 5 ? 1 : cells;
  }
}

void TButtonGlyph::SetNumGlyphs(int count) {
  Invalidate();
  FNumGlyphs = count;
}

long TButtonGlyph::StateImagesMade() { return gStateImagesMade; }

int TButtonGlyph::StateImage(TButtonState state, QRgb face, const QPalette& palette) {
  if (state == bsDown && FNumGlyphs < 3) state = bsUp;
  int& index = FIndexes[state];
  if (index != -1) return index;
  if (FOriginal.width() == 0 && FOriginal.height() == 0) return -1;
  const QSize cellSize(FOriginal.width() / FNumGlyphs, FOriginal.height());
  if (!FGlyphList) FGlyphList = TGlyphCache::Get().GetList(cellSize);
  const QImage image = MakeStateImage(state, face, palette);
  if (state == bsExclusive) {
    index = FGlyphList->AddMasked(image, ColorToRGB(FTransparentColor, palette));
  } else {
    index = FGlyphList->Add(image);
  }
  ++gStateImagesMade;
  return index;
}

QImage TButtonGlyph::MakeStateImage(TButtonState state, QRgb face, const QPalette& palette) const {
  const int cellWidth = FOriginal.width() / FNumGlyphs;
  const int sourceCell = int(state) < FNumGlyphs ? int(state) : 0;
  const QImage cell = FOriginal.copy(sourceCell * cellWidth, 0, cellWidth, FOriginal.height());
  const QRgb transparent = ColorToRGB(FTransparentColor, palette);
  switch (state) {
    case bsUp:
    case bsDown:
      return Replaced(cell, transparent, face);
    case bsExclusive:
      return cell;
    case bsDisabled:
      break;
  }
  const QRgb highlight = ColorToRGB(clBtnHighlight, palette);
  const QRgb shadow = ColorToRGB(clBtnShadow, palette);
  if (FNumGlyphs > 1) return RecolouredDisabledCell(cell, transparent, face, highlight, shadow);
  return EmbossedCell(cell, face, highlight, shadow);
}

void TButtonGlyph::Draw(QPainter& painter, const TRect& client, const QString& caption,
                        TButtonLayout layout, int margin, int spacing, TButtonState state,
                        QRgb face, QRgb textColour, const QPalette& palette) {
  const bool hasPicture = FOriginal.width() != 0 && FOriginal.height() != 0;
  const TSize glyphSize =
      hasPicture ? TSize{FOriginal.width() / FNumGlyphs, FOriginal.height()} : TSize{};
  TSize textSize;
  if (!caption.isEmpty()) {
    // Measured as the window system measures unformatted text: line breaks
    // count, "&" marks a mnemonic and takes no room.
    const QSize measured = painter.fontMetrics().size(Qt::TextShowMnemonic, caption);
    textSize = {measured.width(), measured.height()};
  }
  const TContentLayout placed =
      CalcButtonLayout(client, glyphSize, textSize, layout, margin, spacing);

  if (hasPicture) {
    const int index = StateImage(state, face, palette);
    if (index != -1) {
      FGlyphList->Draw(painter, index, QPoint(placed.GlyphPos.X, placed.GlyphPos.Y),
                       state == bsExclusive, face);
    }
  }

  const TRect& t = placed.TextBounds;
  const QRect textRect(t.Left, t.Top, t.Width(), t.Height());
  painter.setBrush(Qt::NoBrush);
  if (state == bsDisabled) {
    painter.setPen(QColor::fromRgb(kGrey));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, caption);
  } else {
    painter.setPen(QColor::fromRgb(textColour));
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                     caption);
  }
}

}  // namespace splitter
