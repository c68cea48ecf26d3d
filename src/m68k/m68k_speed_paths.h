#pragma once
// The 68000 core's speed paths: shortcuts that reach exactly the state plain execution
// reaches, only faster. All obey the switch in base/speed_paths.h; off, the dispatch loop runs
// each instruction as a step of its own (src/m68k/m68k.cpp) and none of these runs.
//
// - Chained dispatch: the opcode table holds each handler followed by the step to the next
//   instruction (chained), with the Bcc after a test or compare run in the test's step.
// - The wait loops of the main CPU: a TST loop on a flag and a MOVE/BTST loop on a status bit
//   whose read is steady run all their rounds up to the slice end at once, and the next slice
//   resumes them (M68kWaitStop).
// - Running off an image: the guard bytes behind every fetch region read as opcode 0x0000,
//   whose table entry looks at the position before it runs the instruction, so that the
//   dispatch step never has to.
//
// The instruction families name these entries where they build their patterns
// (tst_entry, move_entry, run_off_entry, add_bcc_pattern); the instructions themselves hold
// none of it.

#include <array>
#include <cstring>

#include "base/speed_paths.h"
#include "m68k/m68k_ea.h"
#include "m68k/m68k_flags.h"
#include "m68k/ops_branch.h"

namespace varn::m68k {

// ---------------------------------------------------------------------------------------
// Chained dispatch
// ---------------------------------------------------------------------------------------

// The longest chain of instructions one dispatch step runs (see chained).
inline constexpr u32 kM68kChainLength = 64;

// Whether a handler's table entry runs a conditional branch that follows it in its step.
enum class Then { kNext, kBranch };

// What the opcode table holds for instruction handler H: H itself, followed by the dispatch
// step for the next instruction, so that each handler ends in its own indirect jump and the
// host's branch predictor learns which instruction follows which. The counter is carried in
// the record (the instruction just run is accounted before the next is fetched). The chain
// returns H's cycles, unaccounted, to the dispatch loop when they end the slice and after
// kM68kChainLength instructions (one with the speed paths off), which bounds the stack where
// the compiler makes no tail call.
//
// The entries of the tests and compares (Then::kBranch) run a Bcc that follows them in the
// same step rather than through the table, on the commonest pair of all; the Bcc runs as
// the instruction it is (its own accounting and slice end). They do so only when the table's
// entry for the next opcode is the Bcc entry, so that a table whose entries stand in for
// others (a counting run) sees every instruction.
template <class I, M68kHandler H, Then T = Then::kNext>
u32 chained(u32 ir) {
    auto& c           = I::cpu();
    const u32 cycles  = H(ir);
    const u32 counter = static_cast<u32>(c.cycle_counter) + cycles;
    if (counter < cycles || --I::chain_left() == 0) [[unlikely]]
        return cycles;
    c.cycle_counter   = static_cast<s32>(counter);
    u32 next          = load_be32(memory_arena + c.fetch_pos);
    M68kHandler entry = I::table()[next >> 16];
    if constexpr (T == Then::kBranch) {
        if (entry == &chained<I, &op_bcc<I>>) {
            // The Bcc's own step, inline: its accounting and slice end as its entry has them.
            // The counter is read back, as a Bcc that halts has parked it (leave_slice).
            const u32 branch = op_bcc<I>(next);
            const u32 after  = static_cast<u32>(c.cycle_counter) + branch;
            if (after < branch || --I::chain_left() == 0) [[unlikely]]
                return branch;
            c.cycle_counter = static_cast<s32>(after);
            next            = load_be32(memory_arena + c.fetch_pos);
            entry           = I::table()[next >> 16];
        }
    }
    return entry(next);
}

// ---------------------------------------------------------------------------------------
// Running off an image
// ---------------------------------------------------------------------------------------

// The entry of ORI.B #imm,Dn (H), which serves opcode 0x0000, the guard bytes' opcode: when
// the position lies past its fetch region the PC reached is resolved afresh (run_off_image)
// instead of running H.
template <class I, M68kHandler H>
u32 run_off_checked(u32 ir) {
    if (ran_off_image<I>()) [[unlikely]]
        return run_off_image<I>();
    return H(ir);
}

template <class I, M68kHandler H>
consteval M68kHandler run_off_entry() {
    return &run_off_checked<I, H>;
}

// ---------------------------------------------------------------------------------------
// Wait loops
// ---------------------------------------------------------------------------------------

// Where the last slice left a wait loop of the main CPU (a loop on a steady read that ran its
// rounds to the slice end: the TST loop or the poll loop below), with what the loop is: the
// position the slice stopped at, the loop's first instruction (the one that reads), the
// function that resumes the loop, the address it reads, for the poll loop the register it
// loads, the bit it tests and whether it goes round while the bit is set, and the loop's code
// bytes as they were. A slice that starts at that position calls `resume`: having checked the
// code and the state afresh, it runs the rest of the round and the rounds up to the slice end
// at once and returns the cycles to add to the record (whose counter it may have moved on),
// or 0 where the slice is to run as usual. `size` is the bytes the loop reads and
// `goes_round` tells whether a value read there keeps the loop going (its own test, the
// record left as it was), for the replay of whole wait slices (m68k_wait_replay.h).
struct M68kWaitStop {
    u32 at                    = 0xFFFFFFFFu;
    u32 start                 = 0;
    u32 (*resume)()           = nullptr;
    bool (*goes_round)(u32 v) = nullptr;
    u32 address               = 0;
    u32 size                  = 0;
    u32 reg                   = 0;
    u32 bit                   = 0;
    bool while_set            = false;
    std::array<u32, 3> code{};
};
extern M68kWaitStop m68k_wait_stop;

// The twelve code bytes at arena position `pos` as raw words (compared, never interpreted):
// enough for every wait loop. They lie in a fetch region or in the guard bytes behind it.
M68K_INLINE std::array<u32, 3> wait_loop_code(u32 pos) {
    std::array<u32, 3> code;
    std::memcpy(code.data(), memory_arena + pos, sizeof code);
    return code;
}

// The resume's checks, common to every loop: the code is unchanged and the loop lies in the
// jump window; then, when the rest of the round (`partial` cycles, to the loop's first
// instruction) leaves the slice running and the loop's read is still steady, the counter
// moves on by them and the position to the loop's start. False, with nothing changed,
// otherwise. Only a slice run with the speed paths on resumes a loop (see run_slice_body).
template <class I>
M68K_INLINE bool resume_checks(u32 size) {
    const auto& w = m68k_wait_stop;
    return wait_loop_code(w.start) == w.code && in_jump_window(I::cpu(), w.start) &&
           m68k_read_is_steady(w.address, size);
}
template <class I>
M68K_INLINE bool resume_at_loop_start(u32 partial) {
    auto& c           = I::cpu();
    const s32 counter = c.cycle_counter;
    if (counter >= 0 || partial >= 0u - static_cast<u32>(counter)) return false;
    c.cycle_counter = static_cast<s32>(static_cast<u32>(counter) + partial);
    c.fetch_pos     = m68k_wait_stop.start;
    return true;
}

// Where a loop whose rounds repeat unchanged ends within the slice. `cycles` are the loop's
// instructions in order, starting with the running one; `counter` is the counter before it.
// Gives the cycles from the running instruction up to and including the one whose cycles end
// the slice, and that instruction's index in `cycles`; cycles 0 when the running instruction
// ends the slice itself.
struct LoopEnd {
    u32 cycles;
    u32 last;
};
template <std::size_t N>
M68K_INLINE LoopEnd loop_end(s32 counter, const std::array<u32, N>& cycles) {
    u32 round = 0;
    for (const u32 n : cycles) round += n;
    const u32 left = 0u - static_cast<u32>(counter);  // cycles until the counter reaches 0
    if (counter >= 0 || cycles[0] >= left) return {0, 0};
    // Whole rounds that leave the counter below zero, then instruction by instruction: at most
    // one more round is needed, as the whole rounds leave at most a round's cycles.
    u32 total = (left - 1) / round * round;
    for (u32 i = 0; i + 1 < N; ++i) {
        total += cycles[i];
        if (total >= left) return {total, i};
    }
    return {total + cycles[N - 1], N - 1};
}

// The address of the absolute operand (abs.W or abs.L, its first word in `ir`) of the
// instruction at arena position `pos`: the wait loops look at it once the instruction has run
// and the position has moved past it.
template <Mode M>
M68K_INLINE u32 absolute_address(u32 ir, u32 pos) {
    if constexpr (M == Mode::kAw) {
        return sign_extend16(ir & 0xFFFF);
    } else {
        static_assert(M == Mode::kAl, "not an absolute mode");
        return (ir << 16) | load_be16(memory_arena + pos + 4);
    }
}

// ---- The TST loop ----
//
// A loop that waits on a flag in memory, as code waits for its interrupt handler to set one:
//
//     loop:  TST.B (xxx).L       (or TST.W, or an (xxx).W address)
//            Bcc.S loop
//
// When the flag's read is steady (m68k_steady_read: read again in this slice it gives the same
// value and changes nothing more) and the flags the TST just set take the branch, every round
// until the slice ends reads the same value, sets the same flags and branches again: they
// change nothing but the counter and the position. The TST's entry then runs them all at
// once, up to and including the instruction whose cycles end the slice (the TST or the branch
// of the last round), and returns the TST's cycles and theirs.
template <class I, Size S, Mode M>
inline constexpr bool kCanWait = I::kIsMain && (S == Size::kByte || S == Size::kWord) &&
                                 (M == Mode::kAw || M == Mode::kAl);

template <Size S, Mode M>
inline constexpr u32 kTstLength = 2 + kExtBytes<M, S>;

template <class I, Size S, Mode M>
u32 resume_wait_loop();

// Whether the TST loop goes round on `value`: the flags the TST would set from it take the
// branch (worked out on a copy of the status register).
template <class I, Size S, Mode M>
bool wait_loop_goes_round(u32 value) {
    auto& c         = I::cpu();
    const auto kept = c.sr;
    set_logic_flags<I, S>(value);
    const u32 cc     = load_be16(memory_arena + m68k_wait_stop.start + kTstLength<S, M>) >> 8;
    const bool round = m68k_test_condition(cc, c.sr);
    c.sr             = kept;
    return round;
}

// The rounds after a TST at `pos_tst` whose flags take the branch: runs them up to the slice
// end and returns their cycles with the TST's, or 0 when the TST ends the slice itself. The
// record's counter is the one before the TST.
template <class I, Size S, Mode M>
M68K_INLINE u32 run_wait_rounds(u32 pos_tst) {
    auto& c           = I::cpu();
    const LoopEnd end = loop_end(c.cycle_counter, std::array{kTstCycles, kBranchTakenCycles});
    if (end.cycles == 0) return 0;
    c.fetch_pos       = end.last == 0 ? pos_tst + kTstLength<S, M> : pos_tst;
    m68k_wait_stop.at = c.fetch_pos;
    return end.cycles;
}

// True when `bcc`, the word after the TST, is Bcc.S (not BRA or BSR) back to the TST.
template <Size S, Mode M>
M68K_INLINE bool branches_back_to_tst(u32 bcc) {
    return (bcc & 0xF0FF) == (0x6000u | ((0u - (kTstLength<S, M> + 2)) & 0xFF)) &&
           (bcc & 0x0E00) != 0;
}

// Called with the position past the TST (`ir`), whose read and flags are done, the branch
// after it going back to it, and the TST's read found steady before it was made.
template <class I, Size S, Mode M>
M68K_INLINE u32 run_wait_loop(u32 ir, u32 bcc) {
    auto& c           = I::cpu();
    const u32 pos_tst = c.fetch_pos - kTstLength<S, M>;
    // The branch is taken with the flags just set.
    if (!m68k_test_condition(bcc >> 8, c.sr) || !in_jump_window(c, pos_tst)) return 0;
    const u32 cycles = run_wait_rounds<I, S, M>(pos_tst);
    if (cycles != 0) {
        auto& w      = m68k_wait_stop;
        w.start      = pos_tst;
        w.resume     = &resume_wait_loop<I, S, M>;
        w.goes_round = &wait_loop_goes_round<I, S, M>;
        w.address    = absolute_address<M>(ir, pos_tst);
        w.size       = kSizeBytes<S>;
        w.code       = wait_loop_code(pos_tst);
    }
    return cycles;
}

// A TST (handler Tst) with the branch back to it after it. Whether its read is steady is
// asked before the TST reads: a read that reports a bit once (and clears it) is not, and
// after it the bus could no longer tell.
template <class I, Size S, Mode M, M68kHandler Tst>
[[gnu::noinline, gnu::flatten]] u32 tst_wait_loop(u32 ir, u32 bcc) {
    if (!speed_paths_enabled()) return Tst(ir);
    const u32 pos_tst = I::cpu().fetch_pos;
    const bool steady = m68k_read_is_steady(absolute_address<M>(ir, pos_tst), kSizeBytes<S>);
    const u32 cycles  = Tst(ir);
    if (steady) {
        if (const u32 rounds = run_wait_loop<I, S, M>(ir, bcc)) return rounds;
    }
    return cycles;
}

// The entry of a TST (handler Tst) that can be such a loop.
template <class I, Size S, Mode M, M68kHandler Tst>
u32 tst_then_wait(u32 ir) {
    const u32 bcc = load_be16(memory_arena + I::cpu().fetch_pos + kTstLength<S, M>);
    if (branches_back_to_tst<S, M>(bcc)) [[unlikely]]
        return tst_wait_loop<I, S, M, Tst>(ir, bcc);
    return Tst(ir);
}

template <class I, Size S, Mode M, M68kHandler Tst>
consteval M68kHandler tst_entry() {
    if constexpr (kCanWait<I, S, M>) {
        return &tst_then_wait<I, S, M, Tst>;
    } else {
        return Tst;
    }
}

// A slice that starts where the last one left the loop: when the branch stands first and its
// condition goes round, it is taken as it would run; then the TST reads the flag and the
// loop's rounds run at once as above (see M68kWaitStop).
template <class I, Size S, Mode M>
u32 resume_wait_loop() {
    auto& c       = I::cpu();
    const auto& w = m68k_wait_stop;
    if (!resume_checks<I>(kSizeBytes<S>)) return 0;
    const u32 cc = load_be16(memory_arena + w.start + kTstLength<S, M>) >> 8;
    u32 partial  = 0;  // the cycles from here to the TST
    if (c.fetch_pos != w.start) {
        if (!m68k_test_condition(cc, c.sr)) return 0;
        partial = kBranchTakenCycles;
    }
    if (!resume_at_loop_start<I>(partial)) return 0;
    set_logic_flags<I, S>(bus_read<I, S>(w.address));
    if (m68k_test_condition(cc, c.sr)) {
        if (const u32 cycles = run_wait_rounds<I, S, M>(w.start)) return cycles;
    }
    c.fetch_pos = w.start + kTstLength<S, M>;
    return kTstCycles;
}

// ---- The poll loop ----
//
// A loop that polls one bit of a status word:
//
//     loop:  MOVE.W (xxx).L,Dn
//            BTST   #k,Dn
//            BEQ.S  loop            (or BNE.S)
//
// When the word's read is steady and the bit keeps the loop going, every round until the
// slice ends does the same: the MOVE's entry runs them all at once, up to and including the
// instruction whose cycles end the slice, and returns the MOVE's cycles and theirs.
template <class I, Size S, Mode Src, Mode Dst>
inline constexpr bool kCanPoll =
    I::kIsMain&& S == Size::kWord&& Src == Mode::kAl&& Dst == Mode::kDn;

inline constexpr u32 kPollMoveLength = 6;       // MOVE.W (xxx).L,Dn
inline constexpr u32 kPollBtstOffset = 6;       // the BTST's offset from the MOVE
inline constexpr u32 kPollBccOffset  = 10;      // the branch's
inline constexpr u32 kPollBranch     = 0x66F4;  // BNE.S back to the MOVE (BEQ: bit 8 clear)

// The BTST and the branch of a poll loop whose MOVE at arena position `pos_move` loads Dn:
// the bit tested, and whether the loop goes round while it is set (BNE) or clear (BEQ).
// The words read past the MOVE lie in its fetch region or in the guard bytes behind it.
struct PollTail {
    bool valid;
    u32 bit;
    bool while_set;
};
M68K_INLINE PollTail poll_tail(u32 pos_move, u32 n) {
    const u8* code = memory_arena + pos_move + kPollBtstOffset;
    const u32 bcc  = load_be16(code + 4);
    if (load_be16(code) != (0x0800u | n) || (bcc & 0xFEFF) != kPollBranch) return {};
    return {true, 1u << (load_be16(code + 2) & 31), (bcc & 0x0100) == 0};
}

template <class I>
u32 resume_poll_loop();

// Whether the poll loop goes round on `value`, the word the MOVE loads into the low half of
// its register.
template <class I>
bool poll_loop_goes_round(u32 value) {
    const auto& w = m68k_wait_stop;
    const u32 d   = (dreg<I>(w.reg) & 0xFFFF0000u) | (value & 0xFFFF);
    return ((d & w.bit) != 0) == w.while_set;
}

// The rounds after a MOVE that has just loaded `d`, when `d` keeps the loop going: runs them
// up to the slice end (see above) and returns their cycles with the MOVE's, or 0 when the
// MOVE ends the slice itself. The record's counter is the one before the MOVE.
template <class I>
M68K_INLINE u32 run_poll_rounds(u32 pos_move, u32 d, u32 bit) {
    auto& c = I::cpu();
    const LoopEnd end =
        loop_end(c.cycle_counter,
                 std::array{kMoveToRegisterCycles, kBtstImmRegisterCycles, kBranchTakenCycles});
    if (end.cycles == 0) return 0;
    if (end.last != 0) set_bit_z<I>(d, bit);  // the last round's BTST ran
    c.fetch_pos = pos_move + (end.last == 0 ? kPollBtstOffset : end.last == 1 ? kPollBccOffset : 0);
    m68k_wait_stop.at = c.fetch_pos;
    return end.cycles;
}

// Called with the position past the MOVE (`ir`), whose read, flags and register store are
// done, the branch two instructions on already looked at, and the MOVE's read found steady
// before it was made.
template <class I>
M68K_INLINE u32 run_poll_loop(u32 ir) {
    auto& c            = I::cpu();
    const u32 op       = ir >> 16;
    const u32 n        = (op >> 9) & 7;
    const u32 pos_move = c.fetch_pos - kPollMoveLength;
    const PollTail t   = poll_tail(pos_move, n);
    const u32 d        = dreg<I>(n);
    if (!t.valid || ((d & t.bit) != 0) != t.while_set || !in_jump_window(c, pos_move)) return 0;
    const u32 cycles = run_poll_rounds<I>(pos_move, d, t.bit);
    if (cycles != 0) {
        auto& w      = m68k_wait_stop;
        w.start      = pos_move;
        w.resume     = &resume_poll_loop<I>;
        w.goes_round = &poll_loop_goes_round<I>;
        w.address    = absolute_address<Mode::kAl>(ir, pos_move);
        w.size       = 2;
        w.reg        = n;
        w.bit        = t.bit;
        w.while_set  = t.while_set;
        w.code       = wait_loop_code(pos_move);
    }
    return cycles;
}

// A MOVE (handler Move) with BEQ.S or BNE.S back to it two instructions on. Whether its read
// is steady is asked before the MOVE reads (see tst_wait_loop).
template <class I, M68kHandler Move>
[[gnu::noinline, gnu::flatten]] u32 move_poll_loop(u32 ir) {
    if (!speed_paths_enabled()) return Move(ir);
    const u32 pos_move = I::cpu().fetch_pos;
    const bool steady  = m68k_read_is_steady(absolute_address<Mode::kAl>(ir, pos_move), 2);
    const u32 cycles   = Move(ir);
    if (steady) {
        if (const u32 rounds = run_poll_loop<I>(ir)) return rounds;
    }
    return cycles;
}

// The entry of a MOVE (handler Move) that can be such a loop.
template <class I, M68kHandler Move>
u32 move_then_poll(u32 ir) {
    const u32 bcc = load_be16(memory_arena + I::cpu().fetch_pos + kPollBccOffset);
    if ((bcc & 0xFEFF) == kPollBranch) [[unlikely]]
        return move_poll_loop<I, Move>(ir);
    return Move(ir);
}

template <class I, Size S, Mode Src, Mode Dst, M68kHandler Move>
consteval M68kHandler move_entry() {
    if constexpr (kCanPoll<I, S, Src, Dst>) {
        return &move_then_poll<I, Move>;
    } else {
        return Move;
    }
}

// A slice that starts where the last one left a poll loop: when the rest of the round (the
// BTST and the branch, or the branch) goes on to the MOVE, they are taken as they would run
// (the BTST's Z is overwritten by the MOVE's flags), the MOVE reads the word, and the loop's
// rounds run at once as above (see M68kWaitStop).
template <class I>
u32 resume_poll_loop() {
    auto& c       = I::cpu();
    const auto& w = m68k_wait_stop;
    if (!resume_checks<I>(2)) return 0;
    u32 partial = 0;  // the cycles from here to the MOVE
    if (c.fetch_pos == w.start + kPollBtstOffset) {
        if (((dreg<I>(w.reg) & w.bit) != 0) != w.while_set) return 0;
        partial = kBtstImmRegisterCycles + kBranchTakenCycles;
    } else if (c.fetch_pos == w.start + kPollBccOffset) {
        if ((c.sr.z != 0) != w.while_set) return 0;  // BNE goes round on Z clear, BEQ on Z set
        partial = kBranchTakenCycles;
    }
    if (!resume_at_loop_start<I>(partial)) return 0;
    const u32 value = I::read16(w.address);
    u32& d          = dreg<I>(w.reg);
    d               = (d & 0xFFFF0000u) | value;
    set_logic_flags<I, Size::kWord>(value);
    if (((d & w.bit) != 0) == w.while_set) {
        if (const u32 cycles = run_poll_rounds<I>(w.start, d, w.bit)) return cycles;
    }
    c.fetch_pos = w.start + kPollBtstOffset;
    return kMoveToRegisterCycles;
}

}  // namespace varn::m68k
