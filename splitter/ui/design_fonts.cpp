#include "splitter/ui/design_fonts.h"

#include <QFont>

namespace splitter {

void SubstituteDesignFonts() { QFont::insertSubstitution("Verdana", "DejaVu Sans"); }

}  // namespace splitter
