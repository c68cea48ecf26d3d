#pragma once
// The consoles' system ROMs (boot ROMs and BIOS images), read from the files the settings
// name. The bytes are copied as they lie in the file, in the console's byte order; a file
// shorter than its ROM leaves the rest of the memory as it was. A file that cannot be
// opened is reported ("PATH not found.") and fails the boot that asked for it.

#include <array>
#include <span>

#include "base/types.h"

namespace varn {

enum SystemRom : u32 {
    kRomGenesis,
    kRom32xMaster,
    kRom32xSlave,
    kRom32x68k,
    kRomScdUs,
    kRomScdEu,
    kRomScdJp,
    kRomSmsUs,
    kRomSmsEu,
    kRomSmsJp,
    kSystemRomCount
};

// Bytes each loader reads.
inline constexpr std::array<u32, kSystemRomCount> kSystemRomBytes = {
    0x800, 0x800, 0x400, 0x100, 0x20000, 0x20000, 0x20000, 0x2000, 0x2000, 0x2000};

// The memory each ROM is read into. The machines that hold a ROM memory not in the shared
// arena (the SH-2 boot ROMs, the Master System BIOS) set their entry; an empty entry still
// checks that the file is there.
extern std::array<std::span<u8>, kSystemRomCount> system_rom_targets;

// One loader: 1 when the file was read, 0 when it could not be opened (message shown).
u32 bios_load(SystemRom rom);

u32 bios_load_genesis();
u32 bios_load_32x_master();
u32 bios_load_32x_slave();
u32 bios_load_32x_68k();
u32 bios_load_scd_us();
u32 bios_load_scd_eu();
u32 bios_load_scd_jp();
u32 bios_load_sms_us();
u32 bios_load_sms_eu();
u32 bios_load_sms_jp();
// The three 32X ROMs, master, slave and 68000 side; stops at the first failure.
u32 bios_load_32x();

}  // namespace varn
