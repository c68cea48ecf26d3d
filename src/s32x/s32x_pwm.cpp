// The 32X PWM: the timer with its pulse-width queues, its interrupt, and its output stage.

#include <algorithm>

#include "base/config.h"
#include "s32x/s32x.h"
#include "s32x/s32x_internal.h"
#include "sh2/sh2.h"

namespace varn {

using s32x_detail::R;

void s32x_pwm_regs_clear() {
    auto& r        = R();
    r.pwm_ctrl     = 0;
    r.pwm_cycle    = 0;
    r.pwm_queue    = {};
    r.pwm_acc      = 0;
    r.pwm_down     = 0;
    r.pwm_out_left = r.pwm_out_right = 0;
    r.pwm_dc                         = 0;
}

// The mono register feeds both outputs: it writes its word into the left and the right
// queue, and reads full while either of them is full and empty only when both are, so that a
// program filling both channels can wait on either register.
u16 s32x_pwm_read(u32 offset) {
    const auto& r = R();
    switch (offset) {
        case 0x30:
            return r.pwm_ctrl;
        case 0x32:
            return r.pwm_cycle;
        case 0x34:
        case 0x36:
        case 0x38: {
            const u32 reg    = (offset - 0x34) / 2;
            const bool full  = s32x_pwm_room(reg) == 0;
            const bool empty = reg == 2 ? r.pwm_queue[0].fill == 0 && r.pwm_queue[1].fill == 0
                                        : r.pwm_queue[reg].fill == 0;
            return static_cast<u16>((empty ? 0x4000 : 0) | (full ? 0x8000 : 0));
        }
        default:
            return 0;
    }
}

u32 s32x_pwm_room(u32 reg) {
    const auto& q = R().pwm_queue;
    return reg == 2 ? std::min(q[0].free, q[1].free) : q[reg].free;
}

namespace {

void queue_push(S32xPwmQueue& q, u16 value) {
    if (q.free == 0) return;  // full: the value is lost
    q.words[q.fill] = value;
    ++q.fill;
    --q.free;
}

}  // namespace

void s32x_pwm_push(u32 reg, u16 value) {
    auto& q = R().pwm_queue;
    if (reg != 1) queue_push(q[0], value);
    if (reg != 0) queue_push(q[1], value);
}

void s32x_pwm_write(u32 offset, u16 v) {
    auto& r = R();
    switch (offset) {
        case 0x30:
            r.pwm_ctrl = v;
            return;
        case 0x32:
            r.pwm_cycle = v;
            return;
        case 0x34:
        case 0x36:
        case 0x38:
            s32x_pwm_push((offset - 0x34) / 2, v);
            return;
        default:
            return;
    }
}

void s32x_pwm_line() {
    auto& r = R();
    r.pwm_acc += 0x8B;
    const u32 cycle = r.pwm_cycle & 0xFFF;
    if (r.pwm_acc < cycle) return;
    r.pwm_acc -= cycle;
    bool due = false;
    if (r.pwm_down == 0) {
        r.pwm_down = static_cast<u8>((r.pwm_ctrl >> 8) & 0x0F);
        due        = true;
    } else {
        --r.pwm_down;
    }
    if (due && (r.pwm_ctrl & 0x1F) != 0) {
        for (u32 core = 0; core < 2; ++core) {
            const u16 en = r.enable[core][kS32xEnPwm];
            if (en != 0) sh2_raise_irq(core == 0 ? sh2_context : sh2s_context, en & kSh2IrqPwm);
        }
    }
    // Each queue's oldest word goes to its output and leaves the queue.
    if (r.pwm_queue[0].fill != 0) r.pwm_out_left = r.pwm_queue[0].words[0];
    if (r.pwm_queue[1].fill != 0) r.pwm_out_right = r.pwm_queue[1].words[0];
    for (auto& q : r.pwm_queue) {
        if (q.fill == 0) continue;
        std::copy(q.words.begin() + 1, q.words.begin() + q.fill, q.words.begin());
        --q.fill;
        ++q.free;
    }
}

namespace {

// A pulse width as a signed level: the middle of the cycle is silence, the ends are about a
// quarter of the sample range.
s32 pwm_level(u16 width, u32 cycle) {
    if (cycle == 0 || width == 0) return 0;
    const s32 w = static_cast<s32>(std::min<u32>(width & 0xFFF, cycle));
    return (2 * w - static_cast<s32>(cycle)) * 0x2000 / static_cast<s32>(cycle);
}

}  // namespace

// The output stage passes no constant level: a one-pole high-pass (about 7 Hz at 44.1 kHz)
// follows the mix, so a driver idling at any pulse width is silent and only what it plays
// is heard.
void s32x_pwm_sample(s16* slot) {
    auto& r         = R();
    const u32 cycle = r.pwm_cycle & 0xFFF;
    const s32 mix   = (pwm_level(r.pwm_out_left, cycle) + pwm_level(r.pwm_out_right, cycle)) / 2;
    const s32 level = mix * 65536;
    r.pwm_dc += (level - r.pwm_dc) / 1024;
    const s32 out = (level - r.pwm_dc) / 65536;
    // Sound > Enable > All silences the PWM as every other source; the filter runs on so
    // that the output comes back without a step.
    if (out == 0 || cfg(sound_output_mask) == 0) return;
    *slot = static_cast<s16>(std::clamp(*slot + out, -0x8000, 0x7FFF));
}

}  // namespace varn
