// Input sources, key maps, the fast-forward key and the key-definition helpers.

#include "input_fixture.h"

namespace varn {
namespace {

using test::keys;
namespace key1 = test::key1;

class SourceTest : public test::InputTest {
  protected:
    static ButtonBlock read(u32 slot, const HostInputState& in) {
        ButtonBlock b;
        input_source_read(slot, in, b);
        return b;
    }
};

TEST_F(SourceTest, KeyboardButtonsAndMovement) {
    const struct {
        const char* name;
        HostInputState in;
        PadButton button;  // expected pressed (kPadButtons: none)
        s16 v, h;
    } cases[] = {
        {"nothing", keys({}), kPadButtons, 0, 0},
        {"up", keys({key1::kUp}), kBtnUp, 8, 0},
        {"down", keys({key1::kDown}), kBtnDown, -8, 0},
        {"right", keys({key1::kRight}), kBtnRight, 0, 8},
        {"left", keys({key1::kLeft}), kBtnLeft, 0, -8},
        {"mode", keys({key1::kMode}), kBtnMode, 0, 0},
        {"bit 7 only counts",
         [] {
             HostInputState s;
             s.keyboard[key1::kA] = 0x7F;
             return s;
         }(),
         kPadButtons, 0, 0},
    };
    for (const auto& c : cases) {
        const ButtonBlock b = read(0, c.in);
        for (u32 i = 0; i < kPadButtons; ++i)
            EXPECT_EQ(b.pressed[i], i == c.button) << c.name << " " << i;
        EXPECT_EQ(b.move_v, c.v) << c.name;
        EXPECT_EQ(b.move_h, c.h) << c.name;
    }
    const ButtonBlock both = read(0, keys({key1::kUp, key1::kDown}));
    EXPECT_EQ(both.move_v, 0);
    EXPECT_TRUE(both.pressed[kBtnUp] && both.pressed[kBtnDown]);
}

TEST_F(SourceTest, JoystickAxesAgainstTheCentreAndButtonsByRecordOffset) {
    cfg_set(cfg_input_device[0], kSourceJoystick);
    HostInputState in;
    in.joystick.y          = 0x17000;  // low word 0x7000: above the centre on screen
    in.joystick.x          = 0x9080;
    in.joystick.buttons[1] = 0x80;  // offset 0x31: Start
    in.joystick.buttons[7] = 0x80;  // offset 0x37: Mode
    ButtonBlock b          = read(0, in);
    EXPECT_TRUE(b.pressed[kBtnUp]);
    EXPECT_FALSE(b.pressed[kBtnDown]);
    EXPECT_TRUE(b.pressed[kBtnRight]);
    EXPECT_EQ(b.move_v, 8);
    EXPECT_EQ(b.move_h, 8);
    EXPECT_TRUE(b.pressed[kBtnStart]);
    EXPECT_TRUE(b.pressed[kBtnMode]);
    EXPECT_FALSE(b.pressed[kBtnA]);

    in.joystick.y = 0x8000;
    in.joystick.x = 0x8000;
    b             = read(0, in);
    EXPECT_EQ(b.move_v, 0);
    EXPECT_EQ(b.move_h, 0);
    EXPECT_FALSE(b.pressed[kBtnUp] || b.pressed[kBtnDown] || b.pressed[kBtnLeft] ||
                 b.pressed[kBtnRight]);

    // A button offset is a byte of the device's record: inside it reads that byte (here
    // the x axis' low byte), outside it reads as not pressed.
    in.joystick.x = 0x8080;
    in.joystick.buttons.fill(0x80);
    key_map_set_byte(0, 20, 0x00);  // Start: x axis, low byte 0x80
    key_map_set_byte(0, 21, 0x10);  // A: an axis not carried
    key_map_set_byte(0, 22, 0x50);  // B: one past the buttons
    key_map_set_byte(0, 23, 0xFF);  // C
    b = read(0, in);
    EXPECT_TRUE(b.pressed[kBtnStart]);
    EXPECT_FALSE(b.pressed[kBtnA]);
    EXPECT_FALSE(b.pressed[kBtnB]);
    EXPECT_FALSE(b.pressed[kBtnC]);
    EXPECT_TRUE(b.pressed[kBtnX]);
}

TEST_F(SourceTest, HostMouseScalesAndSaturates) {
    cfg_set(cfg_input_device[0], kSourceMouse);
    cfg_set(cfg_mouse_sensitivity_multiplier, 3);
    HostInputState in;
    in.mouse.dx      = 20000;  // 60000: saturates
    in.mouse.dy      = 20000;  // moved down: -60000
    in.mouse.buttons = {0x80, 0, 0x80, 0x80};
    ButtonBlock b    = read(0, in);
    EXPECT_EQ(b.move_h, 0x7FFF);
    EXPECT_EQ(b.move_v, -0x8000);
    EXPECT_TRUE(b.pressed[kBtnRight] && b.pressed[kBtnDown]);
    EXPECT_FALSE(b.pressed[kBtnLeft] || b.pressed[kBtnUp]);
    EXPECT_TRUE(b.pressed[kBtnC] && b.pressed[kBtnA] && b.pressed[kBtnStart]);
    EXPECT_FALSE(b.pressed[kBtnB]);

    in.mouse.dx = -2;
    in.mouse.dy = std::numeric_limits<s32>::min();
    b           = read(0, in);
    EXPECT_EQ(b.move_h, -6);
    EXPECT_EQ(b.move_v, 0x7FFF);
    EXPECT_TRUE(b.pressed[kBtnLeft] && b.pressed[kBtnUp]);
}

TEST_F(SourceTest, NoSourceAndUnknownSourcesGiveNothing) {
    for (u32 source : {kSourceNone, 7u}) {
        cfg_set(cfg_input_device[0], source);
        const ButtonBlock b = read(0, keys({key1::kUp, key1::kStart}));
        for (u8 p : b.pressed) EXPECT_EQ(p, 0) << source;
        EXPECT_EQ(b.move_v, 0);
    }
}

TEST_F(SourceTest, KeyMapRecordLayoutAndDefaults) {
    const u8 slot1a[kKeyMapBytes] = {0x48, 0x50, 0x4B, 0x4D, 0x1C, 0x1E, 0x1F, 0x20, 0x2C, 0x2D,
                                     0x2E, 0x2F, 0x00, 0x80, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00,
                                     0x31, 0x30, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37};
    const u8 keys2a[12] = {0x18, 0x34, 0x25, 0x27, 0x26, 0x14, 0x15, 0x16, 0x22, 0x23, 0x24, 0x30};
    for (u32 i = 0; i < kKeyMapBytes; ++i) {
        EXPECT_EQ(key_map_byte(0, i), slot1a[i]) << i;
        EXPECT_EQ(key_map_byte(4, i), i < 12 ? keys2a[i] : slot1a[i]) << i;
        EXPECT_EQ(key_map_byte(1, i), i >= 12 && i < 20 ? slot1a[i] : 0) << i;
    }
    key_map_set_byte(0, 12, 0x10);
    key_map_set_byte(0, 19, 0x01);
    EXPECT_EQ(cfg_key_maps[0].axis_centre[0].load(), 0x8010u);
    EXPECT_EQ(cfg_key_maps[0].axis_centre[1].load(), 0x01008000u);
    key_map_set_byte(8, 0, 0x11);   // no such slot
    key_map_set_byte(0, 28, 0x11);  // no such byte
    EXPECT_EQ(key_map_byte(8, 0), 0);
    EXPECT_EQ(key_map_byte(0, 28), 0);
}

u32 fast_forward_ons  = 0;
u32 fast_forward_offs = 0;

TEST_F(SourceTest, F12EdgesDriveFastForwardOnce) {
    fast_forward_ons = fast_forward_offs = 0;
    input_runtime_slots.fast_forward_on  = [] { ++fast_forward_ons; };
    input_runtime_slots.fast_forward_off = [] { ++fast_forward_offs; };
    const HostInputState f12             = keys({kKeyFastForward});
    frame(f12);
    frame(f12);
    EXPECT_EQ(fast_forward_ons, 1u);
    EXPECT_EQ(fast_forward_offs, 0u);
    frame();
    frame();
    EXPECT_EQ(fast_forward_offs, 1u);
    EXPECT_EQ(host.input_polls(), 4u);
}

TEST_F(SourceTest, MouseMovementDoesNotOutliveItsPoll) {
    // A host that reads nothing leaves the state as it was, except the movement.
    NullHost silent;
    plug(kPortMouse, kPortPad3);
    cfg_set(cfg_input_device[0], kSourceMouse);
    input_host_state.mouse.dx = 40;
    input_frame_update(silent);
    EXPECT_EQ(controller_ports[0].mouse_seq[8], 0x10) << "no movement";
}

TEST_F(SourceTest, KeyDefinitionHelpers) {
    HostInputState s;
    EXPECT_EQ(input_first_key_down(s), -1);
    EXPECT_EQ(input_first_button_down(s), -1);
    s.keyboard[0x30]       = 0x80;
    s.keyboard[0x10]       = 0x80;
    s.joystick.buttons[31] = 0x80;
    s.joystick.buttons[4]  = 0x80;
    EXPECT_EQ(input_first_key_down(s), 0x10);
    EXPECT_EQ(input_first_button_down(s), 0x34);

    JoystickRange r;
    s.joystick.x = 100;
    s.joystick.y = 0x9000;
    input_read_joystick_axes(s, r);
    s.joystick.x = 0xFF00;
    s.joystick.y = 0x10;
    input_read_joystick_axes(s, r);
    EXPECT_EQ(r.min_x, 100u);
    EXPECT_EQ(r.max_x, 0xFF00u);
    EXPECT_EQ(r.min_y, 0x10u);
    EXPECT_EQ(r.max_y, 0x9000u);
}

TEST_F(SourceTest, PortTypesFollowTheConfigurationExceptDuringPlayback) {
    plug(kPortMouse, kPortGunC);
    EXPECT_EQ(port_type(0), kPortMouse);
    EXPECT_EQ(port_type(1), kPortGunC);
    demo_mode = 1;
    cfg_set(cfg_port_device[0], kPortPad6);
    input_apply_config();
    EXPECT_EQ(port_type(0), kPortMouse);
    demo_mode = 0;
    input_apply_config();
    EXPECT_EQ(port_type(0), kPortPad6);
}

}  // namespace
}  // namespace varn
