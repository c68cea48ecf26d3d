#pragma once
// The catalogue a naming library carries: CRC-32 of a normalised cartridge image -> the
// name the catalogue lists it under. Each library's table is generated at build time from
// its catalogue file by romnamer_table_gen; the records point into one constant block that
// holds all the names back to back.

#include <span>

#include "base/types.h"

namespace varn {

struct RomNameRecord {
    u32 crc;
    const char* name;  // NUL-terminated printable ASCII
};

// A table has unique CRCs and none of them is 0, since 0 is what the CRC call gives for
// an image it does not recognise.
using RomNameTable = std::span<const RomNameRecord>;

extern const RomNameTable kestgen_name_table;  // Genesis catalogue
extern const RomNameTable kest32x_name_table;  // 32X catalogue

// The name of the record with this CRC, or null. The scan runs from the last record down
// to the first, so with a duplicate the highest-numbered record would win.
const char* namer_lookup_name(RomNameTable table, u32 crc);

}  // namespace varn
