#pragma once
// Turning a loaded image into a running machine, and back.
//
// The boot detects the region, names the game (naming library, cartridge header or file
// name, in the configured order), puts the name in the window title, loads the system ROMs
// the machine needs, powers the machine on and reads the save RAM (and, on the Sega CD, the
// backup RAM) from their files. The close stops the machine, writes those RAMs back and
// releases the image.

#include <optional>
#include <span>
#include <string>

#include "base/types.h"
#include "runtime/machine_table.h"

namespace varn {

struct BootNames {
    std::optional<std::string> namer_name;   // from the naming library
    std::optional<std::string> header_name;  // from the cartridge or disc header
    // The chosen name as the file commands put it before their extensions: no folder
    // separators, drive colons or control characters.
    std::string game_name;
    std::string brm_file_name;         // game_name + ".BRM": save RAM, RAM cartridge
    std::string backup_ram_file_name;  // Sega CD: BIOS file name + ".BRM"
    u32 namer_crc = 0;
};
extern BootNames boot_names;

// Whether the boot and the close read and write the RAM files (the headless runner turns
// them off unless asked for a save-RAM folder).
extern bool media_ram_files_enabled;

inline constexpr u32 kScdBackupRamBytes = 0x2000;

// Boots the loaded image. Mode 0 after a load (region detection allowed); the reboot passes
// its request word, and mode 2 only renames and retitles. True when a machine runs (or,
// with mode 2, was renamed).
bool machine_boot(u32 mode);
// Writes the save RAM and backup RAM files of a booted machine (the mode is not used).
// A file that cannot be written is reported in a message box.
void machine_save_backup_ram(u32 mode);
// Whether every RAM file of the last write (a close, a reboot) was written; a caller that
// has no message box to show, such as the headless runner, reports the failure this way.
bool machine_ram_files_written();
// Stops the machine, writes its RAM files, releases the image and the names. Returns 1.
u32 machine_close();
// The Boot Sega CD command: boots the Sega CD from the chosen CD-ROM drive.
void boot_sega_cd_from_drive();

// Reads the 2048 user bytes of disc sector 0 of the loaded Sega CD disc into `user_data` (as
// the drive delivered it at the start of the boot; without a drive, from the image, zeros
// past its end); 0 when there is none.
u32 machine_read_disc_sector0(std::span<u8, 2048> user_data);

// The media boot steps of the machine records, one per way a machine comes up: a cartridge
// (Genesis, and with the 32X record's unit the 32X), a Sega CD disc (with the 32X when the
// option asks for it) and a Master System cartridge. Each loads the system ROMs the machine
// needs, powers it on through its record, reads its RAM files and stores its run entry.
bool media_boot_cartridge(const MachineRecord& machine);
bool media_boot_disc(const MachineRecord& machine);
bool media_boot_sms(const MachineRecord& machine);

// Binds the reboot and the RAM-file writes of the thread link to the boot above
// (the composition point, at start-up).
void media_bind_slots();

// A name made safe to be part of a file name: '/', '\', ':', NUL and control characters
// become '_'.
std::string safe_file_name(std::string_view name);

}  // namespace varn
