// The windows ask for the fonts they were designed with. Verdana is not on
// these machines; DejaVu Sans is close to it in width and look, so the family
// is mapped to it and captions keep their designed sizes in pixels.
#pragma once

namespace splitter {

// Maps the designed families to the installed ones; call once after the
// QApplication exists and before the first window is made.
void SubstituteDesignFonts();

}  // namespace splitter
