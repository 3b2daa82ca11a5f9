// TBitBtnWithColor (unit ButtonWithColor): a push button that paints itself
// with a face colour of its own, optionally with a glyph beside the caption,
// and with the stock kinds OK, Cancel, Help, Yes, No, Close, Abort, Retry,
// Ignore and All.
//
// Everything but the painting stays with the push button underneath: caption
// (with "&" mnemonics), font, focus, keyboard, Default and the click signal.
// The class library's Cancel and ModalResult, which Qt's button lacks, are
// added here: a Cancel button is clicked by Escape in its window, and a click
// of a button with a modal result inside a dialog ends the dialog with it.
#pragma once

#include <QPushButton>

#include "splitter/ui/button_glyph.h"
#include "splitter/ui/button_layout.h"
#include "splitter/ui/colors.h"
#include "splitter/ui/stock_kinds.h"

class QShortcut;

namespace splitter {

// Stored only: the painting does not depend on it.
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };

class TBitBtnWithColor : public QPushButton {
  Q_OBJECT

 public:
  explicit TBitBtnWithColor(QWidget* parent = nullptr);
  ~TBitBtnWithColor() override;

  // Each setter does nothing when the value is unchanged, and repaints otherwise.
  TColor Color() const { return FColor; }
  // Rebuilds the glyph's state images in the new colour; a stock kind then
  // reads back as bkCustom.
  void SetColor(TColor color);
  const QImage& Glyph() const { return FGlyph.Glyph(); }
  // Takes the picture's transparent colour and, for a strip of 1 to 4 square
  // cells, its cell count.
  void SetGlyph(const QImage& glyph);
  // Applying a stock kind sets Default, Cancel, the caption, ModalResult, the
  // kind's glyph and NumGlyphs 2. A stock kind reads back as bkCustom, from
  // then on, once any of those differs from the kind or Glyph or Color was set.
  TBitBtnWithColorKind Kind();
  void SetKind(TBitBtnWithColorKind kind);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout layout);
  // -1 computes the margin; values below -1 are ignored.
  int Margin() const { return FMargin; }
  void SetMargin(int margin);
  int NumGlyphs() const { return FGlyph.NumGlyphs(); }
  // Values above 4 become 4; 0 and below are ignored.
  void SetNumGlyphs(int count);
  // -1 computes the spacing.
  int Spacing() const { return FSpacing; }
  void SetSpacing(int spacing);
  TButtonStyle Style() const { return FStyle; }
  void SetStyle(TButtonStyle style);

  bool Default() const { return isDefault(); }
  void SetDefault(bool value) { setDefault(value); }
  bool Cancel() const { return FCancel; }
  void SetCancel(bool value);
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }

  // The button draws itself as the active one: it has the focus, or it is the
  // default button and the focus is on a control that is not a push button.
  bool Active() const { return FActive; }

  // The glyph's state images, for tests of their sharing.
  const TButtonGlyph& GlyphObject() const { return FGlyph; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Click();
  void FocusChanged(QWidget* old, QWidget* now);

  TColor FColor = clBtnFace;
  TButtonGlyph FGlyph;
  TButtonStyle FStyle = bsAutoDetect;
  TBitBtnWithColorKind FKind = bkCustom;
  TButtonLayout FLayout = blGlyphLeft;
  int FSpacing = 4;
  int FMargin = -1;
  bool FActive = false;
  bool FModifiedGlyph = false;
  bool FCancel = false;
  TModalResult FModalResult = mrNone;
  QShortcut* FEscape = nullptr;
};

}  // namespace splitter
