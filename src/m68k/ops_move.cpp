// MOVE and MOVEA (opcode lines 1, 2 and 3): one handler per size, source mode and
// destination mode.
//
// Cycles, set by the destination alone (size and source never change them):
//   Dn 4   An (MOVEA) 4   (An) (An)+ -(An) 8   d16(An) 12   d8(An,Xn) 14   abs.W 12   abs.L 16

#include <utility>

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
// theirs. Returns 0 where that does not hold.
template <class I, Size S, Mode Src, Mode Dst>
inline constexpr bool kCanPoll =
    I::kIsMain&& S == Size::kWord&& Src == Mode::kAl&& Dst == Mode::kDn;

// Called with the position still at the MOVE, whose read, flags and register store are done,
// and the branch two instructions on already looked at.
template <class I>
[[gnu::noinline]] u32 run_poll_loop(u32 ir) {
    auto& c            = I::cpu();
    const u32 op       = ir >> 16;
    const u32 n        = (op >> 9) & 7;
    const u32 pos_move = c.fetch_pos;
    const u32 pos_btst = pos_move + 6;
    const u32 pos_bcc  = pos_btst + 4;
    // BTST #k,Dn on the same register. The words read past the MOVE lie in its fetch region
    // or in the guard bytes behind it.
    const u8* code = memory_arena + pos_btst;
    if (load_be16(code) != (0x0800u | n)) return 0;
    const u32 bit = 1u << (load_be16(code + 2) & 31);
    const u32 d   = dreg<I>(n);
    // BNE (0x66) goes round while the bit is 1, BEQ while it is 0.
    if (((d & bit) != 0) != ((load_be16(code + 4) & 0x0100) == 0)) return 0;
    if (!in_jump_window(c, pos_move)) return 0;
    if (!m68k_read_is_steady(ea_fixed_address<I, Mode::kAl, 2>(ir, op), 2)) return 0;

    const LoopEnd end =
        loop_end(c.cycle_counter,
                 std::array{kMoveToRegisterCycles, kBtstImmRegisterCycles, kBranchTakenCycles});
    if (end.cycles == 0) return 0;
    if (end.last != 0) set_bit_z<I>(d, bit);  // the last round's BTST ran
    c.fetch_pos = end.last == 0 ? pos_btst : end.last == 1 ? pos_bcc : pos_move;
    return end.cycles;
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
        if ((load_be16(memory_arena + I::cpu().fetch_pos + 10) & 0xFEFF) == 0x66F4) {
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

}  // namespace

M68K_FAMILY(move) {
    constexpr auto kDst = std::make_index_sequence<std::size(kDestinations)>{};
    add_size<I, Size::kByte>(out, kDst);
    add_size<I, Size::kWord>(out, kDst);
    add_size<I, Size::kLong>(out, kDst);
}

}  // namespace varn::m68k
