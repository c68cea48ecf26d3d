// The earlier release's 32X register differences on the SH-2 side.

#include "legacy/s32x/s32x_registers_v024.h"

#include "legacy/sh2/sh2_bus_v024.h"
#include "s32x/s32x.h"
#include "sh2/sh2_bus.h"

namespace varn {

namespace {

template <bool S>
const Sh2RegisterTables& main_regs() {
    return S ? sh2s_register_tables : sh2_register_tables;
}

// The main write, without the access flag it raises for the frame-buffer control read.
template <bool S>
void adapter_write_byte(u32 a, u32 v) {
    const u8 flag = s32x_regs.fen_busy;
    main_regs<S>().sysregs.write_byte[a & 0x3F](a, v);
    s32x_regs.fen_busy = flag;
}
template <bool S>
void adapter_write_word(u32 a, u32 v) {
    const u8 flag = s32x_regs.fen_busy;
    main_regs<S>().sysregs.write_word[a & 0x3F](a, v);
    s32x_regs.fen_busy = flag;
}

u32 fb_control() {
    const u32 fm = (s32x_regs.adapter & 0x80) ? 0 : 2;
    return (s32x_vdp_read(0x0A) & ~2u) | fm;
}
u32 fb_control_word(u32) { return fb_control(); }
u32 fb_control_low_byte(u32) { return fb_control() & 0xFF; }

template <bool S>
void install(Sh2RegisterOverridesV024& o) {
    o.sysregs.write_byte[0]   = &adapter_write_byte<S>;
    o.sysregs.write_word[0]   = &adapter_write_word<S>;
    o.vdpregs.read_word[0x0A] = &fb_control_word;
    o.vdpregs.read_byte[0x0B] = &fb_control_low_byte;
}

}  // namespace

void s32x_install_registers_v024() {
    install<false>(sh2_register_overrides_v024);
    install<true>(sh2s_register_overrides_v024);
}

}  // namespace varn
