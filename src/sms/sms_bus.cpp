// The Master System Z80's memory map and I/O ports.

#include "sms/sms_bus.h"

#include "base/config.h"
#include "genesis/bus/save_ram.h"
#include "genesis/io/controller_ports.h"
#include "memory/memory.h"
#include "runtime/frame_shape.h"
#include "runtime/region.h"
#include "sms/sms.h"
#include "sms/sms_psg.h"
#include "sms/sms_vdp.h"

namespace varn {

SmsPortState sms_port_state{};
std::array<SmsPortIn, 256> sms_port_in_table{};
std::array<SmsPortOut, 256> sms_port_out_table{};

u8* sms_work_ram() { return m68k_ram.data(); }

namespace {

constexpr u32 kWorkRamMask = kSmsWorkRamSize - 1;

bool bios_mapped() { return cfg(cfg_sms_use_bios) != 0 && sms_paging.bios_off == 0; }

// --- Memory pages ---------------------------------------------------------------------------

// Slot 0. The system ROM's 8 KB repeat through the slot while it is mapped.
u8 slot0_read(u32 a) {
    if (bios_mapped()) return sms_bios[a & (kSmsBiosSize - 1)];
    if (a < 0x400) return cart_rom[a];
    return cart_rom[a + sms_paging.slot0_offset];
}
u8 slot1_read(u32 a) { return cart_rom[a + sms_paging.slot1_offset]; }
u8 slot2_read(u32 a) {
    if (sms_paging.ram_bank != 0) return cart_sram[(a - 0x8000) + sms_paging.ram_offset];
    return cart_rom[a + sms_paging.slot2_offset];
}
u8 ram_read(u32 a) { return sms_work_ram()[a & kWorkRamMask]; }

void rom_write(u32, u8) {}
void slot2_write(u32 a, u8 v) {
    if (sms_paging.ram_bank != 0) cart_sram[(a - 0x8000) + sms_paging.ram_offset] = v;
}
void ram_write(u32 a, u8 v) { sms_work_ram()[a & kWorkRamMask] = v; }
// The last 4 bytes of the address space are also the mapper's registers.
void top_page_write(u32 a, u8 v) {
    sms_work_ram()[a & kWorkRamMask] = v;
    if ((a & kWorkRamMask) >= 0x1FFC) {
        sms_paging.regs[a & 3] = v;
        sms_mapper_update();
    }
}

// --- Ports ----------------------------------------------------------------------------------

u8 port_number(u32 port) { return static_cast<u8>(port); }
void port_ignored(u32, u8) {}

u8 port_bios_in(u32) { return static_cast<u8>(0xE3 | (sms_paging.bios_off << 3)); }
u8 port_vcounter_in(u32) { return static_cast<u8>(frame_pos.slice_counter >> 4); }
u8 port_vdp_data_in(u32) { return sms_vdp_data_read(); }
u8 port_vdp_status_in(u32) { return sms_vdp_status_read(); }

// First pad byte of a port: the TH-high step of its read sequence (Up, Down, Left, Right,
// B, C in bits 0-5, 0 = pressed).
u8 pad_byte(u32 port) { return controller_ports[port].pad_seq[0]; }

u8 port_pads_a_in(u32) {
    return static_cast<u8>((pad_byte(0) & 0x3F) | ((pad_byte(1) & 0x03) << 6));
}
u8 port_pads_b_in(u32) {
    const u8 p2 = pad_byte(1);
    const u8 th = sms_port_state.th_level & sms_port_state.th_enable;
    return static_cast<u8>(((p2 >> 2) & 0x0F) | 0x10 | ((p2 >> 2) & 0x20) | (th << 6));
}

void port_bios_out(u32, u8 v) {
    if (cfg(cfg_sms_use_bios) == 0) return;
    const u8 off = (v >> 3) & 1;
    if (off == sms_paging.bios_off) return;
    sms_paging.bios_off = off;
    sms_mapper_update();  // slot 0 now shows other memory
}
// TH lines of both ports: enables in bits 0 and 2, levels in bits 5 and 7; a Japanese
// console reads the levels back inverted.
void port_io_control_out(u32, u8 v) {
    sms_port_state.th_enable = static_cast<u8>((v & 1) | ((v >> 1) & 2));
    u8 level                 = static_cast<u8>(((v >> 5) & 1) | ((v >> 6) & 2));
    if (region.overseas_flag == 0) level ^= 3;
    sms_port_state.th_level = level;
}
void port_psg_out(u32, u8 v) { sms_psg_write(v); }
void port_vdp_data_out(u32, u8 v) { sms_vdp_data_write(v); }
void port_vdp_control_out(u32, u8 v) { sms_vdp_control_write(v); }

}  // namespace

const std::array<SmsReadByte, 16> sms_page_read_byte = {
    slot0_read, slot0_read, slot0_read, slot0_read, slot1_read, slot1_read, slot1_read, slot1_read,
    slot2_read, slot2_read, slot2_read, slot2_read, ram_read,   ram_read,   ram_read,   ram_read,
};
const std::array<SmsWriteByte, 16> sms_page_write_byte = {
    rom_write, rom_write, rom_write,   rom_write,      rom_write,   rom_write,
    rom_write, rom_write, slot2_write, slot2_write,    slot2_write, slot2_write,
    ram_write, ram_write, ram_write,   top_page_write,
};

void sms_ports_init() {
    sms_port_in_table.fill(port_number);
    sms_port_out_table.fill(port_ignored);
    sms_port_in_table[0x3E]  = port_bios_in;
    sms_port_in_table[0x7E]  = port_vcounter_in;
    sms_port_in_table[0x7F]  = port_vcounter_in;
    sms_port_in_table[0xBE]  = port_vdp_data_in;
    sms_port_in_table[0xBF]  = port_vdp_status_in;
    sms_port_in_table[0xC0]  = port_pads_a_in;
    sms_port_in_table[0xDC]  = port_pads_a_in;
    sms_port_in_table[0xC1]  = port_pads_b_in;
    sms_port_in_table[0xDD]  = port_pads_b_in;
    sms_port_out_table[0x3E] = port_bios_out;
    sms_port_out_table[0x3F] = port_io_control_out;
    sms_port_out_table[0x7E] = port_psg_out;
    sms_port_out_table[0x7F] = port_psg_out;
    sms_port_out_table[0xBE] = port_vdp_data_out;
    sms_port_out_table[0xBF] = port_vdp_control_out;
}

u8 sms_z80_read_byte(u32 addr) {
    addr &= 0xFFFF;
    return sms_page_read_byte[addr >> 12](addr);
}
u16 sms_z80_read_word(u32 addr) {
    return static_cast<u16>(sms_z80_read_byte(addr) | (sms_z80_read_byte(addr + 1) << 8));
}
void sms_z80_write_byte(u32 addr, u8 value) {
    addr &= 0xFFFF;
    sms_page_write_byte[addr >> 12](addr, value);
}
void sms_z80_write_word(u32 addr, u16 value) {
    sms_z80_write_byte(addr, static_cast<u8>(value));
    sms_z80_write_byte(addr + 1, static_cast<u8>(value >> 8));
}
u8 sms_z80_port_in(u32 port) { return sms_port_in_table[port & 0xFF](port & 0xFF); }
void sms_z80_port_out(u32 port, u8 value) { sms_port_out_table[port & 0xFF](port & 0xFF, value); }

}  // namespace varn
