#pragma once
// Inside the earlier release's 68000 core: instances, the handler contract, operand decoding,
// condition codes, PC loads, exceptions and interrupts. Only src/legacy/m68k/ includes this.
//
// Handler contract. A handler is `bool handler()`. On entry the host PC (`host_pc`, an arena
// index) points at its opcode and `insn_length` is 2. It stores its cost in `cycle_cost`,
// reads each extension word at host PC + `insn_length` and adds its size to `insn_length`,
// reaches memory only through its instance's bus, and returns false; the dispatcher then adds
// `insn_length` to the host PC and charges the cost at the next dispatch. A handler that loads
// a new PC leaves the host PC where adding `insn_length` reaches the target. It returns true
// when the slice must end at once (STOP, a halt).

#include <array>

#include "base/bits.h"
#include "base/endian.h"
#include "legacy/m68k/m68k_v024.h"
#include "m68k/m68k_alu.h"
#include "memory/memory.h"

namespace varn {

using M68kHandlerV024   = bool (*)();
using M68kJumpTableV024 = std::array<M68kHandlerV024, 65536>;
extern M68kJumpTableV024 m68k_jump_table_v024;
extern M68kJumpTableV024 s68k_jump_table_v024;

namespace m68k_v024 {

using namespace varn::m68k;  // the shared arithmetic (m68k_alu.h)

#define V024_INLINE [[gnu::always_inline]] inline

// Genesis main CPU.
struct Main {
    static constexpr bool kIsMain = true;
    static M68kCpuContextV024& cpu() { return m68k_context_v024; }
    static M68kJumpTableV024& table() { return m68k_jump_table_v024; }
    static M68kFetchPages& pages() { return m68k_fetch_pages_v024; }
    static u32 read8(u32 a) { return m68k_read_byte_v024(a) & 0xFF; }
    static u32 read16(u32 a) { return m68k_read_word_v024(a) & 0xFFFF; }
    static u32 read32(u32 a) { return m68k_read_long_v024(a); }
    static void write8(u32 a, u32 v) { m68k_write_byte_v024(a, v & 0xFF); }
    static void write16(u32 a, u32 v) { m68k_write_word_v024(a, v & 0xFFFF); }
    static void write32(u32 a, u32 v) { m68k_write_long_v024(a, v); }
};

// Sega CD sub-CPU: its own record, table, pages and bus; its PC loads apply no page rule.
struct Sub {
    static constexpr bool kIsMain = false;
    static M68kCpuContextV024& cpu() { return s68k_context_v024; }
    static M68kJumpTableV024& table() { return s68k_jump_table_v024; }
    static M68kFetchPages& pages() { return s68k_fetch_pages_v024; }
    static u32 read8(u32 a) { return s68k_read_byte_v024(a) & 0xFF; }
    static u32 read16(u32 a) { return s68k_read_word_v024(a) & 0xFFFF; }
    static u32 read32(u32 a) { return s68k_read_long_v024(a); }
    static void write8(u32 a, u32 v) { s68k_write_byte_v024(a, v & 0xFF); }
    static void write16(u32 a, u32 v) { s68k_write_word_v024(a, v & 0xFFFF); }
    static void write32(u32 a, u32 v) { s68k_write_long_v024(a, v); }
};

// The last arena index an instruction may start at: the longest instruction (10 bytes) and
// its opcode read stay inside the arena. Code that runs or jumps past it halts the core.
inline constexpr u32 kFetchLimit = kArenaSize - 16;

// ---------------------------------------------------------------------------------------
// Registers and the instruction stream
// ---------------------------------------------------------------------------------------

template <class I>
V024_INLINE u32& dreg(u32 n) {
    return I::cpu().regs[n & 7];
}
template <class I>
V024_INLINE u32& areg(u32 n) {
    return I::cpu().regs[8 + (n & 7)];
}
template <class I>
V024_INLINE u32& sp() {
    return I::cpu().regs[15];
}

template <class I>
V024_INLINE u32 opcode() {
    return load_be16(memory_arena + I::cpu().host_pc);
}

// The next extension word (or long), consumed.
template <class I>
V024_INLINE u32 ext16() {
    auto& c     = I::cpu();
    const u32 v = load_be16(memory_arena + c.host_pc + c.insn_length);
    c.insn_length += 2;
    return v;
}
template <class I>
V024_INLINE u32 ext32() {
    auto& c     = I::cpu();
    const u32 v = load_be32(memory_arena + c.host_pc + c.insn_length);
    c.insn_length += 4;
    return v;
}

// 68000 address of the running instruction, and of the extension word read next.
template <class I>
V024_INLINE u32 insn_address() {
    const auto& c = I::cpu();
    return (c.host_pc - c.fetch_base) & 0xFFFFFF;
}
template <class I>
V024_INLINE u32 next_ext_address() {
    const auto& c = I::cpu();
    return c.host_pc + c.insn_length - c.fetch_base;
}

V024_INLINE u32 field_reg(u32 op) { return op & 7; }
V024_INLINE u32 field_mode(u32 op) { return (op >> 3) & 7; }
V024_INLINE u32 field_reg9(u32 op) { return (op >> 9) & 7; }
// ADDQ, SUBQ and the immediate shift count: bits 9-11, 0 meaning 8.
V024_INLINE u32 quick_count(u32 op) { return ((field_reg9(op) - 1) & 7) + 1; }

template <class I>
V024_INLINE void set_cost(u32 cycles) {
    I::cpu().cycle_cost = cycles;
}

// ---------------------------------------------------------------------------------------
// Sized values and bus access
// ---------------------------------------------------------------------------------------

template <Size S>
V024_INLINE void set_sized(u32& reg, u32 value) {
    reg = (reg & ~kSizeMask<S>) | (value & kSizeMask<S>);
}

template <class I, Size S>
V024_INLINE u32 bus_read(u32 addr) {
    if constexpr (S == Size::kByte)
        return I::read8(addr);
    else if constexpr (S == Size::kWord)
        return I::read16(addr);
    else
        return I::read32(addr);
}
template <class I, Size S>
V024_INLINE void bus_write(u32 addr, u32 value) {
    if constexpr (S == Size::kByte)
        I::write8(addr, value);
    else if constexpr (S == Size::kWord)
        I::write16(addr, value);
    else
        I::write32(addr, value);
}

template <Size S>
V024_INLINE u32 sign_extend(u32 v) {
    if constexpr (S == Size::kByte)
        return sign_extend8(v);
    else if constexpr (S == Size::kWord)
        return sign_extend16(v);
    else
        return v;
}

// ---------------------------------------------------------------------------------------
// Effective addresses, decoded at run time from the mode and register fields
// ---------------------------------------------------------------------------------------

// Step of (An)+ and -(An): the operand size, 2 for a byte through A7 (the stack stays even).
template <Size S>
V024_INLINE u32 step(u32 reg) {
    return (S == Size::kByte && (reg & 7) == 7) ? 2u : kSizeBytes<S>;
}

// Index of a brief extension word: register 0-15 (bit 15 address register, bits 12-14
// number), word sign-extended or whole long (bit 11), plus the signed low byte.
template <class I>
V024_INLINE u32 brief_index(u32 ext) {
    u32 x = I::cpu().regs[(ext >> 12) & 15];
    if (!(ext & 0x0800)) x = sign_extend16(x);
    return x + sign_extend8(ext);
}

// Address of a mode that moves no register: (An), d16(An), d8(An,Xn), abs.W, abs.L, d16(PC),
// d8(PC,Xn); its extension words are consumed. Other modes give 0 (the tables never send
// them here).
template <class I>
inline u32 fixed_address(u32 mode, u32 reg) {
    switch (mode) {
        case 2:
            return areg<I>(reg);
        case 5:
            return areg<I>(reg) + sign_extend16(ext16<I>());
        case 6:
            return areg<I>(reg) + brief_index<I>(ext16<I>());
        case 7:
            switch (reg & 7) {
                case 0:
                    return sign_extend16(ext16<I>());
                case 1:
                    return ext32<I>();
                case 2: {
                    const u32 base = next_ext_address<I>();
                    return base + sign_extend16(ext16<I>());
                }
                case 3: {
                    const u32 base = next_ext_address<I>();
                    return base + brief_index<I>(ext16<I>());
                }
                default:
                    return 0;
            }
        default:
            return 0;
    }
}

// Address of a memory operand read only or written only: (An)+ and -(An) step the register
// now (the access goes to the old address for (An)+ and the new one for -(An)).
template <class I, Size S>
inline u32 memory_address(u32 mode, u32 reg) {
    if (mode == 3) {
        u32& a       = areg<I>(reg);
        const u32 at = a;
        a            = at + step<S>(reg);
        return at;
    }
    if (mode == 4) {
        u32& a = areg<I>(reg);
        a -= step<S>(reg);
        return a;
    }
    return fixed_address<I>(mode, reg);
}

// The immediate operand of size S (a byte is the low byte of one word).
template <class I, Size S>
V024_INLINE u32 immediate() {
    if constexpr (S == Size::kByte)
        return ext16<I>() & 0xFF;
    else if constexpr (S == Size::kWord)
        return ext16<I>();
    else
        return ext32<I>();
}

// The plain read switch: every mode, zero-extended value of size S.
template <class I, Size S>
inline u32 read_ea(u32 mode, u32 reg) {
    if (mode == 0) return dreg<I>(reg) & kSizeMask<S>;
    if (mode == 1) return areg<I>(reg) & kSizeMask<S>;
    if (mode == 7 && (reg & 7) == 4) return immediate<I, S>();
    return bus_read<I, S>(memory_address<I, S>(mode, reg));
}

// The write switch of a write-only destination (Dn or memory).
template <class I, Size S>
inline void write_ea(u32 mode, u32 reg, u32 value) {
    if (mode == 0) {
        set_sized<S>(dreg<I>(reg), value);
        return;
    }
    bus_write<I, S>(memory_address<I, S>(mode, reg), value);
}

// Read-modify-write of a data register or memory operand: `op(value)` gets the operand and
// returns the result. One address: -(An) steps before the read, (An)+ after it, and the
// extension words count once; the operand is read once and written once.
template <class I, Size S, class Op>
inline void modify_ea(u32 mode, u32 reg, Op&& op) {
    if (mode == 0) {
        u32& d = dreg<I>(reg);
        set_sized<S>(d, op(d & kSizeMask<S>));
        return;
    }
    if (mode == 3) {
        u32& a         = areg<I>(reg);
        const u32 addr = a;
        const u32 r    = op(bus_read<I, S>(addr));
        a              = addr + step<S>(reg);
        bus_write<I, S>(addr, r);
        return;
    }
    const u32 addr = memory_address<I, S>(mode, reg);
    bus_write<I, S>(addr, op(bus_read<I, S>(addr)));
}

// ---------------------------------------------------------------------------------------
// Condition codes (the CCR byte is rewritten whole; bits 5-7 become 0)
// ---------------------------------------------------------------------------------------

template <class I>
V024_INLINE u32 x_bit() {
    return (I::cpu().sr >> 4) & 1u;
}

template <class I>
V024_INLINE void store_ccr(u32 keep, u32 bits) {
    auto& sr = I::cpu().sr;
    sr       = static_cast<u16>((sr & keep) | bits);
}

// ADD, SUB, NEG and their immediate and quick forms: X N Z V C.
template <class I>
V024_INLINE void set_arith_flags(const AddSubResult& r) {
    store_ccr<I>(kKeepSystem, r.xvc | nz_bits(r.top));
}
// Compares: N Z V C, X kept.
template <class I>
V024_INLINE void set_compare_flags(const AddSubResult& r) {
    store_ccr<I>(kKeepSystemAndX, r.vc | nz_bits(r.top));
}
// Logic results and moves: N Z from the result, V C cleared, X kept.
template <class I, Size S>
V024_INLINE void set_logic_flags(u32 res) {
    store_ccr<I>(kKeepSystemAndX, nz_bits(top_aligned<S>(res)));
}
// ADDX, SUBX, NEGX, ABCD, SBCD, NBCD: Z only ever cleared.
template <class I>
V024_INLINE void set_flags_keeping_z(u32 xvc, u32 n_top, u32 result) {
    auto& sr    = I::cpu().sr;
    const u32 z = (result == 0) ? (sr & kCcrZ) : 0u;
    sr          = static_cast<u16>((sr & kKeepSystem) | xvc | ((n_top >> 28) & kCcrN) | z);
}
template <class I>
V024_INLINE void set_extend_flags(const AddSubResult& r) {
    set_flags_keeping_z<I>(r.xvc, r.top, r.top);
}
template <class I>
V024_INLINE void set_bcd_flags(DecimalResult r) {
    set_flags_keeping_z<I>(kXcFromCarry[r.carry], 0, r.value);
}
// BTST, BCHG, BCLR, BSET: Z := the bit was 0.
template <class I>
V024_INLINE void set_bit_z(u32 value, u32 bit) {
    auto& sr = I::cpu().sr;
    sr       = static_cast<u16>((sr & 0xFF1Bu) | ((value & bit) ? 0u : kCcrZ));
}

// The two-operand operations of the immediate forms (line 0) and of lines 8, 9, B, C and D:
// `dst` op `src` at size S, flags stored; the result to write back (a compare: `dst`).
enum class BinOp { kOr, kAnd, kEor, kAdd, kSub, kCmp };

template <class I, BinOp Op, Size S>
V024_INLINE u32 bin_apply(u32 src, u32 dst) {
    if constexpr (Op == BinOp::kOr || Op == BinOp::kAnd || Op == BinOp::kEor) {
        constexpr Logic L = Op == BinOp::kOr    ? Logic::kOr
                            : Op == BinOp::kAnd ? Logic::kAnd
                                                : Logic::kEor;
        const u32 r       = logic<L>(dst, src) & kSizeMask<S>;
        set_logic_flags<I, S>(r);
        return r;
    } else if constexpr (Op == BinOp::kCmp) {
        set_compare_flags<I>(add_sub<AddSub::kSub, S>(src, dst));
        return dst;
    } else {
        const AddSubResult r = add_sub < Op == BinOp::kAdd ? AddSub::kAdd : AddSub::kSub,
                           S > (src, dst);
        set_arith_flags<I>(r);
        return r.res;
    }
}

// ---------------------------------------------------------------------------------------
// Halts, PC loads, stacks, exceptions and interrupts (m68k_v024.cpp)
// ---------------------------------------------------------------------------------------

// The machine halt: status bits, `pc` at the running instruction, the halt slot. Returns
// true (the slice ends).
template <class I>
[[gnu::cold]] bool halt_here();

// Every PC load: `pc` := the running instruction's address (so that a halt leaves it
// there), the new PC's page looked up (main CPU: the 32X overlay, banked-ROM and word-RAM
// rules), `fetch_base` and the host PC set for the new PC. A page without code halts: false.
template <class I>
bool load_pc(u32 target);

// After SR's S bit may have changed: park A7 in the old mode's slot and take the new mode's.
template <class I>
V024_INLINE void switch_stack_for_sr() {
    auto& c                         = I::cpu();
    c.sp_slots[c.sp_slot_index / 4] = c.regs[15];
    c.sp_slot_index = (c.sr & kM68kSrS) ? kSupervisorSlotIndexV024 : kUserSlotIndexV024;
    c.regs[15]      = c.sp_slots[c.sp_slot_index / 4];
}

// Exception entry of a handler (TRAP, TRAPV, CHK, ILLEGAL, zero divide): the PC after the
// instruction and SR stacked on the supervisor stack, the vector loaded, S set. Returns what
// the handler returns.
template <class I>
bool raise_exception(u32 vector);

// The interrupt check: accepts the highest pending level above the mask (level 7 always),
// one per check. False when the vector's page holds no code (the core halted).
template <class I>
bool check_irq();

// The end of a handler that changed SR's system byte: the host PC past the instruction, the
// interrupt check, then the dispatch without a further advance.
template <class I>
V024_INLINE bool continue_at_irq_check() {
    auto& c = I::cpu();
    c.host_pc += c.insn_length;
    c.insn_length = 2;
    if (!check_irq<I>()) return true;
    c.insn_length = 0;
    return false;
}

// Ends the slice now with the counter at 0 (STOP).
template <class I>
V024_INLINE bool end_slice_now() {
    I::cpu().cycle_counter = 0;
    return true;
}

}  // namespace m68k_v024
}  // namespace varn
