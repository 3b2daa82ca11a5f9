// Colour values of the class library: 0x00BBGGRR for an RGB colour, or
// 0xFF0000nn for system colour number nn. System colours are resolved at the
// moment of drawing from the widget's Qt palette (its active group: a system
// colour is one per system, not one per widget state), so a theme change shows
// at the next paint.
#pragma once

#include <cstdint>

#include <QPalette>
#include <QRgb>

namespace splitter {

using TColor = std::uint32_t;

// System colour numbers the button draws with.
inline constexpr int COLOR_WINDOWFRAME = 6;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;

inline constexpr TColor kSystemColorFlag = 0xFF000000;
inline constexpr TColor clWindowFrame = kSystemColorFlag | COLOR_WINDOWFRAME;
inline constexpr TColor clBtnFace = kSystemColorFlag | COLOR_BTNFACE;
inline constexpr TColor clBtnShadow = kSystemColorFlag | COLOR_BTNSHADOW;
inline constexpr TColor clBtnText = kSystemColorFlag | COLOR_BTNTEXT;
inline constexpr TColor clBtnHighlight = kSystemColorFlag | COLOR_BTNHIGHLIGHT;
inline constexpr TColor cl3DDkShadow = kSystemColorFlag | COLOR_3DDKSHADOW;
inline constexpr TColor cl3DLight = kSystemColorFlag | COLOR_3DLIGHT;

constexpr TColor RGB(int r, int g, int b) {
  return TColor(r & 0xFF) | TColor(g & 0xFF) << 8 | TColor(b & 0xFF) << 16;
}

// The colour as opaque Qt RGB. A system colour comes from the palette; a
// system colour number the palette has no role for is black, as the window
// system answers for an unknown number.
QRgb ColorToRGB(TColor color, const QPalette& palette);

// The opaque Qt RGB as an RGB colour value (alpha dropped).
TColor RGBToColor(QRgb rgb);

}  // namespace splitter
