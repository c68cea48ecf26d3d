// The Master System frame loop: the Genesis frame shape with one Z80 slice per pass, the
// Master System PSG as the only sound source, and the VDP's line and frame events.

#include "base/config.h"
#include "genesis/io/input_update.h"
#include "genesis/vdp/render_output.h"
#include "runtime/pacing.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"
#include "sms/sms.h"
#include "sms/sms_psg.h"
#include "sms/sms_vdp.h"
#include "sms/sms_z80_bus.h"

namespace varn {

namespace {

// A carry of the sample clock. Unlike the Genesis, samples are made in fast-forward too.
[[gnu::noinline]] void make_sample() {
    s16* slot = sound_next_slot();
    if (slot == nullptr) return;  // the area is full: the sample is dropped
    sms_psg_render_sample(*slot);
    sound_frame.sound_write_pos += 2;
    ++run_stats.samples;
}

// Frame end: the frame interrupt and pause, pacing, the picture when the frame was drawn,
// the sound, then the input for the next frame.
void frame_end() {
    frame_pos.slice_counter = 0;
    frame_pos.slice_phase   = kPhaseVblank;
    sms_vdp_frame_interrupt();
    const bool skipped = frame_pace();
    Host& host         = emu_host();
    if (!skipped) {
        const FrameSurface s = host.present_frame();
        surface_set_origin(s.pixels, s.pitch, s.width, s.height, s.x, s.y);
    }
    sound_frame_end();
    input_frame_update(host);
    ++run_stats.frames;
}

// The end of a phase reached with the counter at `n`: line 0's counter reload, each line's
// counter step and picture, or the frame end (true).
[[gnu::noinline]] bool phase_end(u32 phase, u32 n) {
    if (frame_phase_change(phase, n)) {
        frame_end();
        return true;
    }
    if (frame_pos.slice_phase == kPhaseDraw) {
        if (frame_pos.slice_counter == 0) sms_vdp_line_counter_reload();
    } else {
        sms_vdp_line_counter_step();
        if (frame_drawn()) sms_render_line_dispatch();
    }
    return false;
}

}  // namespace

FrameResult sms_run_frame() {
    const u32 sample_step = sample_step_for_option(cfg(cfg_sound_rate));
    u32 phase_left        = slices_to_phase_end(frame_pos.slice_phase, frame_pos.slice_counter);
    u64 slices            = 0;
    FrameResult result    = FrameResult::kFrameEnd;
    for (;;) {
        ++slices;
        SmsZ80::run(sms_z80_context);
        if ((sms_z80_context.status & kZ80StatusHalted) != 0) [[unlikely]] {
            result = FrameResult::kHalted;
            break;
        }
        if (slice_clock_tail<make_sample, phase_end>(sample_step, phase_left) ==
            SliceEnd::kFrameEnded)
            break;
    }
    run_stats.slices += slices;
    return result;
}

void sms_run_entry() {
    for (;;) {
        if (sms_run_frame() == FrameResult::kHalted) {
            emu_thread_target.store(nullptr);
            return;
        }
        if (!emu_check_pause_stop()) return;
    }
}

}  // namespace varn
