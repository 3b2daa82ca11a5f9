#include "splitter/ui/stock_kinds.h"

#include <array>
#include <vector>

#include <QPainter>
#include <QPainterPath>

namespace splitter {

namespace {

constexpr std::array<TStockKind, 11> kStockKinds{{
    {false, false, mrNone, ""},
    {true, false, mrOk, "OK"},
    {false, true, mrCancel, "Cancel"},
    {false, false, mrNone, "&Help"},
    {true, false, mrYes, "&Yes"},
    {false, true, mrNo, "&No"},
    {false, false, mrNone, "&Close"},
    {false, false, mrAbort, "Abort"},
    {false, false, mrRetry, "&Retry"},
    {false, false, mrIgnore, "&Ignore"},
    {false, false, mrAll, "&All"},
}};

constexpr QRgb kOlive = 0xFF808000;  // the transparent background
constexpr QRgb kGreen = 0xFF008000;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kNavy = 0xFF000080;
constexpr QRgb kMaroon = 0xFF800000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kGrey = 0xFF808080;

// One part of a picture: a path stroked (and filled, for heads and dots) in
// one colour.
struct TStroke {
  QPainterPath Path;
  QRgb Colour;
  qreal Width;
  bool Filled;
};

QPainterPath Polyline(std::initializer_list<QPointF> points) {
  QPainterPath path;
  for (const QPointF& point : points) {
    if (path.elementCount() == 0)
      path.moveTo(point);
    else
      path.lineTo(point);
  }
  return path;
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
  QPainterPath path = Polyline(points);
  path.closeSubpath();
  return path;
}

std::vector<TStroke> CheckMark() {
  return {{Polyline({{3, 9}, {7, 13}, {14, 4}}), kGreen, 3, false}};
}

std::vector<TStroke> Cross() {
  return {{Polyline({{4, 4}, {13, 13}}), kRed, 3, false},
          {Polyline({{13, 4}, {4, 13}}), kRed, 3, false}};
}

std::vector<TStroke> QuestionMark() {
  return {{Polyline({{5, 6}, {6, 4}, {8, 3}, {11, 3}, {13, 5}, {12, 7}, {9, 9}, {9, 11}}), kNavy, 2,
           false},
          {Polygon({{8, 13}, {10, 13}, {10, 15}, {8, 15}}), kNavy, 1, true}};
}

std::vector<TStroke> NoEntry() {
  QPainterPath circle;
  circle.addEllipse(QRectF(3, 3, 11, 11));
  return {{circle, kRed, 2, false}, {Polyline({{5, 12}, {12, 5}}), kRed, 2, false}};
}

std::vector<TStroke> DoorAndArrow() {
  return {{Polyline({{8, 3}, {3, 3}, {3, 14}, {8, 14}}), kNavy, 2, false},
          {Polyline({{6, 8.5}, {13, 8.5}}), kMaroon, 2, false},
          {Polygon({{11, 5}, {15, 8.5}, {11, 12}}), kMaroon, 1, true}};
}

std::vector<TStroke> CircularArrow() {
  QPainterPath arc;
  arc.arcMoveTo(QRectF(3, 3, 11, 11), 90);
  arc.arcTo(QRectF(3, 3, 11, 11), 90, 270);
  return {{arc, kGreen, 2, false}, {Polygon({{10, 1}, {14, 5}, {9, 7}}), kGreen, 1, true}};
}

std::vector<TStroke> JumpArrow() {
  QPainterPath hop;
  hop.moveTo(2, 13);
  hop.quadTo(7, 1, 12, 10);
  return {{hop, kNavy, 2, false},
          {Polygon({{9, 10}, {15, 14}, {14, 7}}), kNavy, 1, true},
          {Polyline({{2, 15}, {15, 15}}), kMaroon, 1, false}};
}

std::vector<TStroke> DoubleCheckMark() {
  return {{Polyline({{1, 9}, {4, 12}, {9, 4}}), kGreen, 2, false},
          {Polyline({{6, 12}, {9, 15}, {16, 5}}), kGreen, 3, false}};
}

void DrawStrokes(QPainter& painter, const std::vector<TStroke>& strokes, QPointF offset,
                 const QRgb* colour) {
  for (const TStroke& stroke : strokes) {
    const QColor c = QColor::fromRgb(colour ? *colour : stroke.Colour);
    painter.setPen(QPen(c, stroke.Width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(stroke.Filled ? QBrush(c) : QBrush(Qt::NoBrush));
    painter.drawPath(stroke.Path.translated(offset));
  }
}

// Up cell in the picture's colours; disabled cell as a grey shape with a white
// highlight one pixel down and right, the look the disabled state recolours.
QImage TwoCellGlyph(const std::vector<TStroke>& strokes, int height) {
  QImage image(36, height, QImage::Format_RGB32);
  image.fill(kOlive);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  DrawStrokes(painter, strokes, QPointF(0, 0), nullptr);
  DrawStrokes(painter, strokes, QPointF(19, 1), &kWhite);
  DrawStrokes(painter, strokes, QPointF(18, 0), &kGrey);
  return image;
}

QImage DrawStockGlyph(TBitBtnWithColorKind kind) {
  switch (kind) {
    case bkCustom:
      return QImage();
    case bkOK:
    case bkYes:
      return TwoCellGlyph(CheckMark(), 18);
    case bkCancel:
    case bkAbort:
      return TwoCellGlyph(Cross(), 18);
    case bkHelp:
      return TwoCellGlyph(QuestionMark(), 18);
    case bkNo:
      return TwoCellGlyph(NoEntry(), 18);
    case bkClose:
      return TwoCellGlyph(DoorAndArrow(), 18);
    case bkRetry:
      return TwoCellGlyph(CircularArrow(), 18);
    case bkIgnore:
      return TwoCellGlyph(JumpArrow(), 18);
    case bkAll:
      return TwoCellGlyph(DoubleCheckMark(), 19);
  }
  return QImage();
}

}  // namespace

const TStockKind& StockKind(TBitBtnWithColorKind kind) { return kStockKinds[std::size_t(kind)]; }

const QImage& StockGlyph(TBitBtnWithColorKind kind) {
  static std::array<QImage, 11> glyphs;
  static std::array<bool, 11> drawn{};
  const auto slot = std::size_t(kind);
  if (!drawn[slot]) {
    glyphs[slot] = DrawStockGlyph(kind);
    drawn[slot] = true;
  }
  return glyphs[slot];
}

}  // namespace splitter
