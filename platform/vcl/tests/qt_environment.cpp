#include "platform/vcl/tests/qt_environment.h"

#include <memory>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/vcl/application.h"

namespace testing_support {

namespace {

class TQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    win::PrepareQtPlatform();
    FApplication = std::make_unique<QApplication>(FArgc, FArgv);
    win::InitializeApplication(kTestApplicationTitle);
  }
  void TearDown() override { FApplication.reset(); }

 private:
  int FArgc = 1;
  char FName[16] = "win_vcl_tests";
  char* FArgv[2] = {FName, nullptr};
  std::unique_ptr<QApplication> FApplication;
};

const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

}  // namespace

void WhenModalShown(std::function<void(QWidget& modal)> act) {
  auto* poll = new QTimer(qApp);
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(*modal);
  });
  poll->start();
}

}  // namespace testing_support
