// The QApplication of a widget test program, created once before the first
// test (GoogleTest's main runs the tests; Qt needs its application first) on
// the platform that QT_QPA_PLATFORM names (offscreen under CTest), with the
// application set up as a window program sets it up.
#pragma once

namespace testing_support {

// The title the test application runs under.
inline constexpr const char* kTestApplicationTitle = "Multiple Account Processing";

}  // namespace testing_support

#include <functional>

#include <QTest>

class QWidget;

// QTRY_VERIFY for GoogleTest (QtTest's own macros report to QtTest, not
// here): handles events until `condition` holds, failing after 5 seconds.
#define EXPECT_EVENTUALLY(condition) \
  EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); })) << #condition

namespace testing_support {

// Runs `act` on the next modal window once it is shown (a message box, a
// dialog's Execute), from the event loop that the modal window runs. Call it
// before the call that shows the window.
void WhenModalShown(std::function<void(QWidget& modal)> act);

}  // namespace testing_support
