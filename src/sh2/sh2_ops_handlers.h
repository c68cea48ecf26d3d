#pragma once
// The SH-2 instruction handlers and the pattern list the opcode tables are built from,
// written once for every core that runs SH-2 code. A handler performs its instruction and
// then meets its core's run loop through the core's flow (`I::Flow`, below): how the running
// instruction's address and the base of PC-relative operands are found, how a branch hands
// over its target, what an instruction costs and what SLEEP does.
//
// Cycle counts of the main flow (bit 1 is bit 1 of the instruction's own address; see
// mem_cycles):
//   register-only ALU, shifts, moves, compares, MULS.W/MULU.W, DIV0x, DIV1,
//   LDC/STC to and from registers, LDS/STS PR                        1
//   MUL.L, DMULS.L, DMULU.L, MAC.L, MAC.W, LDC.L                      3
//   memory operands, LDS.L, STS.L, CLRMAC, LDS/STS MACH/MACL          1 / 2
//   STC.L                                                             3 / 2
//   TST.B, AND.B, XOR.B, OR.B #imm,@(R0,GBR)                          3 / 4
//   TAS.B                                                             5 / 4
//   BT, BF                                     3 taken, 1 not taken
//   BT/S, BF/S                                 2 taken, 1 not taken (plus the slot)
//   BRA, BSR, BRAF, BSRF, JMP, JSR, RTS        2 (plus the slot)
//   RTE 4 (plus the slot), TRAPA 8
// A flow with a cost table of its own gives the second value of each cost<I>(main, own).

#include <array>
#include <span>
#include <type_traits>

#include "base/bits.h"
#include "base/pattern_table.h"
#include "sh2/sh2_core.h"
#include "sh2/sh2_ops.h"

namespace varn {
namespace sh2 {

// ---------------------------------------------------------------------------------------
// Flows
// ---------------------------------------------------------------------------------------

// The main core's flow (its loop is in sh2.cpp): the handler sets `next` to a branch target
// and returns its cycles, plus kSh2Delayed for a delayed branch, whose slot the loop runs in
// the same slice. An instance without a `Flow` of its own runs with this one.
struct MainFlow {
    template <class I>
    SH2_INLINE static u32 delayed(u32 target, u32 cycles) {
        jump_to<I>(target);
        return cycles + kSh2Delayed;
    }
    // BT/S, BF/S not taken: execution continues after the slot, which still runs.
    template <class I>
    SH2_INLINE static u32 delayed_not_taken(u32 cycles) {
        I::cpu().next = I::cpu().cur + 4;
        return cycles + kSh2Delayed;
    }
    template <class I>
    SH2_INLINE static u32 branch(u32 target, u32 cycles) {
        jump_to<I>(target);
        return cycles;
    }
    // The address execution continues at after the running instruction.
    template <class I>
    SH2_INLINE static u32 following() {
        return next_address<I>();
    }
};

template <class I>
struct FlowOf {
    using type = MainFlow;
};
template <class I>
requires requires { typename I::Flow; }
struct FlowOf<I> {
    using type = typename I::Flow;
};
template <class I>
using Flow = typename FlowOf<I>::type;

// True for a flow with its own cost table and pipeline (instead of the main flow's `next`).
template <class I>
inline constexpr bool kOwnFlow = !std::is_same_v<Flow<I>, MainFlow>;

// An instruction's cycles: the main flow's, or the flow's own table's.
template <class I>
SH2_INLINE u32 cost(u32 main, [[maybe_unused]] u32 own) {
    if constexpr (kOwnFlow<I>) {
        return own;
    } else {
        return main;
    }
}

// ---------------------------------------------------------------------------------------
// Halting instructions
// ---------------------------------------------------------------------------------------

// No handler for this word, and on the main flow SLEEP (which would wait for an interrupt):
// the machine stops.
template <class I>
u32 op_illegal(u32) {
    return halt_at<I>(insn_address<I>());
}
// SLEEP on a flow of its own: what the flow says.
template <class I>
u32 op_sleep(u32) {
    return Flow<I>::template sleep<I>();
}
template <class I>
constexpr Sh2Handler sleep_handler() {
    if constexpr (kOwnFlow<I>) {
        return &op_sleep<I>;
    } else {
        return &op_illegal<I>;
    }
}

// ---------------------------------------------------------------------------------------
// Data moves
// ---------------------------------------------------------------------------------------

enum Size : u32 { kB = 1, kW = 2, kL = 4 };

template <class I, Size S>
SH2_INLINE u32 load(u32 a) {
    if constexpr (S == kB) return sign_extend8(I::read8(a));
    if constexpr (S == kW) return sign_extend16(I::read16(a));
    if constexpr (S == kL) return I::read32(a);
}
template <class I, Size S>
SH2_INLINE void store(u32 a, u32 v) {
    if constexpr (S == kB) I::write8(a, v & 0xFF);
    if constexpr (S == kW) I::write16(a, v & 0xFFFF);
    if constexpr (S == kL) I::write32(a, v);
}

template <class I>
u32 op_mov_rr(u32 ir) {
    rn<I>(ir) = rm<I>(ir);
    return 1;
}
template <class I>
u32 op_mov_imm(u32 ir) {
    rn<I>(ir) = sign_extend8(ir);
    return 1;
}
// A PC-relative operand at offset `off` of the fetch region. It nearly always lies in the
// code's own region, whose image holds the bytes the bus gives there (every region starts at
// a multiple of 4, so the offset keeps the address's alignment): read straight from it, and
// through the bus when it reaches past the image.
template <class I, Size S>
SH2_INLINE u32 load_pc_relative(u32 off) {
    const auto& c = I::cpu();
    if (off + S <= c.fetch_size) [[likely]] {
        if constexpr (S == kW) return sign_extend16(load_be16(c.fetch_image + off));
        if constexpr (S == kL) return load_be32(c.fetch_image + off);
    }
    return load<I, S>(c.fetch_start + off);
}

// MOV.W/L @(disp,PC),Rn and MOVA: from where execution continues.
// A flow of its own gives the base (the instruction's address + 4, or the branch target + 2
// in a delay slot) as `pc_base`, and the operand is read through the bus.
template <class I>
u32 op_mov_w_pc(u32 ir) {
    if constexpr (kOwnFlow<I>) {
        rn<I>(ir) = load<I, kW>(Flow<I>::template pc_base<I>() + (ir & 0xFF) * 2);
        return 1;
    } else {
        rn<I>(ir) = load_pc_relative<I, kW>(I::cpu().next + 2 + (ir & 0xFF) * 2);
        return cost<I>(mem_cycles<I>(), 1);
    }
}
template <class I>
u32 op_mov_l_pc(u32 ir) {
    if constexpr (kOwnFlow<I>) {
        rn<I>(ir) = load<I, kL>((Flow<I>::template pc_base<I>() & ~3u) + (ir & 0xFF) * 4);
        return 1;
    } else {
        rn<I>(ir) = load_pc_relative<I, kL>(((I::cpu().next + 2) & ~3u) + (ir & 0xFF) * 4);
        return cost<I>(mem_cycles<I>(), 1);
    }
}
template <class I>
u32 op_mova(u32 ir) {
    if constexpr (kOwnFlow<I>) {
        I::cpu().r[0] = (Flow<I>::template pc_base<I>() & ~3u) + (ir & 0xFF) * 4;
    } else {
        I::cpu().r[0] = ((next_address<I>() + 2) & ~3u) + (ir & 0xFF) * 4;
    }
    return 1;
}

// @Rn forms.
template <class I, Size S>
u32 op_store_ind(u32 ir) {
    store<I, S>(rn<I>(ir), rm<I>(ir));
    return cost<I>(mem_cycles<I>(), 1);
}
template <class I, Size S>
u32 op_load_ind(u32 ir) {
    rn<I>(ir) = load<I, S>(rm<I>(ir));
    return cost<I>(mem_cycles<I>(), 1);
}
template <class I, Size S>
u32 op_store_predec(u32 ir) {
    const u32 a = rn<I>(ir) - S;
    store<I, S>(a, rm<I>(ir));
    rn<I>(ir) = a;
    return cost<I>(mem_cycles<I>(), 1);
}
// @Rm+: the register keeps the loaded value when it is also the destination.
template <class I, Size S>
u32 op_load_postinc(u32 ir) {
    u32& m      = rm<I>(ir);
    const u32 v = load<I, S>(m);
    m += S;
    rn<I>(ir) = v;
    return cost<I>(mem_cycles<I>(), 1);
}
// @(R0,Rn) forms.
template <class I, Size S>
u32 op_store_r0(u32 ir) {
    store<I, S>(I::cpu().r[0] + rn<I>(ir), rm<I>(ir));
    return cost<I>(mem_cycles<I>(), 1);
}
template <class I, Size S>
u32 op_load_r0(u32 ir) {
    rn<I>(ir) = load<I, S>(I::cpu().r[0] + rm<I>(ir));
    return cost<I>(mem_cycles<I>(), 1);
}
// MOV.L with a 4-bit displacement.
template <class I>
u32 op_store_l_disp(u32 ir) {
    store<I, kL>(rn<I>(ir) + (ir & 15) * 4, rm<I>(ir));
    return cost<I>(mem_cycles<I>(), 1);
}
template <class I>
u32 op_load_l_disp(u32 ir) {
    rn<I>(ir) = load<I, kL>(rm<I>(ir) + (ir & 15) * 4);
    return cost<I>(mem_cycles<I>(), 1);
}
// MOV.B/W R0 with a 4-bit displacement; the register field sits in bits 4-7.
template <class I, Size S>
u32 op_store_r0_disp(u32 ir) {
    store<I, S>(rm<I>(ir) + (ir & 15) * S, I::cpu().r[0]);
    return cost<I>(mem_cycles<I>(), 1);
}
template <class I, Size S>
u32 op_load_r0_disp(u32 ir) {
    I::cpu().r[0] = load<I, S>(rm<I>(ir) + (ir & 15) * S);
    return cost<I>(mem_cycles<I>(), 1);
}
// @(disp,GBR).
template <class I, Size S>
u32 op_store_gbr(u32 ir) {
    store<I, S>(I::cpu().gbr + (ir & 0xFF) * S, I::cpu().r[0]);
    return cost<I>(mem_cycles<I>(), 1);
}
template <class I, Size S>
u32 op_load_gbr(u32 ir) {
    I::cpu().r[0] = load<I, S>(I::cpu().gbr + (ir & 0xFF) * S);
    return cost<I>(mem_cycles<I>(), 1);
}

template <class I>
u32 op_movt(u32 ir) {
    rn<I>(ir) = get_t<I>();
    return 1;
}
template <class I>
u32 op_swap_b(u32 ir) {
    const u32 v = rm<I>(ir);
    rn<I>(ir)   = (v & 0xFFFF0000u) | ((v & 0xFF) << 8) | ((v >> 8) & 0xFF);
    return 1;
}
template <class I>
u32 op_swap_w(u32 ir) {
    const u32 v = rm<I>(ir);
    rn<I>(ir)   = (v << 16) | (v >> 16);
    return 1;
}
template <class I>
u32 op_xtrct(u32 ir) {
    rn<I>(ir) = (rm<I>(ir) << 16) | (rn<I>(ir) >> 16);
    return 1;
}

enum class Ext { kUB, kUW, kSB, kSW };
template <class I, Ext E>
u32 op_ext(u32 ir) {
    const u32 v = rm<I>(ir);
    if constexpr (E == Ext::kUB) rn<I>(ir) = v & 0xFF;
    if constexpr (E == Ext::kUW) rn<I>(ir) = v & 0xFFFF;
    if constexpr (E == Ext::kSB) rn<I>(ir) = sign_extend8(v);
    if constexpr (E == Ext::kSW) rn<I>(ir) = sign_extend16(v);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Arithmetic and logic
// ---------------------------------------------------------------------------------------

template <class I>
u32 op_add(u32 ir) {
    rn<I>(ir) += rm<I>(ir);
    return 1;
}
template <class I>
u32 op_add_imm(u32 ir) {
    rn<I>(ir) += sign_extend8(ir);
    return 1;
}
template <class I>
u32 op_addc(u32 ir) {
    const u32 a = rn<I>(ir), b = rm<I>(ir);
    const u64 s = u64{a} + b + get_t<I>();
    rn<I>(ir)   = static_cast<u32>(s);
    set_t<I>((s >> 32) != 0);
    return 1;
}
template <class I>
u32 op_addv(u32 ir) {
    const u32 a = rn<I>(ir), b = rm<I>(ir), s = a + b;
    rn<I>(ir) = s;
    set_t<I>((~(a ^ b) & (a ^ s)) >> 31);
    return 1;
}
template <class I>
u32 op_sub(u32 ir) {
    rn<I>(ir) -= rm<I>(ir);
    return 1;
}
template <class I>
u32 op_subc(u32 ir) {
    const u32 a = rn<I>(ir), b = rm<I>(ir);
    const u64 d = u64{a} - b - get_t<I>();
    rn<I>(ir)   = static_cast<u32>(d);
    set_t<I>((d >> 32) != 0);
    return 1;
}
template <class I>
u32 op_subv(u32 ir) {
    const u32 a = rn<I>(ir), b = rm<I>(ir), d = a - b;
    rn<I>(ir) = d;
    set_t<I>(((a ^ b) & (a ^ d)) >> 31);
    return 1;
}
template <class I>
u32 op_neg(u32 ir) {
    rn<I>(ir) = 0u - rm<I>(ir);
    return 1;
}
template <class I>
u32 op_negc(u32 ir) {
    const u64 d = u64{0} - rm<I>(ir) - get_t<I>();
    rn<I>(ir)   = static_cast<u32>(d);
    set_t<I>((d >> 32) != 0);
    return 1;
}
template <class I>
u32 op_dt(u32 ir) {
    set_t<I>(--rn<I>(ir) == 0);
    return 1;
}

enum class Cmp { kEq, kHs, kGe, kHi, kGt };
template <class I, Cmp C>
u32 op_cmp(u32 ir) {
    const u32 n = rn<I>(ir), m = rm<I>(ir);
    if constexpr (C == Cmp::kEq) set_t<I>(n == m);
    if constexpr (C == Cmp::kHs) set_t<I>(n >= m);
    if constexpr (C == Cmp::kGe) set_t<I>(static_cast<s32>(n) >= static_cast<s32>(m));
    if constexpr (C == Cmp::kHi) set_t<I>(n > m);
    if constexpr (C == Cmp::kGt) set_t<I>(static_cast<s32>(n) > static_cast<s32>(m));
    return 1;
}
template <class I>
u32 op_cmp_pz(u32 ir) {
    set_t<I>(static_cast<s32>(rn<I>(ir)) >= 0);
    return 1;
}
template <class I>
u32 op_cmp_pl(u32 ir) {
    set_t<I>(static_cast<s32>(rn<I>(ir)) > 0);
    return 1;
}
template <class I>
u32 op_cmp_eq_imm(u32 ir) {
    set_t<I>(I::cpu().r[0] == sign_extend8(ir));
    return 1;
}
// T when any of the four bytes of Rn equals the byte of Rm in the same place.
template <class I>
u32 op_cmp_str(u32 ir) {
    const u32 x = rn<I>(ir) ^ rm<I>(ir);
    set_t<I>((x & 0xFF000000u) == 0 || (x & 0xFF0000) == 0 || (x & 0xFF00) == 0 || (x & 0xFF) == 0);
    return 1;
}

enum class Logic { kAnd, kOr, kXor };
template <Logic L>
SH2_INLINE u32 logic(u32 a, u32 b) {
    if constexpr (L == Logic::kAnd) return a & b;
    if constexpr (L == Logic::kOr) return a | b;
    if constexpr (L == Logic::kXor) return a ^ b;
}
template <class I, Logic L>
u32 op_logic(u32 ir) {
    rn<I>(ir) = logic<L>(rn<I>(ir), rm<I>(ir));
    return 1;
}
template <class I, Logic L>
u32 op_logic_imm(u32 ir) {
    I::cpu().r[0] = logic<L>(I::cpu().r[0], ir & 0xFF);
    return 1;
}
// The byte at GBR + R0 read, operated on and written back.
template <class I, Logic L>
u32 op_logic_gbr(u32 ir) {
    const u32 a = I::cpu().gbr + I::cpu().r[0];
    I::write8(a, logic<L>(I::read8(a), ir & 0xFF));
    return cost<I>(3 + ((I::cpu().cur >> 1) & 1), 3);
}
template <class I>
u32 op_tst(u32 ir) {
    set_t<I>((rn<I>(ir) & rm<I>(ir)) == 0);
    return 1;
}
template <class I>
u32 op_tst_imm(u32 ir) {
    set_t<I>((I::cpu().r[0] & ir & 0xFF) == 0);
    return 1;
}
template <class I>
u32 op_tst_gbr(u32 ir) {
    set_t<I>((I::read8(I::cpu().gbr + I::cpu().r[0]) & ir & 0xFF) == 0);
    return cost<I>(3 + ((I::cpu().cur >> 1) & 1), 3);
}
template <class I>
u32 op_not(u32 ir) {
    rn<I>(ir) = ~rm<I>(ir);
    return 1;
}
// Test and set, without any bus lock.
template <class I>
u32 op_tas(u32 ir) {
    const u32 a = rn<I>(ir);
    const u32 v = I::read8(a);
    set_t<I>(v == 0);
    I::write8(a, v | 0x80);
    return cost<I>(5 - ((I::cpu().cur >> 1) & 1), 4);
}

// ---------------------------------------------------------------------------------------
// Shifts and rotates
// ---------------------------------------------------------------------------------------

template <class I>
u32 op_shll(u32 ir) {  // also SHAL
    u32& n = rn<I>(ir);
    set_t<I>(n >> 31);
    n <<= 1;
    return 1;
}
template <class I>
u32 op_shlr(u32 ir) {
    u32& n = rn<I>(ir);
    set_t<I>(n & 1);
    n >>= 1;
    return 1;
}
template <class I>
u32 op_shar(u32 ir) {
    u32& n = rn<I>(ir);
    set_t<I>(n & 1);
    n = static_cast<u32>(static_cast<s32>(n) >> 1);
    return 1;
}
template <class I>
u32 op_rotl(u32 ir) {
    u32& n = rn<I>(ir);
    set_t<I>(n >> 31);
    n = (n << 1) | (n >> 31);
    return 1;
}
template <class I>
u32 op_rotr(u32 ir) {
    u32& n = rn<I>(ir);
    set_t<I>(n & 1);
    n = (n >> 1) | (n << 31);
    return 1;
}
template <class I>
u32 op_rotcl(u32 ir) {
    u32& n      = rn<I>(ir);
    const u32 t = get_t<I>();
    set_t<I>(n >> 31);
    n = (n << 1) | t;
    return 1;
}
template <class I>
u32 op_rotcr(u32 ir) {
    u32& n      = rn<I>(ir);
    const u32 t = get_t<I>();
    set_t<I>(n & 1);
    n = (n >> 1) | (t << 31);
    return 1;
}
// SHLL2/8/16 (Left) and SHLR2/8/16.
template <class I, bool Left, u32 N>
u32 op_shift_n(u32 ir) {
    u32& n = rn<I>(ir);
    n      = Left ? n << N : n >> N;
    return 1;
}

// ---------------------------------------------------------------------------------------
// Multiplication and division
// ---------------------------------------------------------------------------------------

template <class I>
u32 op_mul_l(u32 ir) {
    I::cpu().macl = rn<I>(ir) * rm<I>(ir);
    return cost<I>(3, 1);
}
template <class I>
u32 op_muls_w(u32 ir) {
    I::cpu().macl = static_cast<u32>(static_cast<s32>(static_cast<s16>(rn<I>(ir))) *
                                     static_cast<s16>(rm<I>(ir)));
    return cost<I>(1, 2);
}
template <class I>
u32 op_mulu_w(u32 ir) {
    I::cpu().macl = (rn<I>(ir) & 0xFFFF) * (rm<I>(ir) & 0xFFFF);
    return cost<I>(1, 2);
}
template <class I>
SH2_INLINE void set_mac(u64 v) {
    I::cpu().mach = static_cast<u32>(v >> 32);
    I::cpu().macl = static_cast<u32>(v);
}
template <class I>
SH2_INLINE u64 get_mac() {
    return (u64{I::cpu().mach} << 32) | I::cpu().macl;
}
template <class I>
u32 op_dmuls(u32 ir) {
    set_mac<I>(static_cast<u64>(s64{static_cast<s32>(rn<I>(ir))} * static_cast<s32>(rm<I>(ir))));
    return cost<I>(3, 2);
}
template <class I>
u32 op_dmulu(u32 ir) {
    set_mac<I>(u64{rn<I>(ir)} * rm<I>(ir));
    return cost<I>(3, 2);
}

// MAC.L @Rm+,@Rn+: the long at Rm, then the long at Rn, their signed product added to
// MACH:MACL. With S set the sum is held within 48 signed bits.
template <class I>
u32 op_mac_l(u32 ir) {
    u32& m      = rm<I>(ir);
    const s32 a = static_cast<s32>(I::read32(m));
    m += 4;
    u32& n      = rn<I>(ir);
    const s32 b = static_cast<s32>(I::read32(n));
    n += 4;
    const s64 product = s64{a} * b;
    const s64 mac     = static_cast<s64>(get_mac<I>());
    s64 sum;
    const bool wrapped = __builtin_add_overflow(mac, product, &sum);
    if (I::cpu().sr & kSh2SrS) {
        constexpr s64 kMax = 0x00007FFFFFFFFFFFLL, kMin = -0x0000800000000000LL;
        // A sum that wrapped has the sign of its operands (both the same).
        const bool negative = wrapped ? product < 0 : sum < 0;
        if (wrapped || sum > kMax || sum < kMin) sum = negative ? kMin : kMax;
    }
    set_mac<I>(static_cast<u64>(sum));
    return cost<I>(3, 1);
}

// MAC.W @Rm+,@Rn+: the word at Rm, then the word at Rn. With S set, the product is added to
// MACL alone, a signed overflow giving the limit of its sign and setting bit 0 of MACH; with S
// clear it is added to the whole 64-bit MACH:MACL, sign-extended.
template <class I>
u32 op_mac_w(u32 ir) {
    u32& m      = rm<I>(ir);
    const s16 a = static_cast<s16>(I::read16(m));
    m += 2;
    u32& n      = rn<I>(ir);
    const s16 b = static_cast<s16>(I::read16(n));
    n += 2;
    const s32 product = s32{a} * b;
    auto& c           = I::cpu();
    if (c.sr & kSh2SrS) {
        const s64 sum = s64{static_cast<s32>(c.macl)} + product;
        if (sum > 0x7FFFFFFF || sum < -0x80000000LL) {
            c.mach |= 1;
            c.macl = sum > 0 ? 0x7FFFFFFFu : 0x80000000u;
        } else {
            c.macl = static_cast<u32>(sum);
        }
    } else {
        set_mac<I>(get_mac<I>() + static_cast<u64>(s64{product}));
    }
    return cost<I>(3, 2);
}

// Division steps. Q and M as the SR shows them are kept in step with the working copies.
template <class I>
SH2_INLINE void set_div_state(u32 q, u32 m, bool t) {
    auto& c = I::cpu();
    c.div_q = 0u - q;
    c.div_m = 0u - m;
    c.sr    = (c.sr & ~(kSh2SrQ | kSh2SrM | kSh2SrT)) | (q ? kSh2SrQ : 0) | (m ? kSh2SrM : 0) |
           (t ? kSh2SrT : 0);
}
template <class I>
u32 op_div0u(u32) {
    set_div_state<I>(0, 0, false);
    return 1;
}
template <class I>
u32 op_div0s(u32 ir) {
    const u32 q = rn<I>(ir) >> 31, m = rm<I>(ir) >> 31;
    set_div_state<I>(q, m, q != m);
    return 1;
}
// One step of non-restoring division: Rn shifted left through T; Rm subtracted when the last
// step's Q equals M, added otherwise; the new Q from the shifted-out bit, M and the carry.
// The processor shifts Rn before it reads Rm, so DIV1 Rn,Rn works with the shifted value.
template <class I>
u32 op_div1(u32 ir) {
    auto& c        = I::cpu();
    u32& n         = rn<I>(ir);
    const u32 oldq = c.div_q & 1;
    const u32 m    = c.div_m & 1;
    u32 q          = n >> 31;
    const u32 was  = (n << 1) | get_t<I>();
    n              = was;
    const u32 d    = rm<I>(ir);
    u32 carry;
    if (oldq == m) {
        n     = was - d;
        carry = n > was;  // borrow
    } else {
        n     = was + d;
        carry = n < was;
    }
    q = q ^ m ^ carry;
    set_div_state<I>(q, m, q == m);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Status and control registers
// ---------------------------------------------------------------------------------------

template <class I>
u32 op_clrt(u32) {
    set_t<I>(false);
    return 1;
}
template <class I>
u32 op_sett(u32) {
    set_t<I>(true);
    return 1;
}
template <class I>
u32 op_clrmac(u32) {
    I::cpu().mach = 0;
    I::cpu().macl = 0;
    return cost<I>(mem_cycles<I>(), 1);
}
template <class I>
u32 op_nop(u32) {
    return 1;
}

enum class Ctl { kSr, kGbr, kVbr, kMach, kMacl, kPr };
template <class I, Ctl R>
SH2_INLINE u32& ctl() {
    auto& c = I::cpu();
    if constexpr (R == Ctl::kSr) return c.sr;
    if constexpr (R == Ctl::kGbr) return c.gbr;
    if constexpr (R == Ctl::kVbr) return c.vbr;
    if constexpr (R == Ctl::kMach) return c.mach;
    if constexpr (R == Ctl::kMacl) return c.macl;
    if constexpr (R == Ctl::kPr) return c.pr;
}
// A new SR may unmask a pending interrupt: it is looked at from the next slice.
template <class I, Ctl R>
SH2_INLINE void set_ctl(u32 v) {
    ctl<I, R>() = v;
    if constexpr (R == Ctl::kSr) I::cpu().irq_check = 1;
}
// Register-to-register cycles: 1, except the MAC registers, which cost a memory access.
template <class I, Ctl R>
SH2_INLINE u32 ctl_cycles() {
    if constexpr (R == Ctl::kMach || R == Ctl::kMacl) return cost<I>(mem_cycles<I>(), 1);
    return 1;
}
template <class I, Ctl R>
u32 op_st(u32 ir) {  // STC, STS
    rn<I>(ir) = ctl<I, R>();
    return ctl_cycles<I, R>();
}
template <class I, Ctl R>
u32 op_ld(u32 ir) {  // LDC, LDS; the source register field is bits 8-11
    set_ctl<I, R>(rn<I>(ir));
    return ctl_cycles<I, R>();
}
template <class I, Ctl R>
u32 op_st_predec(u32 ir) {  // STC.L, STS.L
    const u32 a = rn<I>(ir) - 4;
    I::write32(a, ctl<I, R>());
    rn<I>(ir) = a;
    if constexpr (R == Ctl::kSr || R == Ctl::kGbr || R == Ctl::kVbr) {
        return cost<I>(3 - ((I::cpu().cur >> 1) & 1), 2);
    } else {
        return cost<I>(mem_cycles<I>(), 1);
    }
}
template <class I, Ctl R>
u32 op_ld_postinc(u32 ir) {  // LDC.L, LDS.L
    u32& n      = rn<I>(ir);
    const u32 v = I::read32(n);
    n += 4;
    set_ctl<I, R>(v);
    if constexpr (R == Ctl::kSr || R == Ctl::kGbr || R == Ctl::kVbr) {
        return 3;
    } else {
        return cost<I>(mem_cycles<I>(), 1);
    }
}

// ---------------------------------------------------------------------------------------
// Branches
// ---------------------------------------------------------------------------------------

// Conditional branches: taken when T equals `When`.
template <class I, bool When>
u32 op_bt(u32 ir) {
    if ((get_t<I>() != 0) != When) return 1;
    return Flow<I>::template branch<I>(insn_address<I>() + 4 + sign_extend8(ir) * 2, cost<I>(3, 1));
}
template <class I, bool When>
u32 op_bt_s(u32 ir) {
    if ((get_t<I>() != 0) != When) return Flow<I>::template delayed_not_taken<I>(1);
    return Flow<I>::template delayed<I>(insn_address<I>() + 4 + sign_extend8(ir) * 2,
                                        cost<I>(2, 1));
}
template <class I>
u32 op_bra(u32 ir) {
    return Flow<I>::template delayed<I>(insn_address<I>() + 4 + sign_extend(ir & 0xFFF, 12) * 2, 2);
}
template <class I>
u32 op_bsr(u32 ir) {
    const u32 a = insn_address<I>();
    I::cpu().pr = a + 4;
    return Flow<I>::template delayed<I>(a + 4 + sign_extend(ir & 0xFFF, 12) * 2, 2);
}
template <class I>
u32 op_braf(u32 ir) {
    return Flow<I>::template delayed<I>(insn_address<I>() + 4 + rn<I>(ir), 2);
}
template <class I>
u32 op_bsrf(u32 ir) {
    const u32 a = insn_address<I>();
    I::cpu().pr = a + 4;
    return Flow<I>::template delayed<I>(a + 4 + rn<I>(ir), 2);
}
template <class I>
u32 op_jmp(u32 ir) {
    return Flow<I>::template delayed<I>(rn<I>(ir), 2);
}
template <class I>
u32 op_jsr(u32 ir) {
    const u32 target = rn<I>(ir);
    I::cpu().pr      = insn_address<I>() + 4;
    return Flow<I>::template delayed<I>(target, 2);
}
template <class I>
u32 op_rts(u32) {
    return Flow<I>::template delayed<I>(I::cpu().pr, 2);
}
// PC and SR from the stack (all 32 bits of SR); the new mask is looked at from the next slice.
template <class I>
u32 op_rte(u32) {
    auto& c          = I::cpu();
    const u32 target = I::read32(c.r[15]);
    c.sr             = I::read32(c.r[15] + 4);
    c.r[15] += 8;
    c.irq_check = 1;
    return Flow<I>::template delayed<I>(target, 4);
}
// SR and the address after TRAPA stacked, then the handler from the vector table.
template <class I>
u32 op_trapa(u32 ir) {
    auto& c = I::cpu();
    c.r[15] -= 4;
    I::write32(c.r[15], c.sr);
    c.r[15] -= 4;
    I::write32(c.r[15], Flow<I>::template following<I>());
    return Flow<I>::template branch<I>(I::read32(c.vbr + (ir & 0xFF) * 4), 8);
}

// ---------------------------------------------------------------------------------------
// The pattern list
// ---------------------------------------------------------------------------------------

// SHLL's mask: the main table gives it 0x4n00 alone; the older table takes every 0x4nm0 that
// no later entry claims (0x4n30 and the like shift Rn left instead of halting).
template <class I>
constexpr u16 shll_mask() {
    return kOwnFlow<I> ? 0xF00F : 0xF0FF;
}

template <class I>
constexpr std::array<OpcodePattern<Sh2Handler>, kSh2PatternCount> patterns() {
    using enum Ctl;
    return {{
        {&op_illegal<I>, 0x0000, 0x0000},  // anything no later entry claims
        {&op_st<I, kSr>, 0x0002, 0xF0FF},
        {&op_st<I, kGbr>, 0x0012, 0xF0FF},
        {&op_st<I, kVbr>, 0x0022, 0xF0FF},
        {&op_bsrf<I>, 0x0003, 0xF0FF},
        {&op_braf<I>, 0x0023, 0xF0FF},
        {&op_store_r0<I, kB>, 0x0004, 0xF00F},
        {&op_store_r0<I, kW>, 0x0005, 0xF00F},
        {&op_store_r0<I, kL>, 0x0006, 0xF00F},
        {&op_mul_l<I>, 0x0007, 0xF00F},
        {&op_clrt<I>, 0x0008, 0xFFFF},
        {&op_sett<I>, 0x0018, 0xFFFF},
        {&op_clrmac<I>, 0x0028, 0xFFFF},
        {&op_nop<I>, 0x0009, 0xFFFF},
        {&op_div0u<I>, 0x0019, 0xFFFF},
        {&op_movt<I>, 0x0029, 0xF0FF},
        {&op_st<I, kMach>, 0x000A, 0xF0FF},
        {&op_st<I, kMacl>, 0x001A, 0xF0FF},
        {&op_st<I, kPr>, 0x002A, 0xF0FF},
        {&op_rts<I>, 0x000B, 0xFFFF},
        {sleep_handler<I>(), 0x001B, 0xFFFF},  // SLEEP
        {&op_rte<I>, 0x002B, 0xFFFF},
        {&op_load_r0<I, kB>, 0x000C, 0xF00F},
        {&op_load_r0<I, kW>, 0x000D, 0xF00F},
        {&op_load_r0<I, kL>, 0x000E, 0xF00F},
        {&op_mac_l<I>, 0x000F, 0xF00F},
        {&op_store_l_disp<I>, 0x1000, 0xF000},
        {&op_store_ind<I, kB>, 0x2000, 0xF00F},
        {&op_store_ind<I, kW>, 0x2001, 0xF00F},
        {&op_store_ind<I, kL>, 0x2002, 0xF00F},
        {&op_store_predec<I, kB>, 0x2004, 0xF00F},
        {&op_store_predec<I, kW>, 0x2005, 0xF00F},
        {&op_store_predec<I, kL>, 0x2006, 0xF00F},
        {&op_div0s<I>, 0x2007, 0xF00F},
        {&op_tst<I>, 0x2008, 0xF00F},
        {&op_logic<I, Logic::kAnd>, 0x2009, 0xF00F},
        {&op_logic<I, Logic::kXor>, 0x200A, 0xF00F},
        {&op_logic<I, Logic::kOr>, 0x200B, 0xF00F},
        {&op_cmp_str<I>, 0x200C, 0xF00F},
        {&op_xtrct<I>, 0x200D, 0xF00F},
        {&op_mulu_w<I>, 0x200E, 0xF00F},
        {&op_muls_w<I>, 0x200F, 0xF00F},
        {&op_cmp<I, Cmp::kEq>, 0x3000, 0xF00F},
        {&op_cmp<I, Cmp::kHs>, 0x3002, 0xF00F},
        {&op_cmp<I, Cmp::kGe>, 0x3003, 0xF00F},
        {&op_div1<I>, 0x3004, 0xF00F},
        {&op_dmulu<I>, 0x3005, 0xF00F},
        {&op_cmp<I, Cmp::kHi>, 0x3006, 0xF00F},
        {&op_cmp<I, Cmp::kGt>, 0x3007, 0xF00F},
        {&op_sub<I>, 0x3008, 0xF00F},
        {&op_subc<I>, 0x300A, 0xF00F},
        {&op_subv<I>, 0x300B, 0xF00F},
        {&op_add<I>, 0x300C, 0xF00F},
        {&op_dmuls<I>, 0x300D, 0xF00F},
        {&op_addc<I>, 0x300E, 0xF00F},
        {&op_addv<I>, 0x300F, 0xF00F},
        {&op_shll<I>, 0x4000, shll_mask<I>()},
        {&op_dt<I>, 0x4010, 0xF0FF},
        {&op_shll<I>, 0x4020, 0xF0FF},  // SHAL
        {&op_shlr<I>, 0x4001, 0xF0FF},
        {&op_cmp_pz<I>, 0x4011, 0xF0FF},
        {&op_shar<I>, 0x4021, 0xF0FF},
        {&op_st_predec<I, kMach>, 0x4002, 0xF0FF},
        {&op_st_predec<I, kMacl>, 0x4012, 0xF0FF},
        {&op_st_predec<I, kPr>, 0x4022, 0xF0FF},
        {&op_st_predec<I, kSr>, 0x4003, 0xF0FF},
        {&op_st_predec<I, kGbr>, 0x4013, 0xF0FF},
        {&op_st_predec<I, kVbr>, 0x4023, 0xF0FF},
        {&op_rotl<I>, 0x4004, 0xF0FF},
        {&op_rotcl<I>, 0x4024, 0xF0FF},
        {&op_rotr<I>, 0x4005, 0xF0FF},
        {&op_cmp_pl<I>, 0x4015, 0xF0FF},
        {&op_rotcr<I>, 0x4025, 0xF0FF},
        {&op_ld_postinc<I, kMach>, 0x4006, 0xF0FF},
        {&op_ld_postinc<I, kMacl>, 0x4016, 0xF0FF},
        {&op_ld_postinc<I, kPr>, 0x4026, 0xF0FF},
        {&op_ld_postinc<I, kSr>, 0x4007, 0xF0FF},
        {&op_ld_postinc<I, kGbr>, 0x4017, 0xF0FF},
        {&op_ld_postinc<I, kVbr>, 0x4027, 0xF0FF},
        {&op_shift_n<I, true, 2>, 0x4008, 0xF0FF},
        {&op_shift_n<I, true, 8>, 0x4018, 0xF0FF},
        {&op_shift_n<I, true, 16>, 0x4028, 0xF0FF},
        {&op_shift_n<I, false, 2>, 0x4009, 0xF0FF},
        {&op_shift_n<I, false, 8>, 0x4019, 0xF0FF},
        {&op_shift_n<I, false, 16>, 0x4029, 0xF0FF},
        {&op_ld<I, kMach>, 0x400A, 0xF0FF},
        {&op_ld<I, kMacl>, 0x401A, 0xF0FF},
        {&op_ld<I, kPr>, 0x402A, 0xF0FF},
        {&op_jsr<I>, 0x400B, 0xF0FF},
        {&op_tas<I>, 0x401B, 0xF0FF},
        {&op_jmp<I>, 0x402B, 0xF0FF},
        {&op_ld<I, kSr>, 0x400E, 0xF0FF},
        {&op_ld<I, kGbr>, 0x401E, 0xF0FF},
        {&op_ld<I, kVbr>, 0x402E, 0xF0FF},
        {&op_mac_w<I>, 0x400F, 0xF00F},
        {&op_load_l_disp<I>, 0x5000, 0xF000},
        {&op_load_ind<I, kB>, 0x6000, 0xF00F},
        {&op_load_ind<I, kW>, 0x6001, 0xF00F},
        {&op_load_ind<I, kL>, 0x6002, 0xF00F},
        {&op_mov_rr<I>, 0x6003, 0xF00F},
        {&op_load_postinc<I, kB>, 0x6004, 0xF00F},
        {&op_load_postinc<I, kW>, 0x6005, 0xF00F},
        {&op_load_postinc<I, kL>, 0x6006, 0xF00F},
        {&op_not<I>, 0x6007, 0xF00F},
        {&op_swap_b<I>, 0x6008, 0xF00F},
        {&op_swap_w<I>, 0x6009, 0xF00F},
        {&op_negc<I>, 0x600A, 0xF00F},
        {&op_neg<I>, 0x600B, 0xF00F},
        {&op_ext<I, Ext::kUB>, 0x600C, 0xF00F},
        {&op_ext<I, Ext::kUW>, 0x600D, 0xF00F},
        {&op_ext<I, Ext::kSB>, 0x600E, 0xF00F},
        {&op_ext<I, Ext::kSW>, 0x600F, 0xF00F},
        {&op_add_imm<I>, 0x7000, 0xF000},
        {&op_store_r0_disp<I, kB>, 0x8000, 0xFF00},
        {&op_store_r0_disp<I, kW>, 0x8100, 0xFF00},
        {&op_load_r0_disp<I, kB>, 0x8400, 0xFF00},
        {&op_load_r0_disp<I, kW>, 0x8500, 0xFF00},
        {&op_cmp_eq_imm<I>, 0x8800, 0xFF00},
        {&op_bt<I, true>, 0x8900, 0xFF00},
        {&op_bt<I, false>, 0x8B00, 0xFF00},
        {&op_bt_s<I, true>, 0x8D00, 0xFF00},
        {&op_bt_s<I, false>, 0x8F00, 0xFF00},
        {&op_mov_w_pc<I>, 0x9000, 0xF000},
        {&op_bra<I>, 0xA000, 0xF000},
        {&op_bsr<I>, 0xB000, 0xF000},
        {&op_store_gbr<I, kB>, 0xC000, 0xFF00},
        {&op_store_gbr<I, kW>, 0xC100, 0xFF00},
        {&op_store_gbr<I, kL>, 0xC200, 0xFF00},
        {&op_trapa<I>, 0xC300, 0xFF00},
        {&op_load_gbr<I, kB>, 0xC400, 0xFF00},
        {&op_load_gbr<I, kW>, 0xC500, 0xFF00},
        {&op_load_gbr<I, kL>, 0xC600, 0xFF00},
        {&op_mova<I>, 0xC700, 0xFF00},
        {&op_tst_imm<I>, 0xC800, 0xFF00},
        {&op_logic_imm<I, Logic::kAnd>, 0xC900, 0xFF00},
        {&op_logic_imm<I, Logic::kXor>, 0xCA00, 0xFF00},
        {&op_logic_imm<I, Logic::kOr>, 0xCB00, 0xFF00},
        {&op_tst_gbr<I>, 0xCC00, 0xFF00},
        {&op_logic_gbr<I, Logic::kAnd>, 0xCD00, 0xFF00},
        {&op_logic_gbr<I, Logic::kXor>, 0xCE00, 0xFF00},
        {&op_logic_gbr<I, Logic::kOr>, 0xCF00, 0xFF00},
        {&op_mov_l_pc<I>, 0xD000, 0xF000},
        {&op_mov_imm<I>, 0xE000, 0xF000},
    }};
}

template <class I>
constexpr auto kPatterns = patterns<I>();

// Fills instance I's table from the pattern list. The list is checked by the census test; a
// typing error in it leaves the table as it was and is reported there.
template <class I>
void build_table() {
    (void)build_pattern_table<Sh2Handler>(std::span(kPatterns<I>), std::span(I::table()),
                                          MatchOrder::kLastWins);
}

// Until the build, every word halts (so a table used too early never jumps through null).
template <class I>
Sh2JumpTable unbuilt_table() {
    Sh2JumpTable t;
    t.fill(&op_illegal<I>);
    return t;
}

}  // namespace sh2
}  // namespace varn
