// MOVEP (line 0, 0000 ddd1 oo 001 aaa + d16): a word or long between a data register and
// every second byte of memory, as an 8-bit peripheral on one byte lane of the 16-bit bus sees
// it. The byte at the lowest address is the most significant; the bytes between are not
// touched; no flag changes; Ay keeps its value.
//
//   MOVEP.W d16(Ay),Dx   16      MOVEP.W Dx,d16(Ay)   16
//   MOVEP.L d16(Ay),Dx   24      MOVEP.L Dx,d16(Ay)   24

#include "m68k/m68k_family.h"
#include "m68k/m68k_flags.h"

namespace varn::m68k {
namespace {

template <u32 Bytes>
inline constexpr u32 kMovepCycles = Bytes == 2 ? 16u : 24u;  // word, long

template <class I>
inline u32 movep_address(u32 ir) {
    return areg<I>(ir >> 16) + sign_extend16(ir & 0xFFFF);
}

// Memory to register: Bytes = 2 (word, bits 31-16 kept) or 4 (long).
template <class I, u32 Bytes>
u32 op_movep_load(u32 ir) {
    u32 addr = movep_address<I>(ir);
    u32 v    = 0;
    for (u32 i = 0; i < Bytes; ++i, addr += 2) v = (v << 8) | (I::read8(addr) & 0xFF);
    u32& d = dreg<I>(ir >> 25);
    if constexpr (Bytes == 2) {
        set_sized<Size::kWord>(d, v);
    } else {
        d = v;
    }
    advance<I>(4);
    return kMovepCycles<Bytes>;
}

// Register to memory, most significant byte first.
template <class I, u32 Bytes>
u32 op_movep_store(u32 ir) {
    u32 addr    = movep_address<I>(ir);
    const u32 d = dreg<I>(ir >> 25);
    for (u32 i = Bytes; i-- > 0; addr += 2) I::write8(addr, (d >> (8 * i)) & 0xFF);
    advance<I>(4);
    return kMovepCycles<Bytes>;
}

}  // namespace

M68K_FAMILY(movep) {
    add_pattern<&op_movep_load<I, 2>>(out, 0x0108, 0xF1F8);
    add_pattern<&op_movep_load<I, 4>>(out, 0x0148, 0xF1F8);
    add_pattern<&op_movep_store<I, 2>>(out, 0x0188, 0xF1F8);
    add_pattern<&op_movep_store<I, 4>>(out, 0x01C8, 0xF1F8);
}

}  // namespace varn::m68k
