#pragma once
// The CD drive and the CD controller of the Sega CD.
//
// The drive takes commands from the sub-CPU as ten 4-bit values (0xFF8042-0xFF804B) and
// answers with ten 4-bit status values (0xFF8038-0xFF8041, the last a checksum). A command
// runs in two phases: the first, when the command is latched, arms a countdown; when it
// runs out the drive raises interrupt level 4 and the second phase acts and reports. While
// reading, the play position advances one frame every 2202 ticks (75 a second); each data
// sector reached goes into the controller, and audio tracks are played by the front end.
//
// The controller keeps a 64 KB ring of sectors (each a 4-byte header time and 2048 user
// bytes) and hands them to the sub-CPU through its register file (0xFF8005/0xFF8007), the
// host-data register (0xFF8008), or a transfer into PRG-RAM or word RAM.
//
// Requests to the front end (argument: image sector or packed-BCD time):
//   0x30000001 read a sector into the cache      0x30000002 play audio from a time
//   0x30000003 stop audio  0x30000004 pause  0x30000005 resume
//   0x30000006 close the tray  0x30000007 open the tray

#include <array>

#include "base/types.h"
#include "runtime/thread_link.h"

namespace varn {

// Ticks from a command's first phase to its second.
inline constexpr u32 kCddCommandTicks = 0x4000;
inline constexpr u32 kCddReportTicks  = 0x1000;  // command 2
// Ticks between sector steps, less one (the countdown runs 2201..0, then steps).
inline constexpr u32 kCddSectorReload = 2201;

struct CddState {
    u8 spinning     = 0;
    u8 reading      = 0;
    u8 tray_open    = 0;
    u8 tray_closed  = 0;
    u8 data_track   = 0;
    u8 track        = 0;
    u32 position    = 0;  // frame number
    u32 abs_time    = 0;  // packed BCD
    u32 rel_time    = 0;
    u32 track_start = 0;
    u32 track_end   = 0;
    u32 start_time  = 0;
    u32 end_time    = 0;
    u8 command      = 0;  // latched command code
    u8 phase_two    = 0;  // the command whose second phase the countdown runs
    std::array<u8, 8> params{};
    u32 command_countdown   = 0;  // 0 idle
    u32 sector_countdown    = kCddSectorReload;
    u8 disc_length_reported = 0;
};
extern CddState cdd;

struct CdcState {
    u8 pointer     = 0;  // register file pointer, 4 bits
    u16 write_addr = 0;
    u16 header_ptr = 0;
    u16 byte_count = 0;
    u16 data_addr  = 0;
    std::array<u8, 16> regs{};  // stored bytes of the registers that only store
};
extern CdcState cdc;

// The front end's tray word: 1 while its tray is open (it calls the notices below).
extern u32 cd_tray_word;

// Binds the drive and the controller to the unit's register slots (start-up).
void scd_disc_init();

// Power-on.
void cdd_cdc_reset_regs();
void cdd_reset();

// The command latch (command value 9 stored, or CDD control bit 2 raised).
void cdd_command_latched();
// One tick of the drive: the sector step, then the command countdown.
void cdd_tick();
void cdd_update_status();
void cdd_status_checksum();
// The stopped, no-track state.
void cdd_reset_track_state();
// Spins up paused at the first track (already spinning: only stops reading).
void cdd_spin_up_paused();
// Bit 0 of 0xFF8037: data track, not spinning, or reading.
u8 cdd_status_bit();

// Front-end tray notices.
void cd_tray_open();
void cd_tray_close();

// Controller.
void cdc_load_sector();
void cdc_transfer_step();
u8 cdc_register_read();
void cdc_register_write(u8 v);
void cdc_pointer_write(u8 v);
u16 cdc_host_data_read();

}  // namespace varn
