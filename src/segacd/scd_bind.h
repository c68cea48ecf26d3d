#pragma once
// The Sega CD unit's place in the program, bound once at start-up by every program that
// boots machines (the window program and the headless runner): the sub-CPU's tables, the
// BIOS files of the three regions, and the unit's steps of the media boot (power-on, the
// disc's region, the backup RAM and RAM cartridge formatters, the backup RAM's file).

namespace varn {

void scd_bind_unit();
// The disc side alone: CD requests into the sector cache, the table of contents, the
// boot's sector 0 (part of scd_bind_unit).
void scd_bind_disc();

}  // namespace varn
