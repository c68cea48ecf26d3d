// The host input devices: the key table, the key array as key events fill it, the focus
// gating of what the emulation reads, the joystick record through SDL's virtual joystick,
// and the mouse capture's refusal without a mouse.

#include "frontend/input/input_devices.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QWidget>
#include <set>

#include "support/qt_offscreen.h"

namespace varn {
namespace {

// Linux key codes (input-event-codes).
constexpr u32 kLinuxEsc = 1, kLinuxA = 30, kLinuxS = 31, kLinuxEnter = 28, kLinuxF12 = 88,
              kLinuxUp = 103, kLinuxKp8 = 72;
constexpr u32 kXOffset = 8;

TEST(KeyTable, LinuxCodesGiveTheStoredKeyCodes) {
    struct Case {
        u32 linux_code;
        u8 dik;
    };
    const Case cases[] = {
        {kLinuxEsc, 0x01}, {kLinuxA, 0x1E},   {kLinuxEnter, 0x1C},
        {kLinuxF12, 0x58}, {kLinuxKp8, 0x48}, {kLinuxUp, 0xC8},
        {105, 0xCB},       {106, 0xCD},       {108, 0xD0},
        {96, 0x9C},        {97, 0x9D},        {98, 0xB5},
        {100, 0xB8},       {102, 0xC7},       {111, 0xD3},
        {119, 0xC5},       {125, 0xDB},       {127, 0xDD},
        {86, 0x56},        {87, 0x57},        {0, 0},
        {84, 0},           {85, 0},           {101, 0},
        {255, 0},          {0x10000, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dik_from_linux_key(c.linux_code), c.dik) << "Linux key " << c.linux_code;
        EXPECT_EQ(dik_from_native_scan_code(c.linux_code + kXOffset), c.dik);
    }
    for (u32 native = 0; native < kXOffset; ++native)
        EXPECT_EQ(dik_from_native_scan_code(native), 0);
}

TEST(KeyTable, NoTwoKeysShareACodeAndTheDefaultMapsAreReachable) {
    std::set<u8> seen;
    for (u32 code = 0; code < 256; ++code) {
        const u8 dik = dik_from_linux_key(code);
        if (dik == 0) continue;
        EXPECT_TRUE(seen.insert(dik).second) << "code " << int(dik) << " twice, Linux " << code;
    }
    // Every key of the two built-in key maps comes from some key of a Linux keyboard.
    const u8 defaults[] = {0x48, 0x50, 0x4B, 0x4D, 0x1C, 0x1E, 0x1F, 0x20, 0x2C, 0x2D, 0x2E, 0x2F,
                           0x18, 0x34, 0x25, 0x27, 0x26, 0x14, 0x15, 0x16, 0x22, 0x23, 0x24, 0x30};
    for (u8 dik : defaults) EXPECT_TRUE(seen.count(dik)) << int(dik);
}

TEST(JoystickRecord, LayoutOfTheDeviceRecord) {
    EXPECT_EQ(joy::kRecordSize, 80u);
    EXPECT_EQ(joy::kButtons, kJoystickButtonOffset);
    JoystickRecord r = joystick_record_at_rest();
    for (u32 off : {joy::kX, joy::kY, joy::kZ, joy::kRx, joy::kRy, joy::kRz, joy::kSlider0,
                    joy::kSlider0 + 4})
        EXPECT_EQ(joystick_record_u32(r, off), 0x8000u) << off;
    for (u32 i = 0; i < 4; ++i)
        EXPECT_EQ(joystick_record_u32(r, joy::kPov0 + 4 * i), joy::kPovCentred);
    for (u32 i = 0; i < 32; ++i) EXPECT_EQ(r[joy::kButtons + i], 0);

    joystick_record_set_u32(r, joy::kX, 0x1234);
    joystick_record_set_u32(r, joy::kY, 0xFEDC);
    r[joy::kButtons + 3] = 0x80;
    EXPECT_EQ(r[0], 0x34);  // little-endian
    EXPECT_EQ(r[1], 0x12);
    const HostJoystick j = host_joystick_from_record(r);
    EXPECT_EQ(j.x, 0x1234u);
    EXPECT_EQ(j.y, 0xFEDCu);
    EXPECT_EQ(j.buttons[3], 0x80);
    // What the controller code reads by offset is what the record holds there.
    for (u32 off : {joy::kX, joy::kX + 1, joy::kY, joy::kY + 1, joy::kButtons + 3})
        EXPECT_EQ(j.record_byte(off), r[off]) << off;
}

class InputDevicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::qt_offscreen_app();
        input_devices_reset();
        window = std::make_unique<QWidget>();
        window->show();
    }
    void TearDown() override {
        input_devices_reset();
        window.reset();
    }

    void send_key(QEvent::Type type, u32 linux_code, bool repeat = false) {
        QKeyEvent event(type, Qt::Key_unknown, Qt::NoModifier, linux_code + kXOffset, 0, 0, {},
                        repeat);
        QCoreApplication::sendEvent(window.get(), &event);
    }
    HostInputState poll() {
        HostInputState state;
        state.keyboard.fill(0x55);  // what the last frame left
        input_devices_poll(state);
        return state;
    }

    std::unique_ptr<QWidget> window;
};

TEST_F(InputDevicesTest, KeyEventsFillTheArrayAndTheFocusGatesIt) {
    input_devices_init(window.get(), {});
    ASSERT_TRUE(input_keyboard_ok());
    input_focus_in();

    send_key(QEvent::KeyPress, kLinuxA);
    send_key(QEvent::ShortcutOverride, kLinuxF12);  // a key taken by a shortcut
    send_key(QEvent::KeyPress, kLinuxS, /*repeat=*/true);
    HostInputState s = poll();
    EXPECT_EQ(s.keyboard[0x1E], 0x80);
    EXPECT_EQ(s.keyboard[0x58], 0x80);
    EXPECT_EQ(s.keyboard[0x1F], 0);  // auto-repeat changes nothing
    EXPECT_EQ(s.keyboard[0x00], 0);

    send_key(QEvent::KeyRelease, kLinuxA);
    send_key(QEvent::KeyRelease, kLinuxS, /*repeat=*/true);
    s = poll();
    EXPECT_EQ(s.keyboard[0x1E], 0);
    EXPECT_EQ(s.keyboard[0x58], 0x80);

    // Without the focus the game sees no key; losing it forgets the keys held, whose
    // releases would go elsewhere.
    input_focus_out();
    s = poll();
    for (u8 b : s.keyboard) ASSERT_EQ(b, 0);
    send_key(QEvent::KeyPress, kLinuxA);  // pressed in another of the program's windows
    HostInputState dialog_view;
    ASSERT_TRUE(input_read_keyboard(dialog_view));
    EXPECT_EQ(dialog_view.keyboard[0x1E], 0x80);  // the dialogs read it anyway
    EXPECT_EQ(dialog_view.keyboard[0x58], 0);
    EXPECT_EQ(poll().keyboard[0x1E], 0);

    input_focus_in();
    s = poll();
    EXPECT_EQ(s.keyboard[0x1E], 0x80);
    EXPECT_EQ(s.keyboard[0x58], 0);

    // The application going to the background forgets the keys too.
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(qApp, &deactivate);
    EXPECT_EQ(poll().keyboard[0x1E], 0);
}

TEST_F(InputDevicesTest, NoKeyboardLeavesTheFrameAlone) {
    input_focus_in();
    input_set_key(0x1E, true);
    ASSERT_FALSE(input_keyboard_ok());
    EXPECT_EQ(poll().keyboard[0x1E], 0x55);
    HostInputState s;
    EXPECT_FALSE(input_read_keyboard(s));
}

TEST_F(InputDevicesTest, MouseCaptureWithoutAMouseDoesNothing) {
    input_devices_init(window.get(), {});
    input_set_mouse_ok(false);
    input_focus_in();
    input_mouse_acquire();
    EXPECT_FALSE(input_mouse_captured());
    HostInputState s;
    s.mouse.dx = 7;
    input_devices_poll(s);
    EXPECT_EQ(s.mouse.dx, 7);  // not read
    input_mouse_release();     // nothing to give back
    EXPECT_FALSE(input_mouse_captured());
}

// SDL's virtual joystick stands for the first joystick.
class VirtualJoystickTest : public InputDevicesTest {
  protected:
    void SetUp() override {
        InputDevicesTest::SetUp();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        device_index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 8, 1);
        ASSERT_EQ(device_index, 0) << "another joystick is attached: " << SDL_GetError();
        input_devices_init(window.get(), [this](std::string_view t) { messages.emplace_back(t); });
        control = SDL_JoystickOpen(device_index);
        ASSERT_NE(control, nullptr);
    }
    void TearDown() override {
        if (control) SDL_JoystickClose(control);
        InputDevicesTest::TearDown();
        SDL_JoystickDetachVirtual(device_index);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    int device_index      = -1;
    SDL_Joystick* control = nullptr;
    std::vector<std::string> messages;
};

TEST_F(VirtualJoystickTest, ButtonsAxesAndHatReachTheRecord) {
    ASSERT_TRUE(input_joystick_ok());
    EXPECT_TRUE(messages.empty());
    SDL_JoystickSetVirtualButton(control, 3, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(control, 7, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(control, 0, -32768);
    SDL_JoystickSetVirtualAxis(control, 1, 32767);
    SDL_JoystickSetVirtualHat(control, 0, SDL_HAT_LEFT);

    HostInputState s;
    JoystickRecord r{};
    ASSERT_TRUE(input_read_joystick(s, &r));
    EXPECT_EQ(joystick_record_u32(r, joy::kX), 0u);
    EXPECT_EQ(joystick_record_u32(r, joy::kY), 0xFFFFu);
    EXPECT_EQ(joystick_record_u32(r, joy::kZ), 0x8000u);  // an axis it does not have
    EXPECT_EQ(joystick_record_u32(r, joy::kPov0), 27000u);
    EXPECT_EQ(joystick_record_u32(r, joy::kPov0 + 4), joy::kPovCentred);
    for (u32 b = 0; b < 32; ++b) EXPECT_EQ(r[joy::kButtons + b], b == 3 || b == 7 ? 0x80 : 0) << b;
    EXPECT_EQ(s.joystick.buttons[3], 0x80);
    EXPECT_EQ(s.joystick.y, 0xFFFFu);

    // The frame reads it only with the focus; without, the last record stands.
    HostInputState frame;
    input_focus_in();
    input_devices_poll(frame);
    EXPECT_EQ(frame.joystick.buttons[7], 0x80);
    SDL_JoystickSetVirtualButton(control, 7, SDL_RELEASED);
    input_focus_out();
    input_devices_poll(frame);
    EXPECT_EQ(frame.joystick.buttons[7], 0x80);
    input_focus_in();
    input_devices_poll(frame);
    EXPECT_EQ(frame.joystick.buttons[7], 0);
}

}  // namespace
}  // namespace varn
