#include "installer/shortcut_removal.h"

#include "installer/program_shortcut.h"
#include "platform/shell.h"

namespace installer {

void RemoveOldShortCuts() {
  struct TShortCut {
    const char* Name;
    int Folder;
  };
  static constexpr TShortCut kShortCuts[] = {
      {"ZUzirav", win::CSIDL_COMMON_STARTUP},
      {"Programs\\Ruvuduzer\\Revivu zov Eduzera", win::CSIDL_COMMON_STARTMENU},
      {"ZUzirav", win::CSIDL_STARTUP},
      {"Programs\\Ruvuduzer\\Revivu zov Eduzera", win::CSIDL_STARTMENU},
  };
  TProgramShortCut shortCuts;
  for (const TShortCut& shortCut : kShortCuts) {
    if (shortCuts.ShortCutExists(shortCut.Name, shortCut.Folder)) {
      shortCuts.DeleteShortCut(shortCut.Name, shortCut.Folder);
    }
  }
}

}  // namespace installer
