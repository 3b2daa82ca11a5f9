#include "splitter/ui/button_with_color.h"

#include <memory>
#include <optional>

#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "splitter/ui/glyph_cache.h"
#include "splitter/ui/help_context.h"

namespace splitter {
namespace {

constexpr TColor kFormColor = 13682879;  // the program's buttons
constexpr QRgb kFace = 0xFFBFC8D0;       // RGB 191, 200, 208
constexpr QRgb kDisabledText = 0xFF808080;

QRgb Role(QPalette::ColorRole role) {
  return QPalette().color(QPalette::Active, role).rgb() | 0xFF000000u;
}

struct TBox {
  int left = 1000, top = 1000, right = -1, bottom = -1;  // inclusive
  bool Empty() const { return right < 0; }
};

// Where anything but the face colour was drawn inside the face.
TBox Ink(const QImage& image, int inset) {
  TBox box;
  for (int y = inset; y < image.height() - inset; ++y) {
    for (int x = inset; x < image.width() - inset; ++x) {
      if ((image.pixel(x, y) | 0xFF000000u) == kFace) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

bool HasPixel(const QImage& image, QRgb colour) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) | 0xFF000000u) == (colour | 0xFF000000u)) return true;
    }
  }
  return false;
}

// A fresh form with the file selection window's Print button and a line edit.
class ButtonWithColorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FForm = std::make_unique<QWidget>();
    FForm->resize(240, 80);
    btnPrint = new TBitBtnWithColor(FForm.get());
    btnPrint->setGeometry(10, 10, 89, 25);
    btnPrint->SetColor(kFormColor);
    QFont font("Verdana");
    font.setPixelSize(13);
    font.setBold(true);
    btnPrint->setFont(font);
    btnPrint->setText("Print");
    btnExit = new TBitBtnWithColor(FForm.get());
    btnExit->setGeometry(110, 10, 89, 25);
    btnExit->setText("Exit");
    Edit = new QLineEdit(FForm.get());
    Edit->setGeometry(10, 45, 100, 25);
  }
  void TearDown() override {
    FForm.reset();
    EXPECT_EQ(TGlyphCache::Instance(), nullptr) << "the buttons' images outlived them";
  }

  void ShowActive() {
    FForm->show();
    FForm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FForm.get()));
  }

  QImage Grab(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  std::unique_ptr<QWidget> FForm;
  TBitBtnWithColor* btnPrint = nullptr;
  TBitBtnWithColor* btnExit = nullptr;
  QLineEdit* Edit = nullptr;
};

TEST_F(ButtonWithColorTest, UpShowsTheRaisedEdgeTheFaceAndTheCentredCaption) {
  const QImage up = Grab(btnPrint);
  ASSERT_EQ(up.size(), QSize(89, 25));
  // Outer ring light and dark shadow, inner ring highlight and shadow.
  EXPECT_EQ(up.pixel(0, 12), Role(QPalette::Midlight));
  EXPECT_EQ(up.pixel(44, 0), Role(QPalette::Midlight));
  EXPECT_EQ(up.pixel(1, 12), Role(QPalette::Light));
  EXPECT_EQ(up.pixel(44, 1), Role(QPalette::Light));
  EXPECT_EQ(up.pixel(88, 12), Role(QPalette::Shadow));
  EXPECT_EQ(up.pixel(44, 24), Role(QPalette::Shadow));
  EXPECT_EQ(up.pixel(87, 12), Role(QPalette::Dark));
  EXPECT_EQ(up.pixel(44, 23), Role(QPalette::Dark));
  EXPECT_EQ(up.pixel(2, 2), kFace);
  EXPECT_EQ(up.pixel(86, 22), kFace);
  // The centre column above and below the caption, and the middle row beside it
  // (the exact centre is the stem of the "i").
  EXPECT_EQ(up.pixel(44, 4), kFace);
  EXPECT_EQ(up.pixel(44, 20), kFace);
  EXPECT_EQ(up.pixel(12, 12), kFace);
  EXPECT_EQ(up.pixel(76, 12), kFace);

  const TBox caption = Ink(up, 2);
  ASSERT_FALSE(caption.Empty());
  EXPECT_NEAR(caption.left + caption.right, 88, 3) << caption.left << ".." << caption.right;
  EXPECT_NEAR(caption.top + caption.bottom, 24, 3) << caption.top << ".." << caption.bottom;
  EXPECT_GT(caption.right - caption.left, 25) << "a bold 13-pixel caption";
  EXPECT_TRUE(HasPixel(up, Role(QPalette::ButtonText)));
}

TEST_F(ButtonWithColorTest, TheDesignedVerdanaIsDrawnInDejaVuSans) {
  const QFontInfo info(btnPrint->font());
  EXPECT_EQ(info.family(), "DejaVu Sans");
  EXPECT_EQ(info.pixelSize(), 13);
  EXPECT_TRUE(info.bold());
}

TEST_F(ButtonWithColorTest, PressedShowsTheShadowOutlineAndMovesTheCaptionByOnePixel) {
  const TBox up = Ink(Grab(btnPrint), 2);
  btnPrint->setDown(true);
  const QImage pressed = Grab(btnPrint);
  for (const QPoint& p : {QPoint(0, 12), QPoint(88, 12), QPoint(44, 0), QPoint(44, 24)}) {
    EXPECT_EQ(pressed.pixel(p), Role(QPalette::Dark)) << p.x() << "," << p.y();
  }
  EXPECT_EQ(pressed.pixel(1, 12), kFace);
  EXPECT_EQ(pressed.pixel(87, 23), kFace);
  const TBox down = Ink(pressed, 2);
  EXPECT_EQ(down.left, up.left + 1);
  EXPECT_EQ(down.right, up.right + 1);
  EXPECT_EQ(down.top, up.top + 1);
  EXPECT_EQ(down.bottom, up.bottom + 1);
}

TEST_F(ButtonWithColorTest, DisabledDrawsTheCaptionInGreyOnTheRaisedFace) {
  btnPrint->setEnabled(false);
  const QImage disabled = Grab(btnPrint);
  EXPECT_EQ(disabled.pixel(1, 12), Role(QPalette::Light));
  EXPECT_EQ(disabled.pixel(44, 4), kFace);
  EXPECT_TRUE(HasPixel(disabled, kDisabledText));
  const TBox caption = Ink(disabled, 2);
  ASSERT_FALSE(caption.Empty());
  // One pass in grey, no embossing: nothing inside the face is darker or lighter
  // than the blend of grey and face.
  for (int y = caption.top; y <= caption.bottom; ++y) {
    for (int x = caption.left; x <= caption.right; ++x) {
      const QRgb p = disabled.pixel(x, y);
      EXPECT_TRUE(qRed(p) >= 128 && qRed(p) <= 191 && qBlue(p) >= 128 && qBlue(p) <= 208)
          << x << "," << y << " " << std::hex << p;
    }
  }
}

TEST_F(ButtonWithColorTest, TheActiveButtonHasTheFrameOutlineAndTheFocusRectangle) {
  ShowActive();
  btnPrint->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return btnPrint->Active(); }));
  const QImage focused = Grab(btnPrint);
  const QRgb frame = Role(QPalette::WindowText);
  for (const QPoint& p : {QPoint(0, 0), QPoint(88, 12), QPoint(44, 24)}) {
    EXPECT_EQ(focused.pixel(p), frame) << p.x() << "," << p.y();
  }
  EXPECT_EQ(focused.pixel(1, 12), Role(QPalette::Midlight)) << "the edge moves in by one";
  // Dotted, 4 pixels in: every other pixel inverted.
  const QRgb inverted = 0xFF000000u | (~kFace & 0xFFFFFF);
  EXPECT_EQ(focused.pixel(4, 4), inverted);
  EXPECT_EQ(focused.pixel(5, 4), kFace);
  EXPECT_EQ(focused.pixel(6, 4), inverted);
  EXPECT_EQ(focused.pixel(84, 20), inverted);
  EXPECT_EQ(focused.pixel(3, 3), kFace);
  EXPECT_EQ(focused.pixel(5, 5), kFace);
}

TEST_F(ButtonWithColorTest, TheDefaultButtonIsActiveWhileTheFocusIsOnAControlThatIsNoButton) {
  ShowActive();
  btnPrint->SetDefault(true);
  Edit->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Edit->hasFocus(); }));
  EXPECT_TRUE(btnPrint->Active());
  EXPECT_FALSE(btnExit->Active());
  btnExit->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return btnExit->Active(); }));
  EXPECT_FALSE(btnPrint->Active()) << "another push button took the focus";
  EXPECT_EQ(Grab(btnPrint).pixel(0, 0), Role(QPalette::Midlight));
}

TEST_F(ButtonWithColorTest, ADoubleClickGivesTwoClicks) {
  ShowActive();
  QSignalSpy clicks(btnPrint, &QAbstractButton::clicked);
  // Through the window, as the window system delivers it: press, release, and
  // a second press that arrives as a double click.
  QTest::mouseDClick(FForm->windowHandle(), Qt::LeftButton, {},
                     btnPrint->mapTo(FForm.get(), btnPrint->rect().center()));
  EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ButtonWithColorTest, GlyphAndPropertySettersKeepTheirRules) {
  struct TCase {
    int width, height, numGlyphs;
  };
  for (const TCase& c : {TCase{36, 18, 2}, TCase{90, 18, 1}, TCase{30, 18, 3}}) {
    TBitBtnWithColor button;
    button.SetNumGlyphs(3);
    QImage glyph(c.width, c.height, QImage::Format_RGB32);
    glyph.fill(Qt::white);
    button.SetGlyph(glyph);
    EXPECT_EQ(button.NumGlyphs(), c.numGlyphs) << c.width << " by " << c.height;
  }
  btnPrint->SetNumGlyphs(7);
  EXPECT_EQ(btnPrint->NumGlyphs(), 4);
  btnPrint->SetNumGlyphs(0);
  btnPrint->SetNumGlyphs(-2);
  EXPECT_EQ(btnPrint->NumGlyphs(), 4);
  btnPrint->SetMargin(-5);
  EXPECT_EQ(btnPrint->Margin(), -1);
  btnPrint->SetMargin(3);
  btnPrint->SetMargin(-1);
  EXPECT_EQ(btnPrint->Margin(), -1);
  EXPECT_EQ(btnPrint->Spacing(), 4);
  EXPECT_EQ(btnPrint->Layout(), blGlyphLeft);
  EXPECT_EQ(btnPrint->Style(), bsAutoDetect);
  EXPECT_EQ(btnExit->Color(), clBtnFace);
}

TEST_F(ButtonWithColorTest, StateImagesAreMadeOncePerStateAndRemadeInANewColour) {
  btnPrint->SetKind(bkOK);
  btnExit->SetKind(bkCancel);
  btnExit->SetColor(kFormColor);
  const long before = TButtonGlyph::StateImagesMade();
  for (int paint = 0; paint < 3; ++paint) {
    Grab(btnPrint);
    Grab(btnExit);
    btnPrint->setDown(true);
    Grab(btnPrint);  // two cells: the pressed state shows the up image
    btnPrint->setDown(false);
  }
  EXPECT_EQ(TButtonGlyph::StateImagesMade() - before, 2);
  ASSERT_NE(btnPrint->GlyphObject().List(), nullptr);
  EXPECT_EQ(btnPrint->GlyphObject().List(), btnExit->GlyphObject().List());
  EXPECT_EQ(TGlyphCache::Get().ListCount(), 1);

  constexpr TColor kNewColor = 0x00E0C0A0;
  const QImage old = Grab(btnPrint);
  EXPECT_FALSE(HasPixel(old, 0xFF808000)) << "the olive background is transparent";
  btnPrint->SetColor(kNewColor);
  EXPECT_EQ(btnPrint->GlyphObject().List(), nullptr) << "its images were dropped";
  EXPECT_EQ(btnExit->GlyphObject().List()->Count(), 1);
  const QImage repainted = Grab(btnPrint);
  EXPECT_EQ(TButtonGlyph::StateImagesMade() - before, 3);
  EXPECT_FALSE(HasPixel(repainted, kFace)) << "no trace of the old colour, glyph included";
  EXPECT_TRUE(HasPixel(repainted, 0xFFA0C0E0));
  EXPECT_EQ(btnPrint->Kind(), bkCustom);
}

TEST_F(ButtonWithColorTest, StockKindsSetTheirRow) {
  struct TCase {
    TBitBtnWithColorKind kind;
    bool isDefault, cancel;
    TModalResult modalResult;
  };
  const TCase cases[] = {
      {bkOK, true, false, mrOk},          {bkCancel, false, true, mrCancel},
      {bkHelp, false, false, mrNone},     {bkYes, true, false, mrYes},
      {bkNo, false, true, mrNo},          {bkClose, false, false, mrNone},
      {bkAbort, false, false, mrAbort},   {bkRetry, false, false, mrRetry},
      {bkIgnore, false, false, mrIgnore}, {bkAll, false, false, mrAll},
  };
  for (const TCase& c : cases) {
    TBitBtnWithColor button;
    button.SetKind(c.kind);
    EXPECT_EQ(button.Kind(), c.kind);
    EXPECT_EQ(button.Default(), c.isDefault) << c.kind;
    EXPECT_EQ(button.Cancel(), c.cancel) << c.kind;
    EXPECT_EQ(button.ModalResult(), c.modalResult) << c.kind;
    EXPECT_EQ(button.NumGlyphs(), 2) << c.kind;
    EXPECT_EQ(button.Glyph().size(), c.kind == bkAll ? QSize(36, 19) : QSize(36, 18)) << c.kind;
    EXPECT_FALSE(button.text().isEmpty()) << c.kind;
  }
  TBitBtnWithColor ok, yes, cancel, abort;
  ok.SetKind(bkOK);
  yes.SetKind(bkYes);
  cancel.SetKind(bkCancel);
  abort.SetKind(bkAbort);
  EXPECT_EQ(ok.Glyph(), yes.Glyph());
  EXPECT_EQ(cancel.Glyph(), abort.Glyph());
  EXPECT_NE(ok.Glyph(), cancel.Glyph());
  EXPECT_EQ(ok.text(), "OK");
  EXPECT_EQ(cancel.text(), "Cancel");
}

TEST_F(ButtonWithColorTest, AChangedStockKindReadsBackAsCustomForGood) {
  const std::pair<const char*, void (*)(TBitBtnWithColor&)> changes[] = {
      {"Default", [](TBitBtnWithColor& b) { b.SetDefault(false); }},
      {"Cancel", [](TBitBtnWithColor& b) { b.SetCancel(true); }},
      {"ModalResult", [](TBitBtnWithColor& b) { b.SetModalResult(mrAll); }},
      {"Glyph", [](TBitBtnWithColor& b) { b.SetGlyph(StockGlyph(bkHelp)); }},
      {"Color", [](TBitBtnWithColor& b) { b.SetColor(kFormColor); }},
  };
  for (const auto& [name, change] : changes) {
    TBitBtnWithColor button;
    button.SetKind(bkOK);
    change(button);
    EXPECT_EQ(button.Kind(), bkCustom) << name;
    button.SetDefault(true);
    button.SetCancel(false);
    button.SetModalResult(mrOk);
    EXPECT_EQ(button.Kind(), bkCustom) << name << ": the stock kind does not come back";
    button.SetKind(bkOK);
    EXPECT_EQ(button.Kind(), bkOK) << name << ": it can be applied again";
  }
  TBitBtnWithColor button;
  button.SetKind(bkYes);
  button.setText("Sure");
  EXPECT_EQ(button.Kind(), bkYes) << "a caption of one's own keeps the kind";
  button.SetKind(bkCustom);
  EXPECT_EQ(button.Kind(), bkCustom);
  EXPECT_TRUE(button.Default()) << "bkCustom changes nothing else";
  EXPECT_EQ(button.NumGlyphs(), 2);
}

TEST_F(ButtonWithColorTest, ClickActsByKind) {
  ShowActive();
  btnExit->SetKind(bkClose);
  QTest::mouseClick(btnExit, Qt::LeftButton);
  EXPECT_FALSE(FForm->isVisible()) << "Close closes the form";

  std::optional<THelpContext> shown;
  SetHelpViewer([&shown](THelpContext context) { shown = context; });
  TBitBtnWithColor help(FForm.get());
  help.SetKind(bkHelp);
  QTest::mouseClick(&help, Qt::LeftButton);
  EXPECT_FALSE(shown) << "no help context anywhere: a plain click";
  SetHelpContext(FForm.get(), 417);
  QTest::mouseClick(&help, Qt::LeftButton);
  EXPECT_EQ(shown, 417) << "the form's context, found from the button outward";
  SetHelpViewer(nullptr);
}

TEST_F(ButtonWithColorTest, ModalResultEndsADialogAndCancelAnswersEscape) {
  QDialog dialog;
  auto* yes = new TBitBtnWithColor(&dialog);
  auto* no = new TBitBtnWithColor(&dialog);
  yes->SetKind(bkYes);
  no->SetKind(bkNo);
  no->move(100, 0);
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QTest::mouseClick(yes, Qt::LeftButton);
  EXPECT_EQ(dialog.result(), mrYes);

  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QSignalSpy noClicks(no, &QAbstractButton::clicked);
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_EQ(noClicks.count(), 1);
  EXPECT_EQ(dialog.result(), mrNo);
}

}  // namespace
}  // namespace splitter
