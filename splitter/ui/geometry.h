// Points, sizes and rectangles as the button's drawing code reasons about them:
// a rectangle's right and bottom edges are exclusive, as in the window system
// the button was designed for, so "shrink by 1" and widths read as written.
#pragma once

namespace splitter {

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  // Positive d shrinks, as InflateRect with -d would.
  TRect Shrunk(int d) const { return {Left + d, Top + d, Right - d, Bottom - d}; }
  TRect Moved(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

}  // namespace splitter
