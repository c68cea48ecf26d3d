#pragma once
// The Z80 core's unprefixed opcodes and their DD/FD (IX, IY) forms, HALT and the opcode trap.

#include "z80/z80_core.h"

namespace varn {

template <class Bus>
template <int X, int Op>
inline u32 Z80Core<Bus>::op_x(C& c, [[maybe_unused]] u32 op) {
    using namespace z80_detail;
    [[maybe_unused]] constexpr int y = (Op >> 3) & 7, z = Op & 7, p = y >> 1, q = y & 1;
    [[maybe_unused]] constexpr u32 L = X ? 2 : 1;  // opcode (and prefix) bytes
    // Immediates: after the opcode, or after prefix and opcode.
    [[maybe_unused]] const u32 n8  = (op >> (8 * L)) & 0xFF;
    [[maybe_unused]] const u32 n16 = (op >> (8 * L)) & 0xFFFF;

    if constexpr (Op == 0x76) {
        return halt(c);
    } else if constexpr (Op >= 0x40 && Op < 0x80) {
        if constexpr (y == 6) {  // LD (HL),r: r is the real register
            Bus::write_byte(mem_addr<X>(c, op), reg<z>(c));
            advance(c, X ? 3 : 1);
            return X ? 19 : 7;
        } else if constexpr (z == 6) {
            set_reg<y>(c, Bus::read_byte(mem_addr<X>(c, op)));
            advance(c, X ? 3 : 1);
            return X ? 19 : 7;
        } else {
            set_reg<xreg(X, y)>(c, reg<xreg(X, z)>(c));
            advance(c, L);
            return 4;
        }
    } else if constexpr (Op >= 0x80 && Op < 0xC0) {
        if constexpr (z == 6) {
            alu<y>(c, Bus::read_byte(mem_addr<X>(c, op)));
            advance(c, X ? 3 : 1);
            return X ? 19 : 7;
        } else {
            alu<y>(c, reg<xreg(X, z)>(c));
            advance(c, L);
            return 4;
        }
    } else if constexpr (Op < 0x40) {
        if constexpr (z == 0) {
            if constexpr (Op == 0x00) {
                advance(c, 1);
                return 4;
            } else if constexpr (Op == 0x08) {
                std::swap(c.af, c.af2);
                advance(c, 1);
                return 4;
            } else if constexpr (Op == 0x10) {  // DJNZ
                const u32 b = (reg<0>(c) - 1u) & 0xFF;
                set_reg<0>(c, b);
                if (b != 0) return jump(c, c.pc + 2 + static_cast<s8>(n8), 13);
                advance(c, 2);
                return 8;
            } else if constexpr (Op == 0x18) {
                return jump(c, c.pc + 2 + static_cast<s8>(n8), 12);
            } else {
                if (cond<y - 4>(c)) return jump(c, c.pc + 2 + static_cast<s8>(n8), 12);
                advance(c, 2);
                return 7;
            }
        } else if constexpr (z == 1) {
            if constexpr (q == 0) {  // LD rr,nn
                rp<X, p>(c) = static_cast<u16>(n16);
                advance(c, L + 2);
                return X ? 14 : 10;
            } else {  // ADD HL,rr
                add16(c, xhl<X>(c), rp<X, p>(c));
                advance(c, L);
                return X ? 15 : 11;
            }
        } else if constexpr (z == 2) {
            if constexpr (Op == 0x02)
                Bus::write_byte(c.bc, a_of(c));
            else if constexpr (Op == 0x0A)
                set_a(c, Bus::read_byte(c.bc));
            else if constexpr (Op == 0x12)
                Bus::write_byte(c.de, a_of(c));
            else if constexpr (Op == 0x1A)
                set_a(c, Bus::read_byte(c.de));
            else if constexpr (Op == 0x22)
                Bus::write_word(static_cast<u16>(n16), xhl<X>(c));
            else if constexpr (Op == 0x2A)
                xhl<X>(c) = Bus::read_word(static_cast<u16>(n16));
            else if constexpr (Op == 0x32)
                Bus::write_byte(static_cast<u16>(n16), a_of(c));
            else
                set_a(c, Bus::read_byte(static_cast<u16>(n16)));
            if constexpr (p < 2) {
                advance(c, 1);
                return 7;
            } else if constexpr (p == 2) {
                advance(c, L + 2);
                return X ? 20 : 16;
            } else {
                advance(c, 3);
                return 13;
            }
        } else if constexpr (z == 3) {  // INC rr, DEC rr
            u16& d = rp<X, p>(c);
            d      = static_cast<u16>(q ? d - 1 : d + 1);
            advance(c, L);
            return X ? 10 : 6;
        } else if constexpr (z == 4 || z == 5) {  // INC r, DEC r
            if constexpr (y == 6) {
                const u16 a = mem_addr<X>(c, op);
                const u8 v  = Bus::read_byte(a);
                Bus::write_byte(a, z == 4 ? inc8(c, v) : dec8(c, v));
                advance(c, X ? 3 : 1);
                return X ? 23 : 11;
            } else {
                set_reg<y>(c, z == 4 ? inc8(c, reg<y>(c)) : dec8(c, reg<y>(c)));
                advance(c, 1);
                return 4;
            }
        } else if constexpr (z == 6) {  // LD r,n
            if constexpr (y == 6) {
                Bus::write_byte(mem_addr<X>(c, op), static_cast<u8>(X ? op >> 24 : n8));
                advance(c, X ? 4 : 2);
                return X ? 19 : 10;
            } else {
                set_reg<xreg(X, y)>(c, n8);
                advance(c, L + 1);
                return 7;
            }
        } else {  // z == 7: accumulator and flag operations
            const u32 a = a_of(c), f = f_of(c);
            constexpr u32 keep = kS | kZ | kP | k35;
            if constexpr (y == 0)
                set_af(c, (a << 1) | (a >> 7), (f & keep) | (a >> 7));
            else if constexpr (y == 1)
                set_af(c, (a >> 1) | (a << 7), (f & keep) | (a & 1));
            else if constexpr (y == 2)
                set_af(c, (a << 1) | (f & kC), (f & keep) | (a >> 7));
            else if constexpr (y == 3)
                set_af(c, (a >> 1) | ((f & kC) << 7), (f & keep) | (a & 1));
            else if constexpr (y == 4)
                daa(c);
            else if constexpr (y == 5)
                set_af(c, ~a, f | kH | kN);
            else if constexpr (y == 6)
                set_f(c, (f & ~u32{kH | kN}) | kC);
            else
                set_f(c, (f & ~u32{kH | kN | kC}) | ((f & kC) << 4) | (~f & kC));
            advance(c, 1);
            return 4;
        }
    } else {                     // 0xC0-0xFF
        if constexpr (z == 0) {  // RET cc
            if (cond<y>(c)) return jump(c, pop(c), 11);
            advance(c, 1);
            return 5;
        } else if constexpr (z == 1) {
            if constexpr (q == 0) {  // POP
                rp2<X, p>(c) = pop(c);
                advance(c, L);
                return X ? 14 : 10;
            } else if constexpr (p == 0) {
                return jump(c, pop(c), 10);
            } else if constexpr (p == 1) {  // EXX
                std::swap(c.bc, c.bc2);
                std::swap(c.de, c.de2);
                std::swap(c.hl, c.hl2);
                advance(c, 1);
                return 4;
            } else if constexpr (p == 2) {  // JP (HL)
                return jump(c, xhl<X>(c), X ? 8 : 4);
            } else {  // LD SP,HL
                c.sp = xhl<X>(c);
                advance(c, L);
                return X ? 10 : 6;
            }
        } else if constexpr (z == 2) {  // JP cc,nn
            if (cond<y>(c)) return jump(c, n16, 10);
            advance(c, 3);
            return 10;
        } else if constexpr (z == 3) {
            if constexpr (y == 0) {
                return jump(c, n16, 10);
            } else if constexpr (y == 1) {  // CB prefix (or DD CB / FD CB)
                if constexpr (X == 0) {
                    count_r(c);
                    return tables.cb[(op >> 8) & 0xFF](c, op);
                } else if constexpr (X == 1) {
                    return tables.ddcb[op >> 24](c, op);
                } else {
                    return tables.fdcb[op >> 24](c, op);
                }
            } else if constexpr (y == 2) {
                Bus::port_out(static_cast<u8>(n8), a_of(c));
                advance(c, 2);
                return 11;
            } else if constexpr (y == 3) {
                set_a(c, Bus::port_in(static_cast<u8>(n8)));
                advance(c, 2);
                return 11;
            } else if constexpr (y == 4) {  // EX (SP),HL
                u16& h      = xhl<X>(c);
                const u16 v = Bus::read_word(c.sp);
                Bus::write_word(c.sp, h);
                h = v;
                advance(c, L);
                return X ? 23 : 19;
            } else if constexpr (y == 5) {
                std::swap(c.de, c.hl);
                advance(c, 1);
                return 4;
            } else if constexpr (y == 6) {  // DI
                c.iff1 = c.iff2 = 0;
                advance(c, 1);
                return 4;
            } else {
                // EI: its 4 T-states are booked for the next slice, so that the
                // instruction after it runs before an interrupt is looked at. A slice
                // holds one booking: a later EI in the same slice charges its own time
                // at once, so that every EI costs its 4 T-states and a run of EIs (RAM
                // full of 0xFB) still moves the counter to the slice's end.
                const u32 now = c.extra_tstates != 0 ? 4 : 0;
                c.iff1 = c.iff2 = kZ80IffOn;
                c.extra_tstates = 4;
                advance(c, 1);
                return now;
            }
        } else if constexpr (z == 4) {  // CALL cc,nn
            if (cond<y>(c)) {
                push(c, c.pc + 3u);
                return jump(c, n16, 17);
            }
            advance(c, 3);
            return 10;
        } else if constexpr (z == 5) {
            if constexpr (q == 0) {  // PUSH
                push(c, rp2<X, p>(c));
                advance(c, L);
                return X ? 15 : 11;
            } else if constexpr (p == 0) {  // CALL nn
                push(c, c.pc + 3u);
                return jump(c, n16, 17);
            } else if constexpr (p == 1) {
                count_r(c);
                return tables.dd[(op >> 8) & 0xFF](c, op);
            } else if constexpr (p == 2) {
                count_r(c);
                return tables.ed[(op >> 8) & 0xFF](c, op);
            } else {
                count_r(c);
                return tables.fd[(op >> 8) & 0xFF](c, op);
            }
        } else if constexpr (z == 6) {
            alu<y>(c, n8);
            advance(c, 2);
            return 7;
        } else {  // RST
            push(c, c.pc + 1u);
            return jump(c, y * 8, 11);
        }
    }
}

template <class Bus>
inline u32 Z80Core<Bus>::halt(C& c) {
    using namespace z80_detail;
    if (!c.halted) {
        c.woken      = 0;
        c.halted     = 1;
        c.slice_exit = kExitHalt;
        return kEndSlice;
    }
    if (!c.woken) {
        c.slice_exit = kExitHalt;
        return kEndSlice;
    }
    // Woken by an interrupt whose routine has returned here: step past the HALT. The
    // previous instruction's count is charged once more.
    c.halted = 0;
    c.woken  = 0;
    advance(c, 1);
    return kChargeAgain;
}

template <class Bus>
inline u32 Z80Core<Bus>::bad_opcode(C& c, u32) {
    trap(c);
    return z80_detail::kEndSlice;
}

}  // namespace varn
