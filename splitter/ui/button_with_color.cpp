#include "splitter/ui/button_with_color.h"

#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QShortcut>

#include "splitter/ui/edge_painting.h"
#include "splitter/ui/help_context.h"

namespace splitter {

TBitBtnWithColor::TBitBtnWithColor(QWidget* parent) : QPushButton(parent) {
  // Qt's dialogs move the default to whichever button has the focus, which
  // would rewrite Default behind the program's back; here Default is what
  // the program set.
  setAutoDefault(false);
  connect(this, &QAbstractButton::clicked, this, &TBitBtnWithColor::Click);
  connect(qApp, &QApplication::focusChanged, this, &TBitBtnWithColor::FocusChanged);
}

TBitBtnWithColor::~TBitBtnWithColor() = default;

void TBitBtnWithColor::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  const QImage picture = FGlyph.Glyph();
  FGlyph.SetGlyph(picture);
  FModifiedGlyph = true;
  update();
}

void TBitBtnWithColor::SetGlyph(const QImage& glyph) {
  const QImage picture = glyph.isNull() ? QImage() : glyph.convertToFormat(QImage::Format_RGB32);
  if (picture == FGlyph.Glyph()) return;
  FGlyph.SetGlyph(picture);
  FModifiedGlyph = true;
  update();
}

TBitBtnWithColorKind TBitBtnWithColor::Kind() {
  if (FKind != bkCustom) {
    const TStockKind& stock = StockKind(FKind);
    if (Default() != stock.Default || FCancel != stock.Cancel ||
        FModalResult != stock.ModalResult || FModifiedGlyph) {
      FKind = bkCustom;
    }
  }
  return FKind;
}

void TBitBtnWithColor::SetKind(TBitBtnWithColorKind kind) {
  // Compared with the kind as it reads back: a stock kind whose settings were
  // changed can be applied again to restore them.
  if (kind == Kind()) return;
  if (kind != bkCustom) {
    const TStockKind& stock = StockKind(kind);
    SetDefault(stock.Default);
    SetCancel(stock.Cancel);
    setText(QString::fromLatin1(stock.Caption));
    FModalResult = stock.ModalResult;
    FGlyph.SetGlyph(StockGlyph(kind));
    FGlyph.SetNumGlyphs(2);
    FModifiedGlyph = false;
  }
  FKind = kind;
  update();
}

void TBitBtnWithColor::SetLayout(TButtonLayout layout) {
  if (layout == FLayout) return;
  FLayout = layout;
  update();
}

void TBitBtnWithColor::SetMargin(int margin) {
  if (margin == FMargin || margin < -1) return;
  FMargin = margin;
  update();
}

void TBitBtnWithColor::SetNumGlyphs(int count) {
  if (count > 4) count = 4;
  // The strip has 1 to 4 cells; 0 and below (no such strip) are ignored.
  if (count <= 0 || count == FGlyph.NumGlyphs()) return;
  FGlyph.SetNumGlyphs(count);
  update();
}

void TBitBtnWithColor::SetSpacing(int spacing) {
  if (spacing == FSpacing) return;
  FSpacing = spacing;
  update();
}

void TBitBtnWithColor::SetStyle(TButtonStyle style) {
  if (style == FStyle) return;
  FStyle = style;
  update();
}

void TBitBtnWithColor::SetCancel(bool value) {
  if (value == FCancel) return;
  FCancel = value;
  if (!FEscape) {
    FEscape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    FEscape->setContext(Qt::WindowShortcut);
    connect(FEscape, &QShortcut::activated, this, [this] {
      if (isEnabled() && isVisible()) click();
    });
  }
  FEscape->setEnabled(FCancel);
}

void TBitBtnWithColor::Click() {
  QWidget* form = window();
  switch (FKind) {
    case bkClose:
      if (form != this) {
        form->close();
        return;
      }
      break;
    case bkHelp:
      if (const THelpContext context = InheritedHelpContext(this)) {
        ShowHelpContext(context);
        return;
      }
      break;
    default:
      break;
  }
  if (auto* dialog = qobject_cast<QDialog*>(form); dialog && FModalResult != mrNone) {
    dialog->done(FModalResult);
  }
}

void TBitBtnWithColor::FocusChanged(QWidget*, QWidget* now) {
  // Only moves inside this button's window count, as in a form; a focus that
  // leaves the application keeps the look the button had.
  if (!now || now->window() != window()) return;
  const bool active = now == this || (!qobject_cast<QPushButton*>(now) && isDefault());
  if (active == FActive) return;
  FActive = active;
  repaint();
}

void TBitBtnWithColor::showEvent(QShowEvent* event) {
  QPushButton::showEvent(event);
  // The first state is made as the window appears, so the first paint only draws.
  FGlyph.StateImage(isEnabled() ? bsUp : bsDisabled, ColorToRGB(FColor, palette()), palette());
}

void TBitBtnWithColor::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& pal = palette();
  const QRgb face = ColorToRGB(FColor, pal);
  const bool down = isDown();
  const bool focusMark = hasFocus();
  const TButtonState state = !isEnabled() ? bsDisabled : down ? bsDown : bsUp;
  const TRect client{0, 0, width(), height()};

  TRect r = client;
  if (FActive || focusMark) {
    FrameRect(painter, r, ColorToRGB(clWindowFrame, pal));
    r = r.Shrunk(1);
  }
  if (down) {
    FrameRect(painter, r, ColorToRGB(clBtnShadow, pal));
    FillRect(painter, r.Shrunk(1), face);
  } else {
    DrawRaisedEdge(painter, r, pal);
    r = r.Shrunk(2);
    FillRect(painter, r, face);
  }
  r = r.Shrunk(1);
  // The active button lays its content out over its frame and edge (the client
  // less one pixel): that is how the buttons were designed to look.
  if (FActive) r = client.Shrunk(1);
  painter.setFont(font());
  if (down) r = r.Moved(1, 1);
  FGlyph.Draw(painter, r, text(), FLayout, FMargin, FSpacing, state, face,
              ColorToRGB(clBtnText, pal), pal);
  if (FActive) DrawFocusRect(painter, client.Shrunk(4));
}

}  // namespace splitter
