#pragma once
// The Master System Z80's memory and I/O port map.
//
// Memory is served through four tables (read byte, read word, write byte, write word) of
// sixteen 4 KB pages; ports through two 256-entry tables indexed by the port's whole low
// byte, so no port is mirrored. Words are little-endian; a word is two byte accesses, so
// one that straddles two pages or regions reaches each byte where it lies.
//
//   0x0000-0x3FFF  slot 0: the system ROM (mirrored every 8 KB) while it is mapped, else the
//                  cartridge page of 0xFFFD; the first 1 KB never pages
//   0x4000-0x7FFF  slot 1: the cartridge page of 0xFFFE
//   0x8000-0xBFFF  slot 2: cartridge RAM when 0xFFFC maps it, else the page of 0xFFFF
//   0xC000-0xFFFF  8 KB work RAM, mirrored; writes to 0xFFFC-0xFFFF also reach the mapper
//
// An unmapped read returns the address's low byte, an unmapped port read the port number.

#include <array>

#include "base/types.h"

namespace varn {

u8 sms_z80_read_byte(u32 addr);
u16 sms_z80_read_word(u32 addr);
void sms_z80_write_byte(u32 addr, u8 value);
void sms_z80_write_word(u32 addr, u16 value);
u8 sms_z80_port_in(u32 port);
void sms_z80_port_out(u32 port, u8 value);

// The work RAM (the first 8 KB of the 68000 work RAM).
u8* sms_work_ram();

using SmsReadByte  = u8 (*)(u32 addr);
using SmsWriteByte = void (*)(u32 addr, u8 value);
using SmsPortIn    = u8 (*)(u32 port);
using SmsPortOut   = void (*)(u32 port, u8 value);
extern const std::array<SmsReadByte, 16> sms_page_read_byte;
extern const std::array<SmsWriteByte, 16> sms_page_write_byte;
extern std::array<SmsPortIn, 256> sms_port_in_table;
extern std::array<SmsPortOut, 256> sms_port_out_table;

// Controller port state from the last write to port 0x3F: TH output levels (after the
// Japanese console's inversion) and output enables, bit 0 port 1, bit 1 port 2.
struct SmsPortState {
    u8 th_level;
    u8 th_enable;
};
extern SmsPortState sms_port_state;

// Fills the port tables (start-up).
void sms_ports_init();

// The memory behind the Z80's current code window has changed (a mapper or system ROM
// switch): the next fetch takes a new window.
void sms_z80_refresh_code();

}  // namespace varn
