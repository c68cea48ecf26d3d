#include "genesis/bus/save_ram.h"

#include <algorithm>
#include <cstring>

#include "base/endian.h"
#include "genesis/bus/eeprom.h"
#include "genesis/bus/m68k_map.h"
#include "memory/memory.h"

namespace varn {

u8 cart_sram[kCartSramBytes];
u32 cart_save_start  = kCartSaveNone;
u32 cart_save_end    = kCartSaveNone;
u32 cart_save_kind   = kCartSaveStatic;
u32 cart_sram_enable = 0xFFFFFFFF;
u32 cart_sram_size   = 0;

void save_ram_reset() {
    std::memset(cart_sram, 0, sizeof cart_sram);
    cart_save_start  = kCartSaveNone;
    cart_save_end    = kCartSaveNone;
    cart_save_kind   = kCartSaveStatic;
    cart_sram_enable = 0xFFFFFFFF;
    cart_sram_size   = 0;
}

namespace {

constexpr u32 kCartAreaEnd = 0x3FFFFF;  // save windows live in the cartridge area

}  // namespace

bool cart_save_setup() {
    cart_sram_enable = 0xFFFFFFFF;
    cart_sram_size   = 0;
    cart_save_start  = kCartSaveNone;
    cart_save_end    = kCartSaveNone;
    cart_save_kind   = kCartSaveStatic;

    const u8* header = cart_rom.data();
    if (header[0x1B0] != 'R' || header[0x1B1] != 'A') return false;
    const u32 start      = load_be32(header + 0x1B4) & kM68kAddressMask;
    u32 end              = load_be32(header + 0x1B8) & kM68kAddressMask;
    const bool is_eeprom = header[0x1B2] == 0xE8;

    // A window outside the cartridge area would take over the register pages or work RAM.
    if (start > kCartAreaEnd) return false;
    if (is_eeprom) {
        // The EEPROM answers on the start address's page whatever the end says.
        cart_save_kind = kCartSaveEeprom;
        cart_sram_size = kCartEepromSize;
        end            = std::max(end, start);
    } else {
        if (start > end) return false;
        end            = std::min({end, kCartAreaEnd, start + kCartSramBytes - 1});
        cart_save_kind = kCartSaveStatic;
        cart_sram_size = end - start + 1;
    }
    cart_save_start = start;
    cart_save_end   = end;

    const u32 last_page = is_eeprom ? start >> 12 : end >> 12;
    for (u32 page = start >> 12; page <= last_page; ++page) m68k_map_page(page, m68k_save_ram_set);
    return true;
}

namespace {

bool in_window(u32 a) { return a >= cart_save_start && a <= cart_save_end && a < cart_sram_enable; }

// Static RAM byte at address a of the window. A word or long is routed by its first byte;
// its bytes past the save memory in use read zero and are not written.
bool sram_holds(u32 off) { return off < cart_sram_size && off < kCartSramBytes; }
u8 sram_byte(u32 a) {
    const u32 off = a - cart_save_start;
    return sram_holds(off) ? cart_sram[off] : 0;
}
void sram_store(u32 a, u32 v) {
    const u32 off = a - cart_save_start;
    if (sram_holds(off)) cart_sram[off] = static_cast<u8>(v);
}

// Cartridge ROM under the rest of the window's pages (the arena's guard bytes follow it).
u32 rom_read_byte(u32 a) { return memory_arena[kCartRomOffset + (a & (kCartRomSize - 1))]; }
u32 rom_read_word(u32 a) {
    return load_be16(memory_arena + kCartRomOffset + (a & (kCartRomSize - 1)));
}
u32 rom_read_long(u32 a) {
    return load_be32(memory_arena + kCartRomOffset + (a & (kCartRomSize - 1)));
}

}  // namespace

u32 cart_save_read_byte(u32 a) {
    if (!in_window(a)) return rom_read_byte(a);
    if (cart_save_kind == kCartSaveEeprom) return eeprom_read_lines();
    return sram_byte(a);
}

u32 cart_save_read_word(u32 a) {
    if (!in_window(a)) return rom_read_word(a);
    if (cart_save_kind == kCartSaveEeprom) return eeprom_read_lines();
    return u32{sram_byte(a)} << 8 | sram_byte(a + 1);
}

u32 cart_save_read_long(u32 a) {
    if (!in_window(a)) return rom_read_long(a);
    if (cart_save_kind == kCartSaveEeprom) return a;
    return u32{sram_byte(a)} << 24 | u32{sram_byte(a + 1)} << 16 | u32{sram_byte(a + 2)} << 8 |
           sram_byte(a + 3);
}

void cart_save_write_byte(u32 a, u32 v) {
    if (!in_window(a)) return;
    if (cart_save_kind == kCartSaveEeprom) {
        eeprom_write_lines(v);
    } else {
        sram_store(a, v);
    }
}

void cart_save_write_word(u32 a, u32 v) {
    if (!in_window(a)) return;
    if (cart_save_kind == kCartSaveEeprom) {
        eeprom_write_lines(v);
    } else {
        sram_store(a, v >> 8);
        sram_store(a + 1, v);
    }
}

void cart_save_write_long(u32 a, u32 v) {
    if (!in_window(a) || cart_save_kind == kCartSaveEeprom) return;
    sram_store(a, v >> 24);
    sram_store(a + 1, v >> 16);
    sram_store(a + 2, v >> 8);
    sram_store(a + 3, v);
}

const M68kHandlerSet m68k_save_ram_set{cart_save_read_byte,  cart_save_read_word,
                                       cart_save_read_long,  cart_save_write_byte,
                                       cart_save_write_word, cart_save_write_long};

}  // namespace varn
