#include "splitter/ui/help_context.h"

#include <QVariant>
#include <QWidget>

namespace splitter {

namespace {

constexpr char kProperty[] = "HelpContext";

THelpViewer& Viewer() {
  static THelpViewer viewer;
  return viewer;
}

}  // namespace

void SetHelpContext(QWidget* control, THelpContext context) {
  control->setProperty(kProperty, context == 0 ? QVariant() : QVariant(context));
}

THelpContext HelpContext(const QWidget* control) { return control->property(kProperty).toInt(); }

THelpContext InheritedHelpContext(const QWidget* control) {
  for (const QWidget* w = control; w; w = w->parentWidget()) {
    if (const THelpContext context = HelpContext(w)) return context;
  }
  return 0;
}

void SetHelpViewer(THelpViewer viewer) { Viewer() = std::move(viewer); }

void ShowHelpContext(THelpContext context) {
  if (Viewer()) Viewer()(context);
}

}  // namespace splitter
