#pragma once
// The Z80 core's CB opcodes (rotates, shifts, BIT, RES, SET) and their DD CB / FD CB forms.

#include "z80/z80_core.h"

namespace varn {

template <class Bus>
template <int X, int Op>
inline u32 Z80Core<Bus>::op_cb(C& c, [[maybe_unused]] u32 op) {
    constexpr int grp = Op >> 6, y = (Op >> 3) & 7, z = Op & 7;
    if constexpr (z == 6) {
        const u16 a = mem_addr<X>(c, op);
        const u8 v  = Bus::read_byte(a);
        advance(c, X ? 4 : 2);
        if constexpr (grp == 1) {
            bit<y>(c, v);
            return X ? 20 : 12;
        } else {
            u8 r;
            if constexpr (grp == 0)
                r = rot<y>(c, v);
            else if constexpr (grp == 2)
                r = static_cast<u8>(v & ~(1u << y));
            else
                r = static_cast<u8>(v | (1u << y));
            Bus::write_byte(a, r);
            return X ? 23 : 15;
        }
    } else {
        const u8 v = reg<z>(c);
        advance(c, 2);
        if constexpr (grp == 0)
            set_reg<z>(c, rot<y>(c, v));
        else if constexpr (grp == 1)
            bit<y>(c, v);
        else if constexpr (grp == 2)
            set_reg<z>(c, v & ~(1u << y));
        else
            set_reg<z>(c, v | (1u << y));
        return 8;
    }
}

}  // namespace varn
