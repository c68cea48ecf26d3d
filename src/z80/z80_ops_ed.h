#pragma once
// The Z80 core's ED opcodes: block moves and searches, port I/O, 16-bit arithmetic, the
// interrupt modes and the I and R registers.

#include "z80/z80_core.h"

namespace varn {

template <class Bus>
template <int Op>
inline u32 Z80Core<Bus>::op_ed(C& c, [[maybe_unused]] u32 op) {
    using namespace z80_detail;
    [[maybe_unused]] constexpr int y = (Op >> 3) & 7, z = Op & 7, p = y >> 1, q = y & 1;
    [[maybe_unused]] const u16 nn = static_cast<u16>(op >> 16);
    if constexpr (Op >= 0x40 && Op < 0x80) {
        if constexpr (z == 0 && y != 6) {  // IN r,(C); y = 6 is IN F,(C)
            const u8 v = Bus::port_in(reg<1>(c));
            if constexpr (y != 6) set_reg<y>(c, v);
            set_f(c, (f_of(c) & (kC | k35)) | kSZP[v]);
            advance(c, 2);
            return 12;
        } else if constexpr (z == 0) {
            const u8 v = Bus::port_in(reg<1>(c));
            set_f(c, (f_of(c) & (kC | k35)) | kSZP[v]);
            advance(c, 2);
            return 12;
        } else if constexpr (z == 1 && y != 6) {  // OUT (C),r
            Bus::port_out(reg<1>(c), reg<y>(c));
            advance(c, 2);
            return 12;
        } else if constexpr (z == 2) {
            if constexpr (q == 0)
                sbc16(c, rp<0, p>(c));
            else
                adc16(c, rp<0, p>(c));
            advance(c, 2);
            return 15;
        } else if constexpr (z == 3) {
            if constexpr (q == 0)
                Bus::write_word(nn, rp<0, p>(c));
            else
                rp<0, p>(c) = Bus::read_word(nn);
            advance(c, 4);
            return 20;
        } else if constexpr (Op == 0x44) {  // NEG
            const u32 a = a_of(c);
            set_a(c, 0);
            alu<2>(c, a);
            advance(c, 2);
            return 8;
        } else if constexpr (Op == 0x45 || Op == 0x4D) {  // RETN, RETI
            c.iff1 = c.iff2;
            return jump(c, pop(c), 14);
        } else if constexpr (Op == 0x46 || Op == 0x56 || Op == 0x5E) {
            c.im = Op == 0x46 ? 0 : (Op == 0x56 ? 1 : 2);
            advance(c, 2);
            return 8;
        } else if constexpr (Op == 0x47 || Op == 0x4F) {
            if constexpr (Op == 0x47)
                c.i = a_of(c);
            else
                z80_set_r(c, a_of(c));
            advance(c, 2);
            return 9;
        } else if constexpr (Op == 0x57 || Op == 0x5F) {  // LD A,I / LD A,R
            const u8 v = Op == 0x57 ? c.i : z80_get_r(c);
            set_af(c, v, (f_of(c) & (kC | k35)) | kSZ[v] | c.iff2);
            advance(c, 2);
            return 9;
        } else if constexpr (Op == 0x67 || Op == 0x6F) {  // RRD, RLD
            const u8 m  = Bus::read_byte(c.hl);
            const u32 a = a_of(c);
            u32 na, nm;
            if constexpr (Op == 0x67) {
                na = (a & 0xF0) | (m & 0x0F);
                nm = ((a & 0x0F) << 4) | (m >> 4);
            } else {
                na = (a & 0xF0) | (m >> 4);
                nm = ((m & 0x0F) << 4) | (a & 0x0F);
            }
            Bus::write_byte(c.hl, static_cast<u8>(nm));
            set_af(c, na, (f_of(c) & (kC | k35)) | kSZP[na]);
            advance(c, 2);
            return 18;
        } else {
            return bad_opcode(c, op);
        }
    } else if constexpr (Op >= 0xA0 && Op < 0xC0 && z < 4 && y >= 4) {
        constexpr bool dec = (y & 1) != 0;
        constexpr bool rep = y >= 6;
        constexpr u16 step = dec ? 0xFFFF : 1;
        if constexpr (z == 0) {  // LDI LDD LDIR LDDR
            Bus::write_byte(c.de, Bus::read_byte(c.hl));
            c.hl = static_cast<u16>(c.hl + step);
            c.de = static_cast<u16>(c.de + step);
            c.bc = static_cast<u16>(c.bc - 1);
            set_f(c, (f_of(c) & (kS | kZ | kC | k35)) | (c.bc ? kP : 0));
            if (rep && c.bc) return 21;
        } else if constexpr (z == 1) {  // CPI CPD CPIR CPDR
            const u32 v = Bus::read_byte(c.hl);
            const u32 a = a_of(c);
            const u32 r = (a - v) & 0xFF;
            c.hl        = static_cast<u16>(c.hl + step);
            c.bc        = static_cast<u16>(c.bc - 1);
            set_f(c, (f_of(c) & (kC | k35)) | kSZ[r] | ((a ^ v ^ r) & kH) | kN | (c.bc ? kP : 0));
            if (rep && c.bc && r != 0) return 21;
        } else {  // INI IND INIR INDR, OUTI OUTD OTIR OTDR
            if constexpr (z == 2) {
                Bus::write_byte(c.hl, Bus::port_in(reg<1>(c)));
            } else {
                Bus::port_out(reg<1>(c), Bus::read_byte(c.hl));
            }
            c.hl        = static_cast<u16>(c.hl + step);
            const u32 b = (reg<0>(c) - 1u) & 0xFF;
            set_reg<0>(c, b);
            const u32 zf = b == 0 ? kZ : 0;
            set_f(c, (f_of(c) & k35) | (b & kS) | zf | (rep && zf ? kP : 0));
            if (rep && b) return 21;
        }
        advance(c, 2);
        return 16;
    } else {
        return bad_opcode(c, op);
    }
}

}  // namespace varn
