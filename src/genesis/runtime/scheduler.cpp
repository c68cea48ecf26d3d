#include "genesis/runtime/scheduler.h"

#include "base/config.h"
#include "base/speed_paths.h"
#include "genesis/io/input_update.h"
#include "genesis/io/lightgun.h"
#include "genesis/runtime/wait_stretch.h"
#include "genesis/sound/psg.h"
#include "genesis/sound/ym2612.h"
#include "genesis/sound/ym2612_tables.h"
#include "genesis/vdp/render_output.h"
#include "genesis/vdp/vdp.h"
#include "genesis/z80/genesis_z80.h"
#include "m68k/m68k.h"
#include "runtime/machine_table.h"
#include "runtime/pacing.h"
#include "runtime/sound_output.h"
#include "runtime/thread_link.h"

namespace varn {

FrameSlots frame_slots{};
void (*slice_end_slot)() = nullptr;

namespace {

template <typename F, typename... Args>
inline void call(F* f, Args... args) {
    if (f != nullptr) f(args...);
}

// The chain behind every 68000 slice, a skipped one included: the Z80 when the settings
// enable it and the 68000 lets it run, light gun and pad time-outs, FM timers, then the
// add-on units. The loop runs it straight after the 68000's slice, which hands on to no
// successor of its own: a slice that did not halt the CPU, skipped or not, always ends
// here. A machine whose add-on slots are unbound runs the chain without them (chosen at
// each frame start: the slots are bound at power-on, between frames). A Z80 that stops on an
// emulation error stops the whole machine like a 68000 halt: false, and nothing after it in
// the chain runs. `plain` (read by the checked loop only) runs the Z80 with the speed paths
// off.
template <bool kAddons, bool kChecked>
[[gnu::always_inline]] inline bool slice_chain([[maybe_unused]] bool plain) {
    if (z80_may_run()) {
        if (kChecked && plain) {
            z80_run_paths_off();
        } else {
            z80_run_paths_on();
        }
        if ((z80_context.status & kZ80StatusHalted) != 0) [[unlikely]]
            return false;
    }
    lightgun_tick(frame_pos.slice_counter, frame_pos.slice_phase);
    ym2612_timers_line();
    if constexpr (kAddons) {
        call(frame_slots.segacd_slice);
        if ((emu_state_flags.load(std::memory_order_relaxed) & kState32xActive) != 0) {
            call(frame_slots.s32x_slice);
        }
    }
    return true;
}

// A CPU stopped by an emulation error withdraws the run entry: the thread goes idle.
void withdraw_run_entry() { emu_thread_target.store(nullptr); }

// A carry of the sample clock: one sample into the sound area (none while fast-forwarding).
// `kAddons`: the add-on units' slots may be bound (without them the loop never looks at them).
template <bool kAddons>
[[gnu::noinline]] void make_sample() {
    if (emu_fast_forward()) return;
    s16* slot = sound_next_slot();
    if (slot == nullptr) return;  // the area is full: the sample is dropped
    psg_render_sample(*slot);     // stores
    ym2612_output_sample(*slot);  // adds, with saturation
    if constexpr (kAddons) {
        call(frame_slots.segacd_pcm_sample, slot);
        call(frame_slots.s32x_pwm_sample, slot);
    }
    sound_frame.sound_write_pos += 2;
    ++run_stats.samples;
}

template <bool kAddons>
void frame_end() {
    frame_pos.slice_counter = 0;
    frame_pos.slice_phase   = kPhaseVblank;
    sound_frame_end();
    vdp_vint_raise();
    if constexpr (kAddons) call(frame_slots.s32x_vint_frame);
    if (const MachineRecord* machine = machine_current();
        machine != nullptr && machine->polls_cd_drive)
        gui_post_to_frame(0, kRequestCdPoll);
    Host& host = emu_host();
    if (frame_drawn()) {
        const FrameSurface s = host.present_frame();
        surface_set_origin(s.pixels, s.pitch, s.width, s.height, s.x, s.y);
    }
    input_frame_update(host);  // polls the host and rebuilds the pads
    frame_pace();
    ++run_stats.frames;
}

// The end of a phase, reached with the counter `n` that ended it: the line and frame
// events of the video chip, the line's picture, or the frame end (returns true).
template <bool kAddons>
[[gnu::noinline]] bool phase_end(u32 phase, u32 n) {
    if constexpr (kAddons) call(frame_slots.s32x_palette_access);
    if (frame_phase_change(phase, n)) {
        frame_end<kAddons>();
        return true;
    }
    if (frame_pos.slice_phase == kPhaseDraw) {
        if (frame_pos.slice_counter == 0) {
            vdp_hint_counter_reload();
            if constexpr (kAddons) call(frame_slots.s32x_palette_refresh);
        }
        z80_irq_clear();
    } else {
        vdp_hint_counter_step();
        if constexpr (kAddons) call(frame_slots.s32x_hint_line);
        if (frame_drawn()) render_line_dispatch();
    }
    return false;
}

// The slices of a wait stretch (wait_stretch.h), from the next one until the stretch ends:
// the CPUs' part replayed where it can be, the rest of the chain and of the slice as always
// (the machine has no add-on units here). The CPUs' records are brought up to date before a
// phase change, at the stretch's end and, in the checked loop, before every slice-end probe;
// in between nothing looks at them. The frame loop's counts go in and come back by value, so
// that they stay in its registers.
struct StretchRun {
    u32 phase_left;
    u32 slices;        // slices run in the stretch
    bool frame_ended;  // the frame ended within it, or a CPU halted
    bool halted;
};
template <bool kChecked>
[[gnu::noinline]] StretchRun run_wait_stretch(u32 sample_step, u32 phase_left, void (*probe)()) {
    StretchRun run{phase_left, 0, false, false};
    for (;;) {
        ++run.slices;
        // A slice done the slow way, or one that changes the phase, is followed by the whole
        // test of wait_stretch_holds; a chained slice within a phase by the quick one.
        bool m68k_done  = false;
        bool whole_test = !wait_stretch_cpus_chained(m68k_done);
        bool holds      = true;
        if (whole_test) [[unlikely]] {
            holds = wait_stretch_cpus_rest(m68k_done);
            if ((m68k_context.status & kM68kStatusHalted) != 0 ||
                (z80_may_run() && (z80_context.status & kZ80StatusHalted) != 0)) {
                wait_stretch_catch_up();
                if constexpr (kChecked) call(probe);
                run.frame_ended = run.halted = true;
                return run;
            }
        }
        lightgun_tick(frame_pos.slice_counter, frame_pos.slice_phase);
        const bool ym_moved = ym2612_state.timer_wait == 1;
        ym2612_timers_line();
        if constexpr (kChecked) {
            wait_stretch_catch_up();
            call(probe);
        }
        if (run.phase_left == 1) {  // the phase ends with this slice
            wait_stretch_catch_up();
            whole_test = true;
        }
        if (slice_clock_tail<make_sample<false>, phase_end<false>>(sample_step, run.phase_left) ==
            SliceEnd::kFrameEnded) {
            run.frame_ended = true;
            return run;
        }
        if (!holds || !(whole_test ? wait_stretch_holds(ym_moved)
                                   : wait_stretch_holds_chained(ym_moved))) [[unlikely]] {
            wait_stretch_catch_up();
            return run;
        }
    }
}

// One slice of a frame loop: the 68000's, the chain, the probe (checked loop) and the clock
// tail. `plain` (read by the checked loop only) runs both CPUs with the speed paths off.
enum class SliceStep { kGoesOn, kPhaseChanged, kFrameEnded, kHalted };
template <bool kAddons, bool kChecked>
[[gnu::always_inline]] inline SliceStep one_slice([[maybe_unused]] bool plain,
                                                  [[maybe_unused]] void (*probe)(), u32 sample_step,
                                                  u32& phase_left) {
    if (kChecked && plain) {
        m68k_run_slice_alone_plain();
    } else {
        m68k_run_slice_alone();
    }
    if ((m68k_context.status & kM68kStatusHalted) != 0 || !slice_chain<kAddons, kChecked>(plain))
        [[unlikely]] {
        if constexpr (kChecked) call(probe);
        return SliceStep::kHalted;
    }
    if constexpr (kChecked) call(probe);
    switch (slice_clock_tail<make_sample<kAddons>, phase_end<kAddons>>(sample_step, phase_left)) {
        case SliceEnd::kPhaseGoesOn:
            return SliceStep::kGoesOn;
        case SliceEnd::kPhaseChanged:
            return SliceStep::kPhaseChanged;
        case SliceEnd::kFrameEnded:
            break;
    }
    return SliceStep::kFrameEnded;
}

// Where the machine waits (no add-on units, speed paths on): a wait stretch when `stretch_first`,
// then slice by slice with a stretch looked for after each one, another stretch where one
// begins, until a phase changes with no stretch begun there, the frame ends or a CPU halts. A
// 68000 back from its frame interrupt waits again long before the vertical blank's 512 slices
// are over; the frame loop itself looks only at phase changes.
struct WaitingRun {
    u32 phase_left;
    u32 slices;
    bool frame_ended;  // the frame ended, or a CPU halted
    bool halted;
    bool stretched;  // a stretch ran
};
template <bool kChecked>
[[gnu::noinline]] WaitingRun run_waiting(u32 sample_step, u32 phase_left, void (*probe)(),
                                         bool stretch_first) {
    WaitingRun w{phase_left, 0, false, false, false};
    bool begins = stretch_first;
    for (;;) {
        if (begins) {
            const StretchRun run = run_wait_stretch<kChecked>(sample_step, w.phase_left, probe);
            w.slices += run.slices;
            w.phase_left = run.phase_left;
            w.stretched  = true;
            if (run.frame_ended) {
                w.frame_ended = true;
                w.halted      = run.halted;
                return w;
            }
        }
        begins = false;
        while (!begins) {
            ++w.slices;
            const SliceStep step =
                one_slice<false, kChecked>(false, probe, sample_step, w.phase_left);
            if (step == SliceStep::kHalted || step == SliceStep::kFrameEnded) {
                w.frame_ended = true;
                w.halted      = step == SliceStep::kHalted;
                return w;
            }
            begins = wait_stretch_begin();
            if (!begins && step == SliceStep::kPhaseChanged) return w;
        }
    }
}

// The frame loop, with or without the add-on units' steps. Before every slice but the
// first the sample clock advances and the position counts on; the phase ends after the
// slices counted down in a register. The sample rate is a host setting: it is read once a
// frame, and the slices are counted into the run figures when the loop leaves.
//
// `kChecked` is the loop for the runs that check the machine rather than play it: with the
// slice-end probe bound or the speed paths off (both taken at the frame start). The loop that
// plays a game tests neither on any slice.
//
// Without the add-on units and with the speed paths on, a wait stretch is looked for after
// each phase change (a line's drawing or blank, the vertical blank), so that the slices in
// between pay nothing for it; where stretches are found, run_waiting looks after every slice
// (from a frame start when the last frame ran a stretch, and after each stretch) until the
// next phase change.
template <bool kAddons, bool kChecked>
FrameResult run_frame_loop() {
    const u32 sample_step = sample_step_for_option(cfg(cfg_sound_rate));
    u32 phase_left        = slices_to_phase_end(frame_pos.slice_phase, frame_pos.slice_counter);
    u64 slices            = 0;
    FrameResult result    = FrameResult::kFrameEnd;
    [[maybe_unused]] const bool plain      = kChecked && !speed_paths_enabled();
    [[maybe_unused]] void (*const probe)() = slice_end_slot;
    [[maybe_unused]] const bool stretches  = !kAddons && !(kChecked && plain);
    [[maybe_unused]] bool stretched        = false;
    u32 counted                            = 0;  // slices of the loop itself
    bool waits = false, stretch_first = false;
    if constexpr (!kAddons) waits = stretches && wait_stretch.ran_last_frame;
    for (;;) {
        if constexpr (!kAddons) {
            if (waits) [[unlikely]] {
                const WaitingRun w =
                    run_waiting<kChecked>(sample_step, phase_left, probe, stretch_first);
                slices += w.slices;
                phase_left = w.phase_left;
                stretched |= w.stretched;
                if (w.halted) result = FrameResult::kHalted;
                if (w.frame_ended) break;
            }
        }
        SliceStep step;
        do {
            ++counted;
            step = one_slice<kAddons, kChecked>(plain, probe, sample_step, phase_left);
        } while (step == SliceStep::kGoesOn);
        if (step != SliceStep::kPhaseChanged) {
            if (step == SliceStep::kHalted) result = FrameResult::kHalted;
            break;
        }
        if constexpr (!kAddons) waits = stretch_first = stretches && wait_stretch_begin();
    }
    slices += counted;
    if constexpr (!kAddons) {
        if (stretches) wait_stretch.ran_last_frame = stretched;
    }
    run_stats.slices += slices;
    return result;
}

}  // namespace

FrameResult run_frame() {
    // Any bound slot of an add-on unit takes the loop that calls them.
    const FrameSlots& f = frame_slots;
    const bool addons   = f.segacd_slice != nullptr || f.segacd_pcm_sample != nullptr ||
                        f.s32x_slice != nullptr || f.s32x_palette_access != nullptr ||
                        f.s32x_palette_refresh != nullptr || f.s32x_hint_line != nullptr ||
                        f.s32x_vint_frame != nullptr || f.s32x_pwm_sample != nullptr;
    if (slice_end_slot != nullptr || !speed_paths_enabled()) [[unlikely]]
        return addons ? run_frame_loop<true, true>() : run_frame_loop<false, true>();
    return addons ? run_frame_loop<true, false>() : run_frame_loop<false, false>();
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

void video_reset_line_counters(u32 clock_ms) {
    u32 t = clock_ms & 0xFF;
    if (t >= kVisibleLines) t = (t - kVisibleLines) * 8;
    frame_pos.slice_counter = (t << 4) | ((t >> 5) & 7);
    frame_pos.slice_phase   = kPhaseDraw;
    render_mode_reset();
}

void emu_clear_cpu_halts() {
    m68k_context.status &= ~kM68kStatusHalted;
    s68k_context.status &= ~kM68kStatusHalted;
    z80_clear_stopped();
    call(frame_slots.clear_addon_halts);
}

void scheduler_bind_slots() {
    m68k_successor                  = nullptr;  // the frame loop runs the chain itself
    m68k_z80_successor              = nullptr;
    m68k_z80_released               = nullptr;
    m68k_halt_slot                  = withdraw_run_entry;
    z80_halt_slot                   = withdraw_run_entry;
    vdp_runtime_slots.slice_counter = &frame_pos.slice_counter;
    vdp_runtime_slots.slice_phase   = &frame_pos.slice_phase;
}

void scheduler_reset_all() {
    frame_pos      = FramePosition{0, kPhaseVblank, 0};
    run_stats      = RunStats{};
    frame_slots    = FrameSlots{};
    slice_end_slot = nullptr;
    wait_stretch_reset();
}

}  // namespace varn
