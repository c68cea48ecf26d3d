#pragma once
// The Z80 core's ALU: 8-bit arithmetic and logic on A, increments, 16-bit adds, rotates
// and shifts, BIT and DAA, with this machine's flag rules.

#include "z80/z80_core.h"

namespace varn {

// 8-bit ALU on A: ADD ADC SUB SBC AND XOR OR CP by the opcode's bits 3-5.
template <class Bus>
template <int Op>
inline void Z80Core<Bus>::alu(C& c, u32 v) {
    using namespace z80_detail;
    const u32 a    = a_of(c);
    const u32 f    = f_of(c);
    const u32 keep = f & k35;
    if constexpr (Op == 0 || Op == 1) {
        const u32 r = a + v + (Op == 1 ? (f & kC) : 0);
        set_af(c, r,
               keep | kSZ[r & 0xFF] | ((a ^ v ^ r) & kH) | (((a ^ r) & (v ^ r) & 0x80) >> 5) |
                   ((r >> 8) & kC));
    } else if constexpr (Op == 2 || Op == 3 || Op == 7) {
        const u32 r  = a - v - (Op == 3 ? (f & kC) : 0);
        const u32 nf = keep | kSZ[r & 0xFF] | ((a ^ v ^ r) & kH) |
                       (((a ^ v) & (a ^ r) & 0x80) >> 5) | kN | ((r >> 8) & kC);
        if constexpr (Op == 7)
            set_f(c, nf);
        else
            set_af(c, r, nf);
    } else if constexpr (Op == 4) {
        const u32 r = a & v;
        set_af(c, r, keep | kSZP[r] | kH);
    } else if constexpr (Op == 5) {
        const u32 r = (a ^ v) & 0xFF;
        set_af(c, r, keep | kSZP[r]);
    } else {
        const u32 r = (a | v) & 0xFF;
        set_af(c, r, keep | kSZP[r]);
    }
}

template <class Bus>
inline u8 Z80Core<Bus>::inc8(C& c, u32 v) {
    using namespace z80_detail;
    const u32 r = (v + 1) & 0xFF;
    set_f(c, (f_of(c) & (kC | k35)) | kSZ[r] | ((r & 0x0F) == 0 ? kH : 0) | (r == 0x80 ? kP : 0));
    return static_cast<u8>(r);
}

template <class Bus>
inline u8 Z80Core<Bus>::dec8(C& c, u32 v) {
    using namespace z80_detail;
    const u32 r = (v - 1) & 0xFF;
    set_f(c,
          (f_of(c) & (kC | k35)) | kSZ[r] | ((v & 0x0F) == 0 ? kH : 0) | (r == 0x7F ? kP : 0) | kN);
    return static_cast<u8>(r);
}

template <class Bus>
inline void Z80Core<Bus>::add16(C& c, u16& d, u32 v) {
    using namespace z80_detail;
    const u32 r = static_cast<u32>(d) + v;
    set_f(c, (f_of(c) & (kS | kZ | kP | k35)) | ((r >> 16) & kC));
    d = static_cast<u16>(r);
}

template <class Bus>
inline void Z80Core<Bus>::adc16(C& c, u32 v) {
    using namespace z80_detail;
    const u32 h = c.hl;
    const u32 r = h + v + (f_of(c) & kC);
    set_f(c, (f_of(c) & k35) | ((r >> 8) & kS) | ((r & 0xFFFF) == 0 ? kZ : 0) |
                 (((h ^ r) & (v ^ r) & 0x8000) >> 13) | ((r >> 16) & kC));
    c.hl = static_cast<u16>(r);
}

template <class Bus>
inline void Z80Core<Bus>::sbc16(C& c, u32 v) {
    using namespace z80_detail;
    const u32 h = c.hl;
    const u32 r = h - v - (f_of(c) & kC);
    set_f(c, (f_of(c) & k35) | ((r >> 8) & kS) | ((r & 0xFFFF) == 0 ? kZ : 0) |
                 (((h ^ v) & (h ^ r) & 0x8000) >> 13) | kN | ((r >> 16) & kC));
    c.hl = static_cast<u16>(r);
}

// CB rotates and shifts: RLC RRC RL RR SLA SRA (6 has no handler) SRL.
template <class Bus>
template <int Op>
inline u8 Z80Core<Bus>::rot(C& c, u32 v) {
    using namespace z80_detail;
    u32 r, cy;
    const u32 cin = f_of(c) & kC;
    if constexpr (Op == 0) {
        cy = v >> 7;
        r  = (v << 1) | cy;
    } else if constexpr (Op == 1) {
        cy = v & 1;
        r  = (v >> 1) | (cy << 7);
    } else if constexpr (Op == 2) {
        cy = v >> 7;
        r  = (v << 1) | cin;
    } else if constexpr (Op == 3) {
        cy = v & 1;
        r  = (v >> 1) | (cin << 7);
    } else if constexpr (Op == 4) {
        cy = v >> 7;
        r  = v << 1;
    } else if constexpr (Op == 5) {
        cy = v & 1;
        r  = (v >> 1) | (v & 0x80);
    } else {
        cy = v & 1;
        r  = v >> 1;
    }
    r &= 0xFF;
    set_f(c, kSZP[r] | cy);
    return static_cast<u8>(r);
}

template <class Bus>
template <int B>
inline void Z80Core<Bus>::bit(C& c, u32 v) {
    using namespace z80_detail;
    const bool set = (v >> B) & 1;
    set_f(c, (f_of(c) & (kC | k35)) | kH | (set ? 0 : (kZ | kP)) | ((B == 7 && set) ? kS : 0));
}

template <class Bus>
inline u32 Z80Core<Bus>::daa(C& c) {
    using namespace z80_detail;
    const u32 f  = f_of(c);
    const u32 a0 = a_of(c);
    u32 a        = a0;
    u32 h = 0, cy = 0;
    if (!(f & kN)) {
        if ((a0 & 0x0F) > 9 || (f & kH)) {
            a = (a + 6) & 0xFF;
            h = kH;
        }
        if (a0 > 0x99 || (f & kC)) {
            a  = (a + 0x60) & 0xFF;
            cy = kC;
        }
    } else {
        if ((a0 & 0x0F) > 9 || (f & kH)) {
            cy = (f & kC) | (a < 6 ? kC : 0);
            a  = (a - 6) & 0xFF;
            h  = kH;
        }
        if (a0 > 0x99 || (f & kC)) {
            a  = (a - 0x60) & 0xFF;
            cy = kC;
        }
    }
    set_af(c, a, kSZP[a] | h | (f & kN) | cy);
    return 4;
}

}  // namespace varn
