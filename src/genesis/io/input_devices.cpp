#include "genesis/io/input_devices.h"

#include <algorithm>

#include "base/config.h"
#include "genesis/io/controller_ports.h"
#include "genesis/io/demo_stream.h"
#include "genesis/io/key_map.h"
#include "genesis/io/lightgun.h"
#include "genesis/vdp/render_output.h"

namespace varn {

GunScreen gun_screen{};

namespace {

constexpr s32 kKeyStep = 8;  // movement a held direction key or joystick push gives

u32 down(u8 state_byte) { return (state_byte >> 7) & 1; }

s16 saturate16(s64 v) { return static_cast<s16>(std::clamp<s64>(v, -0x8000, 0x7FFF)); }

void source_keyboard(u32 slot, const HostInputState& host, ButtonBlock& b) {
    const KeyMap& map = cfg_key_maps[slot];
    for (u32 i = 0; i < kPadButtons; ++i)
        b.pressed[i] =
            static_cast<u8>(down(host.keyboard[map.keys[i].load(std::memory_order_relaxed)]));
    s32 v = 0, h = 0;
    if (b.pressed[kBtnUp]) v += kKeyStep;
    if (b.pressed[kBtnDown]) v -= kKeyStep;
    if (b.pressed[kBtnRight]) h += kKeyStep;
    if (b.pressed[kBtnLeft]) h -= kKeyStep;
    b.move_v = static_cast<s16>(v);
    b.move_h = static_cast<s16>(h);
}

void source_joystick(u32 slot, const HostInputState& host, ButtonBlock& b) {
    const KeyMap& map       = cfg_key_maps[slot];
    const HostJoystick& joy = host.joystick;
    const u32 y             = joy.y & 0xFFFF;
    const u32 x             = joy.x & 0xFFFF;
    const u32 centre_v      = map.axis_centre[0].load(std::memory_order_relaxed);
    const u32 centre_h      = map.axis_centre[1].load(std::memory_order_relaxed);
    if (y < centre_v) {
        b.pressed[kBtnUp] = 1;
        b.move_v          = kKeyStep;
    } else if (y > centre_v) {
        b.pressed[kBtnDown] = 1;
        b.move_v            = -kKeyStep;
    }
    if (x < centre_h) {
        b.pressed[kBtnLeft] = 1;
        b.move_h            = -kKeyStep;
    } else if (x > centre_h) {
        b.pressed[kBtnRight] = 1;
        b.move_h             = kKeyStep;
    }
    for (u32 i = 0; i < kKeyMapJoyButtons; ++i)
        b.pressed[kBtnStart + i] = static_cast<u8>(
            down(joy.record_byte(map.joy_buttons[i].load(std::memory_order_relaxed))));
}

void source_mouse(const HostInputState& host, ButtonBlock& b) {
    // Settings allow 1-8; anything larger only saturates sooner.
    const s64 mult       = std::min<u32>(cfg(cfg_mouse_sensitivity_multiplier), 0x10000);
    b.move_h             = saturate16(s64{host.mouse.dx} * mult);
    b.move_v             = saturate16(-s64{host.mouse.dy} * mult);
    b.pressed[kBtnLeft]  = b.move_h < 0;
    b.pressed[kBtnRight] = b.move_h > 0;
    b.pressed[kBtnUp]    = b.move_v > 0;
    b.pressed[kBtnDown]  = b.move_v < 0;
    b.pressed[kBtnC]     = static_cast<u8>(down(host.mouse.buttons[0]));
    b.pressed[kBtnB]     = static_cast<u8>(down(host.mouse.buttons[1]));
    b.pressed[kBtnA]     = static_cast<u8>(down(host.mouse.buttons[2]));
    b.pressed[kBtnStart] = static_cast<u8>(down(host.mouse.buttons[3]));
}

// Active-low bit: 1 while the button is up.
u32 up(const ButtonBlock& b, PadButton k) { return b.pressed[k] ? 0 : 1; }
u32 on(const ButtonBlock& b, PadButton k) { return b.pressed[k] ? 1 : 0; }

u32 sacb(const ButtonBlock& b) {  // Start, A, B, C as a mouse or gun reports them
    return on(b, kBtnStart) << 3 | on(b, kBtnA) << 2 | on(b, kBtnB) << 1 | on(b, kBtnC);
}
u32 mxyz(const ButtonBlock& b) {
    return on(b, kBtnMode) << 3 | on(b, kBtnX) << 2 | on(b, kBtnY) << 1 | on(b, kBtnZ);
}

u32 sign_bits(const ButtonBlock& b) {
    return ((static_cast<u16>(b.move_v) >> 15) & 1) << 1 | ((static_cast<u16>(b.move_h) >> 15) & 1);
}
u32 low8(s16 v) { return static_cast<u16>(v) & 0xFF; }

// Gun cursor: follows the movement, stopping at the screen's edges.
u32 gun_axis(u32 pos, s32 delta, u32 limit) {
    u32 v = (pos + static_cast<u32>(delta)) & 0xFFFF;
    if (v & 0x8000) v = 0;
    return std::min(v, limit);
}

void run_gun(u32 port, u32 type, const ButtonBlock& b) {
    ControllerPort& p = controller_ports[port];
    const u32 max_x   = gun_screen.width > 5 ? gun_screen.width - 5 : 0;
    const u32 max_y   = gun_screen.height > 8 ? gun_screen.height - 8 : 0;
    p.gun_x           = gun_axis(p.gun_x, b.move_h, max_x);
    p.gun_y           = gun_axis(p.gun_y, -s32{b.move_v}, max_y);

    overlay_text.x       = p.gun_x;
    overlay_text.y       = p.gun_y;
    overlay_text.text[0] = 0x7F;  // the cursor glyph
    overlay_text.text[1] = 0;

    if (type == kPortGunB) {
        p.gun_b_seq.fill(0);
        p.gun_b_seq[4] = static_cast<u8>(sacb(b));
        if (b.pressed[kBtnB]) lightgun_arm(p.gun_x, p.gun_y);  // every frame while held
        return;
    }
    p.gun_c_seq = {0x30,
                   0x33,
                   static_cast<u8>(0x30 | (~sacb(b) & 0xF)),
                   0x30,
                   static_cast<u8>(0x30 | (~mxyz(b) & 0xF)),
                   0x30};
    if (!b.pressed[kBtnC]) {
        p.gun_c_held = 0;
    } else if (!p.gun_c_held) {  // once per press
        p.gun_c_held = 1;
        lightgun_arm(p.gun_x, p.gun_y);
    }
}

void record_pad(u32 player, bool six_button, const ButtonBlock& b) {
    if (six_button) {
        demo_record_pad6(player, pad_payload(b));
    } else {
        demo_record_pad3(player, pad_payload(b) & 0xFF);
    }
}

}  // namespace

void input_source_read(u32 slot, const HostInputState& host, ButtonBlock& block) {
    if (slot >= kPlayerSlots) return;
    switch (cfg(cfg_input_device[slot])) {
        case kSourceKeyboard:
            source_keyboard(slot, host, block);
            break;
        case kSourceJoystick:
            source_joystick(slot, host, block);
            break;
        case kSourceMouse:
            source_mouse(host, block);
            break;
        default:
            break;  // none
    }
}

void build_pad_sequence(u32 port, const ButtonBlock& b) {
    const u8 h =
        static_cast<u8>(0x40 | up(b, kBtnC) << 5 | up(b, kBtnB) << 4 | up(b, kBtnRight) << 3 |
                        up(b, kBtnLeft) << 2 | up(b, kBtnDown) << 1 | up(b, kBtnUp));
    const u8 l = static_cast<u8>(up(b, kBtnStart) << 5 | up(b, kBtnA) << 4 | up(b, kBtnDown) << 1 |
                                 up(b, kBtnUp));
    const u8 extra = static_cast<u8>(up(b, kBtnMode) << 3 | up(b, kBtnX) << 2 | up(b, kBtnY) << 1 |
                                     up(b, kBtnZ));
    auto& s        = controller_ports[port].pad_seq;
    // Steps 0-4 are the plain pad; with TH low a third time the six-button pad reads 0 on
    // the direction bits (its signature), then its extra buttons with TH high, then all
    // four direction bits set before the sequence repeats.
    s[0] = h;
    s[1] = l;
    s[2] = h;
    s[3] = l;
    s[4] = h;
    s[5] = l & 0x30;
    s[6] = static_cast<u8>((h & 0x70) | extra);
    s[7] = static_cast<u8>((l & 0x30) | 0x0F);
    s[8] = h;
    s[9] = l;
}

void build_mouse_sequence(u32 port, const ButtonBlock& b) {
    const u32 x = low8(b.move_h);
    const u32 y = low8(b.move_v);
    // Handshake nibbles, then signs (the overflow bits 2-3 stay 0), buttons and the two
    // movement bytes, high nibble first.
    controller_ports[port].mouse_seq = {0x10,
                                        0x00,
                                        0x1B,
                                        0x0F,
                                        0x1F,
                                        static_cast<u8>(sign_bits(b)),
                                        static_cast<u8>(0x10 | sacb(b)),
                                        static_cast<u8>(x >> 4),
                                        static_cast<u8>(0x10 | (x & 0xF)),
                                        static_cast<u8>(y >> 4),
                                        static_cast<u8>(y & 0xF)};
}

void build_multitap_sequence(u32 port, const std::array<ButtonBlock, 4>& blocks) {
    auto& s = controller_ports[port].multitap_seq;
    s.fill(0);
    s[0] = 0x13;
    s[1] = 0x1F;
    s[2] = 0x00;
    s[3] = 0x10;
    for (u32 k = 0; k < kSubPortsPerTap; ++k)
        s[4 + k] = static_cast<u8>((sub_port_type(port, k) & 0xF) + ((k & 1) ? 0x10 : 0));

    u32 index   = 8;
    auto append = [&](u32 nibble) {
        if (index < s.size()) s[index] = static_cast<u8>((nibble & 0xF) | (index & 1) << 4);
        ++index;
    };
    for (u32 k = 0; k < kSubPortsPerTap; ++k) {
        const ButtonBlock& b = blocks[k];
        switch (sub_port_type(port, k)) {
            case kSubPad3:
            case kSubPad6:
                append(~(on(b, kBtnRight) << 3 | on(b, kBtnLeft) << 2 | on(b, kBtnDown) << 1 |
                         on(b, kBtnUp)));
                append(~(on(b, kBtnStart) << 3 | on(b, kBtnA) << 2 | on(b, kBtnC) << 1 |
                         on(b, kBtnB)));
                if (sub_port_type(port, k) == kSubPad6) append(~mxyz(b));
                break;
            case kSubMouse:
                append(sign_bits(b));
                append(sacb(b));
                append(low8(b.move_h) >> 4);
                append(low8(b.move_h));
                append(low8(b.move_v) >> 4);
                append(low8(b.move_v));
                break;
            default:
                break;  // nothing answers
        }
    }
}

u32 pad_payload(const ButtonBlock& b) {
    return on(b, kBtnUp) | on(b, kBtnDown) << 1 | on(b, kBtnLeft) << 2 | on(b, kBtnRight) << 3 |
           on(b, kBtnC) << 4 | on(b, kBtnB) << 5 | on(b, kBtnA) << 6 | on(b, kBtnStart) << 7 |
           on(b, kBtnZ) << 8 | on(b, kBtnY) << 9 | on(b, kBtnX) << 10 | on(b, kBtnMode) << 11;
}

u32 mouse_payload(const ButtonBlock& b) {
    return (sign_bits(b) | sacb(b) << 4) | low8(b.move_h) << 8 | low8(b.move_v) << 16;
}

ButtonBlock block_from_pad_payload(u32 payload) {
    static constexpr PadButton kOrder[12] = {kBtnUp, kBtnDown, kBtnLeft, kBtnRight,
                                             kBtnC,  kBtnB,    kBtnA,    kBtnStart,
                                             kBtnZ,  kBtnY,    kBtnX,    kBtnMode};
    ButtonBlock b;
    for (u32 i = 0; i < 12; ++i) b.pressed[kOrder[i]] = static_cast<u8>((payload >> i) & 1);
    return b;
}

ButtonBlock block_from_mouse_payload(u32 payload) {
    ButtonBlock b;
    const u32 flags      = payload & 0xFF;
    const u32 x          = (payload >> 8) & 0xFF;
    const u32 y          = (payload >> 16) & 0xFF;
    b.move_h             = static_cast<s16>((flags & 1) ? (0xFF00 | x) : x);
    b.move_v             = static_cast<s16>((flags & 2) ? (0xFF00 | y) : y);
    b.pressed[kBtnC]     = (flags >> 4) & 1;
    b.pressed[kBtnB]     = (flags >> 5) & 1;
    b.pressed[kBtnA]     = (flags >> 6) & 1;
    b.pressed[kBtnStart] = (flags >> 7) & 1;
    return b;
}

void input_device_run(u32 port, u32 player, ButtonBlock& block, const HostInputState& host) {
    port &= 1;
    switch (const u32 type = port_type(port)) {
        case kPortPad3:
        case kPortPad6:
            build_pad_sequence(port, block);
            record_pad(player, type == kPortPad6, block);
            break;
        case kPortMouse:
            build_mouse_sequence(port, block);
            demo_record_mouse(player, mouse_payload(block));
            break;
        case kPortGunB:
        case kPortGunC:
            run_gun(port, type, block);
            break;
        case kPortMultitap: {
            std::array<ButtonBlock, kSubPortsPerTap> blocks{};
            blocks[0] = block;
            for (u32 k = 1; k < kSubPortsPerTap; ++k)
                input_source_read(port * kSubPortsPerTap + k, host, blocks[k]);
            build_multitap_sequence(port, blocks);
            for (u32 k = 0; k < kSubPortsPerTap; ++k) {
                const u32 sub = sub_port_type(port, k);
                if (sub == kSubMouse) {
                    demo_record_mouse(player + k, mouse_payload(blocks[k]));
                } else if (sub == kSubPad3 || sub == kSubPad6) {
                    record_pad(player + k, sub == kSubPad6, blocks[k]);
                }
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace varn
