#include "splitter/ui/edge_painting.h"

#include <QPainter>

#include "splitter/ui/colors.h"

namespace splitter {

namespace {

void Bevel(QPainter& painter, const TRect& r, QRgb topLeft, QRgb bottomRight) {
  FillRect(painter, {r.Left, r.Top, r.Right - 1, r.Top + 1}, topLeft);
  FillRect(painter, {r.Left, r.Top, r.Left + 1, r.Bottom - 1}, topLeft);
  FillRect(painter, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, bottomRight);
  FillRect(painter, {r.Right - 1, r.Top, r.Right, r.Bottom}, bottomRight);
}

}  // namespace

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

void FillRect(QPainter& painter, const TRect& r, QRgb colour) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  painter.fillRect(ToQRect(r), QColor::fromRgb(colour));
}

void FrameRect(QPainter& painter, const TRect& r, QRgb colour) {
  FillRect(painter, {r.Left, r.Top, r.Right, r.Top + 1}, colour);
  FillRect(painter, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, colour);
  FillRect(painter, {r.Left, r.Top, r.Left + 1, r.Bottom}, colour);
  FillRect(painter, {r.Right - 1, r.Top, r.Right, r.Bottom}, colour);
}

void DrawRaisedEdge(QPainter& painter, const TRect& r, const QPalette& palette) {
  Bevel(painter, r, ColorToRGB(cl3DLight, palette), ColorToRGB(cl3DDkShadow, palette));
  Bevel(painter, r.Shrunk(1), ColorToRGB(clBtnHighlight, palette),
        ColorToRGB(clBtnShadow, palette));
}

void DrawFocusRect(QPainter& painter, const TRect& r) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  const QColor invert(Qt::white);
  const auto dot = [&](int x, int y) {
    if ((x + y) % 2 == 0) painter.fillRect(x, y, 1, 1, invert);
  };
  for (int x = r.Left; x < r.Right; ++x) {
    dot(x, r.Top);
    if (r.Bottom - 1 > r.Top) dot(x, r.Bottom - 1);
  }
  for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
    dot(r.Left, y);
    if (r.Right - 1 > r.Left) dot(r.Right - 1, y);
  }
  painter.restore();
}

}  // namespace splitter
