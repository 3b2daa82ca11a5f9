// The window system's frame drawing on a QPainter, pixel for pixel: outlines,
// the raised 3-D edge of a push button and the dotted focus rectangle.
// Rectangles have exclusive right and bottom edges.
#pragma once

#include <QPalette>
#include <QRgb>

#include "splitter/ui/geometry.h"

class QPainter;

namespace splitter {

QRect ToQRect(const TRect& r);

void FillRect(QPainter& painter, const TRect& r, QRgb colour);

// A 1-pixel outline just inside r.
void FrameRect(QPainter& painter, const TRect& r, QRgb colour);

// The raised edge, 2 pixels wide just inside r: outer ring 3-D light on the
// top and left, dark shadow on the bottom and right; inner ring highlight and
// shadow. The bottom and right lines run the full length, so they own the
// top-right and bottom-left corners.
void DrawRaisedEdge(QPainter& painter, const TRect& r, const QPalette& palette);

// Inverts every other pixel of the 1-pixel outline of r (those whose x + y is
// even), so drawing it twice leaves the picture as it was.
void DrawFocusRect(QPainter& painter, const TRect& r);

}  // namespace splitter
