#pragma once
// The Sega CD unit: the sub-CPU's bus and the gate array between the two 68000s, the
// per-slice tick with its timers, and the RF5C164 PCM chip.
//
//   start-up   scd_sub_cpu_init()           once: sub-CPU opcodes, bus tables, PCM table,
//                                           and the main CPU's gate-array and memory slots
//   boot       scd_power_on()               the Genesis side's Sega CD power-on, then ours
//              scd_detect_disc_region()     from the user data of disc sector 0
//              scd_format_backup_ram() / scd_format_ram_cart() when no backup file exists
//   running    the scheduler calls scd_slice() after every main-CPU slice: the sub-CPU
//              runs only after the main CPU released it, and each of its slices ends in
//              scd_tick(); scd_pcm_sample() adds the PCM chip to each output sample
//
// The CD drive, the CD controller and the graphics unit live elsewhere; they meet this unit
// through `scd_disc_slots`, which are null until they are attached (the registers are then
// only stored).

#include <array>
#include <span>

#include "base/types.h"

namespace varn {

inline constexpr u32 kScdBackupRamSize = 0x2000;
inline constexpr u32 kScdWaveRamSize   = 0x10000;
inline constexpr u32 kScdCdcBufferSize = 0x10000;
inline constexpr u32 kScdFillPageSize  = 0x1000;

// Gate array and tick state.
struct ScdGateArray {
    std::array<u8, 0x80> regs{};  // sub-side register bytes, 0xFF8000 + i
    u8 run_state           = 0;   // 0 held in reset, 1 running, >1 counts down to 1
    u8 wram_1m             = 0;   // word-RAM mode: 0 2 Mbit, 1 1 Mbit
    u8 return_bit          = 0;   // 1M: the bank the main CPU has; 2M: word RAM returned
    u8 priority            = 0;   // priority mode, bits 3-4 of the memory-mode byte
    u8 prg_bank            = 0;   // PRG-RAM bank in the main CPU's window (128 KB steps)
    u8 main_mode           = 0;   // memory-mode byte as the main CPU last stored it
    u8 gfx_busy            = 0;   // graphics operation pending
    u8 bus_request         = 0;   // bit 1 of the main CPU's reset register
    u8 irq2_request        = 0;   // main-side byte 0xA12000 (bit 0: level-2 request)
    s32 gfx_countdown      = 0;   // negative while a graphics operation is pending
    u32 stopwatch          = 0;   // the register shows bits 20-31
    u32 timer_countdown    = 0;   // units of 2^-24 timer counts; 0 stopped
    u8 timer_value         = 0;
    u32 pcm_phase          = 0;
    u32 transfer_countdown = 0;  // CD controller transfer, ticks
    u8 cdc_end_of_transfer = 0;  // CD controller flags shown in 0xFF8004
    u8 cdc_data_ready      = 0;
};
extern ScdGateArray scd_ga;

// Memories that are not code (those that are live in the memory arena: scd_bios,
// scd_prg_ram, scd_word_ram).
extern std::array<u8, kScdBackupRamSize> scd_backup_ram;
extern std::array<u8, kScdWaveRamSize> scd_wave_ram;
extern std::array<u8, kScdCdcBufferSize> scd_cdc_buffer;
extern std::array<u8, kScdFillPageSize> scd_fill_page;
// BIOS bytes 0x130-0x14F then the word at 0x18E, taken at power-on (saved states check it).
extern std::array<u8, 34> scd_bios_identity;

// The disc side. Each null entry leaves its registers stored and nothing more.
struct ScdDiscSlots {
    void (*reset)();                   // power-on: controller registers, then the drive
    void (*command_latched)();         // command value 9 stored, or CDD control bit 2 raised
    u8 (*cdc_register_read)();         // 0xFF8007
    void (*cdc_register_write)(u8 v);  // 0xFF8007
    void (*cdc_pointer_write)(u8 v);   // 0xFF8005
    u16 (*cdc_host_data)();            // word read of 0xFF8008
    void (*transfer_step)();           // the transfer countdown ran out
    void (*drive_tick)();              // last step of every tick
    u8 (*drive_status_bit)();          // bit 0 of 0xFF8037
    void (*graphics_start)();          // word write of 0xFF8066
};
extern ScdDiscSlots scd_disc_slots;

// BIOS loaders by Sega CD region (0 Japan, 1 USA, 2 Europe); each fills scd_bios and
// returns false when there is no image. Null loaders load nothing.
extern bool (*scd_bios_loader)(u32 region);

void scd_sub_cpu_init();
void s68k_build_memory_map();
void pcm_build_volume_table();

// Power-on of the unit (after the Genesis side's Sega CD power-on); binds the sub-CPU's
// successor and the scheduler's Sega CD slots.
void scd_power_on_reset();
// The whole Sega CD power-on: Genesis side, then the unit, and the scheduler's slots bound.
void scd_power_on();
// Releases the sub-CPU from reset (main CPU's reset register, bit 0 set, run state 0).
void scd_sub_cpu_start();
// Region from the 2048 user bytes of disc sector 0; returns the region chosen. A sector
// shorter than 0x20C bytes matches nothing and so falls back to the order's first region.
u32 scd_detect_disc_region(std::span<const u8> user_data);
void scd_format_backup_ram();
// Formats the RAM cartridge image (cart_sram, cart_sram_size bytes as set up at power-on)
// for the size code of the settings; nothing when no cartridge is present.
void scd_format_ram_cart();

// Scheduler slots.
void scd_slice();
void scd_tick();
void scd_pcm_sample(s16* slot);

// Raises sub-CPU interrupt level n when the interrupt mask (0xFF8033) enables it.
void scd_raise_irq(u32 level);
// The sub-CPU's level-2 acknowledge: the main CPU's request bit is cleared.
void scd_sub_irq_ack(u32 level);

// The sub-CPU core the unit drives: null entries mean this program's own 68000 core. A
// machine that runs another core binds its interrupt line and its release from reset.
struct ScdSubCpuSlots {
    void (*raise_irq)(u32 level);  // the level, already passed through the mask
    void (*start)();               // the main CPU released the sub-CPU (fetch from PRG-RAM)
};
extern ScdSubCpuSlots scd_sub_cpu_slots;

// PCM chip.
struct PcmChannel {
    u8 env = 0, pan = 0, st = 0, eff_env = 0, active = 0;
    u16 fd = 0, ls = 0;
    u32 address = 0;  // 16.16: integer part is the wave-RAM address
};
struct PcmState {
    u8 control = 0, on_off = 0, channel = 0, bank = 0;
    u8 on_mask = 0;  // all ones while control bit 7 is set
    std::array<PcmChannel, 8> ch{};
};
extern PcmState pcm;
void pcm_reset();
void pcm_write_control(u8 v);
void pcm_write_on_off(u8 v);
void pcm_write_env(u8 v);
void pcm_step_channels();
void pcm_mix(s16* slot);
s16 pcm_volume(u8 sample, u8 env);
u8 pcm_read_register(u32 reg);  // reg 0x00-0x3F (the odd address >> 1)
void pcm_write_register(u32 reg, u8 v);

// Main CPU side of the gate array, 0xA12000 + (address & 0x3F).
u32 scd_main_read_byte(u32 addr);
void scd_main_write_byte(u32 addr, u32 v);

}  // namespace varn
