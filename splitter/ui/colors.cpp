#include "splitter/ui/colors.h"

namespace splitter {

namespace {

// Qt's roles as the window system's own themes fill them: Light is the 3-D
// highlight, Midlight the 3-D light, Dark the button shadow, Shadow the dark
// shadow. The window frame is drawn in the window's text colour, which keeps
// it visible on light and dark themes alike.
bool SystemRole(int number, QPalette::ColorRole& role) {
  switch (number) {
    case COLOR_WINDOWFRAME:
      role = QPalette::WindowText;
      return true;
    case COLOR_BTNFACE:
      role = QPalette::Button;
      return true;
    case COLOR_BTNSHADOW:
      role = QPalette::Dark;
      return true;
    case COLOR_BTNTEXT:
      role = QPalette::ButtonText;
      return true;
    case COLOR_BTNHIGHLIGHT:
      role = QPalette::Light;
      return true;
    case COLOR_3DDKSHADOW:
      role = QPalette::Shadow;
      return true;
    case COLOR_3DLIGHT:
      role = QPalette::Midlight;
      return true;
    default:
      return false;
  }
}

}  // namespace

QRgb ColorToRGB(TColor color, const QPalette& palette) {
  if ((color & kSystemColorFlag) == kSystemColorFlag) {
    QPalette::ColorRole role;
    if (!SystemRole(int(color & 0xFF), role)) return qRgb(0, 0, 0);
    return palette.color(QPalette::Active, role).rgb() | 0xFF000000u;
  }
  return qRgb(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
}

TColor RGBToColor(QRgb rgb) { return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

}  // namespace splitter
