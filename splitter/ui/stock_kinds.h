// The button's stock kinds: what applying one sets (Default, Cancel, the modal
// result, the caption) and its two-cell glyph, up and disabled. The glyphs are
// drawn in code on first use, one picture per kind shared by every button of
// that kind, in the sixteen-colour look of the button's era: a plain colour
// shape on an olive background, the background being the picture's
// transparent colour (its bottom-left pixel).
#pragma once

#include <QImage>

namespace splitter {

enum TBitBtnWithColorKind {
  bkCustom,
  bkOK,
  bkCancel,
  bkHelp,
  bkYes,
  bkNo,
  bkClose,
  bkAbort,
  bkRetry,
  bkIgnore,
  bkAll
};

using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;

struct TStockKind {
  bool Default;
  bool Cancel;
  TModalResult ModalResult;
  const char* Caption;  // "&" marks the mnemonic
};

// The row of a stock kind (not bkCustom, which changes nothing).
const TStockKind& StockKind(TBitBtnWithColorKind kind);

// The kind's shared glyph, 36 by 18 pixels (36 by 19 for bkAll); null for bkCustom.
const QImage& StockGlyph(TBitBtnWithColorKind kind);

}  // namespace splitter
