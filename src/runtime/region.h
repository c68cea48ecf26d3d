#pragma once
// The console region, as the version register reports it (bit 6 PAL, bit 7 overseas). Set
// by the cartridge header test, the Sega CD disc test and the Master System test alike,
// each trying the regions in the order chosen by `cfg_region_order`. The frame timing does
// not depend on it.

#include "base/types.h"

namespace varn {

inline constexpr u32 kRegionJapan  = 0;
inline constexpr u32 kRegionUsa    = 1;
inline constexpr u32 kRegionEurope = 2;

struct RegionState {
    u32 scd_region;     // 0 Japan, 1 USA, 2 Europe
    u32 pal_flag;       // 1: 50 Hz console (version register bit 6)
    u32 overseas_flag;  // 1: export console (version register bit 7)
};
extern RegionState region;

// Sets the three words for a region (0 Japan, 1 USA, 2 Europe).
void region_set(u32 which);

// The three regions in the order `cfg_region_order` (0-5; others count as 0) tries them.
const u32* region_order();

// Detects the region from the header's three region bytes (offsets 0x1F0-0x1F2 of the
// image): the first region of the order whose test matches, else the order's first.
// Returns the region chosen and sets the words.
u32 region_detect(const u8 bytes[3]);

}  // namespace varn
