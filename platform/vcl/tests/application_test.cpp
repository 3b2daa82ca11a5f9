#include "platform/vcl/application.h"

#include <optional>
#include <stdexcept>
#include <string>

#include <QFontInfo>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/vcl/qt_dialogs.h"
#include "platform/vcl/tests/qt_environment.h"
#include "tests/support/scoped_variable.h"

namespace {

using testing_support::TScopedVariable;

// The windows' fonts come out in DejaVu Sans at the pixel sizes they ask for.
TEST(Application, VerdanaIsDrawnAsDejaVuSansAtItsPixelSize) {
  for (int pixels : {12, 13, 21}) {
    const QFontInfo info(win::VerdanaFont(pixels, pixels == 13));
    EXPECT_EQ(info.family().toStdString(), "DejaVu Sans") << pixels;
    EXPECT_EQ(info.pixelSize(), pixels);
    EXPECT_EQ(info.bold(), pixels == 13) << pixels;
  }
}

TEST(Application, WithoutADisplayQtRunsOffscreenUnlessAPlatformIsChosen) {
  struct Case {
    std::optional<std::string> platform, display, wayland;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, std::nullopt, "offscreen"},
      {std::nullopt, "", std::nullopt, "offscreen"},
      {std::nullopt, ":0", std::nullopt, std::nullopt},
      {std::nullopt, std::nullopt, "wayland-0", std::nullopt},
      {"xcb", std::nullopt, std::nullopt, "xcb"},
  };
  for (const Case& c : cases) {
    TScopedVariable platform("QT_QPA_PLATFORM", c.platform);
    TScopedVariable display("DISPLAY", c.display);
    TScopedVariable wayland("WAYLAND_DISPLAY", c.wayland);
    win::PrepareQtPlatform();
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    EXPECT_EQ(chosen == nullptr ? std::nullopt : std::optional<std::string>(chosen), c.expected)
        << c.display.value_or("(unset)");
  }
}

TEST(Application, InitializingInstallsTheBoxesTheEnvironmentAsksFor) {
  {
    TScopedVariable dialogs("ZERURUD_DIALOGS", "qt");
    win::InitializeApplication("Title A");
    EXPECT_NE(dynamic_cast<win::TQtDialogs*>(&win::Dialogs()), nullptr);
    EXPECT_EQ(win::ApplicationTitle(), "Title A");
  }
  TScopedVariable dialogs("ZERURUD_DIALOGS", "console");
  win::InitializeApplication(testing_support::kTestApplicationTitle);
  EXPECT_NE(dynamic_cast<win::TConsoleDialogs*>(&win::Dialogs()), nullptr);
  EXPECT_EQ(win::ApplicationTitle(), testing_support::kTestApplicationTitle);
}

TEST(Application, AnErrorRaisedByAHandlerEndsItInTheErrorBox) {
  win::TScriptedDialogs dialogs;
  win::TDialogs& before = win::Dialogs();
  win::SetDialogs(&dialogs);
  bool after = false;
  win::RunHandler([&] {
    throw win::EInOutError("The system cannot find the path specified", 3);
    after = true;
  });
  win::RunHandler([] { throw std::runtime_error("not ours"); });
  win::RunHandler([] {});
  win::SetDialogs(&before);

  EXPECT_FALSE(after);
  EXPECT_EQ(dialogs.Shown,
            (std::vector<std::string>{
                "Multiple Account Processing: Error: The system cannot find the path specified",
                "Multiple Account Processing: Error: not ours"}));
}

TEST(Application, BackgroundColourFillsTheWidget) {
  QWidget widget;
  win::SetBackgroundColor(widget, 0xE1E5EA);
  widget.resize(20, 10);
  const QImage image = widget.grab().toImage();
  EXPECT_EQ(image.pixelColor(10, 5), QColor(0xE1, 0xE5, 0xEA));
  EXPECT_TRUE(widget.autoFillBackground());
}

}  // namespace
