// Z80 bus request and reset lines, 0xA11000-0xA11FFF.
//   0xA11100  write bit 0 (byte) or bit 8 (word): 1 takes the Z80's bus, 0 gives it back;
//             read: 0 once the 68000 owns the bus (requested and the Z80 out of reset)
//   0xA11200  write bit 0 / bit 8: 0 holds the Z80 in reset, 1 releases it (and resets it)
// Only addresses whose bits 1-7 and 10-11 are zero are decoded; no long access is.

#include "genesis/bus/bus_pages.h"
#include "genesis/z80/genesis_z80.h"

namespace varn {

namespace {

constexpr u32 kBusReq = 0xA11100;
constexpr u32 kReset  = 0xA11200;

u32 decoded(u32 a) { return (a & 0xCFE) == 0 ? a : 0; }

// Bit 0 of the answer: 0 when the 68000 may use the Z80's bus.
u32 bus_busy() { return (z80_busreq_latch != 0 && z80_reset_latch != 0) ? 0 : 1; }

void set_busreq(u32 line) { z80_busreq_latch = line ? 0xFFFFFFFF : 0; }

void set_reset(u32 line) {
    const bool was_held = z80_reset_latch == 0;
    z80_reset_latch     = line ? 0xFFFFFFFF : 0;
    if (was_held && z80_reset_latch != 0) z80_reset();
}

u32 ctl_read_byte(u32 a) { return decoded(a) == kBusReq ? bus_busy() : a; }
u32 ctl_read_word(u32 a) { return decoded(a) == kBusReq ? bus_busy() << 8 : a; }

void ctl_write_byte(u32 a, u32 v) {
    const u32 reg = decoded(a);
    if (reg == kBusReq) set_busreq(v & 1);
    if (reg == kReset) set_reset(v & 1);
}

void ctl_write_word(u32 a, u32 v) {
    const u32 reg = decoded(a);
    if (reg == kBusReq) set_busreq((v >> 8) & 1);
    if (reg == kReset) set_reset((v >> 8) & 1);
}

}  // namespace

const M68kHandlerSet m68k_z80_control_set{ctl_read_byte,  ctl_read_word,  m68k_unmapped_read,
                                          ctl_write_byte, ctl_write_word, m68k_unmapped_write};

}  // namespace varn
