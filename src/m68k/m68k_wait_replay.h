#pragma once
// The main 68000's slices in a wait loop, replayed: a speed path (base/speed_paths.h) for the
// stretches in which the whole machine waits (genesis/runtime/wait_stretch.h).
//
// A slice that starts in a wait loop (the TST or poll loop of m68k_speed_paths.h) whose read
// is steady and keeps the loop going runs nothing but the loop's rounds: it reads that one
// value and moves the counter, the position, the flags and, for a poll loop, the register
// the loop loads. From the same record, with the same value read and the loop's code
// unchanged, it therefore ends in the same record. m68k_wait_replay_start looks at the loop
// and its value; within the stretch each slice is then either replayed from a slice that
// started in the same state or run as usual and kept.

#include <array>

#include "base/types.h"
#include "m68k/m68k.h"
#include "m68k/m68k_speed_paths.h"

namespace varn {

// True when the main CPU stands in a wait loop whose read is steady and keeps it going, and
// nothing else is due at its next slice (no interrupt to look at, no halt, no skipped slice).
// The loop's code, the value read and the parts of the record the loop depends on without
// changing them hold for the whole stretch (nothing else writes while the machine waits).
bool m68k_wait_replay_start();

// Whether the loop reads work RAM, which only a CPU's write changes.
bool m68k_wait_reads_work_ram();

// The slice run as usual (m68k_run_slice_alone) and kept; false when it changed more than the
// loop can.
bool m68k_wait_slice_run();

// The kept slices: the state a slice started in, with the value the loop read, and the state
// it ended in. Each has a stamp, never 0, that a new slice in its place changes; `next` names
// the slice kept for the state this one ends in, when known (with that one's stamp when it
// was named), so that a stretch follows the chain without looking the states up.
struct M68kKeptSlice {
    s32 counter;
    u32 pos, reg, value, sr_n, sr_z;
    u16 sr_bits;
    s32 counter_after;
    u32 pos_after, pc_after, reg_after, sr_n_after, sr_z_after;
    u16 sr_bits_after;
    bool next_skipped;  // the slice after this one is one the counter skips
    u32 stamp;
    const M68kKeptSlice* next;
    u32 next_stamp;
};
inline constexpr u32 kM68kKeptBits = 8;
// Where the CPU stands at no kept slice's end: it names no next one.
inline constexpr M68kKeptSlice kM68kNoKeptSlice{};
struct M68kWaitReplay {
    u32 reg   = 0;  // the register the loop loads (a poll loop), else any
    u32 value = 0;  // what the loop reads
    // The kept slice whose end the CPU stands at, within a stretch (kM68kNoKeptSlice: none).
    // A slice kept in its place makes the CPU stand at none.
    const M68kKeptSlice* cur = &kM68kNoKeptSlice;
    u32 stamps               = 0;  // the last stamp given
    // The record has not yet been given the end of the kept slice at `cur`: within a
    // stretch the slices follow the chain and the record is brought up to date only where
    // something else may look at it (m68k_wait_catch_up).
    bool behind = false;
    std::array<M68kKeptSlice, 1u << kM68kKeptBits> kept{};
};
extern M68kWaitReplay m68k_wait_replay;

struct M68kWaitStats {
    u64 replayed;
    u64 run;
};
extern M68kWaitStats m68k_wait_stats;

inline u32 m68k_kept_slot(u32 counter, u32 pos, u32 value) {
    const u32 h = (counter * 0x9E3779B1u) ^ (pos * 0x85EBCA77u) ^ (value << 7);
    return (h * 0x9E3779B1u) >> (32 - kM68kKeptBits);
}

// The slice kept for the CPU's state, looked up (null when there is none). The record must
// be up to date.
const M68kKeptSlice* m68k_wait_find();

// The record brought up to the end of the kept slice the CPU stands at, when it lags.
void m68k_wait_write_record(const M68kKeptSlice& k);
[[gnu::always_inline]] inline void m68k_wait_catch_up() {
    M68kWaitReplay& r = m68k_wait_replay;
    if (r.behind) [[likely]] {
        r.behind = false;
        m68k_wait_write_record(*r.cur);
    }
}

// The main CPU's slice within a stretch, in two parts. The first follows the chain: when the
// kept slice the CPU stands at names the one kept for the state it ends in, the CPU moves on
// to that one's end with the record left behind (true); otherwise nothing changes (false).
// The second, for the slice the chain does not cover, brings the record up to date and
// replays a kept slice from the same state, or runs the slice and keeps it: false when the
// slice was run and changed more than the loop can, and the stretch must end.
[[gnu::always_inline]] inline bool m68k_wait_chain_step() {
    M68kWaitReplay& r        = m68k_wait_replay;
    const M68kKeptSlice* cur = r.cur;
    const M68kKeptSlice* k   = cur->next;
    if (k == nullptr || k->stamp != cur->next_stamp) [[unlikely]]
        return false;
    r.cur    = k;
    r.behind = true;
    ++m68k_wait_stats.replayed;
    return true;
}
bool m68k_wait_slice_slow();

// Within a stretch, after a slice: true while nothing but the loop is due at the next slice
// (no interrupt to look at, no halt, no skipped slice). The position, the code and the parts
// of the record the loop depends on change only by the CPU's own slices, which replay or run
// the loop alone, so they are not looked at again. Reads the counter from the kept slice
// while the record lags behind it.
inline bool m68k_wait_only_loop_due() {
    const M68kCpuContext& c = m68k_context;
    if ((c.irq_check == 1) | (c.status != 0) | (c.halt_pending != 0)) return false;
    const M68kWaitReplay& r = m68k_wait_replay;
    if (r.behind) return !r.cur->next_skipped;
    const u32 before = static_cast<u32>(c.cycle_counter);
    const u32 after  = before + static_cast<u32>(c.slice_cycles);
    return !(after < before && static_cast<s32>(before) >= 0);
}

// Forgets the kept slices (power-on, tests).
void m68k_wait_replay_reset();

}  // namespace varn
