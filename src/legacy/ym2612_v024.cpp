// The earlier machine's YM2612 registers and timers.

#include "legacy/ym2612_v024.h"

namespace varn {

Ym2612V024 ym2612_v024{};

namespace {

constexpr u32 kAllOnes = 0xFFFFFFFF;

void load_timer(Ym2612TimerV024& t, s32 period) {
    t.counter = -period;
    t.reload  = -period;
    t.step    = 1;
    t.flag    = 0;
}

// The timers' control register (0x27 of part I).
void timer_control(u8 v) {
    Ym2612V024& y     = ym2612_v024;
    y.special_mode[0] = static_cast<u8>(v & 0x40);
    if (v & 0x20) y.timer_b.flag = 0;
    if (v & 0x10) y.timer_a.flag = 0;
    y.timer_b.enable = (v & 0x08) != 0 ? kAllOnes : 0;
    y.timer_a.enable = (v & 0x04) != 0 ? kAllOnes : 0;
    if (v & 0x02) load_timer(y.timer_b, static_cast<s32>((7373 * (256 - y.timer_b_value)) >> 8));
    if (v & 0x01) load_timer(y.timer_a, static_cast<s32>((461 * (1024 - y.timer_a_value)) >> 8));
}

// Key on/off: channel code in bits 0-2 (3 and 7 name no channel), operators S1, S2, S3, S4
// in bits 4-7.
void key_on(u8 v) {
    const u32 code = v & 7;
    if ((code & 3) == 3) return;
    const u32 ch = (code & 3) + (code >= 4 ? 3 : 0);
    // Register slots in operator order S1, S3, S2, S4; their key bits 4, 6, 5, 7.
    static constexpr u8 kKeyBit[4] = {0x10, 0x40, 0x20, 0x80};
    for (u32 slot = 0; slot < 4; ++slot) {
        ym2612_v024.operators[ch * 4 + slot].key_on = (v & kKeyBit[slot]) != 0 ? 0xFF : 0;
    }
}

void operator_register(u32 part, u32 reg, u8 v) {
    const u32 ch = reg & 3;
    if (ch == 3) return;
    Ym2612OperatorV024& op = ym2612_v024.operators[(part * 3 + ch) * 4 + ((reg >> 2) & 3)];
    switch (reg & 0xF0) {
        case 0x30:
            op.mul = v & 0x0F;
            op.dt  = (v >> 4) & 7;
            break;
        case 0x40:
            op.tl = v & 0x7F;
            break;
        case 0x50:
            op.ar = v & 0x1F;
            op.ks = v >> 6;
            break;
        case 0x60:
            op.d1r = v & 0x1F;
            op.am  = (v & 0x80) != 0 ? 0xFF : 0;
            break;
        case 0x70:
            op.d2r = v & 0x1F;
            break;
        case 0x80:
            op.rr  = v & 0x0F;
            op.d1l = v >> 4;
            break;
        default:
            break;  // SSG-EG (0x90-0x9E) is not kept
    }
}

void channel_register(u32 part, u32 reg, u8 v) {
    Ym2612V024& y = ym2612_v024;
    const u32 c   = reg & 3;
    if (c == 3) return;
    Ym2612ChannelV024& ch = y.channels[part * 3 + c];
    switch (reg & 0xFC) {
        case 0xA0:
            ch.fnum_low = v;
            break;
        case 0xA4:
            ch.fnum_high = v & 7;
            ch.block     = (v >> 3) & 7;
            break;
        case 0xA8:
            y.special_freq[part].fnum_low = v;
            break;
        case 0xAC:
            y.special_freq[part].fnum_high = v & 7;
            y.special_freq[part].block     = (v >> 3) & 7;
            break;
        case 0xB0:
            ch.algorithm = v & 7;
            ch.feedback  = (v >> 3) & 7;
            break;
        default:
            break;  // panning (0xB4-0xB6) is not kept
    }
}

// One timer's step; `b` selects timer B's rule (its step falls on every overflow).
void step_timer(Ym2612TimerV024& t, bool b) {
    const u32 before = static_cast<u32>(t.counter);
    const u32 after  = before + t.step;
    if (t.step != 0 && after < before) {
        t.counter = static_cast<s32>(after | static_cast<u32>(t.reload));
        t.flag    = static_cast<u8>(t.flag | t.enable);
        t.step    = b ? t.step - 1 : t.step + t.enable;
    } else {
        t.counter = static_cast<s32>(after);
    }
}

}  // namespace

u8 ym2612_status_v024() {
    return static_cast<u8>((ym2612_v024.timer_a.flag & 1) | (ym2612_v024.timer_b.flag & 2));
}

void ym2612_write_register_v024(u32 index, u8 v) {
    Ym2612V024& y  = ym2612_v024;
    const u32 part = (index >> 8) & 1;
    const u32 reg  = index & 0xFF;
    if (reg >= 0x30 && reg < 0xA0) return operator_register(part, reg, v);
    if (reg >= 0xA0 && reg < 0xB4) return channel_register(part, reg, v);
    if (part == 1) {
        if (reg == 0x27) y.special_mode[1] = static_cast<u8>(v & 0x40);
        return;
    }
    switch (reg) {
        case 0x24:
            y.timer_a_value = (y.timer_a_value & 3) | (static_cast<u32>(v) << 2);
            break;
        case 0x25:
            y.timer_a_value = (y.timer_a_value & 0x3FC) | (v & 3);
            break;
        case 0x26:
            y.timer_b_value = v;
            break;
        case 0x27:
            timer_control(v);
            break;
        case 0x28:
            key_on(v);
            break;
        default:
            break;  // LFO, DAC and the rest are not kept
    }
}

void ym2612_write_part1_v024(u8 value) { ym2612_write_register_v024(ym2612_v024.latch[0], value); }
void ym2612_write_part2_v024(u8 value) {
    ym2612_write_register_v024(0x100u | ym2612_v024.latch[1], value);
}

void ym2612_port_write_v024(u32 port, u8 value) {
    switch (port & 3) {
        case 0:
            ym2612_v024.latch[0] = value;
            break;
        case 1:
            ym2612_write_part1_v024(value);
            break;
        case 2:
            ym2612_v024.latch[1] = value;
            break;
        default:
            ym2612_write_part2_v024(value);
            break;
    }
}

void ym2612_timers_reset_v024() {
    ym2612_v024.timer_a = Ym2612TimerV024{};
    ym2612_v024.timer_b = Ym2612TimerV024{};
}

void ym2612_timers_line_v024() {
    Ym2612V024& y = ym2612_v024;
    ++y.slice_count;
    y.sample_fraction += 0x445F417D;  // nothing hangs on its carry: no sound is made
    step_timer(y.timer_a, false);
    step_timer(y.timer_b, true);
}

void ym2612_reset_records_v024() { ym2612_v024 = Ym2612V024{}; }

}  // namespace varn
