// One QApplication for the whole test program, made before the first test,
// with the designed fonts mapped as the program maps them.
#include <memory>

#include <QApplication>
#include <gtest/gtest.h>

#include "platform/vcl/application.h"

namespace {

class TQtApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "splitter_ui_button_tests";
    static char* argv[] = {name, nullptr};
    FApplication = std::make_unique<QApplication>(argc, argv);
    win::SubstituteDesignFonts();
  }
  void TearDown() override { FApplication.reset(); }

 private:
  std::unique_ptr<QApplication> FApplication;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TQtApplication);

}  // namespace
