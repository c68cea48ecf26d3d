#pragma once
// The Genesis Z80 waiting in a loop that only reads: a speed path (base/speed_paths.h) for the
// stretches in which the whole machine waits (genesis/runtime/wait_stretch.h).
//
// A sound driver waits for its next command or timer tick with a few instructions that read
// a byte of its RAM or the YM2612 status, test it and branch back. While those bytes keep
// their values, such a loop goes round the same way for ever: from the same A, F and PC it
// reaches the same A, F and PC, and it writes nothing. z80_wait_loop_prove finds out whether
// the Z80 stands in such a loop by running its instructions one at a time on the record and
// putting the record back afterwards; it takes only instructions that read nothing but A, F
// and fixed addresses (its RAM, the YM2612 status) and write nothing but A, F and PC, and the
// loop is proven when the Z80 comes back to a PC with the A and F it had there. The slices of
// a stretch are then either replayed (the outcome of a slice run before from the same PC, AF
// and counter) or run as usual and kept.

#include <array>

#include "base/types.h"
#include "genesis/z80/genesis_z80.h"

namespace varn {

// True when the Z80 stands in a loop that only reads, as above, and takes no interrupt
// before its slice. The loop's reads are then checked by z80_wait_reads_hold.
bool z80_wait_loop_prove();

// True while the bytes the proven loop reads still hold the values they had and its code is
// unchanged.
bool z80_wait_reads_hold();

// The proven loop's reads of the YM2612 status, with the values it was proven with: what can
// change while the machine waits (a timer overflow). Its reads of the RAM change only by a
// write.
struct Z80WaitPortReads {
    u32 count;
    std::array<u16, 4> at;
    std::array<u8, 4> value;
};
extern Z80WaitPortReads z80_wait_port_reads;

// Within a stretch, after a slice: true while no interrupt is due and the loop's reads of the
// YM2612 status still give their values.
inline bool z80_wait_ym_holds() {
    const z80_cpu_context& c = z80_context;
    if ((c.irq_check | c.extra_tstates | c.status) != 0) return false;
    const Z80WaitPortReads& p = z80_wait_port_reads;
    for (u32 k = 0; k < p.count; ++k) {
        if (z80_read_byte(p.at[k]) != p.value[k]) return false;
    }
    return true;
}

// The slice run as usual (z80_run_paths_on) and kept; false when it changed more than such a
// loop can.
bool z80_wait_slice_run();

// The kept slices: from PC, AF and the counter at a slice's start, where it ended. Each has a
// stamp, never 0, that a new slice in its place changes; `next` names the slice kept for the
// state this one ends in, when known, so that a stretch follows the chain without looking
// the states up.
struct Z80KeptSlice {
    u16 pc, af;
    u32 counter;
    u16 pc_after, af_after;
    u32 counter_after;
    u32 last_tstates;
    u8 r_delta;
    u32 stamp;
    u32 next_slot, next_stamp;
};
inline constexpr u32 kZ80KeptBits = 9;
struct Z80WaitReplay {
    Z80KeptSlice* kept = nullptr;  // those of the loop the running stretch's proof found
    u32 cur_slot       = 0;        // the kept slice whose end the Z80 stands at (stamp 0: none)
    u32 cur_stamp      = 0;
};
extern Z80WaitReplay z80_wait_replay;

// Slices replayed and run within stretches (benchmarks and tests).
struct Z80WaitStats {
    u64 replayed;
    u64 run;
};
extern Z80WaitStats z80_wait_stats;

inline u32 z80_kept_slot(u32 pc, u32 af, u32 counter) {
    const u32 h = (counter * 0x9E3779B1u) ^ ((pc << 16 | af) * 0x85EBCA77u);
    return (h * 0x9E3779B1u) >> (32 - kZ80KeptBits);
}

// The slice kept for the Z80's state, looked up (null when there is none).
const Z80KeptSlice* z80_wait_find();

// The Z80's slice within a stretch (the Z80 released): the kept outcome of a slice from the
// same state, or the slice run and kept. False when the slice was run and changed more than
// such a loop can: the stretch must end.
[[gnu::always_inline]] inline bool z80_wait_slice() {
    Z80WaitReplay& r        = z80_wait_replay;
    const Z80KeptSlice& cur = r.kept[r.cur_slot];
    const Z80KeptSlice* k   = &r.kept[cur.next_slot];
    if (cur.stamp != r.cur_stamp || r.cur_stamp == 0 || k->stamp != cur.next_stamp ||
        cur.next_stamp == 0) [[unlikely]] {
        k = z80_wait_find();
        if (k == nullptr) return z80_wait_slice_run();
    }
    z80_cpu_context& c = z80_context;
    c.pc               = k->pc_after;
    c.af               = k->af_after;
    c.cycle_counter    = k->counter_after;
    c.last_tstates     = k->last_tstates;
    c.r                = static_cast<u8>(c.r + k->r_delta);
    r.cur_slot         = static_cast<u32>(k - r.kept);
    r.cur_stamp        = k->stamp;
    ++z80_wait_stats.replayed;
    return true;
}

// Forgets the proven loop and the kept slices (power-on, tests).
void z80_wait_loop_reset();

}  // namespace varn
