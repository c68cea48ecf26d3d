#pragma once
// The Genesis sound CPU's view of the world: its own 8 KB RAM (mirrored once), the YM2612
// ports, the bank register, the PSG port, and a 32 KB window onto the 68000 bus. Also the
// two latches through which the 68000 takes the Z80's bus and holds it in reset.

#include <array>
#include <bit>
#include <cstring>
#include <span>

#include "base/byte_io.h"
#include "base/config.h"
#include "base/endian.h"
#include "base/types.h"
#include "z80/z80.h"

namespace varn {

// 8 KB of Z80 RAM: byte n at Z80 address n and n + 0x2000, and at 68000 address
// 0xA00000 + n. Z80 words are little-endian.
inline constexpr u32 kZ80RamSize = 0x2000;
extern std::array<u8, kZ80RamSize> z80_ram;

// 68000 address bits 15-23 of the bank window at Z80 0x8000-0xFFFF (value AND 0xFF8000 is
// the window's 68000 base). A 9-bit shift register fed from the top by writes to
// 0x6000-0x6FFF. Survives resets and state loads.
extern u32 z80_bank;

// Written by the 68000 bus (0xA11100, 0xA11200) and by the state loader; read at the end of
// every 68000 slice. busreq: all ones while the 68000 holds the Z80 bus, 0 when released.
// reset: 0 while the Z80 is held in reset, all ones when released. Both 0 at power-on.
extern u32 z80_busreq_latch;
extern u32 z80_reset_latch;

// The RAM as its pages see it: the address bits above the 8 KB are ignored, and a word at
// the last byte takes its high byte from the first (the RAM's own mirroring).
inline constexpr u32 kZ80RamMask = kZ80RamSize - 1;
inline u8 z80_ram_read_byte(u32 a) { return z80_ram[a & kZ80RamMask]; }
// A word below the last byte is one little-endian load or store (on a little-endian host
// a plain 16-bit access).
inline u16 z80_ram_read_word(u32 a) {
    a &= kZ80RamMask;
    if (a == kZ80RamMask) [[unlikely]]
        return static_cast<u16>(z80_ram[a] | (z80_ram[0] << 8));
    if constexpr (std::endian::native == std::endian::little) {
        u16 v;
        std::memcpy(&v, &z80_ram[a], sizeof v);
        return v;
    } else {
        return load_le16(&z80_ram[a]);
    }
}
inline void z80_ram_write_byte(u32 a, u8 v) { z80_ram[a & kZ80RamMask] = v; }
inline void z80_ram_write_word(u32 a, u16 v) {
    a &= kZ80RamMask;
    if (a == kZ80RamMask) [[unlikely]] {
        z80_ram[a] = static_cast<u8>(v);
        z80_ram[0] = static_cast<u8>(v >> 8);
    } else if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&z80_ram[a], &v, sizeof v);
    } else {
        store_le16(&z80_ram[a], v);
    }
}

// True while the 68000 does not hold the Z80 bus and the Z80 is out of reset.
inline bool z80_released() { return z80_busreq_latch == 0 && z80_reset_latch != 0; }
// True when the Z80 runs its slice after a 68000 slice: emulation enabled in the settings
// and z80_released(). Asked once a slice, so it stays inline.
inline bool z80_may_run() { return cfg(cfg_disable_z80) == 0 && z80_released(); }

// The Z80's bus. Each masks the address to 16 bits. Words are little-endian.
u8 z80_read_byte(u32 addr);
u16 z80_read_word(u32 addr);
void z80_write_byte(u32 addr, u8 value);
void z80_write_word(u32 addr, u16 value);

// The Genesis Z80 has no I/O devices: a port read gives the port number, a write is lost.
u8 z80_port_read(u8 port);
void z80_port_write(u8 port, u8 value);

// The bus as four tables of 16 handlers, one per 4 KB page.
using Z80ReadByteHandler       = u8 (*)(u32 addr);
using Z80ReadWordHandler       = u16 (*)(u32 addr);
using Z80WriteByteHandler      = void (*)(u32 addr, u8 value);
using Z80WriteWordHandler      = void (*)(u32 addr, u16 value);
inline constexpr int kZ80Pages = 16;
extern std::array<Z80ReadByteHandler, kZ80Pages> z80_page_read_byte;
extern std::array<Z80ReadWordHandler, kZ80Pages> z80_page_read_word;
extern std::array<Z80WriteByteHandler, kZ80Pages> z80_page_write_byte;
extern std::array<Z80WriteWordHandler, kZ80Pages> z80_page_write_word;

// Code pages: for each 4 KB page, the offset into z80_ram of the page's first byte, or
// kZ80NoCode. The Genesis Z80 executes only from its RAM (0x0000-0x3FFF).
inline constexpr u32 kZ80NoCode = 0xFFFFFFFF;
extern std::array<u32, kZ80Pages> z80_page_table;

// Fills the page tables (done once at program start; z80_reset_records also does it).
void z80_map_init();

// --- The Genesis instance of the core --------------------------------------------------

// The Genesis sound CPU.
extern z80_cpu_context z80_context;

// Runs one timeslice of the Genesis Z80 and returns; the caller continues the chain. Does
// nothing while the core is stopped by an emulation error. z80_run takes the speed paths as
// the switch (base/speed_paths.h) stands; the frame loop, which reads the switch once a
// frame, calls the form for its setting, so that no slice reads it.
void z80_run();
void z80_run_paths_on();
void z80_run_paths_off();

// Power-on and the 68000 releasing the Z80 reset line.
void z80_reset();

// Interrupt line of the Genesis Z80: raised at every vertical interrupt, dropped at the
// start of every line of the frame's first phase.
void z80_irq_raise();
void z80_irq_clear();

// Slice length from the settings (negative T-states).
void z80_set_slice_budget(s32 budget);

// The emulation thread clears the error bits when it accepts a run entry.
bool z80_is_stopped();
void z80_clear_stopped();

// Called on the emulation thread when the Genesis Z80 stops on an emulation error (the
// machine's runner withdraws its run entry). Null: nothing is called; the core still stops.
extern void (*z80_halt_slot)();

// Registers from a Genecyst state image held in memory (fields at 0x404-0x437). An image too
// short to hold them is refused (false) and nothing changes.
bool z80_load_gs_registers(std::span<const u8> image);

// The register fields of a Genecyst image (at least 0x438 bytes) copied into a Z80 record;
// the caller rebases the fetch for its own instance.
void z80_read_gs_registers(z80_cpu_context& c, std::span<const u8> image);

// Save-state chunk 0x02: id byte, u32 little-endian length 28, 28 data bytes. Writing fails
// (false, nothing written) when the writer has no room. Loading takes the reader positioned
// just after the chunk id (on the length, since the container has read the id to choose the
// loader) and leaves it after the stated length; a chunk whose stated length is below 28
// or that runs past the data is refused (false) and changes nothing.
inline constexpr u8 kZ80StateChunkId     = 0x02;
inline constexpr u32 kZ80StateChunkBytes = 28;
bool z80_save_state_chunk(ByteWriter& out);
bool z80_load_state_chunk(ByteReader& in);

// Puts the Genesis Z80's records (context, RAM, bank register, bus latches, page tables) in
// their program-start state; for tests and machine set-up.
void z80_reset_records();

}  // namespace varn
