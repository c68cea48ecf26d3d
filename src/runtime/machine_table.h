#pragma once
// The machine table: one record per machine the program links (Genesis, 32X, Sega CD,
// Master System), holding what the rest of the program asks of a machine. The boot finds
// the machine's power-on, region test and media boot steps here; the thread, the runner and
// the frame end find its run entry and frame; the state file its state blocks; the sound
// output the step it takes when the output rate changes.
//
// The records are filled by the program's composition point at start-up. A machine the
// program does not link has no record: its boot is refused with a message naming it.
//
// The add-on units are records too: the Genesis boot resets the 32X unit when the program
// has one (its SH-2s stay out until the 68000 releases them), and the Sega CD's record
// carries the disc's steps that the boot takes before it knows the region.

#include <span>

#include "base/types.h"
#include "runtime/frame_shape.h"

namespace varn {

// The console kind being run (1 Genesis, 2 32X, 4 Sega CD, 8 Master System; 0 none),
// written by the boot before the emulation thread is handed the run entry. It is the load
// mode's high nibble and the record's index.
inline constexpr u32 kMachineGenesis = 1;
inline constexpr u32 kMachine32x     = 2;
inline constexpr u32 kMachineSegaCd  = 4;
inline constexpr u32 kMachineSms     = 8;
extern u32 machine_kind;

// The picture a machine draws at power-on.
struct PictureSize {
    u32 width;
    u32 height;
};

struct MachineRecord {
    u32 kind = 0;  // kMachine...
    PictureSize picture{};

    // --- Boot: on the user-interface thread, the emulation thread stopped or paused ---
    // The region from the image or disc (the setting "auto"); null keeps the region set.
    void (*detect_region)() = nullptr;
    // The media boot: the system ROMs, the power-on, the unit resets and the RAM files, in
    // the machine's order. False, with a message shown, when the machine cannot start.
    bool (*media_boot)(const MachineRecord& machine) = nullptr;
    // Resets the CPUs, chips, memories and maps (the run entry is not stored).
    void (*power_on)() = nullptr;

    // --- The add-on unit of this record (32X, Sega CD) ---
    void (*unit_fit)(bool fitted) = nullptr;  // whether the machine has it (before unit_reset)
    void (*unit_reset)()          = nullptr;  // after the Genesis side's power-on
    void (*format_backup_ram)()   = nullptr;  // no backup RAM file: a blank one
    void (*format_ram_cart)()     = nullptr;  // no RAM cartridge file: a blank one
    std::span<u8> backup_ram;                 // kept in a file beside the save RAM
    // The disc: reads the table of contents and asks for sector 0 (start of the boot); then
    // reads sector 0's user bytes as the drive delivered them (0 when it has not).
    void (*disc_boot)()                                = nullptr;
    u32 (*read_sector0)(std::span<u8, 2048> user_data) = nullptr;
    bool polls_cd_drive                                = false;  // a CD poll every frame

    // --- Running: on the emulation thread ---
    void (*run_entry)()        = nullptr;  // frames until a stop or a halt
    FrameResult (*run_frame)() = nullptr;  // one frame from a CPU step to the frame end
    const char* (*halt_text)() = nullptr;  // which processor stopped the run

    // --- Sound ---
    void (*sound_rate_changed)() = nullptr;  // the chips with rate tables recompute them

    // --- State files ---
    // Writes the machine's blocks into `out`: the bytes written, 0 when `out` is too small.
    // Null: the machine's state cannot be saved.
    u32 (*state_save)(std::span<u8> out) = nullptr;
    u32 state_max_bytes                  = 0;  // room `state_save` needs at most
    // Loads a stream of the blocks this machine accepts: 0 success, negative refused with
    // nothing changed.
    s32 (*state_load)(std::span<const u8> in) = nullptr;
};

// The record of a kind, or null when the program does not link that machine.
const MachineRecord* machine_record(u32 kind);
// The record of the machine being run, or null.
inline const MachineRecord* machine_current() { return machine_record(machine_kind); }
// The name of a kind as messages give it ("Genesis", "32X", "Sega CD", "Master System").
const char* machine_name(u32 kind);

// Loads a state stream into the machine being run through its record's reader (with no
// machine booted, the Genesis record's): 0 success, negative refused with nothing changed
// (also when there is no reader).
s32 machine_state_load(std::span<const u8> in);

// The composition point places the program's records (start-up); the record must live for
// the program's life. Clearing empties the table (tests).
void machine_table_bind(const MachineRecord& record);
void machine_table_clear();

}  // namespace varn
