// Packed-decimal add and subtract with extend, ABCD (line C) and SBCD (line 8), and the
// register exchange EXG (line C). They sit in the Dn,<ea> slots of OR and AND whose mode is
// a register.
//
//   instruction                    cycles
//   ABCD, SBCD Dy,Dx               6
//   ABCD, SBCD -(Ay),-(Ax)         18
//   EXG (every form)               6
//
// The decimal result is the binary sum or difference put right by two digit corrections, the
// high one decided on the uncorrected value. X = C = the decimal carry or borrow; Z is only
// ever cleared, so a chain over a multi-byte number keeps Z set only when every byte was zero;
// N and V are cleared.

#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

inline constexpr u32 kBcdRegisterCycles = 6;
inline constexpr u32 kBcdMemoryCycles   = 18;
inline constexpr u32 kExgCycles         = 6;

template <bool Add>
constexpr DecimalResult bcd(u32 d, u32 s, u32 x) {
    return Add ? bcd_add(d, s, x) : bcd_sub(d, s, x);
}

template <class I, bool Add>
u32 op_bcd_reg(u32 ir) {
    const u32 op = ir >> 16;
    u32& dx      = dreg<I>(op >> 9);
    const auto r = bcd<Add>(dx & 0xFF, dreg<I>(op) & 0xFF, x_bit<I>());
    set_sized<Size::kByte>(dx, r.value);
    set_bcd_flags<I>(r);
    advance<I>(2);
    return kBcdRegisterCycles;
}

// -(Ay),-(Ax): both registers step by 1, A7 too; the same register steps twice.
template <class I, bool Add>
u32 op_bcd_mem(u32 ir) {
    const u32 op = ir >> 16;
    u32& ay      = areg<I>(op);
    ay -= 1;
    const u32 s = I::read8(ay) & 0xFF;
    u32& ax     = areg<I>(op >> 9);
    ax -= 1;
    const u32 d  = I::read8(ax) & 0xFF;
    const auto r = bcd<Add>(d, s, x_bit<I>());
    set_bcd_flags<I>(r);
    I::write8(ax, r.value);
    advance<I>(2);
    return kBcdMemoryCycles;
}

// EXG Rx,Ry: `X` and `Y` are the register kinds (0 data, 8 address); A7 is the live stack
// pointer, the inactive one is not touched.
template <class I, u32 X, u32 Y>
u32 op_exg(u32 ir) {
    const u32 op = ir >> 16;
    auto& regs   = I::cpu().regs;
    std::swap(regs[X + ((op >> 9) & 7)], regs[Y + (op & 7)]);
    advance<I>(2);
    return kExgCycles;
}

}  // namespace

M68K_FAMILY(bcd_exg) {
    add_pattern<&op_bcd_reg<I, false>>(out, 0x8100, 0xF1F8);  // SBCD Dy,Dx
    add_pattern<&op_bcd_mem<I, false>>(out, 0x8108, 0xF1F8);  // SBCD -(Ay),-(Ax)
    add_pattern<&op_bcd_reg<I, true>>(out, 0xC100, 0xF1F8);   // ABCD Dy,Dx
    add_pattern<&op_bcd_mem<I, true>>(out, 0xC108, 0xF1F8);   // ABCD -(Ay),-(Ax)
    add_pattern<&op_exg<I, kM68kD0, kM68kD0>>(out, 0xC140, 0xF1F8);
    add_pattern<&op_exg<I, kM68kA0, kM68kA0>>(out, 0xC148, 0xF1F8);
    add_pattern<&op_exg<I, kM68kD0, kM68kA0>>(out, 0xC188, 0xF1F8);
}

}  // namespace varn::m68k
