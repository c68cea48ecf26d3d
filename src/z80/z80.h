#pragma once
// The Z80 core: one body of code bound to several contexts. Each machine binds its own
// context and bus to the same core through z80_core.h (the Genesis sound CPU in
// genesis/z80/, the Master System CPU in sms/); the core knows no machine.
//
// Timing model: the core runs in timeslices. The slice budget is negative; the cycle
// counter starts at budget + overshoot and the slice ends at the first instruction whose
// T-states carry the counter across zero. Interrupt lines are looked at only at slice entry,
// and only when the check flag says a line was raised since.

#include <span>

#include "base/byte_io.h"
#include "base/types.h"

namespace varn {

// Status bits that mean "stopped by an emulation error" (an undefined opcode, or code
// fetched from a page that holds none). The emulation thread clears them when it accepts a
// new run entry; until then the core does not run.
inline constexpr u32 kZ80StatusHalted = 0x300;

// Interrupt line bits.
inline constexpr u8 kZ80LineIrq = 0x01;
inline constexpr u8 kZ80LineNmi = 0x02;

// IFF1/IFF2 are held as 0 or 4: 4 is the P/V bit of F, so LD A,I / LD A,R OR IFF2 straight
// into the flags.
inline constexpr u8 kZ80IffOn = 0x04;

// One Z80's register file and run state. A plain record: it lives for the program's life
// and is saved field by field (z80_save_state_chunk), never copied as a block.
struct z80_cpu_context {
    u32 status;  // kZ80StatusHalted bits after an emulation error

    // Current code window: fetch_mem[pc - fetch_lo] is the byte at pc while
    // pc - fetch_lo < fetch_size. fetch_mem always points at the start of a page of the
    // memory array the instance fetches from (never a biased pointer).
    const u8* fetch_mem;
    u32 fetch_lo;
    u32 fetch_size;

    u8 irq_check;  // set by whoever raises a line; tested and cleared at slice entry
    u8 irq_lines;  // kZ80LineIrq | kZ80LineNmi

    u32 last_tstates;   // T-states of the instruction just executed
    s32 slice_budget;   // slice length, negative (default -21)
    u32 cycle_counter;  // counts up from a negative value; the slice ends crossing zero
    u32 extra_tstates;  // T-states booked for the next slice (EI)
    u8 slice_exit;      // why the running slice ends early (internal to the run loop)

    u16 af, bc, de, hl;  // high byte A, B, D, H; low byte F, C, E, L
    u16 ix, iy, pc, sp;
    u8 i;
    // R is held in two parts so that counting it is a plain increment: r counts freely and
    // only its low 7 bits belong to R; r7 is R's bit 7, which only LD R,A changes. Read
    // and write the whole register with z80_get_r / z80_set_r.
    u8 r, r7;
    u8 iff1, iff2;  // 0 or kZ80IffOn
    u16 af2, bc2, de2, hl2;
    u8 im;      // interrupt mode 0-2 (kept and saved; acceptance always vectors to 0x38)
    u8 halted;  // nonzero while a HALT waits
    u8 woken;   // set by every interrupt acceptance, cleared by HALT
};

inline u8 z80_get_r(const z80_cpu_context& c) { return static_cast<u8>((c.r & 0x7F) | c.r7); }
inline void z80_set_r(z80_cpu_context& c, u8 v) {
    c.r  = static_cast<u8>(v & 0x7F);
    c.r7 = static_cast<u8>(v & 0x80);
}

// Default slice budget of both instances (the settings key replaces only its low byte).
inline constexpr s32 kZ80DefaultSliceBudget = -21;

// An instance as the program starts it and as its records' reset leaves it: everything
// zero, the default slice budget until the settings give another.
constexpr z80_cpu_context z80_initial_context() {
    z80_cpu_context c{};
    c.slice_budget = kZ80DefaultSliceBudget;
    return c;
}

}  // namespace varn
