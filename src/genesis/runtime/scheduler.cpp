#include "genesis/runtime/scheduler.h"

#include "base/config.h"
#include "genesis/runtime/pacing.h"
#include "genesis/runtime/sound_output.h"
#include "genesis/runtime/thread_link.h"

namespace varn {

FramePosition frame_pos{0, kPhaseVblank, 0};
RunStats run_stats{};
FrameSeams frame_seams{};

namespace {

// By phase: the counter bit that ends it, the counter correction and the phase step.
constexpr u32 kPhaseMask[3] = {8, 2, 0x200};
constexpr u32 kPhaseAdd[3]  = {static_cast<u32>(-8), 14, static_cast<u32>(-512)};
constexpr u32 kPhaseStep[3] = {1, static_cast<u32>(-1), static_cast<u32>(-2)};

template <typename F, typename... Args>
inline void call(F* f, Args... args) {
    if (f != nullptr) f(args...);
}

// One slice of the machine: the 68000, then the chain behind it. Returns false when a CPU
// halted.
inline bool run_slice_chain() {
    ++run_stats.slices;
    if (frame_seams.m68k_slice != nullptr && frame_seams.m68k_slice()) return false;
    call(frame_seams.z80_slice);
    call(frame_seams.lightgun_tick);
    call(frame_seams.fm_timers);
    call(frame_seams.segacd_slice);
    if ((emu_state_flags.load(std::memory_order_relaxed) & kState32xActive) != 0) {
        call(frame_seams.s32x_slice);
    }
    return true;
}

inline void make_sample() {
    s16* slot = sound_next_slot();
    if (slot == nullptr) return;  // the area is full: the sample is dropped
    *slot = 0;
    call(frame_seams.psg_sample, slot);
    call(frame_seams.fm_sample, slot);
    call(frame_seams.segacd_pcm_sample, slot);
    sound_frame.sound_write_pos += 2;
    ++run_stats.samples;
}

void frame_end() {
    frame_pos.slice_counter = 0;
    frame_pos.slice_phase   = kPhaseVblank;
    sound_frame_end();
    call(frame_seams.vint_raise);
    call(frame_seams.s32x_vint_frame);
    if (machine_kind == kMachineSegaCd) gui_post_to_frame(0, kRequestCdPoll);
    Host& host = emu_host();
    if (frame_drawn()) {
        const FrameSurface surface = host.present_frame();
        call(frame_seams.surface_set_origin, surface);
    }
    host.poll_input();
    frame_pace();
    ++run_stats.frames;
}

// One pass of the loop before a slice. Returns true at the frame end.
inline bool line_pass() {
    const u32 before = frame_pos.sound_sample_clock;
    frame_pos.sound_sample_clock += kSampleSteps[sound_rate_index()];
    if (frame_pos.sound_sample_clock < before && !emu_fast_forward()) make_sample();

    const u32 phase = frame_pos.slice_phase;
    const u32 n     = frame_pos.slice_counter + 1;
    if ((n & kPhaseMask[phase]) == 0) {
        frame_pos.slice_counter = n;
        return false;
    }

    call(frame_seams.s32x_palette_access);
    frame_pos.slice_counter = n + kPhaseAdd[phase];
    frame_pos.slice_phase   = phase + kPhaseStep[phase];
    if ((frame_pos.slice_counter & 0xE00) == 0xE00) {
        frame_end();
        return true;
    }
    if (frame_pos.slice_phase == kPhaseDraw) {
        if (frame_pos.slice_counter == 0) {
            call(frame_seams.hint_counter_reload);
            call(frame_seams.s32x_palette_refresh);
        }
        call(frame_seams.z80_irq_clear);
    } else {
        call(frame_seams.hint_counter_step);
        call(frame_seams.s32x_hint_line);
        if (frame_drawn()) call(frame_seams.render_line);
    }
    return false;
}

}  // namespace

FrameResult run_frame() {
    for (;;) {
        if (!run_slice_chain()) return FrameResult::kHalted;
        if (line_pass()) return FrameResult::kFrameEnd;
    }
}

void genesis_run_entry() {
    for (;;) {
        if (run_frame() == FrameResult::kHalted) {
            // A halted CPU ends the run; nothing is shown.
            emu_thread_target.store(nullptr);
            return;
        }
        if (!emu_check_pause_stop()) return;
    }
}

void scheduler_reset() {
    frame_pos.slice_counter = 0;
    frame_pos.slice_phase   = kPhaseVblank;
}

void video_reset_line_counters(u32 clock_ms) {
    u32 t = clock_ms & 0xFF;
    if (t >= kVisibleLines) t = (t - kVisibleLines) * 8;
    frame_pos.slice_counter = (t << 4) | ((t >> 5) & 7);
    frame_pos.slice_phase   = kPhaseDraw;
}

void emu_clear_cpu_halts() {}

void scheduler_reset_all() {
    frame_pos   = FramePosition{0, kPhaseVblank, 0};
    run_stats   = RunStats{};
    frame_seams = FrameSeams{};
}

}  // namespace varn
