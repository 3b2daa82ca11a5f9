// buttonshots DIR: writes the file selection window's Print button as
// DAVURI draws it, up, pressed, focused and disabled, and an OK button with
// its two-cell glyph, one PNG each, plus a sheet of all of them and one of the
// ten stock kinds (up, then disabled), both at twice the size. Runs without a display (the
// offscreen platform unless one is named).
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include "platform/vcl/application.h"
#include "splitter/ui/button_with_color.h"

namespace {

constexpr splitter::TColor kFormColor = 13682879;  // RGB 191, 200, 208

splitter::TBitBtnWithColor* MakeButton(QWidget* form, const char* caption, int x) {
  auto* button = new splitter::TBitBtnWithColor(form);
  button->setGeometry(x, 8, 89, 25);
  button->SetColor(kFormColor);
  QFont font("Verdana");
  font.setPixelSize(13);
  font.setBold(true);
  button->setFont(font);
  button->setText(caption);
  return button;
}

// The ten stock kinds in two rows: up, and disabled below.
QImage StockKindSheet() {
  QWidget form;
  form.resize(10 * 97 + 8, 74);
  for (int kind = splitter::bkOK; kind <= splitter::bkAll; ++kind) {
    for (int row = 0; row < 2; ++row) {
      splitter::TBitBtnWithColor* button = MakeButton(&form, "", 8 + (kind - 1) * 97);
      button->move(button->x(), 8 + row * 33);
      button->SetKind(splitter::TBitBtnWithColorKind(kind));
      button->setEnabled(row == 0);
    }
  }
  return form.grab().toImage();
}

// Waits, without a timer of its own, until the window system has done what
// was asked (activation and focus arrive as events).
template <typename Done>
bool ProcessEventsUntil(Done done) {
  for (int round = 0; round < 1000 && !done(); ++round) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return done();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: buttonshots DIR\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  win::SubstituteDesignFonts();
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(dir.path())) {
    std::fprintf(stderr, "buttonshots: cannot create %s\n", argv[1]);
    return 1;
  }

  QWidget form;
  form.resize(420, 41);
  splitter::TBitBtnWithColor* btnPrint = MakeButton(&form, "Print", 8);
  splitter::TBitBtnWithColor* btnOK = MakeButton(&form, "", 108);
  btnOK->SetKind(splitter::bkOK);
  struct TShot {
    const char* name;
    QImage image;
  };
  std::vector<TShot> shots;
  const auto shoot = [&](const char* name, QWidget* w) {
    shots.push_back({name, w->grab().toImage()});
  };
  // Before the window shows, so that no button has the focus yet.
  shoot("button_up", btnPrint);
  btnPrint->setDown(true);
  shoot("button_pressed", btnPrint);
  btnPrint->setDown(false);
  btnPrint->setEnabled(false);
  shoot("button_disabled", btnPrint);
  btnPrint->setEnabled(true);
  shoot("button_glyph", btnOK);

  form.show();
  form.activateWindow();
  ProcessEventsUntil([&] { return form.isActiveWindow(); });
  btnPrint->setFocus();
  ProcessEventsUntil([&] { return btnPrint->Active(); });
  shoot("button_focused", btnPrint);

  int status = 0;
  QImage sheet(int(shots.size()) * 97 + 8, 41, QImage::Format_RGB32);
  sheet.fill(form.palette().color(QPalette::Window));
  {
    QPainter painter(&sheet);
    int x = 8;
    for (const TShot& shot : shots) {
      painter.drawImage(x, 8, shot.image);
      x += shot.image.width() + 8;
      const QString file = dir.filePath(QString::fromLatin1(shot.name) + ".png");
      if (!shot.image.save(file)) {
        std::fprintf(stderr, "buttonshots: cannot write %s\n", qPrintable(file));
        status = 1;
      }
    }
  }
  const auto saveDoubled = [&](const QImage& image, const char* name) {
    const QString file = dir.filePath(QString::fromLatin1(name));
    if (!image.scaled(image.size() * 2).save(file)) {
      std::fprintf(stderr, "buttonshots: cannot write %s\n", qPrintable(file));
      status = 1;
    }
  };
  saveDoubled(sheet, "button_states.png");
  saveDoubled(StockKindSheet(), "button_kinds.png");
  return status;
}
