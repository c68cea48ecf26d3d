// Mouse capture on a real X server (run under xvfb-run): the pointer is grabbed for the
// window and hidden, each movement comes back as relative motion and the pointer returns to
// the middle; the buttons reach the record; a focus loss ends the capture.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

#include "frontend/input/input_devices.h"

namespace varn {
namespace {

class MouseCaptureTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc          = 1;
        static char name[]       = "mouse_capture_test";
        static char* argv[]      = {name, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
    }
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X server";
        window.resize(320, 240);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        input_devices_init(&window, [this](std::string_view t) { messages.emplace_back(t); });
        input_focus_in();
    }
    void TearDown() override { input_devices_reset(); }

    // Movement gathered so far by the frame's poll, after the X server has delivered it.
    HostInputState poll_after_events() {
        QTest::qWait(100);
        HostInputState s;
        input_devices_poll(s);
        return s;
    }

    QWidget window;
    std::vector<std::string> messages;
};

TEST_F(MouseCaptureTest, MovementComesBackRelativeUntilReleased) {
    ASSERT_TRUE(input_mouse_ok());
    input_mouse_acquire();
    ASSERT_TRUE(input_mouse_captured()) << (messages.empty() ? "" : messages.front());
    const QPoint centre = window.mapToGlobal(window.rect().center());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
    poll_after_events();  // whatever the grab itself moved

    QCursor::setPos(centre + QPoint(12, -5));
    HostInputState s = poll_after_events();
    EXPECT_EQ(s.mouse.dx, 12);
    EXPECT_EQ(s.mouse.dy, -5);
    EXPECT_EQ(QCursor::pos(), centre);           // back in the middle for the next move
    EXPECT_EQ(poll_after_events().mouse.dx, 0);  // each movement counts once

    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, window.rect().center());
    EXPECT_EQ(poll_after_events().mouse.buttons[0], 0x80);
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, window.rect().center());
    EXPECT_EQ(poll_after_events().mouse.buttons[0], 0);

    // A focus loss frees the mouse; the capture key takes it again.
    input_focus_out();
    EXPECT_FALSE(input_mouse_captured());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    QCursor::setPos(centre + QPoint(30, 30));
    input_focus_in();
    EXPECT_EQ(poll_after_events().mouse.dx, 0);
    input_mouse_acquire();
    EXPECT_TRUE(input_mouse_captured());
    input_mouse_release();
    EXPECT_FALSE(input_mouse_captured());
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace varn
