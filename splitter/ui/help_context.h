// Help contexts of controls and the application's way of showing a topic,
// as a help button uses them: the button looks up the first control from
// itself outward that has a context and asks the application to show it.
#pragma once

#include <functional>

class QWidget;

namespace splitter {

using THelpContext = int;

// 0 removes the control's context.
void SetHelpContext(QWidget* control, THelpContext context);
THelpContext HelpContext(const QWidget* control);

// The context of control or of its nearest parent that has one; 0 when none.
THelpContext InheritedHelpContext(const QWidget* control);

// The application's help viewer; without one, asking for help does nothing.
using THelpViewer = std::function<void(THelpContext)>;
void SetHelpViewer(THelpViewer viewer);
void ShowHelpContext(THelpContext context);

}  // namespace splitter
