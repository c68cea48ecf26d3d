#include "romnamer/rom_name_table.h"

namespace varn {

const char* namer_lookup_name(RomNameTable table, u32 crc) {
    // A plain linear scan: the table is looked at once per image boot.
    for (std::size_t i = table.size(); i-- > 0;) {
        if (table[i].crc == crc) return table[i].name;
    }
    return nullptr;
}

}  // namespace varn
