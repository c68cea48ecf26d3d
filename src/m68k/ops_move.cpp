// MOVE and MOVEA (opcode lines 1, 2 and 3): one handler per size, source mode and
// destination mode.
//
// Cycles, set by the destination alone (size and source never change them):
//   Dn 4   An (MOVEA) 4   (An) (An)+ -(An) 8   d16(An) 12   d8(An,Xn) 14   abs.W 12   abs.L 16

#include <cstring>
#include <utility>

#include "base/speed_paths.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

template <Mode Dst>
inline constexpr u32 kMoveCycles = (Dst == Mode::kDn || Dst == Mode::kAn) ? kMoveToRegisterCycles
                                   : Dst == Mode::kDi                     ? 12u
                                   : Dst == Mode::kIx                     ? 14u
                                   : Dst == Mode::kAw                     ? 12u
                                   : Dst == Mode::kAl                     ? 16u
                                                                          : 8u;

// A loop that polls one bit of a status word:
//
//     loop:  MOVE.W (xxx).L,Dn
//            BTST   #k,Dn
//            BEQ.S  loop            (or BNE.S)
//
// When the word's read is steady (m68k_steady_read: read again in this slice it gives the same
// value and changes nothing more) and the bit keeps the loop going, every round until the
// slice ends does the same: the MOVE that just read the word runs them all at once, up to and
// including the instruction whose cycles end the slice, and returns its own cycles and
// theirs. Where the loop stops is noted in m68k_wait_stop, so that the next slice can resume
// it without dispatching the rest of the round (resume_poll_loop).
template <class I, Size S, Mode Src, Mode Dst>
inline constexpr bool kCanPoll =
    I::kIsMain&& S == Size::kWord&& Src == Mode::kAl&& Dst == Mode::kDn;

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

// Called with the position still at the MOVE, whose read, flags and register store are done,
// and the branch two instructions on already looked at.
template <class I>
[[gnu::noinline]] u32 run_poll_loop(u32 ir) {
    if (!speed_paths_enabled()) return 0;
    auto& c            = I::cpu();
    const u32 op       = ir >> 16;
    const u32 n        = (op >> 9) & 7;
    const u32 pos_move = c.fetch_pos;
    const PollTail t   = poll_tail(pos_move, n);
    const u32 d        = dreg<I>(n);
    if (!t.valid || ((d & t.bit) != 0) != t.while_set || !in_jump_window(c, pos_move)) return 0;
    const u32 address = ea_fixed_address<I, Mode::kAl, 2>(ir, op);
    if (!m68k_read_is_steady(address, 2)) return 0;
    const u32 cycles = run_poll_rounds<I>(pos_move, d, t.bit);
    if (cycles != 0) {
        auto& w     = m68k_wait_stop;
        w.start     = pos_move;
        w.resume    = &resume_poll_loop<I>;
        w.address   = address;
        w.reg       = n;
        w.bit       = t.bit;
        w.while_set = t.while_set;
        w.code      = wait_loop_code(pos_move);
    }
    return cycles;
}

template <class I, Size S, Mode Src, Mode Dst>
u32 op_move(u32 ir) {
    constexpr u32 kDstOff = 2 + kExtBytes<Src, S>;
    const u32 op          = ir >> 16;
    const u32 value       = ea_read<I, S, Src, 2>(ir, op);
    set_logic_flags<I, S>(value);
    const u32 dst = op >> 9;
    if constexpr (S == Size::kLong && Dst == Mode::kPd) {
        // The one split write: the low word first, at the higher address.
        u32& a = areg<I>(dst);
        a -= 4;
        I::write16(a + 2, value & 0xFFFF);
        I::write16(a, value >> 16);
    } else {
        ea_write<I, S, Dst, kDstOff>(ir, dst, value);
    }
    if constexpr (kCanPoll<I, S, Src, Dst>) {
        // BEQ.S or BNE.S back to this MOVE, two instructions on.
        if ((load_be16(memory_arena + I::cpu().fetch_pos + kPollBccOffset) & 0xFEFF) ==
            kPollBranch) {
            if (const u32 cycles = run_poll_loop<I>(ir)) return cycles;
        }
    }
    advance<I>(kDstOff + kExtBytes<Dst, S>);
    return kMoveCycles<Dst>;
}

template <class I, Size S, Mode Src>
u32 op_movea(u32 ir) {
    const u32 op = ir >> 16;
    u32 value    = ea_read<I, S, Src, 2>(ir, op);
    if constexpr (S == Size::kWord) value = sign_extend16(value);
    areg<I>(op >> 9) = value;
    advance<I>(2 + kExtBytes<Src, S>);
    return kMoveToRegisterCycles;
}

struct Form {
    Mode mode;
    u32 part;
    u32 mask;
};

inline constexpr Form kSources[] = {
    {Mode::kDn, 0x0000, 0x0038},   {Mode::kAn, 0x0008, 0x0038},  {Mode::kAi, 0x0010, 0x0038},
    {Mode::kPi, 0x0018, 0x0038},   {Mode::kPi7, 0x001F, 0x003F}, {Mode::kPd, 0x0020, 0x0038},
    {Mode::kPd7, 0x0027, 0x003F},  {Mode::kDi, 0x0028, 0x0038},  {Mode::kIx, 0x0030, 0x0038},
    {Mode::kAw, 0x0038, 0x003F},   {Mode::kAl, 0x0039, 0x003F},  {Mode::kPcDi, 0x003A, 0x003F},
    {Mode::kPcIx, 0x003B, 0x003F}, {Mode::kImm, 0x003C, 0x003F},
};

inline constexpr Form kDestinations[] = {
    {Mode::kDn, 0x0000, 0x01C0},  {Mode::kAn, 0x0040, 0x01C0},  {Mode::kAi, 0x0080, 0x01C0},
    {Mode::kPi, 0x00C0, 0x01C0},  {Mode::kPi7, 0x0EC0, 0x0FC0}, {Mode::kPd, 0x0100, 0x01C0},
    {Mode::kPd7, 0x0F00, 0x0FC0}, {Mode::kDi, 0x0140, 0x01C0},  {Mode::kIx, 0x0180, 0x01C0},
    {Mode::kAw, 0x01C0, 0x0FC0},  {Mode::kAl, 0x03C0, 0x0FC0},
};

template <Size S>
inline constexpr u32 kLine = S == Size::kByte   ? 0x1000u
                             : S == Size::kWord ? 0x3000u
                                                : 0x2000u;

template <class I, Size S, std::size_t D, std::size_t Src>
void add_member(Sink<I>& out) {
    constexpr Form d = kDestinations[D];
    constexpr Form s = kSources[Src];
    // No MOVEA.B; the (A7)+ and -(A7) destination forms exist for bytes only (word and long
    // step A7 by 2 and 4 through the general forms).
    if constexpr (S == Size::kByte && d.mode == Mode::kAn) {
        return;
    } else if constexpr (S != Size::kByte && (d.mode == Mode::kPi7 || d.mode == Mode::kPd7)) {
        return;
    } else if constexpr (d.mode == Mode::kAn) {
        add_pattern<&op_movea<I, S, s.mode>>(out, kLine<S> | d.part | s.part,
                                             0xF000 | d.mask | s.mask);
    } else {
        add_pattern<&op_move<I, S, s.mode, d.mode>>(out, kLine<S> | d.part | s.part,
                                                    0xF000 | d.mask | s.mask);
    }
}

template <class I, Size S, std::size_t D, std::size_t... Src>
void add_destination(Sink<I>& out, std::index_sequence<Src...>) {
    (add_member<I, S, D, Src>(out), ...);
}

template <class I, Size S, std::size_t... D>
void add_size(Sink<I>& out, std::index_sequence<D...>) {
    (add_destination<I, S, D>(out, std::make_index_sequence<std::size(kSources)>{}), ...);
}

// A slice that starts where the last one left a poll loop: when the rest of the round (the
// BTST and the branch, or the branch) goes on to the MOVE, they are taken as they would run (the
// BTST's Z is overwritten by the MOVE's flags), the MOVE reads the word, and the loop's rounds run
// at once as above (see M68kWaitStop).
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

}  // namespace

M68K_FAMILY(move) {
    constexpr auto kDst = std::make_index_sequence<std::size(kDestinations)>{};
    add_size<I, Size::kByte>(out, kDst);
    add_size<I, Size::kWord>(out, kDst);
    add_size<I, Size::kLong>(out, kDst);
}

}  // namespace varn::m68k
