#pragma once
// The Master System: a Z80 (the core's second instance) with its own bus and mapper, the
// mode-4 VDP, an SN76489 PSG and the two controller ports read through its own port numbers.
// This header is what the rest of the program (the boot, the runner, the thread) uses.
//
// The machine shares the scheduler's frame shape with the Genesis: 224 lines of 10 slices
// and 512 slices of vertical blank, one Z80 slice each. The VDP's line counter steps once a
// line, its frame interrupt comes at the frame end together with the pause button, and the
// picture is 256 x 192.

#include <array>
#include <span>
#include <string>

#include "base/types.h"
#include "runtime/frame_shape.h"
#include "z80/z80.h"

namespace varn {

// The Master System CPU.
extern z80_cpu_context sms_z80_context;

// --- Memories and paging ------------------------------------------------------------------

// The system ROM image (8 KB), shared by the three regions' files.
inline constexpr u32 kSmsBiosSize = 0x2000;
extern std::array<u8, kSmsBiosSize> sms_bios;

// Work RAM: 8 KB at 0xC000, mirrored at 0xE000 (held in the first 8 KB of the 68000's work
// RAM, which the Genesis is not using while this machine runs).
inline constexpr u32 kSmsWorkRamSize = 0x2000;

// Cartridge RAM (in cart_sram): two 16 KB banks, bank 1 at offset 0, bank 2 at 0x4000.
inline constexpr u32 kSmsCartRamBytes = 0x8000;

// The mapper: the last bytes written to 0xFFFC (RAM control), 0xFFFD, 0xFFFE and 0xFFFF
// (the ROM pages of slots 0, 1 and 2), and what they derive. Slot offsets are offsets into
// the cartridge image (slot 1 and 2 less the slot's base, so that an address adds straight
// to them, wrapping in 32 bits); page numbers are taken modulo 32 (512 KB reachable).
struct SmsPaging {
    std::array<u8, 4> regs;
    u32 slot0_offset;
    u32 slot1_offset;
    u32 slot2_offset;
    u32 ram_bank;    // 0 off, 1 first 16 KB, 2 second 16 KB of cartridge RAM at 0x8000
    u32 ram_offset;  // 0 or 0x4000
    u8 bios_off;     // 1: the cartridge is in slot 0; 0: the system ROM is
    // Where a data read of slots 0-2 finds its byte directly (the slot's 16 KB of the image
    // it shows), or null where the slot needs its page handler (the system ROM window, slot
    // 0 with its fixed first 1 KB paged away).
    std::array<const u8*, 3> read_base;
};
extern SmsPaging sms_paging;

// Recomputes the derived paging state from the four registers (the bus calls it after
// every write to 0xFFFC-0xFFFF).
void sms_mapper_update();

// --- Machine ------------------------------------------------------------------------------

// One-time start-up: clears the instance's counters and fills the port tables.
void sms_z80_init();

// The power-on of a Master System image held in cart_rom (and, with the system ROM option,
// the system ROM in sms_bios): screen size, paging, cartridge-RAM size, PSG, VDP, Z80
// reset. `sms_power_on` also hands the thread its run entry.
void sms_power_on_machine();
void sms_power_on();

// Region from the cartridge (byte 0x7FFF's high nibble 4 passes the USA and Europe tests;
// Japan always passes), tried in the configured order. Returns the region chosen.
u32 sms_region_select();

// What a boot of a Master System image runs after its system ROM (when the option asks for
// one) is in sms_bios: the scheduler's start position from the millisecond clock, the
// sound positions and the power-on with the run entry. The boot then reads the save-RAM
// file into cart_sram, kSmsSaveRamBootBytes bytes.
void sms_boot_power_on(u32 clock_ms);
inline constexpr u32 kSmsSaveRamBootBytes = kSmsCartRamBytes;

// The system ROM: copies up to 8 KB into sms_bios (a shorter image leaves the rest as it
// was). Reading a file: false, with sms_bios unchanged, when it cannot be opened or read.
void sms_bios_store(std::span<const u8> image);
bool sms_bios_load(const std::string& path);

// There is no Master System state block: states are neither written nor read on this
// machine, and callers show this text.
inline constexpr const char* kSmsNoStateText =
    "Save states are not available for the Master System.";

// VDP line and frame events, called by the scheduler: reload at line 0, step on every
// line (line interrupt), frame interrupt and the pause button at the frame end.
void sms_vdp_line_counter_reload();
void sms_vdp_line_counter_step();
void sms_vdp_frame_interrupt();

// --- Running --------------------------------------------------------------------------------

// One Z80 slice; nothing while the core is stopped by an emulation error.
void sms_z80_run();
void sms_z80_reset();          // system ROM start: SP 0
void sms_z80_reset_no_bios();  // cartridge start: SP 0xDFF0
bool sms_z80_is_stopped();
void sms_z80_clear_stopped();

// Runs from the CPU step to the next frame end (pacing, picture, sound and input
// included), like the Genesis run_frame.
FrameResult sms_run_frame();
// The run entry: frames until a stop or a halt.
void sms_run_entry();

// Every record of the machine back to its program-start state (tests).
void sms_reset_records();

}  // namespace varn
