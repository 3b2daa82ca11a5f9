#include "splitter/ui/design_fonts.h"

#include <QFont>

namespace ui {

void SubstituteDesignFonts() { QFont::insertSubstitution("Verdana", "DejaVu Sans"); }

}  // namespace ui
