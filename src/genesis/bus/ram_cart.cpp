#include "genesis/bus/ram_cart.h"

#include <algorithm>

#include "base/config.h"
#include "base/endian.h"
#include "genesis/bus/bus_pages.h"
#include "genesis/bus/save_ram.h"
#include "memory/memory.h"

namespace varn {

std::array<u8, 32> scd_ram_cart_id{};

namespace {

u32 size_code() { return std::min<u32>(cfg(cfg_scd_ram_cart_size), 3); }

}  // namespace

void scd_ram_cart_setup() {
    const bool on   = cfg(cfg_scd_ram_cart) != 0;
    cart_sram_size  = on ? 0x2000u << size_code() : 0;
    cart_save_start = kCartSaveNone;
    cart_save_end   = kCartSaveNone;
    scd_ram_cart_id.fill(0);
    scd_ram_cart_id[1] = static_cast<u8>(size_code());
    for (u32 i = 0x10; i < 0x1C; ++i) scd_ram_cart_id[i] = 0x30;
}

namespace {

bool cart_present() { return cfg(cfg_scd_ram_cart) != 0 && cart_sram_size != 0; }

// ---- Sega CD BIOS, 0x000000-0x01FFFF (read only; the PRG-RAM follows it in the arena) ----
u32 bios_read_byte(u32 a) { return memory_arena[kScdBiosOffset + a]; }
u32 bios_read_word(u32 a) { return load_be16(memory_arena + kScdBiosOffset + a); }
u32 bios_read_long(u32 a) { return load_be32(memory_arena + kScdBiosOffset + a); }
void ignore_write(u32, u32) {}

// ---- identification, 0x400000-0x40001F ----
u8 id_byte(u32 a) { return scd_ram_cart_id[a & 0x1F]; }
bool id_address(u32 a) { return cfg(cfg_scd_ram_cart) != 0 && a < 0x400020; }
u32 id_read_byte(u32 a) { return id_address(a) ? id_byte(a) : a; }
u32 id_read_word(u32 a) { return id_address(a) ? u32{id_byte(a)} << 8 | id_byte(a + 1) : a; }
u32 id_read_long(u32 a) {
    if (!id_address(a)) return a;
    return u32{id_byte(a)} << 24 | u32{id_byte(a + 1)} << 16 | u32{id_byte(a + 2)} << 8 |
           id_byte(a + 3);
}

// ---- data, 0x600000-0x63FFFF: RAM byte n = (address & (2 * size - 1)) >> 1 ----
u32 data_size() { return std::min(cart_sram_size, kCartSramBytes); }
u32 data_index(u32 a) { return ((a & (2 * data_size() - 1)) >> 1) % data_size(); }
u32 data_next(u32 n) { return (n + 1) % data_size(); }  // byte n + 1 wraps in the cartridge

u32 data_read_byte(u32 a) { return cart_present() ? cart_sram[data_index(a)] : a; }
u32 data_read_word(u32 a) { return cart_present() ? cart_sram[data_index(a)] : a; }
u32 data_read_long(u32 a) {
    if (!cart_present()) return a;
    const u32 n = data_index(a);
    return u32{cart_sram[n]} << 16 | cart_sram[data_next(n)];
}
void data_write_byte(u32 a, u32 v) {
    if (cart_present()) cart_sram[data_index(a)] = static_cast<u8>(v);
}
void data_write_long(u32 a, u32 v) {
    if (!cart_present()) return;
    const u32 n             = data_index(a);
    cart_sram[n]            = static_cast<u8>(v >> 16);
    cart_sram[data_next(n)] = static_cast<u8>(v);
}

}  // namespace

const M68kHandlerSet m68k_scd_bios_set{bios_read_byte, bios_read_word, bios_read_long,
                                       ignore_write,   ignore_write,   ignore_write};
const M68kHandlerSet m68k_ram_cart_id_set{id_read_byte, id_read_word, id_read_long,
                                          ignore_write, ignore_write, ignore_write};
const M68kHandlerSet m68k_ram_cart_data_set{data_read_byte,  data_read_word,  data_read_long,
                                            data_write_byte, data_write_byte, data_write_long};

}  // namespace varn
