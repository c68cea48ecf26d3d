// The controller devices' read protocols, seen from the 68000's side of the port registers
// or, where the port's direction bits would hide device bits, from the device slot.

#include <vector>

#include "input_fixture.h"

namespace varn {
namespace {

using test::keys;
namespace key1 = test::key1;

class PortTest : public test::InputTest {};

struct PadCase {
    const char* name;
    HostInputState input;
    u8 th_high;
    u8 th_low;
};

TEST_F(PortTest, ThreeButtonPadReadsBothHalves) {
    const PadCase cases[] = {
        {"nothing pressed", keys({}), 0x7F, 0x33},
        {"up", keys({key1::kUp}), 0x7E, 0x32},
        {"B and C", keys({key1::kB, key1::kC}), 0x4F, 0x33},
        {"Start and A", keys({key1::kStart, key1::kA}), 0x7F, 0x03},
        {"down, left, right", keys({key1::kDown, key1::kLeft, key1::kRight}), 0x71, 0x31},
        {"six-button keys are not there", keys({key1::kX, key1::kY, key1::kZ, key1::kMode}), 0x7F,
         0x33},
    };
    set_control(0, 0x40);
    for (const PadCase& c : cases) {
        frame(c.input);
        // Three TH cycles: a three-button pad never leaves its two bytes.
        for (int cycle = 0; cycle < 3; ++cycle) {
            write_data(0, 0x40);
            EXPECT_EQ(read_data(0), c.th_high) << c.name << ", cycle " << cycle;
            write_data(0, 0x00);
            EXPECT_EQ(read_data(0), c.th_low) << c.name << ", cycle " << cycle;
        }
    }
}

TEST_F(PortTest, PowerOnReadsReleasedUntilTheFirstUpdate) {
    set_control(0, 0x40);
    write_data(0, 0x40);
    EXPECT_EQ(read_data(0), 0xFF);
    write_data(0, 0x00);
    EXPECT_EQ(read_data(0), 0xBF);  // bit 6 is the latch's
    frame();
    EXPECT_EQ(read_data(0), 0x33);
}

TEST_F(PortTest, SixButtonPadCycleAndTimeOut) {
    plug(kPortPad6, kPortPad3);
    set_control(0, 0x40);
    frame(keys({key1::kUp, key1::kX, key1::kMode}));

    struct Step {
        u8 th;
        u8 expect;
    };
    // From power-on (phase 1): TH high, low, high, low, high reaches the extra buttons.
    const Step steps[] = {
        {1, 0x7E},  // phase 2: C B R L D U (up held)
        {0, 0x32},  // phase 3: Start A 0 0 D U
        {1, 0x7E},  // phase 4
        {0, 0x30},  // phase 5: the six-button signature, direction bits all 0
        {1, 0x73},  // phase 6: C B then Mode X Y Z (Mode and X held)
        {0, 0x3F},  // phase 7: Start A, then 1111
        {1, 0x7E},  // phase 8
        {1, 0x7E},  // TH unchanged: the phase stays
        {0, 0x32},  // phase 9
        {1, 0x7E},  // phase 0
        {0, 0x32},  // phase 1
    };
    for (const Step& s : steps) {
        write_data(0, s.th ? 0x40 : 0x00);
        EXPECT_EQ(read_data(0), s.expect) << "after phase " << controller_ports[0].pad_phase;
    }

    // Left alone for 0xD0 slices, the pad falls back to the start of its sequence with TH
    // kept: walk up to phase 4 and wait.
    write_data(0, 0x40);
    write_data(0, 0x00);
    write_data(0, 0x40);
    ASSERT_EQ(controller_ports[0].pad_phase, 4u);
    for (int i = 0; i < 0xCF; ++i) lightgun_tick(0, 2);
    EXPECT_EQ(controller_ports[0].pad_phase, 4u);
    lightgun_tick(0, 2);
    EXPECT_EQ(controller_ports[0].pad_phase, 0u);
    write_data(0, 0x00);
    write_data(0, 0x40);
    write_data(0, 0x00);
    EXPECT_EQ(read_data(0), 0x32) << "phase 3 again, not the signature";
}

TEST_F(PortTest, MouseHandshakeAndBytes) {
    plug(kPortMouse, kPortPad3);
    cfg_set(cfg_input_device[0], kSourceMouse);
    HostInputState in;
    in.mouse.dx         = 300;   // 0x12C: the low byte only, no overflow bit
    in.mouse.dy         = -5;    // host y grows downwards: 5 up
    in.mouse.buttons[0] = 0x80;  // left button = C
    frame(in);

    struct Step {
        u8 th, tr;
        u8 expect;
    };
    const Step steps[] = {
        {1, 1, 0x10},  // state 0: idle
        {0, 1, 0x1B},  // 2: id
        {0, 0, 0x0F},  // 3
        {0, 1, 0x1F},  // 4
        {0, 0, 0x00},  // 5: Y sign, X sign; overflow bits 0
        {0, 1, 0x11},  // 6: Start A B C
        {0, 0, 0x02},  // 7: X high nibble
        {0, 1, 0x1C},  // 8: X low nibble
        {0, 0, 0x00},  // 9: Y high nibble
        {0, 1, 0x05},  // 10: Y low nibble
        {0, 1, 0x15},  // read again: busy bit 4 now set
        {0, 0, 0x1B},  // 2: the handshake can run again
        {1, 0, 0x00},  // 1: TH high with TR low
        {1, 1, 0x10},  // 0
    };
    u32 i = 0;
    for (const Step& s : steps) {
        controller_port_write(0, static_cast<u8>(0x1F | s.th << 6 | s.tr << 5));
        const u8 state = static_cast<u8>(controller_ports[0].mouse_state);
        EXPECT_EQ(controller_port_read(0), s.expect & 0xFF) << "step " << i << " state " << +state;
        ++i;
    }
    EXPECT_EQ(controller_ports[0].mouse_seq[1], 0x00);

    // Through the registers with TH and TR as outputs: bits 5-6 come from the latch.
    set_control(0, 0x60);
    write_data(0, 0x60);
    EXPECT_EQ(read_data(0), 0x70);

    in.mouse.dx = -3;  // 0xFD with the X sign
    in.mouse.dy = 0;
    frame(in);
    EXPECT_EQ(controller_ports[0].mouse_seq[5], 0x01);
    EXPECT_EQ(controller_ports[0].mouse_seq[7], 0x0F);
    EXPECT_EQ(controller_ports[0].mouse_seq[8], 0x1D);
}

TEST_F(PortTest, MultitapNibbles) {
    plug(kPortMultitap, kPortPad3, {kSubPad3, kSubPad6, kSubMouse, kSubPad3});
    // 1B plays on slot 2A's keys, 1C is the host mouse, 1D has no source.
    for (u32 b = 0; b < kKeyMapBytes; ++b) key_map_set_byte(1, b, key_map_byte(4, b));
    cfg_set(cfg_input_device[2], kSourceMouse);
    cfg_set(cfg_input_device[3], kSourceNone);
    HostInputState in   = keys({key1::kUp, key1::kStart, test::key2::kC, test::key2::kX});
    in.mouse.dx         = -3;
    in.mouse.buttons[3] = 0x80;  // Start
    frame(in);

    const std::vector<u8> expect = {
        0x13, 0x1F, 0x00, 0x10, 0x00, 0x11, 0x02, 0x10,  // header: sub-port types, B and D + 0x10
        0x0E, 0x17,                                      // 1A: up; Start
        0x0F, 0x1D, 0x0B,                                // 1B: -; C; X
        0x11, 0x08, 0x1F, 0x0D, 0x10, 0x00,              // 1C: X sign; Start; X 0xFD; Y 0
        0x1F, 0x0F,                                      // 1D: nothing pressed
    };
    // TH high restarts; with TH low each TR edge steps one byte. A write that keeps TR stays.
    controller_port_write(0, 0x7F);
    EXPECT_EQ(controller_port_read(0), expect[0]);
    u8 tr = 1;
    for (u32 i = 1; i < expect.size(); ++i, tr ^= 1) {
        controller_port_write(0, static_cast<u8>(0x1F | tr << 5));
        EXPECT_EQ(controller_port_read(0), expect[i]) << "byte " << i;
        controller_port_write(0, static_cast<u8>(0x1F | tr << 5));
        EXPECT_EQ(controller_port_read(0), expect[i]) << "byte " << i << ", TR kept";
    }
    for (u32 i = static_cast<u32>(expect.size()); i <= 32; ++i, tr ^= 1)
        controller_port_write(0, static_cast<u8>(0x1F | tr << 5));
    EXPECT_EQ(controller_ports[0].multitap_state, 0u) << "state 31 steps round to 0";
    controller_port_write(0, 0x3F);
    controller_port_write(0, 0x7F);
    EXPECT_EQ(controller_ports[0].multitap_state, 0u);
}

TEST_F(PortTest, GunTriggerCSequenceCursorAndLatch) {
    plug(kPortGunC, kPortPad3);
    cfg_set(cfg_input_device[0], kSourceMouse);
    HostInputState in;
    in.mouse.dx         = 100;
    in.mouse.dy         = 50;
    in.mouse.buttons[0] = 0x80;  // C: the trigger
    frame(in);
    EXPECT_EQ(overlay_text.x, 100u);
    EXPECT_EQ(overlay_text.y, 50u);
    EXPECT_EQ(overlay_text.text[0], 0x7F);
    EXPECT_EQ(lightgun_latch.armed, 1u);
    EXPECT_EQ(lightgun_latch.target_x, 100u);
    EXPECT_EQ(lightgun_latch.target_y, 50u);

    // Held: fires once per press.
    lightgun_latch.armed = 0;
    in.mouse.dx = in.mouse.dy = 0;
    frame(in);
    EXPECT_EQ(lightgun_latch.armed, 0u);
    in.mouse.buttons[0] = 0;
    frame(in);
    in.mouse.buttons[0] = 0x80;
    frame(in);
    EXPECT_EQ(lightgun_latch.armed, 1u);

    // State walk by TH TR TL: 100 -> 2, 101 -> 3, 110 -> 4, 111 -> 5, 000 -> 1.
    const struct {
        u8 lines;
        u8 expect;
    } steps[] = {{4, 0x3E}, {5, 0x30}, {6, 0x3F}, {7, 0x30}, {0, 0x33}, {6, 0x30}};
    for (const auto& s : steps) {
        controller_port_write(0, static_cast<u8>(0x0F | s.lines << 4));
        EXPECT_EQ(controller_port_read(0), s.expect) << "lines " << +s.lines;
    }
}

TEST_F(PortTest, GunTriggerBArmsEveryFrameAndWalksItsStates) {
    plug(kPortPad3, kPortGunB);
    cfg_set(cfg_input_device[4], kSourceMouse);
    HostInputState in;
    in.mouse.buttons[1] = 0x80;  // right button = B
    for (int i = 0; i < 2; ++i) {
        lightgun_latch.armed = 0;
        frame(in);
        EXPECT_EQ(lightgun_latch.armed, 1u) << "frame " << i;
    }
    // From state 0: 101 -> 2, 011 -> 3, 001 -> 4 (the buttons), 011 -> 5, 000 -> 0.
    const struct {
        u8 lines;
        u32 state;
    } steps[] = {{5, 2}, {3, 3}, {1, 4}, {3, 5}, {0, 0}, {4, 0}, {0, 1}, {5, 2}};
    for (const auto& s : steps) {
        controller_port_write(1, static_cast<u8>(0x0F | s.lines << 4));
        EXPECT_EQ(controller_ports[1].gun_b_state, s.state) << "lines " << +s.lines;
    }
    controller_ports[1].gun_b_state = 4;
    EXPECT_EQ(controller_port_read(1), 0x02) << "B";
}

TEST_F(PortTest, GunCursorStaysOnTheScreen) {
    plug(kPortGunB, kPortPad3);
    cfg_set(cfg_input_device[0], kSourceMouse);
    const struct {
        s32 dx, dy;
        u32 x, y;
    } moves[] = {
        {10000, 10000, 315, 216},  // right and bottom edges
        {0, -10000, 315, 0},       // above the top: bit 15 set, back to 0
        {-20000, 0, 0, 0},         // left of 0
        {0x7FFFFFFF, 0, 315, 0},   // saturated to 0x7FFF: capped
        {0x7FFFFFFF, 0, 0, 0},     // 315 + 0x7FFF has bit 15 set: back to 0
        {7, 3, 7, 3},
    };
    for (const auto& m : moves) {
        HostInputState in;
        in.mouse.dx = m.dx;
        in.mouse.dy = m.dy;
        frame(in);
        EXPECT_EQ(controller_ports[0].gun_x, m.x) << m.dx << "," << m.dy;
        EXPECT_EQ(controller_ports[0].gun_y, m.y) << m.dx << "," << m.dy;
    }
}

TEST_F(PortTest, UnknownDeviceTypeFloatsHigh) {
    plug(9, kPortPad3);
    frame(keys({key1::kStart}));
    controller_port_write(0, 0x00);
    EXPECT_EQ(controller_port_read(0), 0x7F);
}

}  // namespace
}  // namespace varn
