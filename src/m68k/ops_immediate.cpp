// Immediate operations (line 0): ORI, ANDI, EORI, SUBI, ADDI and CMPI on a data register or
// memory, and ORI, ANDI, EORI to CCR and to SR. The immediate follows the opcode (a byte
// immediate is the low half of its word); the destination's extension words follow the
// immediate. One handler per operation, size and destination mode; memory operands are
// read-modify-write (CMPI only reads).
//
//   cycles        Dn b/w   Dn l   memory b/w   memory l
//   ORI, EORI       8       16        12          20
//   ANDI            8       14        12          20
//   SUBI, ADDI      8       16        12          20
//   CMPI            8       14         8          12
//   to CCR 20, to SR 20 (leaving through the interrupt check)
//
// CMPI alone also reads d16(PC) and d8(PC,Xn) operands.

#include "m68k/m68k_ea_forms.h"
#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr OperandCycles kOriEoriCycles{{8, 16}, {12, 20}};
inline constexpr OperandCycles kAndiCycles{{8, 14}, {12, 20}};
inline constexpr OperandCycles kAddiSubiCycles{{8, 16}, {12, 20}};
inline constexpr OperandCycles kCmpiCycles{{8, 14}, {8, 12}};
inline constexpr u32 kToStatusCycles = 20;  // to CCR and to SR

// Offset of the destination's extension words: behind a one- or two-word immediate.
template <Size S>
inline constexpr u32 kDstOff = S == Size::kLong ? 6u : 4u;

template <class I, Size S>
inline u32 immediate(u32 ir) {
    return ea_read<I, S, Mode::kImm, 2>(ir, 0);
}

template <class I, Logic L, Size S, Mode M>
u32 op_logic_imm(u32 ir) {
    const u32 imm = immediate<I, S>(ir);
    ea_modify<I, S, M, kDstOff<S>>(ir, ir >> 16, [imm](u32 v) {
        const u32 r = logic<L>(v, imm);
        set_logic_flags<I, S>(r);
        return r;
    });
    advance<I>(kDstOff<S> + kExtBytes<M, S>);
    return by_operand<S, M>(L == Logic::kAnd ? kAndiCycles : kOriEoriCycles);
}

template <class I, AddSub A, Size S, Mode M>
u32 op_arith_imm(u32 ir) {
    const u32 imm = immediate<I, S>(ir);
    ea_modify<I, S, M, kDstOff<S>>(ir, ir >> 16, [imm](u32 v) {
        const AddSubResult r = add_sub<A, S>(imm, v);
        set_arith_flags<I>(r);
        return r.res;
    });
    advance<I>(kDstOff<S> + kExtBytes<M, S>);
    return by_operand<S, M>(kAddiSubiCycles);
}

template <class I, Size S, Mode M>
u32 op_cmpi(u32 ir) {
    const u32 imm = immediate<I, S>(ir);
    const u32 v   = ea_read<I, S, M, kDstOff<S>>(ir, ir >> 16);
    set_compare_flags<I>(add_sub<AddSub::kSub, S>(imm, v));
    advance<I>(kDstOff<S> + kExtBytes<M, S>);
    return by_operand<S, M>(kCmpiCycles);
}

// To CCR: all eight bits of the low byte take part, bits 5-7 included.
template <class I, Logic L>
u32 op_logic_ccr(u32 ir) {
    auto& c = I::cpu();
    c.sr    = static_cast<u16>((c.sr & 0xFF00u) | (logic<L>(c.sr, ir) & 0xFFu));
    advance<I>(4);
    return kToStatusCycles;
}

// To SR: every bit is stored; the stack pointer follows the new S bit and an interrupt that
// the new mask allows is taken before the next instruction. No privilege test.
template <class I, Logic L>
u32 op_logic_sr(u32 ir) {
    auto& c     = I::cpu();
    c.sr        = static_cast<u16>(logic<L>(c.sr, ir & 0xFFFFu));
    c.irq_check = 1;
    switch_stack_for_sr<I>();
    advance<I>(4);
    return check_irq<I>(kToStatusCycles);
}

// ORI.B #imm,Dn serves opcode 0x0000, which the guard bytes behind every image read as: its
// entry first looks whether the position ran off the image (run_off_entry).
template <class I, Logic L, Size S, Mode M>
consteval M68kHandler logic_imm_entry() {
    if constexpr (L == Logic::kOr && S == Size::kByte && M == Mode::kDn) {
        return run_off_entry<I, &op_logic_imm<I, L, S, M>>();
    } else {
        return &op_logic_imm<I, L, S, M>;
    }
}

template <class I, Logic L, Size S>
void add_logic(Sink<I>& out, u32 base) {
    for_each_form<kDataAlterable>([&]<EaForm F>() {
        add_pattern<logic_imm_entry<I, L, S, handler_mode<S>(F.mode)>()>(
            out, base | kSizeField<S> | F.bits, 0xFFC0 | F.mask);
    });
}

template <class I, AddSub A, Size S>
void add_arith(Sink<I>& out, u32 base) {
    for_each_form<kDataAlterable>([&]<EaForm F>() {
        add_pattern<&op_arith_imm<I, A, S, handler_mode<S>(F.mode)>>(
            out, base | kSizeField<S> | F.bits, 0xFFC0 | F.mask);
    });
}

inline constexpr std::array kCmpiForms{kFormDn, kFormAi, kFormPi, kFormPi7, kFormPd,   kFormPd7,
                                       kFormDi, kFormIx, kFormAw, kFormAl,  kFormPcDi, kFormPcIx};

template <class I, Size S>
void add_cmpi(Sink<I>& out) {
    for_each_form<kCmpiForms>([&]<EaForm F>() {
        add_pattern<&op_cmpi<I, S, handler_mode<S>(F.mode)>, Then::kBranch>(
            out, 0x0C00 | kSizeField<S> | F.bits, 0xFFC0 | F.mask);
    });
}

template <class I, Logic L>
void add_logic_all(Sink<I>& out, u32 base) {
    add_logic<I, L, Size::kByte>(out, base);
    add_logic<I, L, Size::kWord>(out, base);
    add_logic<I, L, Size::kLong>(out, base);
    add_pattern<&op_logic_ccr<I, L>>(out, base | 0x3C, 0xFFFF);
    add_pattern<&op_logic_sr<I, L>>(out, base | 0x7C, 0xFFFF);
}

template <class I, AddSub A>
void add_arith_all(Sink<I>& out, u32 base) {
    add_arith<I, A, Size::kByte>(out, base);
    add_arith<I, A, Size::kWord>(out, base);
    add_arith<I, A, Size::kLong>(out, base);
}

}  // namespace

M68K_FAMILY(immediate) {
    add_logic_all<I, Logic::kOr>(out, 0x0000);
    add_logic_all<I, Logic::kAnd>(out, 0x0200);
    add_arith_all<I, AddSub::kSub>(out, 0x0400);
    add_arith_all<I, AddSub::kAdd>(out, 0x0600);
    add_logic_all<I, Logic::kEor>(out, 0x0A00);
    add_cmpi<I, Size::kByte>(out);
    add_cmpi<I, Size::kWord>(out);
    add_cmpi<I, Size::kLong>(out);
}

}  // namespace varn::m68k
