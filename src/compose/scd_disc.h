#pragma once
// The disc's road into the Sega CD: the front end's CD requests fill the sector cache from
// the loaded CD image or the chosen drive, the table of contents comes from the drive, the
// cue sheet or the default, and the boot reads sector 0 through the cache.

#include <span>

#include "base/types.h"

namespace varn {

// Binds the CD requests to the sector cache and the table of contents (start-up).
void scd_bind_disc();
// Start of a Sega CD boot, on the user interface's thread while the emulation is stopped:
// a fresh cache, the table, and sector 0 asked for.
void scd_disc_boot();
// Sector 0's user bytes as the drive delivered them at the start of the boot; 0 when it has
// not.
u32 scd_disc_read_sector0(std::span<u8, 2048> user_data);

}  // namespace varn
