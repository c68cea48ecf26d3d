#pragma once
// The Genesis Z80 waiting in a loop that only reads: a speed path (base/speed_paths.h) for the
// stretches in which the whole machine waits (genesis/runtime/wait_stretch.h).
//
// A sound driver waits for its next command or timer tick with a few instructions that read
// a byte of its RAM or the YM2612 status, test it and branch back, perhaps calling a short
// delay routine. While those bytes keep their values, such a loop goes round the same way for
// ever: from the same A, F, PC, SP and stack word it reaches the same again, and the only
// thing it writes is the return address its calls push. z80_wait_loop_prove finds out whether
// the Z80 stands in such a loop by running its instructions one at a time on the record and
// putting the record (and the stack word) back afterwards; it takes only instructions that
// read nothing but A, F and fixed addresses (its RAM, the YM2612 status) and write nothing but
// A, F and PC, and calls and returns whose pushes all store one stack word, apart from the
// loop's code and reads; the loop is proven when the Z80 comes back to a PC, SP and stack word
// with the A and F it had there. The slices of a stretch are then either replayed (the outcome
// of a slice run before from the same PC, SP, AF, stack word and counter) or run as usual and
// kept.

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
inline constexpr u32 kZ80WaitReads = 8;  // the bytes a proven loop may read
struct Z80WaitPortReads {
    u32 count;
    std::array<u16, kZ80WaitReads> at;
    std::array<u8, kZ80WaitReads> value;
};
extern Z80WaitPortReads z80_wait_port_reads;

// Within a stretch, after a slice: true while no interrupt is due.
inline bool z80_wait_no_irq_due() {
    const z80_cpu_context& c = z80_context;
    return (c.irq_check | c.extra_tstates | c.status) == 0;
}

// Within a stretch, after a slice in which the YM2612's timers moved (the only thing that
// changes its status while nothing writes): true while the loop's reads of the status still
// give their values.
inline bool z80_wait_ym_holds() {
    const Z80WaitPortReads& p = z80_wait_port_reads;
    for (u32 k = 0; k < p.count; ++k) {
        if (z80_read_byte(p.at[k]) != p.value[k]) return false;
    }
    return true;
}

// The slice run as usual (z80_run_paths_on) and kept; false when it changed more than such a
// loop can.
bool z80_wait_slice_run();

// The kept slices: from PC, AF, SP, the stack word and the counter at a slice's start, where
// it ended. Each has a stamp, never 0, that a new slice in its place changes; `next` names the
// slice kept for the state this one ends in, when known (with that one's stamp when it was
// named), so that a stretch follows the chain without looking the states up.
struct Z80KeptSlice {
    u16 pc, af, sp, word;
    u32 counter;
    u16 pc_after, af_after, sp_after, word_after;
    u32 counter_after;
    u32 last_tstates;
    u8 r_delta;
    u32 stamp;
    const Z80KeptSlice* next;
    u32 next_stamp;
};
// Where the Z80 stands at no kept slice's end: it names no next one.
inline constexpr Z80KeptSlice kZ80NoKeptSlice{};
inline constexpr u32 kZ80KeptBits    = 9;
inline constexpr u32 kZ80NoStackWord = 0xFFFFFFFFu;
struct Z80WaitReplay {
    Z80KeptSlice* kept = nullptr;  // those of the loop the running stretch's proof found
    // The stack word the loop's calls store (its low byte's address), part of each kept
    // slice's state; kZ80NoStackWord for a loop without calls.
    u32 stack_at = kZ80NoStackWord;
    // The kept slice whose end the Z80 stands at (kZ80NoKeptSlice: none). A slice kept in its
    // place makes the Z80 stand at none.
    const Z80KeptSlice* cur = &kZ80NoKeptSlice;
    // The record has not yet been given the end of the kept slice at `cur`: within a
    // stretch the slices follow the chain and the record is brought up to date only where
    // something else may look at it (z80_wait_catch_up). `r_steps` is what the refresh
    // register has yet to move on by.
    bool behind = false;
    u8 r_steps  = 0;
};
extern Z80WaitReplay z80_wait_replay;

// Slices replayed and run within stretches (benchmarks and tests).
struct Z80WaitStats {
    u64 replayed;
    u64 run;
};
extern Z80WaitStats z80_wait_stats;

inline u32 z80_kept_slot(u32 pc, u32 af, u32 sp, u32 word, u32 counter) {
    const u32 h = (counter * 0x9E3779B1u) ^ ((pc << 16 | af) * 0x85EBCA77u) ^
                  ((sp << 16 | word) * 0xC2B2AE3Du);
    return (h * 0x9E3779B1u) >> (32 - kZ80KeptBits);
}

// The slice kept for the Z80's state, looked up (null when there is none). The record must
// be up to date.
const Z80KeptSlice* z80_wait_find();

// The record brought up to the end of the kept slice the Z80 stands at, when it lags.
void z80_wait_write_record(const Z80KeptSlice& k, u8 r_steps);
[[gnu::always_inline]] inline void z80_wait_catch_up() {
    Z80WaitReplay& r = z80_wait_replay;
    if (r.behind) [[likely]] {
        r.behind = false;
        z80_wait_write_record(*r.cur, r.r_steps);
        r.r_steps = 0;
    }
}

// The Z80's slice within a stretch (the Z80 released), in two parts. The first follows the
// chain: when the kept slice the Z80 stands at names the one kept for the state it ends in,
// the Z80 moves on to that one's end with the record left behind (true); otherwise nothing
// changes (false). The second, for the slice the chain does not cover, brings the record up
// to date and replays a kept slice from the same state, or runs the slice and keeps it: false
// when the slice was run and changed more than such a loop can, and the stretch must end.
[[gnu::always_inline]] inline bool z80_wait_chain_step() {
    Z80WaitReplay& r        = z80_wait_replay;
    const Z80KeptSlice* cur = r.cur;
    const Z80KeptSlice* k   = cur->next;
    if (k == nullptr || k->stamp != cur->next_stamp) [[unlikely]]
        return false;
    r.cur     = k;
    r.r_steps = static_cast<u8>(r.r_steps + k->r_delta);
    r.behind  = true;
    ++z80_wait_stats.replayed;
    return true;
}
bool z80_wait_slice_slow();

// Forgets the proven loop and the kept slices (power-on, tests).
void z80_wait_loop_reset();

}  // namespace varn
